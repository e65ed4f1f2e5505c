// What the output layer needs of each platform: the few calls that differ
// between POSIX (outfile_posix.cpp) and Win32 (outfile_win32.cpp). The order
// of the steps, the checks and the bookkeeping are the same everywhere
// (outfile_pair.cpp).
#pragma once

#include <cstddef>

#include "platform/outfile.h"

// One file's identity on its volume, to find two names of one file.
struct fileid {
    unsigned long long volume, index;
};

enum filekind { KIND_NONE, KIND_FILE, KIND_OTHER, KIND_LINK, KIND_ERROR };

// What stands at path, links not followed; id filled for KIND_FILE; syserr
// filled for KIND_ERROR.
filekind examinepath(const char *path, fileid *id, int *syserr);

// Creates f->tmpname beside f->real (new, exclusive, never through a link),
// with the permissions of the file it replaces (existing 1) or those of a new
// file, and opens f->stream on it. 1 on success, else f->syserr is set.
int opentemp(outfile *f, int existing);

// Keeps the file at f->real under a new hidden name, f->backup, by a hard
// link (or, where the file system has none, by moving it: f->aside is set).
// 1 on success.
int makebackup(outfile *f);

// Puts the finished temporary file's contents on the disk before it takes
// its name: a power loss after the rename must not find an empty file under
// it. 1 on success, else f->syserr is set.
int syncfile(outfile *f);

// Puts the names of path's folder (the renames made in it) on the disk.
// 0 with the system's error number in *syserr when that fails.
int syncfolder(const char *path, int *syserr);

// Gives f->tmpname the name f->real: over the file there (replacing 1), or
// only while nothing is there (replacing 0; EEXIST-like failures become
// OUT_EXISTS). 1 on success, else f->error and f->syserr are set.
int movetemp(outfile *f, int replacing);

// Puts f->backup back under f->real, or removes f->real when there was none.
// 1 on success (f->backup is then ""), else 0 with f->undoerr set and
// f->backup kept.
int restorebackup(outfile *f);

void removefile(const char *path);

// The exclusive lock of path's folder; a handle for unlock, -1 for none.
int lockfolder(const char *path);
void unlockhandle(int handle);

// The system's error number of the last failed call.
int lastsyserr();
// A few words for a system error number, lower case.
const char *systemreason(int syserr);

// For the tests only: called as each output's commit begins (under the lock,
// before anything is looked at), so that a test can place a race exactly
// there. Null in the programs.
extern void (*commithook)(const outfile *f);
