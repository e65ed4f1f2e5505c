// Output files that appear only whole, for every program (the Poser pair, the
// .glb, the importer's description, kestrix.ini). Each output is written to a
// new temporary file beside the file it becomes and takes that name with one
// rename only when everything has been written; a file it replaces is kept by
// a hard link until the whole conversion is in place, so no name ever goes
// missing. A name that no file held when it was opened is committed with a
// call that cannot replace: a file that appears meanwhile survives.
//
// What a name may be: a regular file, or nothing. A symbolic link is followed
// and the file it leads to is replaced, as editors do (the link stays a link),
// unless another user planted it in a shared sticky folder (see followlinks);
// a link that leads nowhere, a folder, a device, a pipe or a socket is refused,
// with or without replace.
#pragma once

#include <cstddef>
#include <cstdio>

#include "base/paths.h"

enum outerror {
    OUT_FINE = 0,
    OUT_EXISTS,     // a file stands under the name and replace was not given
    OUT_NOTREGULAR, // the name is a folder, device, pipe or socket
    OUT_DANGLING,   // the name is a symbolic link to nothing
    OUT_CLASH,      // another output of this run has (or had) the same file
    OUT_UNTRUSTED,  // a link of another user in a shared sticky folder
    OUT_SYSTEM      // the system refused; syserr says why
};

struct outfile {
    FILE *stream;          // text (or binary) stream to write to, null when not open
    char target[PATHSIZE]; // the name as chosen; messages name it
    char real[600];        // the file it becomes: target, or where its link leads
    char tmpname[600];     // the temporary file, "" when there is none
    char backup[600];      // hard link to the file replaced, during a commit
    char *buffer;          // the stream's buffer, when it has one of its own
    int replace;           // an existing file may be replaced
    int claimed;           // no other output of this run may have this file
    int committed;         // the temporary file has taken its name (after a
                           // failed commit too: an undo that failed)
    int aside;             // backup is the old file moved aside, not a link
    int undoerr;           // why the old file could not be put back
    outerror error;        // why the last step failed
    int syserr;            // the system's error number for OUT_SYSTEM
    int stdioerr;          // or the C library's (errno), for a failed write
};

enum {
    OUT_REPLACE = 1, // an existing file may be replaced (--force, a confirmed dialog)
    OUT_REWRITE = 2  // a file every job rewrites (settings), which is no clash
};

// Checks target and creates a new temporary file beside the file it names,
// opened for text writing. Without OUT_REPLACE an existing file is refused.
// Returns 1 on success; else f->error says why.
int openout(outfile *f, const char *target, int flags);
// Flushes the stream, puts the file on the disk (fsync) and closes it; 1
// when every write succeeded.
int closeout(outfile *f);
// Moves the closed temporary file into place (under the folder's lock) and
// puts the folder's new name on the disk; 1 on success.
int commitout(outfile *f);
// Closes (if open) and removes the temporary file.
void discardout(outfile *f);

// Moves first, then second, into place under the lock of their folders, so
// that two runs cannot interleave their pairs; both files they replace are
// kept before either moves, so that the two renames follow each other with
// nothing between. When second cannot be moved, the file that stood under
// first's name comes back (or the new one goes), so a failure leaves both
// names as they were, unless that undo fails too: then first stays
// committed and commitstate says so. Returns 1 on success; else *failed is
// the one that could not be moved, with its error set.
int commitpair(outfile *first, outfile *second, const outfile **failed);

// The same for up to MAXSET outputs, moved in the order given (the Poser
// pair and the pose file of its frames): a failure puts back every name
// already moved.
enum { MAXSET = 4 };
int commitset(outfile *const *files, int n, const outfile **failed);

// After a failed commit (commitout, commitpair): "" when f's name is as it
// was, else what it holds now and where its old file is kept, for a message
// of its own (an undo that failed; a folder that could not be flushed after
// the rename).
const char *commitstate(const outfile *f);

// From now on every output this program commits stays claimed: a later one
// onto the same file fails with OUT_CLASH (a batch of descriptions, where a
// second one with the same base name would silently replace the first's
// files). Without it only outputs under way at the same time clash.
void beginbatch();
// The end of a batch: forgets every output committed so far (a program
// whose batch is one call among others, and the tests).
void endbatch();

// 1 when an output of this run has (or will have) the file target names.
int claimedoutput(const char *target);

// Why f failed, in a few words of the system's or ours ("permission denied",
// "not a regular file"), for the end of a message.
const char *outreason(const outfile *f);

// Why a link of another user in a shared sticky folder is not followed.
extern const char UNTRUSTEDLINK[];

// A few words for a C library error number (errno), lower case: the reason
// why a file could not be opened.
const char *errnoreason(int err);

// The reason of the last system call that failed (a folder that could not
// be made).
const char *lastsystemreason();

// 1 when both paths name one existing file (links followed): an output that
// would overwrite its own input.
int samefile(const char *a, const char *b);

// The lock of a file's folder, for a read, change and rewrite of one file
// (kestrix.ini) that no other run may interleave. Locks taken by one process
// nest. lockfolderof returns a handle for unlockfolder (-1: no lock).
int lockfolderof(const char *path);
void unlockfolder(int handle);

// Where a symbolic link at path leads in the end (path itself when it is
// none), into real; 0 when it does not fit or links loop, or (*untrusted
// set) when a link stands in a sticky folder every user may write and
// neither the caller nor the folder's owner owns it: such a link is never
// followed, as the kernel's fs.protected_symlinks rule has it.
int followlinks(const char *path, char *real, size_t size, int *untrusted = nullptr);

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

// Interruptions (Ctrl-C, SIGTERM, SIGHUP, SIGQUIT, a closed pipe) clean up
// the tracked files and then end the program as the signal would have.
void catchinterrupts();
