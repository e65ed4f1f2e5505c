// What the menu commands, a drop and the command line do, and the path every
// accepted file takes to the conversion job.
#include "shell/shell.h"

#include "base/messages.h"
#include "base/nocase.h"
#include "job/KESTRIX.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

char file[PATHSIZE];

int haskrxsuffix(const char *name)
{
    // The same test as the console's: only the ASCII letters fold.
    return endsnocase(name, ".krx");
}

// The suffix test, the conversion and its outcome, for the path in file.
static void acceptfile(HWND w)
{
    fileopen = 1;
    if (!haskrxsuffix(file)) {
        fileopen = 0;
        MessageBoxA(w, file, MSG_BADSUFFIX, MB_ICONEXCLAMATION);
    } else if (!readKRX(file, w, desktopui(w))) {
        MessageBoxA(w, file, MSG_DIDNTWORK, MB_ICONEXCLAMATION);
        fileopen = 0;
    } else {
        fileopen = 0;
        char title[512];
        std::snprintf(title, sizeof title, "kestrix: %s", file);
        SetTitle(w, title);
    }
    InvalidateRect(w, NULL, TRUE);
}

// A path that does not fit file is not cut to a shorter (and maybe different)
// name: it is reported as a file that cannot be opened.
static void toolong(HWND w, const char *path) { MessageBoxA(w, path, MSG_CANTOPEN, MB_ICONEXCLAMATION); }

void readcommand(HWND w)
{
    // The two conversions would share one set of tables: never start a second.
    if (fileopen) {
        refuse(w);
        return;
    }
    if (GetFileName(w, file, NULL, "file to read molecule data from?", filterKRX, 0))
        acceptfile(w);
}

void helpcommand()
{
    MessageBoxA(NULL, "For information, read the file kestrix_readme.txt that came with this application.",
                "", MB_OK);
}

void exitcommand(HWND w) { SendMessageA(w, WM_CLOSE, 0, 0); }

short Draghowmanyfiles(HDROP drop) { return static_cast<short>(DragQueryFileA(drop, 0xFFFFFFFF, NULL, 0)); }

void dropcommand(HWND w, HDROP drop)
{
    if (fileopen) {
        DragFinish(drop);
        refuse(w);
        return;
    }
    if (Draghowmanyfiles(drop) != 1) {
        MessageBoxA(w, "one file at a time please", "drag-and-drop", MB_ICONEXCLAMATION);
        DragFinish(drop);
        return;
    }
    UINT len = DragQueryFileA(drop, 0, NULL, 0);
    if (len >= sizeof file) {
        char shown[1024];
        DragQueryFileA(drop, 0, shown, sizeof shown);
        DragFinish(drop);
        toolong(w, shown);
        return;
    }
    DragQueryFileA(drop, 0, file, sizeof file);
    DragFinish(drop);
    acceptfile(w);
}

void commandlinefile(HWND w, const char *path)
{
    if (std::strlen(path) >= sizeof file) {
        toolong(w, path);
        return;
    }
    std::strcpy(file, path);
    acceptfile(w);
}
