// Whole-or-nothing output files on Windows. The temporary file is made in the
// target's own folder, so that the final move stays on one volume, and it is
// opened in text mode: every "\n" written becomes CR LF, as Windows readers of
// OBJ and CR2 files expect.
#include "platform/outfile.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

static void clearout(outfile *f)
{
    f->stream = NULL;
    f->tmpname[0] = '\0';
}

// Length of the folder part of path, separator included ("" for a bare name,
// "C:" for a name relative to a drive's current folder).
static size_t folderlength(const char *path)
{
    size_t n = std::strlen(path);
    while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/' && path[n - 1] != ':')
        n--;
    return n;
}

// Creates a new file with a short name of its own in target's folder and
// returns its handle (INVALID_HANDLE_VALUE on failure). Other handles may
// delete it while it is open: an interrupted program removes its temporary
// files from the thread that handles Ctrl-C.
static HANDLE maketemp(const char *target, char *name, size_t size)
{
    size_t dirlen = folderlength(target);
    static unsigned serial;
    unsigned seed = (unsigned)GetCurrentProcessId() * 2654435761u ^ (unsigned)GetTickCount();
    for (int attempt = 0; attempt < 100 && dirlen + 16 <= size; attempt++) {
        unsigned tag = seed + 0x9e3779b9u * ++serial;
        std::memcpy(name, target, dirlen);
        std::snprintf(name + dirlen, size - dirlen, "~kx%08x.tmp", tag);
        HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    name[0] = '\0';
    return INVALID_HANDLE_VALUE;
}

// Ctrl-C is handled on a thread of its own on Windows; the window in which
// it could meet an untracked file is a few calls wide.
void holdinterrupts(int) {}

int openout(outfile *f, const char *target)
{
    clearout(f);
    f->target[0] = '\0';
    size_t len = std::strlen(target);
    if (len == 0 || len >= sizeof f->target)
        return 0;
    std::memcpy(f->target, target, len + 1);

    HANDLE h = maketemp(target, f->tmpname, sizeof f->tmpname);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    // Text mode: every "\n" written becomes CR LF.
    int fd = _open_osfhandle((intptr_t)h, _O_WRONLY | _O_TEXT);
    if (fd < 0) {
        CloseHandle(h);
    } else {
        f->stream = _fdopen(fd, "w");
        if (f->stream) {
            trackfile(f->tmpname, NULL);
            return 1;
        }
        _close(fd);
    }
    DeleteFileA(f->tmpname);
    f->tmpname[0] = '\0';
    return 0;
}

int closeout(outfile *f)
{
    if (!f->stream)
        return 0;
    int ok = std::fflush(f->stream) == 0 && !std::ferror(f->stream);
    if (std::fclose(f->stream) != 0)
        ok = 0;
    f->stream = NULL;
    return ok;
}

int commitout(outfile *f)
{
    if (f->stream || !f->tmpname[0])
        return 0;
    if (!MoveFileExA(f->tmpname, f->target, MOVEFILE_REPLACE_EXISTING))
        return 0;
    untrackfile(f->tmpname);
    f->tmpname[0] = '\0';
    return 1;
}

void discardout(outfile *f)
{
    if (f->stream)
        std::fclose(f->stream);
    if (f->tmpname[0]) {
        DeleteFileA(f->tmpname);
        untrackfile(f->tmpname);
    }
    clearout(f);
}

int setaside(const char *target, char *backup, size_t size)
{
    backup[0] = '\0';
    if (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES)
        return 1;
    HANDLE h = maketemp(target, backup, size);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    if (!MoveFileExA(target, backup, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(backup);
        backup[0] = '\0';
        return 0;
    }
    return 1;
}

int putback(const char *backup, const char *target)
{
    if (!backup[0])
        return DeleteFileA(target) != 0;
    return MoveFileExA(backup, target, MOVEFILE_REPLACE_EXISTING) != 0;
}

void removefile(const char *path) { DeleteFileA(path); }
