// Output files that appear only whole: each is written to a new temporary
// file beside the chosen name and moved over it only when everything has been
// written, so a failed conversion never destroys or truncates a file.
#pragma once

#include <cstddef>
#include <cstdio>

#include "base/paths.h"

struct outfile {
    FILE *stream;       // text stream to write to, null when not open
    char tmpname[600];  // the temporary file
    char target[PATHSIZE];   // the name it becomes
    char *buffer;       // the stream's buffer, when it has one of its own
};

// Creates a new temporary file in target's folder, opened for text writing.
// Returns 1 on success.
int openout(outfile *f, const char *target);
// Flushes and closes the stream; 1 when every write succeeded.
int closeout(outfile *f);
// Moves the closed temporary file over the target; 1 on success.
int commitout(outfile *f);
// Closes (if open) and removes the temporary file.
void discardout(outfile *f);

// Moves first, then second, into place. When second cannot be moved, the
// file that stood under first's name before comes back (or the new one goes),
// so that a failure leaves both names as they were. Returns 1 on success;
// else *failed is the one that could not be moved.
int commitpair(outfile *first, outfile *second, const outfile **failed);

// What commitpair needs of each platform: setaside moves an existing target
// to a new name in its folder (backup; "" when there was no file), putback
// moves it back over target (with backup "", removes target).
int setaside(const char *target, char *backup, size_t size);
int putback(const char *backup, const char *target);
void removefile(const char *path);

// The files of the conversion under way that an interrupted program must
// clean up: a temporary file (target null) is removed, a file set aside is
// moved back over its target. The names must stay valid until untracked.
void trackfile(const char *name, const char *target);
void untrackfile(const char *name);

// Holds back interruptions (hold 1) while files are made, tracked and moved,
// so that cleaning up never meets a file that is not tracked yet; they
// arrive when released (hold 0).
void holdinterrupts(int hold);

// Cleans up every tracked file; for a program that is interrupted (it only
// removes and renames files, so a signal handler may call it).
void discardpending();
