// The three choices a Poser conversion asks of whoever runs it: a file in
// the Poser installation's root folder, the CR2 file and the OBJ file. The
// desktop program asks with its dialogs (dialogchooser); the console takes
// the answers from its options. Each choice fills a PATHSIZE buffer.
#pragma once

#include "job/ui.h"

struct chooser {
    // Any file in the Poser root (the job keeps the folder that holds it);
    // remembered is the folder kestrix.ini names, "" for none. 0: no choice.
    virtual int poserfolder(char *file, const char *remembered) = 0;
    // The CR2 or OBJ file, offered in folder; the job adds the suffix when
    // it is missing. *replace says whether a file that stands under the name
    // may be replaced (the user has agreed, or --force). 0: no choice.
    virtual int cr2file(char *file, const char *folder, int *replace) = 0;
    virtual int objfile(char *file, const char *folder, int *replace) = 0;

protected:
    ~chooser() = default;
};

// The desktop's choices: one dialog each, owned by w, through GetFileName.
// Its save dialogs have asked before a file is replaced.
struct dialogchooser final : chooser {
    window w;

    explicit dialogchooser(window owner) : w(owner) {}
    int poserfolder(char *file, const char *remembered) override;
    int cr2file(char *file, const char *folder, int *replace) override;
    int objfile(char *file, const char *folder, int *replace) override;
};
