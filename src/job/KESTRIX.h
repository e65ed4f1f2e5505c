// One conversion: a description in, the OBJ mesh and the CR2 figure out, in
// the Poser folder layout, with every dialog and message on the way.
#pragma once

#include <cstddef>

#include "job/ui.h"
#include "base/paths.h"

extern char rootdir[PATHSIZE];   // the current folder at start-up; kestrix.ini lives there
extern char posername[PATHSIZE]; // the confirmed Poser installation folder

// Runs one conversion of the description at path; w owns the dialogs.
// Existing files under the chosen names are replaced only with replace (the
// desktop's save dialog has asked; the console's --force); a file that
// appears under a name while the job runs is never replaced without it.
// Returns 1 on success, 0 on any failure (already reported to the user).
int readKRX(const char *path, window w, int replace = 1);

// Puts the molecule model and the reader back to their state at program start.
void resetjob();

// Appends suffix (".cr2", ".obj") unless name already ends in it, case
// ignored. Returns 0 when the name with its suffix does not fit size.
int addsuffix(char *name, size_t size, const char *suffix);

// Sets rootdir: every front end calls this once at start-up, before
// the first conversion.
int startup();
