// What the conversion job and the reader need from the user interface: message
// boxes and the one routine behind every open and save dialog. The desktop
// program implements these with the real Win32 calls, the console front end
// with standard streams and its options, the tests with a scripted layer.
#pragma once

#include "base/notice.h"

typedef void *window; // the main window (an HWND on Windows); null for none

// Shows text under caption and returns when the user has dismissed it.
void messagebox(window owner, const char *text, const char *caption, unsigned type);

// A warning that only a console shows: the desktop program ignores it,
// so it must concern nothing the conversion depends on.
void consolewarning(const char *text, const char *caption);

// Shows a notice of a lower layer; to is the window that owns it when the
// notice is owned. A noticesink for those layers.
inline void shownotice(void *to, const notice &n)
{
    if (n.type & KMB_CONSOLEONLY) {
        consolewarning(n.text, n.caption);
        return;
    }
    messagebox(n.owned ? static_cast<window>(to) : nullptr, n.text, n.caption, n.type);
}

// A file that cannot be opened or written: a warning box whose text is the
// file's path. The console adds the system's reason (a few words such as
// "permission denied") after the path; the desktop program shows the path
// alone, as its boxes always have.
void filewarning(window owner, const char *path, const char *caption, const char *reason);

// Open (write 0) or save (write nonzero) dialog. file is a 256-character
// buffer holding the name shown first; on success it holds the full path of
// the chosen file and the result is 1. Cancel or failure gives 0.
int GetFileName(window owner, char *file, const char *initdir, const char *title, const char *filter,
                int write);

// The four one-entry filters: description, NUL, pattern, NUL, NUL.
extern const char filterall[16];
extern const char filterOBJ[32];
extern const char filterCR2[24];
extern const char filterKRX[18];
