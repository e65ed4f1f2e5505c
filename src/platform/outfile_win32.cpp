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

// The temporary files of the conversion under way (a job has two), so that an
// interrupted program can remove them.
static const char *volatile pending[4];

static void track(const char *name, bool on)
{
    for (const char *volatile &slot : pending) {
        if (on ? slot == NULL : slot == name) {
            slot = on ? name : NULL;
            return;
        }
    }
}

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

int openout(outfile *f, const char *target)
{
    clearout(f);
    f->target[0] = '\0';
    size_t len = std::strlen(target);
    if (len == 0 || len >= sizeof f->target)
        return 0;
    std::memcpy(f->target, target, len + 1);

    size_t dirlen = folderlength(target);
    static unsigned serial;
    unsigned seed = (unsigned)GetCurrentProcessId() * 2654435761u ^ (unsigned)GetTickCount();
    for (int attempt = 0; attempt < 100; attempt++) {
        unsigned tag = seed + 0x9e3779b9u * ++serial;
        // The folder is at most 255 characters and the name adds 15.
        std::memcpy(f->tmpname, target, dirlen);
        std::snprintf(f->tmpname + dirlen, sizeof f->tmpname - dirlen, "~kx%08x.tmp", tag);
        int fd = _open(f->tmpname, _O_CREAT | _O_EXCL | _O_WRONLY | _O_TEXT, _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        f->stream = _fdopen(fd, "w");
        if (f->stream) {
            track(f->tmpname, true);
            return 1;
        }
        _close(fd);
        DeleteFileA(f->tmpname);
        break;
    }
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
    track(f->tmpname, false);
    f->tmpname[0] = '\0';
    return 1;
}

void discardout(outfile *f)
{
    if (f->stream)
        std::fclose(f->stream);
    if (f->tmpname[0]) {
        track(f->tmpname, false);
        DeleteFileA(f->tmpname);
    }
    clearout(f);
}

void discardpending()
{
    for (const char *volatile &slot : pending)
        if (const char *name = slot)
            DeleteFileA(name);
}
