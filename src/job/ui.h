// What the conversion jobs need from the user interface, handed to them as
// one record: the sink for problems and reports, and the one routine behind
// every open and save dialog. The desktop program fills it with the real
// Win32 calls, the console front ends with standard streams, the tests with
// a scripted layer; a job links with none of them.
//
// A record of functions rather than a class with virtual ones, as the
// chooser is: the sanitizers check a virtual call by reading memory through
// a pipe, which a run out of file descriptors (a case the tests make)
// cannot open.
#pragma once

#include "base/problem.h"

typedef void *window; // the main window (an HWND on Windows); null for none

struct frontend {
    // The front end's own: for the desktop program its main window, over
    // which it shows the problems that are owned (p.owned).
    void *self;
    // Shows p and returns when the user has dismissed it: the desktop
    // program as a message box (caption p.what, text p.detail, type p.type;
    // nothing for a console-only warning), the console as a line naming
    // the description and its line. Called with self; the reader and the
    // importer are handed the same sink.
    problemsink tell;
    // Open (write 0) or save (write nonzero) dialog over owner. file is a
    // 256-character buffer holding the name shown first; on success it holds
    // the full path of the chosen file and the result is 1. Cancel or
    // failure gives 0. Null in a front end without dialogs.
    int (*getfilename)(void *self, window owner, char *file, const char *initdir, const char *title,
                       const char *filter, int write);
    // A Yes/No question over owner, caption and text as given; 1 for Yes.
    // Null in a front end without dialogs.
    int (*askyesno)(void *self, window owner, const char *caption, const char *text);
};

// A front end without a sink drops every problem, as a null sink does.
inline void showproblem(const frontend &ui, const problem &p)
{
    if (ui.tell)
        ui.tell(ui.self, p);
}

// The four one-entry filters: description, NUL, pattern, NUL, NUL.
extern const char filterall[16];
extern const char filterOBJ[32];
extern const char filterCR2[24];
extern const char filterKRX[18];
