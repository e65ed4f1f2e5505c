// What the conversion jobs need from the user interface: a way to show
// problems and reports, and the one routine behind every open and save
// dialog. The desktop program implements these with the real Win32 calls,
// the console front end with standard streams and its options, the tests
// with a scripted layer.
#pragma once

#include "base/problem.h"

typedef void *window; // the main window (an HWND on Windows); null for none

// Shows p and returns when the user has dismissed it: the desktop program
// as a message box (over owner when p.owned, caption p.what, text
// p.detail, type p.type; nothing for a console-only warning), the console
// as a line naming the description and its line.
void showproblem(window owner, const problem &p);

// A problemsink for the lower layers; to is the window that owns the
// problems that are owned.
inline void tellui(void *to, const problem &p) { showproblem(static_cast<window>(to), p); }

// Open (write 0) or save (write nonzero) dialog. file is a 256-character
// buffer holding the name shown first; on success it holds the full path of
// the chosen file and the result is 1. Cancel or failure gives 0.
int GetFileName(window owner, char *file, const char *initdir, const char *title, const char *filter,
                int write);

// A Yes/No question over owner, caption and text as given; 1 for Yes.
int askyesno(window owner, const char *caption, const char *text);

// The four one-entry filters: description, NUL, pattern, NUL, NUL.
extern const char filterall[16];
extern const char filterOBJ[32];
extern const char filterCR2[24];
extern const char filterKRX[18];
