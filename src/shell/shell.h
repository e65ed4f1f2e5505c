// The desktop program's one window: its globals and the pieces that start it,
// handle its messages and pass accepted files to the conversion job.
#pragma once

#include <windows.h>

#include "base/paths.h"
#include "job/ui.h"

extern const char *const progname; // class name, first title, resource name
extern HINSTANCE Instance;
extern HWND mwn;
extern HMENU mainmenu;
extern unsigned char fileopen; // 1 while a conversion is open
extern char file[PATHSIZE];    // the file being or last accepted

void Register(const char *name, WNDPROC proc);
HWND newwindow(const char *classname, const char *title, DWORD extrastyle);
LRESULT CALLBACK MainWinProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
void SetTitle(HWND w, const char *text);
short Draghowmanyfiles(HDROP drop);

// The commands behind the menu, the drop and the command line.
void readcommand(HWND w);
void helpcommand();
void exitcommand(HWND w);
void dropcommand(HWND w, HDROP drop);
void commandlinefile(HWND w, const char *path);

// The beep and title by which a request is refused while a conversion is open.
void refuse(HWND w);

// Open (write 0) or save (write nonzero) dialog over owner. file is a
// 256-character buffer holding the name shown first; on success it holds the
// full path of the chosen file and the result is 1. Cancel or failure gives 0.
int GetFileName(HWND owner, char *file, const char *initdir, const char *title, const char *filter,
                int write);

// What the conversion job is handed: the message boxes over w and the dialogs.
frontend desktopui(HWND w);

// 1 when name ends in ".krx", case ignored.
int haskrxsuffix(const char *name);
