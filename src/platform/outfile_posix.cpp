// The output layer's system calls on POSIX: mkstemp beside the target (an
// exclusive create, which never follows a link), hard links for backups,
// rename to commit over a file, renameat2(RENAME_NOREPLACE) (or link and
// unlink where that is missing) to commit where no file may be replaced, and
// flock on the folder as the lock of a commit.
#include "platform/outfile_system.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

enum { OUTBUFFER = 256 * 1024 };

// The folder part of path, slash included ("" for a bare name).
int folderlength(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    return slash ? static_cast<int>(slash - path + 1) : 0;
}

// A new, empty file with a short name of its own in path's folder (a long
// target name plus a suffix could pass the file system's limit).
int maketemp(const char *path, char *name, size_t size)
{
    if (std::snprintf(name, size, "%.*s.kestrix-XXXXXX", folderlength(path), path) >=
        static_cast<int>(size)) {
        name[0] = '\0';
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = mkstemp(name);
    if (fd < 0)
        name[0] = '\0';
    return fd;
}

// A new name of our own in path's folder that is a hard link to path.
int linkbeside(const char *path, char *name, size_t size)
{
    for (int attempt = 0; attempt < 100; attempt++) {
        int fd = maketemp(path, name, size);
        if (fd < 0)
            return 0;
        // mkstemp only finds a free name; link needs it free again.
        close(fd);
        unlink(name);
        if (link(path, name) == 0)
            return 1;
        if (errno != EEXIST) {
            name[0] = '\0';
            return 0;
        }
    }
    name[0] = '\0';
    return 0;
}

// The kernel's rule for links in sticky folders that every user may write
// (fs.protected_symlinks), applied whatever the system's setting, since the
// layer follows links itself and the kernel never sees them: there, a link
// is followed only when the caller or the folder's owner owns it, so that
// another user's planted link cannot lead a run onto a file of the caller's.
bool trustedlink(const char *link)
{
    struct stat ls, fs;
    if (lstat(link, &ls) != 0 || ls.st_uid == geteuid())
        return true;
    char folder[4096];
    int n = folderlength(link);
    std::snprintf(folder, sizeof folder, "%.*s", n > 1 ? n - 1 : n, n ? link : ".");
    if (stat(folder, &fs) != 0)
        return true;
    bool shared = (fs.st_mode & S_ISVTX) && (fs.st_mode & S_IWOTH);
    return !shared || ls.st_uid == fs.st_uid;
}

// A copy of path under a new name of our own in its folder, with its
// permissions: the backup of a file that may not be linked (a hard link to
// another user's file is refused under fs.protected_hardlinks), so that its
// name never goes missing. The file is opened without following a link.
int copybeside(const char *path, char *name, size_t size)
{
    int in = open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return 0;
    int out = maketemp(path, name, size);
    struct stat st;
    int ok = out >= 0 && fstat(in, &st) == 0;
    char buf[65536];
    ssize_t n = 0;
    while (ok && (n = read(in, buf, sizeof buf)) > 0)
        for (ssize_t done = 0, w; ok && done < n; done += w)
            ok = (w = write(out, buf + done, static_cast<size_t>(n - done))) > 0;
    ok = ok && n == 0 && fchmod(out, st.st_mode & 07777) == 0;
    int err = errno;
    close(in);
    if (out >= 0)
        close(out);
    if (!ok && name[0]) {
        unlink(name);
        name[0] = '\0';
    }
    errno = err;
    return ok;
}

// Whether this folder's file system makes hard links: one to our own
// temporary file (always allowed where links exist) is made and removed.
bool linksinfolder(const char *own)
{
    char probe[600];
    if (!linkbeside(own, probe, sizeof probe))
        return false;
    unlink(probe);
    return true;
}

int renamenoreplace(const char *from, const char *to)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
#endif
    // link fails when the name is taken: the same promise in two calls.
    if (link(from, to) != 0)
        return -1;
    unlink(from);
    return 0;
}

int renameover(const char *from, const char *to)
{
#ifdef SYS_renameat2
    // The same system call as the one that cannot replace (the C library's
    // renameat2 makes another of it without flags), so that every commit of
    // the layer is one kind of call: the tests place faults by it.
    if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0) == 0)
        return 0;
    if (errno != ENOSYS)
        return -1;
#endif
    return std::rename(from, to);
}

// Folder locks this process holds: flock locks belong to an open file, so a
// second open of a folder locked already would wait for itself.
struct heldlock {
    dev_t dev;
    ino_t ino;
    int fd;
    int count;
};
heldlock held[8];

} // namespace

filekind examinepath(const char *path, fileid *id, int *syserr)
{
    struct stat st;
    if (lstat(path, &st) != 0) {
        *syserr = errno;
        return errno == ENOENT ? KIND_NONE : KIND_ERROR;
    }
    id->volume = st.st_dev;
    id->index = st.st_ino;
    if (S_ISLNK(st.st_mode))
        return KIND_LINK;
    return S_ISREG(st.st_mode) ? KIND_FILE : KIND_OTHER;
}

int followlinks(const char *path, char *real, size_t size, int *untrusted)
{
    if (untrusted)
        *untrusted = 0;
    if (std::snprintf(real, size, "%s", path) >= static_cast<int>(size))
        return 0;
    for (int hops = 0; hops < 40; hops++) {
        char to[4096];
        ssize_t n = readlink(real, to, sizeof to - 1);
        if (n < 0)
            return 1; // not a link (or nothing): the name itself
        to[n] = '\0';
        if (!trustedlink(real)) {
            if (untrusted)
                *untrusted = 1;
            errno = EACCES;
            return 0;
        }
        char next[4096];
        int len = to[0] == '/' ? std::snprintf(next, sizeof next, "%s", to)
                               : std::snprintf(next, sizeof next, "%.*s%s", folderlength(real), real, to);
        if (len >= static_cast<int>(sizeof next) ||
            std::snprintf(real, size, "%s", next) >= static_cast<int>(size))
            return 0;
    }
    errno = ELOOP;
    return 0;
}

void holdinterrupts(int hold)
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        sigaddset(&set, sig);
    sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

namespace {

extern "C" void interrupted(int sig)
{
    discardpending();
    signal(sig, SIG_DFL);
    raise(sig);
}

} // namespace

void catchinterrupts()
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        signal(sig, interrupted);
    // Past a file size limit a write must fail, so that the job reports it
    // and removes its temporary file, instead of the signal killing it.
    signal(SIGXFSZ, SIG_IGN);
}

int opentemp(outfile *f, int existing)
{
    // f->real is where the links led: a link there now was swapped in
    // meanwhile, and its file is not looked at (the commit refuses it).
    struct stat st;
    int keep = existing && lstat(f->real, &st) == 0 && S_ISREG(st.st_mode);
    holdinterrupts(1);
    int fd = maketemp(f->real, f->tmpname, sizeof f->tmpname);
    if (fd >= 0)
        trackfile(f->tmpname, nullptr);
    holdinterrupts(0);
    if (fd < 0) {
        f->syserr = errno;
        return 0;
    }
    // A file with other permissions (mkstemp makes 0600) would replace the
    // old one in silence: a failure here fails the output.
    int ok;
    if (keep) {
        // The replaced file's owner and group, then its permissions. Root
        // alone can give a file away: another user's new file is theirs, in
        // the replaced file's group where they belong to it (a failure there
        // is the answer, not a fault).
        ok = 1;
        if (geteuid() == 0 && (st.st_uid != 0 || st.st_gid != getegid()))
            ok = fchown(fd, st.st_uid, st.st_gid) == 0;
        else if (geteuid() != 0 && st.st_gid != getegid())
            (void)!fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        ok = ok && fchmod(fd, st.st_mode & 07777) == 0;
    } else {
        // The permissions any new file of the user gets.
        mode_t mask = umask(0);
        umask(mask);
        ok = fchmod(fd, 0666 & ~mask) == 0;
    }
    if (!ok) {
        f->syserr = errno;
        close(fd);
        return 0;
    }
    f->stream = fdopen(fd, "w");
    if (!f->stream) {
        f->syserr = errno;
        close(fd);
        return 0;
    }
    // A figure file runs to megabytes: write it in large pieces, not in
    // pieces of the file system's block size (stdio's own choice).
    f->buffer = static_cast<char *>(std::malloc(OUTBUFFER));
    if (f->buffer)
        std::setvbuf(f->stream, f->buffer, _IOFBF, OUTBUFFER);
    return 1;
}

int makebackup(outfile *f)
{
    f->aside = 0;
    if (linkbeside(f->real, f->backup, sizeof f->backup))
        return 1;
    int err = errno;
    // A link refused where links exist (another user's file under
    // fs.protected_hardlinks, or too many links to it): a copy keeps the old
    // file instead, its name never empty; one that cannot be made fails the
    // output with the link's reason.
    if ((err == EPERM || err == EMLINK) && (err == EMLINK || linksinfolder(f->tmpname))) {
        if (copybeside(f->real, f->backup, sizeof f->backup))
            return 1;
        f->backup[0] = '\0';
        f->syserr = err;
        return 0;
    }
    // A file system without hard links (even our own file cannot be linked,
    // as on FAT): the old file is moved aside, and its name is empty until
    // the new file takes it.
    if (err == EPERM || err == ENOTSUP || err == ENOSYS) {
        int fd = maketemp(f->real, f->backup, sizeof f->backup);
        if (fd >= 0) {
            close(fd);
            if (std::rename(f->real, f->backup) == 0) {
                f->aside = 1;
                return 1;
            }
            err = errno;
            unlink(f->backup);
        }
    }
    f->backup[0] = '\0';
    f->syserr = err;
    return 0;
}

int syncfile(outfile *f)
{
    // EINVAL: a file that cannot be synchronised (none of ours is one, but
    // a file system may say so of all its files); nothing more to do there.
    if (fsync(fileno(f->stream)) == 0 || errno == EINVAL)
        return 1;
    f->syserr = errno;
    return 0;
}

int syncfolder(const char *path, int *syserr)
{
    char folder[600];
    int n = folderlength(path);
    // A bare name lives in the working folder.
    if (n == 0)
        std::snprintf(folder, sizeof folder, ".");
    else
        std::snprintf(folder, sizeof folder, "%.*s", n > 1 ? n - 1 : n, path);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // A folder that may be written but not read (mode 0333) cannot be
        // opened to be flushed; its names reach the disk with the journal's
        // next commit.
        if (errno == EACCES)
            return 1;
        *syserr = errno;
        return 0;
    }
    int ok = fsync(fd) == 0 || errno == EINVAL;
    if (!ok)
        *syserr = errno;
    close(fd);
    return ok;
}

int movetemp(outfile *f, int replacing)
{
    int r = replacing ? renameover(f->tmpname, f->real) : renamenoreplace(f->tmpname, f->real);
    if (r == 0)
        return 1;
    f->syserr = errno;
    f->error = !replacing && errno == EEXIST ? OUT_EXISTS : OUT_SYSTEM;
    return 0;
}

int restorebackup(outfile *f)
{
    int ok = f->backup[0] ? renameover(f->backup, f->real) == 0 : unlink(f->real) == 0;
    if (!ok) {
        f->undoerr = errno;
        return 0;
    }
    f->backup[0] = '\0';
    f->aside = 0;
    return 1;
}

void removefile(const char *path) { unlink(path); }

int lockfolder(const char *path)
{
    char folder[600];
    int n = folderlength(path);
    // A bare name lives in the working folder.
    if (n == 0)
        std::snprintf(folder, sizeof folder, ".");
    else
        std::snprintf(folder, sizeof folder, "%.*s", n > 1 ? n - 1 : n, path);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return -1;
    }
    int freeslot = -1;
    for (int i = 0; i < 8; i++) {
        if (held[i].count > 0 && held[i].dev == st.st_dev && held[i].ino == st.st_ino) {
            close(fd);
            held[i].count++;
            return i;
        }
        if (held[i].count == 0 && freeslot < 0)
            freeslot = i;
    }
    // A file system without locks still gets its files whole; only parallel
    // runs lose their order.
    if (freeslot < 0 || flock(fd, LOCK_EX) != 0) {
        close(fd);
        return -1;
    }
    held[freeslot] = {st.st_dev, st.st_ino, fd, 1};
    return freeslot;
}

void unlockhandle(int handle)
{
    if (handle < 0 || handle >= 8 || held[handle].count == 0)
        return;
    if (--held[handle].count == 0)
        close(held[handle].fd); // closing the last descriptor drops the lock
}

int samefile(const char *a, const char *b)
{
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int lastsyserr() { return errno; }

const char *systemreason(int syserr) { return errnoreason(syserr); }
