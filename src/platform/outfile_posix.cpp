#include "platform/outfile.h"

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

// The temporary files of the conversion under way (a job has two), so that an
// interrupted program can remove them.
const char *volatile pending[4];

void track(const char *name, bool on)
{
    for (const char *volatile &slot : pending) {
        if (on ? slot == nullptr : slot == name) {
            slot = on ? name : nullptr;
            return;
        }
    }
}

} // namespace

int openout(outfile *f, const char *target)
{
    f->stream = nullptr;
    f->buffer = nullptr;
    f->tmpname[0] = '\0';
    // A name that does not fit whole would be moved onto a shorter one.
    if (std::snprintf(f->target, sizeof f->target, "%s", target) >= static_cast<int>(sizeof f->target))
        return 0;
    if (std::snprintf(f->tmpname, sizeof f->tmpname, "%s.XXXXXX", target) >=
        static_cast<int>(sizeof f->tmpname)) {
        f->tmpname[0] = '\0';
        return 0;
    }
    int fd = mkstemp(f->tmpname);
    if (fd < 0) {
        f->tmpname[0] = '\0';
        return 0;
    }
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
    track(f->tmpname, true);
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
    track(f->tmpname, false);
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
        track(f->tmpname, false);
        std::remove(f->tmpname);
        f->tmpname[0] = '\0';
    }
}

void discardpending()
{
    for (const char *volatile &slot : pending)
        if (const char *name = slot)
            unlink(name);
}
