// The three choices a Poser conversion asks of whoever runs it: a file in
// the Poser installation's root folder, the CR2 file and the OBJ file. The
// desktop program asks with its dialogs (dialogchooser); the console takes
// the answers from its options. Each choice fills a PATHSIZE buffer and is
// handed the chooser's own self.
//
// A record of functions rather than a class with virtual ones: the
// sanitizers check a virtual call by reading memory through a pipe, which a
// run out of file descriptors (a case the tests make) cannot open.
#pragma once

#include "job/ui.h"

struct chooser {
    void *self;
    // Any file in the Poser root (the job keeps the folder that holds it);
    // remembered is the folder the settings file names, "" for none. 0: no
    // choice (the job says it needs one); -1: no choice, and the chooser
    // has said why already.
    int (*poserfolder)(void *self, char *file, const char *remembered);
    // The CR2 or OBJ file, offered in folder; the job adds the suffix when
    // it is missing. *replace says whether a file that stands under the name
    // may be replaced (the user has agreed, or --force). 0: no choice.
    int (*cr2file)(void *self, char *file, const char *folder, int *replace);
    int (*objfile)(void *self, char *file, const char *folder, int *replace);
    // The settings file that remembers the Poser folder; null: kestrix.ini
    // in the start-up folder (rootdir). With saveatonce the job writes the
    // confirmed folder into it at once, as the desktop program always has;
    // without, whoever runs the job writes it after a success.
    const char *settings;
    int saveatonce;
};

// The desktop's choices: one dialog each through the front end's dialogs,
// owned by the window w. Its save dialogs have asked before a file is
// replaced. The chooser keeps d, which must outlive it.
struct dialogowner {
    const frontend *ui;
    window w;
};
chooser dialogchooser(dialogowner *d);
