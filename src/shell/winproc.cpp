// The main window's procedure: one small handler per message.
#include "shell/shell.h"

#include "shell/resource.h"

#include <shellapi.h>

unsigned char fileopen;

void SetTitle(HWND w, const char *text) { SendMessageA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

void refuse(HWND w)
{
    MessageBeep(0xFFFFFFFF);
    SetTitle(w, "Whoa there, I got a file open!!");
}

static LRESULT oncreate(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    mainmenu = LoadMenuA(Instance, progname);
    SetMenu(w, mainmenu);
    ShowWindow(w, SW_SHOW);
    DragAcceptFiles(w, TRUE);
    return DefWindowProcA(w, msg, wp, lp);
}

// The window is otherwise empty: one centred line tells a first-time user
// what to do with it.
static LRESULT onpaint(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    char hint[128];
    RECT r;
    if (LoadStringA(Instance, IDS_HINT, hint, sizeof hint) > 0 && GetClientRect(w, &r)) {
        HGDIOBJ font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, hint, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, font);
    }
    EndPaint(w, &ps);
    return DefWindowProcA(w, msg, wp, lp);
}

static LRESULT onclose(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (fileopen) {
        refuse(w);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

static LRESULT ondestroy()
{
    PostQuitMessage(0);
    return 0;
}

static LRESULT ongetminmaxinfo(LPARAM lp)
{
    MINMAXINFO *mm = reinterpret_cast<MINMAXINFO *>(lp);
    mm->ptMaxPosition.x = -4;
    mm->ptMaxPosition.y = -4;
    return 0;
}

static LRESULT oncommand(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (LOWORD(wp)) {
    case IDM_READ:
        readcommand(w);
        break;
    case IDM_HELP:
        helpcommand();
        break;
    case IDM_EXIT:
        exitcommand(w);
        break;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

static LRESULT ondropfiles(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    dropcommand(w, reinterpret_cast<HDROP>(wp));
    return DefWindowProcA(w, msg, wp, lp);
}

LRESULT CALLBACK MainWinProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        return oncreate(w, msg, wp, lp);
    case WM_PAINT:
        return onpaint(w, msg, wp, lp);
    case WM_CLOSE:
        return onclose(w, msg, wp, lp);
    case WM_DESTROY:
        return ondestroy();
    case WM_GETMINMAXINFO:
        return ongetminmaxinfo(lp);
    case WM_ENTERIDLE:
        return 0;
    case WM_COMMAND:
        return oncommand(w, msg, wp, lp);
    case WM_DROPFILES:
        return ondropfiles(w, msg, wp, lp);
    default:
        return DefWindowProcA(w, msg, wp, lp);
    }
}
