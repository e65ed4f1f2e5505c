// What the menu commands, a drop and the command line do, and the path every
// accepted file takes to the conversion job.
#include "shell/shell.h"

#include "base/messages.h"
#include "base/nocase.h"
#include "platform/scratch.h"
#include "base/version.h"
#include "import/run.h"
#include "job/KESTRIX.h"
#include "job/chooser.h"
#include "platform/outfile.h"

#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

char file[PATHSIZE];

// The open dialog offers descriptions first, then the files the importer
// reads (this Windows build's importer reads no CML).
static const char filteropen[] =
    "KRX files\0*.KRX\0"
    "molecule files\0*.pdb;*.ent;*.cif;*.mmcif;*.sdf;*.sd;*.mol;*.mol2;*.xyz;"
    "*.pdb.gz;*.ent.gz;*.cif.gz;*.mmcif.gz;*.sdf.gz;*.sd.gz;*.mol.gz;*.mol2.gz;*.xyz.gz\0";

int haskrxsuffix(const char *name)
{
    // The same test as the console's: only the ASCII letters fold.
    return endsnocase(name, ".krx");
}

// A molecule file: imported with the importer's defaults into a temporary
// file (gone when closed), then converted as the description kestrix-import
// would write beside it: the same figure, the same default names. The
// importer's warnings and failures come as boxes, as the job's do.
static int convertmolecule(HWND w)
{
    frontend ui = desktopui(w);
    FILE *text = scratchfile();
    if (!text) {
        showproblem(ui,
                    filefault(MSG_CANTOPEN, std::string("a temporary file for ") + file, errnoreason(errno)));
        return 0;
    }
    int s = importer::importinto(file, text, importer::options(), KESTRIX_VERSION, ui.tell, ui.self) &&
            std::fseek(text, 0, SEEK_SET) == 0;
    if (s) {
        std::string description = importer::descriptionname(file);
        dialogowner owner{&ui, w};
        chooser dialogs = dialogchooser(&owner);
        s = readKRX(description.c_str(), w, ui, dialogs, text);
    }
    std::fclose(text);
    return s;
}

// The suffix test, the conversion and its outcome, for the path in file.
static void acceptfile(HWND w)
{
    fileopen = 1;
    int molecule = !haskrxsuffix(file) && importer::moleculefile(file);
    if (!haskrxsuffix(file) && !molecule) {
        fileopen = 0;
        MessageBoxA(w, file, MSG_BADSUFFIX, MB_ICONEXCLAMATION);
    } else if (!(molecule ? convertmolecule(w) : readKRX(file, w, desktopui(w)))) {
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
    if (GetFileName(w, file, NULL, "file to read molecule data from?", filteropen, 0))
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
