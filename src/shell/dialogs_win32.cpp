// Every open and save dialog and every message box of the desktop program,
// and the front-end record that hands them to the conversion job.
#include "shell/shell.h"

#include <windows.h>

#include <commdlg.h>

OPENFILENAMEA ofn;  // one record shared by every dialog
char tit[PATHSIZE]; // the chosen file's name without its folder

namespace {

// The box over the main window only when the problem is owned; the path
// alone for a file that failed, as the desktop program's boxes always have.
// The warnings only a console shows are about extras that the desktop
// program draws as well without them.
void showbox(void *mainwindow, const problem &p)
{
    if (p.type & KMB_CONSOLEONLY)
        return;
    MessageBoxA(static_cast<HWND>(p.owned ? mainwindow : nullptr), p.detail.c_str(), p.what.c_str(), p.type);
}

int filedialog(void *, window owner, char *file, const char *initdir, const char *title, const char *filter,
               int write)
{
    return GetFileName(static_cast<HWND>(owner), file, initdir, title, filter, write);
}

int askyesno(void *, window owner, const char *caption, const char *text)
{
    return MessageBoxA(static_cast<HWND>(owner), text, caption, MB_YESNO | MB_ICONWARNING) == IDYES;
}

} // namespace

frontend desktopui(HWND w) { return frontend{w, showbox, filedialog, askyesno}; }

int GetFileName(HWND owner, char *file, const char *initdir, const char *title, const char *filter, int write)
{
    // The record's own size: a smaller one (the 32-bit record's) makes every
    // dialog of the 64-bit program fail at once.
    ofn.lStructSize = sizeof(OPENFILENAMEA);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrCustomFilter = NULL;
    ofn.nFilterIndex = 0;
    // Every caller's buffer holds 256 characters; the dialog may use them all.
    ofn.lpstrFile = file;
    ofn.nMaxFile = PATHSIZE;
    ofn.lpstrFileTitle = tit;
    ofn.nMaxFileTitle = sizeof tit;
    ofn.lpstrInitialDir = initdir;
    ofn.lpstrTitle = title;
    ofn.Flags = write ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    BOOL chosen = write ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    return chosen ? 1 : 0;
}
