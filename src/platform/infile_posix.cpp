#include "platform/infile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int openinput(const char *path, inputkind *kind)
{
    // Opened without waiting (a FIFO with no writer would block the open
    // itself) and looked at through the descriptor, so that what is looked
    // at is what is read.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        closeinput(fd);
        return -1;
    }
    *kind = inputkindof(st.st_mode);
    if (*kind != INPUT_FILE) {
        closeinput(fd);
        return -2;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void closeinput(int fd)
{
    int e = errno;
    close(fd);
    errno = e;
}
