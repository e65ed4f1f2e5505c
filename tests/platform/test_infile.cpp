// Input files: only a regular file is opened, in blocking mode, and what
// stands at any other name is told apart.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/infile.h"
#include "support/testutil.h"

TEST(Infile, OnlyARegularFileIsOpened)
{
    std::string dir = tempfolder();
    writefile(dir + "/water.xyz", "3\n");
    ASSERT_EQ(symlink("water.xyz", (dir + "/link.xyz").c_str()), 0);
    ASSERT_EQ(mkfifo((dir + "/pipe.xyz").c_str(), 0600), 0);
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string sockpath = dir + "/sock.xyz";
    ASSERT_LT(sockpath.size(), sizeof addr.sun_path);
    sockpath.copy(addr.sun_path, sockpath.size());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    struct {
        std::string path;
        int result; // the descriptor's sign: 1 opened, else -1 or -2
        inputkind kind;
        int err;
    } cases[] = {
        {dir + "/water.xyz", 1, INPUT_FILE, 0},
        {dir + "/link.xyz", 1, INPUT_FILE, 0},
        // A FIFO without a writer would block an ordinary open for ever.
        {dir + "/pipe.xyz", -2, INPUT_FIFO, 0},
        {"/dev/null", -2, INPUT_DEVICE, 0},
        {dir, -2, INPUT_FOLDER, 0},
        {dir + "/none.xyz", -1, INPUT_OTHER, ENOENT},
        {dir + "/water.xyz/x", -1, INPUT_OTHER, ENOTDIR},
    };
    for (const auto &c : cases) {
        inputkind kind = INPUT_OTHER;
        errno = 0;
        int fd = openinput(c.path.c_str(), &kind);
        EXPECT_EQ(fd >= 0 ? 1 : fd, c.result) << c.path;
        EXPECT_EQ(kind, c.kind) << c.path;
        if (c.result == -1) {
            EXPECT_EQ(errno, c.err) << c.path;
        }
        if (fd < 0)
            continue;
        // Blocking again, closed on exec, and the file's bytes.
        EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << c.path;
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << c.path;
        char buf[8];
        EXPECT_EQ(read(fd, buf, sizeof buf), 2);
        errno = EINTR;
        closeinput(fd);
        EXPECT_EQ(errno, EINTR) << "closeinput keeps errno";
    }
    // A socket cannot be opened at all: the open's own reason.
    inputkind kind = INPUT_FILE;
    errno = 0;
    EXPECT_EQ(openinput(sockpath.c_str(), &kind), -1);
    EXPECT_EQ(errno, ENXIO);
    close(sock);
}

// What stands under a name: taken by anything (a link to nothing too),
// there when followed, and something other than a regular file (which a
// description or a molecule file must be).
TEST(Infile, ANameInUseIsOneALinkToNothingHoldsToo)
{
    std::string dir = tempfolder();
    writefile(dir + "/file", "x\n");
    ASSERT_EQ(symlink("nothing", (dir + "/dangling").c_str()), 0);
    ASSERT_EQ(symlink("file", (dir + "/link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    struct {
        std::string name;
        int inuse, exists, notafile;
    } cases[] = {
        {dir + "/file", 1, 1, 0}, {dir, 1, 1, 1},
        {dir + "/link", 1, 1, 0}, {dir + "/fifo", 1, 1, 1},
        {"/dev/null", 1, 1, 1},   {dir + "/dangling", 1, 0, 0},
        {dir + "/none", 0, 0, 0}, {dir + "/file/x", 0, 0, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(nameinuse(c.name.c_str()), c.inuse) << c.name;
        EXPECT_EQ(pathexists(c.name.c_str()), c.exists) << c.name;
        EXPECT_EQ(notregular(c.name.c_str()), c.notafile) << c.name;
    }
}
