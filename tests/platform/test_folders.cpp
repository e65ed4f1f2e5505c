#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "support/testutil.h"

namespace {
std::string full(const char *path)
{
    char out[4096];
    EXPECT_EQ(abspath(path, out, sizeof out), 1) << path;
    return out;
}
// An environment variable's value, "\x01" when it is unset, and back.
std::string saved(const char *name)
{
    const char *v = std::getenv(name);
    return v ? v : "\x01";
}

void restore(const char *name, const std::string &v)
{
    v == "\x01" ? unsetenv(name) : setenv(name, v.c_str(), 1);
}
} // namespace

TEST(Folders, FullPathsAreTidiedAndDotDotIsTheSystems)
{
    // work/lnk leads to real/sub: "lnk/.." is real, as the system reads it.
    std::string dir = tempfolder();
    ASSERT_EQ(mkdir((dir + "/real").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((dir + "/real/sub").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((dir + "/work").c_str(), 0777), 0);
    ASSERT_EQ(symlink("../real/sub", (dir + "/work/lnk").c_str()), 0);
    struct row {
        std::string path, full;
    } rows[] = {
        {"//x///y/", "/x/y"},
        {"/a/./b/.", "/a/b"},
        {"/", "/"},
        {"/a/.hidden/..x", "/a/.hidden/..x"},
        {"/..", "/"},
        {dir + "/work/lnk/../out.glb", dir + "/real/out.glb"},
        {dir + "/work/lnk/../sub/../x/./y", dir + "/real/x/y"},
        {dir + "/work/plain/../x", dir + "/work/plain/../x"}, // no such folder: the open will say so
        {dir + "/work/lnk/..", dir + "/real"},
    };
    for (const row &r : rows)
        EXPECT_EQ(full(r.path.c_str()), r.full) << r.path;
    char cwd[4096];
    ASSERT_EQ(currentdir(cwd, sizeof cwd), 1);
    EXPECT_EQ(full("."), std::string(cwd));
    char small[8];
    const char *why = nullptr;
    EXPECT_EQ(abspath("/a/very/long/path", small, sizeof small, &why), 0);
    EXPECT_STREQ(why, "file name too long");
}

TEST(Folders, ARelativeNameInARemovedWorkingFolderSaysSo)
{
    std::string dir = tempfolder(), gone = dir + "/gone";
    char cwd[4096];
    ASSERT_EQ(currentdir(cwd, sizeof cwd), 1);
    ASSERT_EQ(mkdir(gone.c_str(), 0777), 0);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    ASSERT_EQ(rmdir(gone.c_str()), 0);
    char out[4096];
    const char *why = nullptr;
    EXPECT_EQ(abspath("water.krx", out, sizeof out, &why), 0);
    EXPECT_STREQ(why, "the current folder cannot be read (no such file or directory)");
    ASSERT_EQ(chdir(cwd), 0);
}

TEST(Folders, UserSettingsFile)
{
    struct row {
        const char *xdg, *home; // null: unset
        const char *file;       // null: none
    } rows[] = {
        {"/cfg", "/home/u", "/cfg/kestrix/kestrix.ini"},
        {nullptr, "/home/u", "/home/u/.config/kestrix/kestrix.ini"},
        {"", "/home/u", "/home/u/.config/kestrix/kestrix.ini"},
        {"relative", "/home/u", "/home/u/.config/kestrix/kestrix.ini"}, // only an absolute one counts
        {nullptr, nullptr, nullptr},
        {nullptr, "relative", nullptr},
    };
    std::string xdg = saved("XDG_CONFIG_HOME"), home = saved("HOME");
    for (const row &r : rows) {
        r.xdg ? setenv("XDG_CONFIG_HOME", r.xdg, 1) : unsetenv("XDG_CONFIG_HOME");
        r.home ? setenv("HOME", r.home, 1) : unsetenv("HOME");
        char out[4096];
        int ok = usersettings(out, sizeof out);
        EXPECT_EQ(ok, r.file != nullptr) << (r.xdg ? r.xdg : "(unset)");
        if (ok && r.file) {
            EXPECT_EQ(std::string(out), r.file);
        }
    }
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    char small[10];
    EXPECT_EQ(usersettings(small, sizeof small), 0);
    restore("XDG_CONFIG_HOME", xdg);
    restore("HOME", home);
}

TEST(Folders, ParentsAreMade)
{
    std::string dir = tempfolder();
    EXPECT_EQ(makeparents((dir + "/a/b/c/kestrix.ini").c_str()), 1);
    EXPECT_TRUE(pathexists((dir + "/a/b/c").c_str()));
    EXPECT_FALSE(pathexists((dir + "/a/b/c/kestrix.ini").c_str()));
    EXPECT_EQ(makeparents((dir + "/a/b/c/kestrix.ini").c_str()), 1); // there already
    // A file where a folder must be.
    std::FILE *f = std::fopen((dir + "/file").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const char *why = nullptr;
    EXPECT_EQ(makeparents((dir + "/file/x/kestrix.ini").c_str(), &why), 0);
    EXPECT_STREQ(why, "not a directory");
}

TEST(Folders, AFolderThatCannotBeMadeGivesItsOwnReason)
{
    // The first missing level's reason: not "no such file or directory" of
    // the levels below it.
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder (the end-to-end test injects the failure)";
    std::string dir = tempfolder();
    ASSERT_EQ(mkdir((dir + "/locked").c_str(), 0555), 0);
    const char *why = nullptr;
    EXPECT_EQ(makeparents((dir + "/locked/a/b/kestrix.ini").c_str(), &why), 0);
    EXPECT_STREQ(why, "permission denied");
    chmod((dir + "/locked").c_str(), 0755);
}
