// Two outputs that belong together (a figure and its mesh) replace what stood
// under their names together or not at all; and what an interrupted program
// leaves half done is undone.
#include "platform/outfile.h"

namespace {

struct pendingfile {
    const char *volatile name;
    const char *volatile target;
};

// A job has two temporary files and at most one file set aside.
pendingfile pending[4];

} // namespace

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
            putback(name, p.target);
        else
            removefile(name);
    }
}

namespace {

int commit(outfile *first, outfile *second, const outfile **failed)
{
    char backup[600];
    *failed = first;
    if (!setaside(first->target, backup, sizeof backup))
        return 0;
    if (backup[0])
        trackfile(backup, first->target);
    int ok = commitout(first);
    if (ok) {
        *failed = second;
        // Interrupted now, a new file with no old one behind it just goes.
        if (!backup[0])
            trackfile(first->target, nullptr);
        ok = commitout(second);
        if (!backup[0])
            untrackfile(first->target);
    }
    if (backup[0])
        untrackfile(backup);
    if (!ok) {
        // Back to how it was: the old file, or none.
        if (backup[0] || *failed == second)
            putback(backup, first->target);
        return 0;
    }
    if (backup[0])
        removefile(backup);
    *failed = nullptr;
    return 1;
}

} // namespace

int commitpair(outfile *first, outfile *second, const outfile **failed)
{
    holdinterrupts(1);
    int ok = commit(first, second, failed);
    holdinterrupts(0);
    return ok;
}
