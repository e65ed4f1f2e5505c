// Every open and save dialog and every message box of the desktop program.
#include "job/ui.h"
#include "base/paths.h"

#include <windows.h>

#include <commdlg.h>

OPENFILENAMEA ofn;  // one record shared by every dialog
char tit[PATHSIZE]; // the chosen file's name without its folder

void messagebox(window owner, const char *text, const char *caption, unsigned type)
{
    MessageBoxA(static_cast<HWND>(owner), text, caption, type);
}

// The desktop program has no console, and the warnings this carries are
// about extras it draws as well without them.
void consolewarning(const char *, const char *) {}

// The box shows the path alone, as the desktop program's boxes always have.
void filewarning(window owner, const char *path, const char *caption, const char *)
{
    messagebox(owner, path, caption, MB_OK | MB_ICONEXCLAMATION);
}

int GetFileName(window owner, char *file, const char *initdir, const char *title, const char *filter,
                int write)
{
    // The record's own size: a smaller one (the 32-bit record's) makes every
    // dialog of the 64-bit program fail at once.
    ofn.lStructSize = sizeof(OPENFILENAMEA);
    ofn.hwndOwner = static_cast<HWND>(owner);
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
