// Windows has no descriptor to look at before the open: the name is looked
// at first (a folder cannot be opened as a file at all, and would only give
// "permission denied").
#include "platform/infile.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

int openinput(const char *path, inputkind *kind)
{
    struct _stat64 st;
    if (_stat64(path, &st) != 0)
        return -1;
    *kind = inputkindof(st.st_mode);
    if (*kind != INPUT_FILE)
        return -2;
    return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

void closeinput(int fd)
{
    int e = errno;
    _close(fd);
    errno = e;
}
