// The order of the steps that keep outputs whole, the same on every platform:
// what a name may be, which files of one run clash, how one output or a pair
// takes its names under the folder's lock, and what an interrupted program
// undoes. The calls themselves are in outfile_posix.cpp and outfile_win32.cpp.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/folders.h"
#include "platform/outfile_system.h"

namespace {

struct pendingfile {
    const char *volatile name;
    const char *volatile target;
};

// A job has at most three temporary files (the Poser pair and its pose
// file) and as many files set aside; the settings file may be under way at
// the same time.
pendingfile pending[12];

// The files the outputs of this run have, or will have: a second output onto
// one of them would silently replace the first (two descriptions with one
// base name, a mesh named as the figure).
struct claim {
    std::string real;
    fileid id;
    bool known; // id is the file's (it existed, or was committed)
};
std::vector<claim> claims;
bool batch; // committed outputs stay claimed until the program ends

bool sameid(const fileid &a, const fileid &b) { return a.volume == b.volume && a.index == b.index; }

int fail(outfile *f, outerror e, int syserr = 0)
{
    f->error = e;
    f->syserr = syserr;
    f->stdioerr = 0;
    return 0;
}

bool claimed(const char *real, const fileid *id)
{
    for (const claim &c : claims)
        if (c.real == real || (id && c.known && sameid(c.id, *id)))
            return true;
    return false;
}

void unclaim(const char *real)
{
    for (size_t i = 0; i < claims.size(); i++)
        if (claims[i].real == real) {
            claims.erase(claims.begin() + static_cast<long>(i));
            return;
        }
}

void remember(const char *real)
{
    int err;
    for (claim &c : claims)
        if (c.real == real)
            c.known = examinepath(real, &c.id, &err) == KIND_FILE;
}

// Looks at what stands under the output's name now: a file there is kept by
// a backup (replace) or makes it fail (no replace); a name that is not a
// regular file any more is refused. Nothing takes a name yet: both outputs
// of a pair are prepared before either moves, so that their two renames
// follow each other with nothing between. The caller holds the lock and the
// interruptions.
int prepareone(outfile *f, int *replacing)
{
    if (f->tmpname[0] == '\0' || f->stream)
        return fail(f, OUT_SYSTEM, 0);
    if (commithook)
        commithook(f);
    fileid id;
    int err = 0;
    filekind kind = examinepath(f->real, &id, &err);
    if (kind == KIND_ERROR)
        return fail(f, OUT_SYSTEM, err);
    if (kind == KIND_OTHER || kind == KIND_LINK)
        return fail(f, OUT_NOTREGULAR);
    if (kind == KIND_FILE && !f->replace)
        return fail(f, OUT_EXISTS);
    f->backup[0] = '\0';
    f->aside = 0;
    *replacing = kind == KIND_FILE;
    if (*replacing && !makebackup(f))
        return fail(f, OUT_SYSTEM, f->syserr);
    return 1;
}

// The prepared output's temporary file takes its name: one rename and no
// other system call, so that the renames of a set follow each other with
// nothing between (settleclaim comes after them all).
int moveone(outfile *f, int replacing)
{
    if (!movetemp(f, replacing))
        return 0;
    untrackfile(f->tmpname);
    f->tmpname[0] = '\0';
    f->committed = 1;
    return 1;
}

// A committed output's claim: kept with the file's identity in a batch (a
// look at the file), else dropped.
void settleclaim(outfile *f)
{
    if (f->claimed && batch) {
        remember(f->real);
    } else if (f->claimed) {
        unclaim(f->real);
        f->claimed = 0;
    }
}

void dropbackup(outfile *f)
{
    if (f->backup[0])
        removefile(f->backup);
    f->backup[0] = '\0';
}

// A prepared output that did not move: its backup goes, or, when the old file
// was moved aside, comes back under its name.
void unprepare(outfile *f)
{
    if (f->aside)
        restorebackup(f);
    if (!f->undoerr)
        dropbackup(f);
}

// The length of path's folder part, up to its last separator.
size_t folderpart(const char *path)
{
    size_t n = std::strlen(path);
    while (n > 0 && !isseparator(path[n - 1]))
        n--;
    return n;
}

bool samefolder(const outfile *a, const outfile *b)
{
    size_t fa = folderpart(a->real), fb = folderpart(b->real);
    return fa == fb && std::strncmp(a->real, b->real, fa) == 0;
}

// The renames of the outputs' folders reach the disk, each folder once; a
// failure is the commit's, though the names hold the new files.
int syncfolders(outfile *const *files, int n, const outfile **failed)
{
    for (int i = 0; i < n; i++) {
        bool seen = false;
        for (int j = 0; j < i && !seen; j++)
            seen = samefolder(files[i], files[j]);
        int err = 0;
        if (!seen && !syncfolder(files[i]->real, &err)) {
            *failed = files[i];
            return fail(files[i], OUT_SYSTEM, err);
        }
    }
    return 1;
}

// Locks the folders of the outputs, always in the same order, so that two
// runs that lock the same folders cannot wait for each other.
void lockall(outfile *const *files, int n, int *locks)
{
    int order[MAXSET];
    for (int i = 0; i < n; i++)
        order[i] = i;
    for (int i = 1; i < n; i++)
        for (int j = i; j > 0 && std::strcmp(files[order[j - 1]]->real, files[order[j]]->real) > 0; j--)
            std::swap(order[j - 1], order[j]);
    for (int i = 0; i < n; i++)
        locks[order[i]] = lockfolder(files[order[i]]->real);
}

} // namespace

void (*commithook)(const outfile *f);

void trackfile(const char *name, const char *target)
{
    for (pendingfile &p : pending) {
        if (!p.name) {
            p.target = target;
            p.name = name;
            return;
        }
    }
}

void untrackfile(const char *name)
{
    for (pendingfile &p : pending)
        if (p.name == name)
            p.name = nullptr;
}

void discardpending()
{
    for (pendingfile &p : pending) {
        const char *name = p.name;
        if (!name)
            continue;
        if (p.target)
            std::rename(name, p.target);
        else
            removefile(name);
    }
}

int openout(outfile *f, const char *target, int flags)
{
    std::memset(f, 0, sizeof *f);
    f->replace = (flags & OUT_REPLACE) != 0;
    // A name that does not fit whole would be moved onto a shorter one.
    if (std::snprintf(f->target, sizeof f->target, "%s", target) >= static_cast<int>(sizeof f->target)) {
        fail(f, OUT_SYSTEM);
        f->stdioerr = ENAMETOOLONG;
        return 0;
    }
    int untrusted = 0;
    if (!followlinks(target, f->real, sizeof f->real, &untrusted))
        return untrusted ? fail(f, OUT_UNTRUSTED) : fail(f, OUT_SYSTEM, lastsyserr());
    fileid id;
    int err = 0;
    filekind kind = examinepath(f->real, &id, &err);
    if (kind == KIND_ERROR)
        return fail(f, OUT_SYSTEM, err);
    if (kind == KIND_OTHER)
        return fail(f, OUT_NOTREGULAR);
    if (kind == KIND_NONE && std::strcmp(f->real, target) != 0)
        return fail(f, OUT_DANGLING);
    if (kind == KIND_LINK) // links that loop, or lead too far
        return fail(f, OUT_SYSTEM, err);
    bool claim = !(flags & OUT_REWRITE);
    if (claim && claimed(f->real, kind == KIND_FILE ? &id : nullptr))
        return fail(f, OUT_CLASH);
    if (kind == KIND_FILE && !f->replace)
        return fail(f, OUT_EXISTS);
    if (!opentemp(f, kind == KIND_FILE)) {
        discardout(f);
        return fail(f, OUT_SYSTEM, f->syserr);
    }
    if (claim)
        claims.push_back({f->real, id, kind == KIND_FILE});
    f->claimed = claim;
    return 1;
}

int closeout(outfile *f)
{
    if (!f->stream)
        return fail(f, OUT_SYSTEM, 0);
    // A failed write leaves the C library's reason in errno.
    errno = 0;
    int ok = std::fflush(f->stream) == 0 && !std::ferror(f->stream);
    int err = errno;
    if (ok && !syncfile(f)) {
        // The system's reason, not the C library's.
        std::fclose(f->stream);
        f->stream = nullptr;
        std::free(f->buffer);
        f->buffer = nullptr;
        return fail(f, OUT_SYSTEM, f->syserr);
    }
    if (std::fclose(f->stream) != 0 && ok) {
        ok = 0;
        err = errno;
    }
    f->stream = nullptr;
    std::free(f->buffer);
    f->buffer = nullptr;
    if (ok)
        return 1;
    fail(f, OUT_SYSTEM);
    f->stdioerr = err ? err : EIO;
    return 0;
}

int commitout(outfile *f)
{
    int lock = lockfolder(f->real);
    holdinterrupts(1);
    int replacing = 0;
    int ok = prepareone(f, &replacing);
    if (ok && !moveone(f, replacing)) {
        unprepare(f);
        ok = 0;
    }
    if (ok)
        settleclaim(f);
    const outfile *failed = f;
    if (ok)
        ok = syncfolders(&f, 1, &failed);
    if (!f->undoerr)
        dropbackup(f);
    holdinterrupts(0);
    unlockhandle(lock);
    return ok;
}

void discardout(outfile *f)
{
    if (f->stream) {
        std::fclose(f->stream);
        f->stream = nullptr;
    }
    std::free(f->buffer);
    f->buffer = nullptr;
    if (f->tmpname[0]) {
        removefile(f->tmpname);
        untrackfile(f->tmpname);
        f->tmpname[0] = '\0';
    }
    if (!f->committed && f->claimed)
        unclaim(f->real);
    f->claimed = 0;
}

int commitset(outfile *const *files, int n, const outfile **failed)
{
    if (n < 1 || n > MAXSET) {
        *failed = files[0];
        return fail(files[0], OUT_SYSTEM, EINVAL);
    }
    int locks[MAXSET], replacing[MAXSET] = {};
    lockall(files, n, locks);
    holdinterrupts(1);
    int ok = 1;
    for (int i = 0; i < n && ok; i++) {
        *failed = files[i];
        ok = prepareone(files[i], &replacing[i]);
        if (!ok)
            for (int j = 0; j < i; j++)
                unprepare(files[j]);
    }
    for (int i = 0; i < n && ok; i++) {
        *failed = files[i];
        ok = moveone(files[i], replacing[i]);
        if (!ok) {
            for (int j = i; j < n; j++)
                unprepare(files[j]);
            // Back to how it was: the old files, or none. When that fails
            // too, the new file stays (committed), and so does the backup
            // that holds the old one, for the message to name.
            for (int j = i - 1; j >= 0; j--)
                if (restorebackup(files[j]))
                    files[j]->committed = 0;
        }
    }
    bool touched = false;
    for (int i = 0; i < n; i++) {
        if (ok)
            settleclaim(files[i]);
        touched = touched || files[i]->committed || files[i]->undoerr;
    }
    if (touched) {
        const outfile *unsynced = nullptr;
        if (!syncfolders(files, n, &unsynced) && ok) {
            ok = 0;
            *failed = unsynced;
        }
    }
    for (int i = 0; i < n; i++)
        if (!files[i]->undoerr)
            dropbackup(files[i]);
    holdinterrupts(0);
    for (int i = n - 1; i >= 0; i--)
        unlockhandle(locks[i]);
    if (ok)
        *failed = nullptr;
    return ok;
}

int commitpair(outfile *first, outfile *second, const outfile **failed)
{
    outfile *files[] = {first, second};
    return commitset(files, 2, failed);
}

const char *commitstate(const outfile *f)
{
    static char text[800];
    if (!f->committed)
        return "";
    if (f->undoerr && f->backup[0])
        std::snprintf(text, sizeof text,
                      "it holds the new file; the old one could not be put back (%s) and is kept as %s",
                      systemreason(f->undoerr), f->backup);
    else if (f->undoerr)
        std::snprintf(
            text, sizeof text,
            "it holds the new file, which could not be removed again (%s); no file stood there before",
            systemreason(f->undoerr));
    else
        std::snprintf(text, sizeof text, "it holds the new file, which may not survive a power loss");
    return text;
}

const char *outreason(const outfile *f)
{
    switch (f->error) {
    case OUT_FINE:
        return "no error";
    case OUT_EXISTS:
        return "a file of this name exists already";
    case OUT_NOTREGULAR:
        return "not a regular file";
    case OUT_DANGLING:
        return "a symbolic link to a file that does not exist";
    case OUT_CLASH:
        return "another output of this run has this name";
    case OUT_UNTRUSTED:
        return UNTRUSTEDLINK;
    case OUT_SYSTEM:
        break;
    }
    if (f->stdioerr)
        return errnoreason(f->stdioerr);
    return f->syserr ? systemreason(f->syserr) : "the system refused";
}

const char UNTRUSTEDLINK[] =
    "a symbolic link of another user in a folder every user may write (sticky), not followed";

const char *errnoreason(int err)
{
    static char text[128];
    std::snprintf(text, sizeof text, "%s", std::strerror(err));
    // "Permission denied" reads as "permission denied" after a path.
    if (text[0] >= 'A' && text[0] <= 'Z' && !(text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

int lockfolderof(const char *path)
{
    char real[600];
    return followlinks(path, real, sizeof real) ? lockfolder(real) : -1;
}

void unlockfolder(int handle) { unlockhandle(handle); }

const char *lastsystemreason() { return systemreason(lastsyserr()); }

void beginbatch() { batch = true; }

void endbatch()
{
    batch = false;
    claims.clear();
}

int claimedoutput(const char *target)
{
    char real[600];
    fileid id;
    int err;
    if (!followlinks(target, real, sizeof real))
        return 0;
    return claimed(real, examinepath(real, &id, &err) == KIND_FILE ? &id : nullptr);
}
