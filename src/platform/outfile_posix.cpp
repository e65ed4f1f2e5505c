#include "platform/outfile.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum { OUTBUFFER = 256 * 1024 };

void freebuffer(outfile *f)
{
    std::free(f->buffer);
    f->buffer = nullptr;
}

// Creates a new, empty file with a short name of its own in target's folder
// (a long target name plus a suffix could pass the file system's limit).
// Returns its descriptor, or -1.
int maketemp(const char *target, char *name, size_t size)
{
    const char *slash = std::strrchr(target, '/');
    int folder = slash ? static_cast<int>(slash - target + 1) : 0;
    if (std::snprintf(name, size, "%.*s.kestrix-XXXXXX", folder, target) >= static_cast<int>(size)) {
        name[0] = '\0';
        return -1;
    }
    int fd = mkstemp(name);
    if (fd < 0)
        name[0] = '\0';
    return fd;
}

} // namespace

void holdinterrupts(int hold)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

int openout(outfile *f, const char *target)
{
    f->stream = nullptr;
    f->buffer = nullptr;
    f->tmpname[0] = '\0';
    // A name that does not fit whole would be moved onto a shorter one.
    if (std::snprintf(f->target, sizeof f->target, "%s", target) >= static_cast<int>(sizeof f->target))
        return 0;
    holdinterrupts(1);
    int fd = maketemp(target, f->tmpname, sizeof f->tmpname);
    if (fd >= 0)
        trackfile(f->tmpname, nullptr);
    holdinterrupts(0);
    if (fd < 0)
        return 0;
    // mkstemp makes a private file; the output should get the permissions
    // any new file of the user gets.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    f->stream = fdopen(fd, "w");
    if (!f->stream) {
        close(fd);
        std::remove(f->tmpname);
        f->tmpname[0] = '\0';
        return 0;
    }
    // A figure file runs to megabytes: write it in large pieces, not in
    // pieces of the file system's block size (stdio's own choice).
    f->buffer = static_cast<char *>(std::malloc(OUTBUFFER));
    if (f->buffer)
        std::setvbuf(f->stream, f->buffer, _IOFBF, OUTBUFFER);
    return 1;
}

int closeout(outfile *f)
{
    if (!f->stream)
        return 0;
    int ok = std::fflush(f->stream) == 0 && !std::ferror(f->stream);
    ok = (std::fclose(f->stream) == 0) && ok;
    f->stream = nullptr;
    freebuffer(f);
    return ok;
}

int commitout(outfile *f)
{
    if (f->tmpname[0] == '\0' || f->stream)
        return 0;
    if (std::rename(f->tmpname, f->target) != 0)
        return 0;
    untrackfile(f->tmpname);
    f->tmpname[0] = '\0';
    return 1;
}

void discardout(outfile *f)
{
    if (f->stream) {
        std::fclose(f->stream);
        f->stream = nullptr;
        freebuffer(f);
    }
    if (f->tmpname[0]) {
        std::remove(f->tmpname);
        untrackfile(f->tmpname);
        f->tmpname[0] = '\0';
    }
}

int setaside(const char *target, char *backup, size_t size)
{
    backup[0] = '\0';
    struct stat st;
    if (lstat(target, &st) != 0)
        return 1;
    int fd = maketemp(target, backup, size);
    if (fd < 0)
        return 0;
    close(fd);
    if (std::rename(target, backup) != 0) {
        unlink(backup);
        backup[0] = '\0';
        return 0;
    }
    return 1;
}

int putback(const char *backup, const char *target)
{
    if (!backup[0])
        return unlink(target) == 0;
    return std::rename(backup, target) == 0;
}

void removefile(const char *path) { unlink(path); }
