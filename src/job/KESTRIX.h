// One conversion: a description in, the OBJ mesh and the CR2 figure out, in
// the Poser folder layout, with every dialog and message on the way.
#pragma once

#include <cstddef>
#include <cstdio>

#include "job/ui.h"
#include "base/paths.h"

extern char rootdir[PATHSIZE];   // the current folder at start-up; the desktop's kestrix.ini lives there
extern char posername[PATHSIZE]; // the confirmed Poser installation folder

struct chooser;

// Runs one conversion of the description at path; w owns the dialogs and
// the warnings about them, and every problem goes to ui. The Poser folder
// and the two files are chosen by choose; without one, by ui's dialogs. A
// file that stands (or appears while the job runs) under a chosen name is
// replaced only when the chooser allowed it. Returns 1 on success, 0 on any
// failure (already reported to the user).
int readKRX(const char *path, window w, const frontend &ui);
int readKRX(const char *path, window w, const frontend &ui, chooser &choose);
// The same with the description's text already open in text (a molecule
// file's description made in memory): path then only names it, for the
// messages and the outputs' default names. text stays open.
int readKRX(const char *path, window w, const frontend &ui, chooser &choose, FILE *text);

// Reads the description at path as a conversion would, with every message
// on the way to ui, and writes nothing. Returns 1 when it would convert.
int checkKRX(const char *path, const frontend &ui, FILE *text = nullptr);

// Sets rootdir: every front end calls this once at start-up, before
// the first conversion.
int startup();
