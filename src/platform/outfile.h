// Output files that appear only whole: each is written to a new temporary
// file beside the chosen name and moved over it only when everything has been
// written, so a failed conversion never destroys or truncates a file.
#pragma once

#include <cstdio>

struct outfile {
    FILE *stream;       // text stream to write to, null when not open
    char tmpname[600];  // the temporary file
    char target[256];   // the name it becomes
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

// Removes every temporary file not yet moved into place; for a program that
// is interrupted (it only deletes files, so a signal handler may call it).
void discardpending();
