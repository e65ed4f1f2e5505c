// winprobe: the Wine GUI test's eyes and hands inside the Windows session.
// It finds kestrix's windows and boxes by class and title, reads their texts,
// owners and icons, fills in and confirms file dialogs, presses buttons and
// posts commands, as a user's clicks and typing would. One command per run;
// results go to standard output as "key=value" lines; exit status 0 when the
// command could be carried out, 1 when not (for instance a timeout).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char MAINCLASS[] = "kestrix";

struct found {
    const char *title;
    std::vector<HWND> windows;
};

std::string textof(HWND w)
{
    char buf[2048];
    // WM_GETTEXT is carried across processes by the system.
    LRESULT n = SendMessageA(w, WM_GETTEXT, sizeof buf, (LPARAM)buf);
    if (n < 0)
        n = 0;
    buf[n < (LRESULT)sizeof buf ? n : (LRESULT)sizeof buf - 1] = '\0';
    return buf;
}

std::string classof(HWND w)
{
    char buf[256];
    int n = GetClassNameA(w, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

// Newlines and carriage returns written as \n and \r, to keep one line.
std::string escaped(const std::string &s)
{
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

BOOL CALLBACK collecttitled(HWND w, LPARAM lp)
{
    found *f = (found *)lp;
    // Boxes and file dialogs are all of the dialog class.
    if (IsWindowVisible(w) && classof(w) == "#32770" && textof(w) == f->title)
        f->windows.push_back(w);
    return TRUE;
}

std::vector<HWND> titled(const char *title)
{
    found f{title, {}};
    EnumWindows(collecttitled, (LPARAM)&f);
    return f.windows;
}

BOOL CALLBACK collectmain(HWND w, LPARAM lp)
{
    if (classof(w) == MAINCLASS)
        ((std::vector<HWND> *)lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> mainwindows()
{
    std::vector<HWND> all;
    EnumWindows(collectmain, (LPARAM)&all);
    return all;
}

HWND mainwindow()
{
    std::vector<HWND> all = mainwindows();
    return all.empty() ? NULL : all[0];
}

// Polls for a visible window titled title, up to ms milliseconds.
HWND waitfor(const char *title, int ms)
{
    for (int waited = 0;; waited += 50) {
        std::vector<HWND> w = titled(title);
        if (!w.empty())
            return w[0];
        if (waited >= ms)
            return NULL;
        Sleep(50);
    }
}

BOOL CALLBACK printchild(HWND w, LPARAM)
{
    std::printf("child class=%s id=%d visible=%d text=%s\n", classof(w).c_str(), GetDlgCtrlID(w),
                IsWindowVisible(w) ? 1 : 0, escaped(textof(w)).c_str());
    return TRUE;
}

BOOL CALLBACK firstedit(HWND w, LPARAM lp)
{
    if (classof(w) == "Edit") {
        *(HWND *)lp = w;
        return FALSE;
    }
    return TRUE;
}

// The file name field of a common file dialog: the edit control inside the
// combo box cmb13 (0x47c), or the plain edit edt1 (0x480) of older dialogs.
HWND namefield(HWND dlg)
{
    HWND combo = GetDlgItem(dlg, 0x47c);
    if (combo) {
        HWND edit = NULL;
        EnumChildWindows(combo, firstedit, (LPARAM)&edit);
        return edit ? edit : combo;
    }
    return GetDlgItem(dlg, 0x480);
}

// The message box's parts: the text control (0xFFFF) and the icon (0x440 in
// Wine's template, 0x14 in Windows').
HWND boxtext(HWND dlg) { return GetDlgItem(dlg, 0xFFFF); }

int hasicon(HWND dlg)
{
    const int ids[] = {0x440, 0x14};
    for (int id : ids) {
        HWND icon = GetDlgItem(dlg, id);
        if (icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0))
            return 1;
    }
    return 0;
}

const char *ownerkind(HWND w)
{
    HWND owner = GetWindow(w, GW_OWNER);
    if (!owner)
        return "none";
    return owner == mainwindow() ? "main" : "other";
}

// The menu resource and the icon group of a program file, read as data.
int menuresource(const char *exe)
{
    HMODULE m = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    HMENU menu = m ? LoadMenuA(m, "kestrix") : NULL;
    if (!menu)
        return 1;
    int n = GetMenuItemCount(menu);
    std::printf("items=%d\n", n);
    for (int i = 0; i < n; i++) {
        char text[256] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        std::printf("item%d id=%u popup=%d text=%s\n", i, GetMenuItemID(menu, i), GetSubMenu(menu, i) ? 1 : 0,
                    text);
    }
    return 0;
}

#pragma pack(push, 2)
struct groupentry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD size;
    WORD id;
};
struct groupheader {
    WORD reserved, type, count;
};
#pragma pack(pop)

int iconresource(const char *exe)
{
    HMODULE m = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC r = m ? FindResourceA(m, "KESTRIX", (LPCSTR)RT_GROUP_ICON) : NULL;
    const groupheader *g = r ? (const groupheader *)LockResource(LoadResource(m, r)) : NULL;
    if (!g)
        return 1;
    const groupentry *e = (const groupentry *)(g + 1);
    std::printf("images=%d\n", g->count);
    for (int i = 0; i < g->count; i++)
        std::printf("image%d size=%dx%d colours=%d bits=%d\n", i, e[i].width ? e[i].width : 256,
                    e[i].height ? e[i].height : 256, e[i].colours, e[i].bits);
    return 0;
}

// Where a user would click each item of the main window's menu bar: the
// bar lies just above the client area, and each item is its text with an
// average character's width of space on either side.
int menupoints()
{
    HWND w = mainwindow();
    if (!w)
        return 1;
    POINT origin = {0, 0};
    ClientToScreen(w, &origin);
    NONCLIENTMETRICSA ncm;
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    HDC dc = GetDC(NULL);
    HFONT font = CreateFontIndirectA(&ncm.lfMenuFont);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    const char *items[] = {"read molecule file", "help", "exit"};
    int x = origin.x, y = origin.y - GetSystemMetrics(SM_CYMENU) / 2;
    for (const char *text : items) {
        SIZE size;
        GetTextExtentPoint32A(dc, text, (int)std::strlen(text), &size);
        std::printf("%s=%d,%d\n", text, (int)(x + tm.tmAveCharWidth + size.cx / 2), y);
        x += (int)(size.cx + 2 * tm.tmAveCharWidth);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(NULL, dc);
    return 0;
}

// Every visible dialog, one title a line, or with all its controls.
BOOL CALLBACK printdialog(HWND w, LPARAM full)
{
    if (IsWindowVisible(w) && classof(w) == "#32770") {
        std::printf("dialog=%s\n", textof(w).c_str());
        if (full)
            EnumChildWindows(w, printchild, 0);
    }
    return TRUE;
}

// The window's hint as the program holds it (string resource 1), and the
// size that text takes in the font the window draws it with.
int hintresource(const char *exe)
{
    HMODULE m = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    char text[256];
    if (!m || LoadStringA(m, 1, text, sizeof text) <= 0)
        return 1;
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size;
    TEXTMETRICA tm;
    GetTextExtentPoint32A(dc, text, (int)std::strlen(text), &size);
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    std::printf("text=%s\nwidth=%ld\nheight=%ld\n", text, size.cx, tm.tmHeight);
    return 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: winprobe wait TITLE MS | gone TITLE MS | dump TITLE | box TITLE |\n"
                 "       press TITLE ID | answer TITLE NAME | field TITLE | main | count |\n"
                 "       menu | post MSG WPARAM | send MSG WPARAM | front TITLE | waittitle TEXT MS |\n"
                 "       menures EXE | iconres EXE | hintres EXE | menupoints | dialogs | dumpall\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    std::string cmd = argv[1];

    if (cmd == "wait" && argc == 4) {
        HWND w = waitfor(argv[2], std::atoi(argv[3]));
        if (!w)
            return 1;
        std::printf("hwnd=%p\n", (void *)w);
        return 0;
    }
    if (cmd == "gone" && argc == 4) {
        for (int waited = 0; waited <= std::atoi(argv[3]); waited += 50) {
            if (titled(argv[2]).empty())
                return 0;
            Sleep(50);
        }
        return 1;
    }
    if (cmd == "dump" && argc == 3) {
        HWND w = waitfor(argv[2], 0);
        if (!w)
            return 1;
        std::printf("class=%s owner=%s\n", classof(w).c_str(), ownerkind(w));
        EnumChildWindows(w, printchild, 0);
        return 0;
    }
    if (cmd == "box" && argc == 3) {
        HWND w = waitfor(argv[2], 0);
        if (!w)
            return 1;
        HWND text = boxtext(w);
        std::printf("class=%s\nowner=%s\nicon=%d\ntext=%s\n", classof(w).c_str(), ownerkind(w), hasicon(w),
                    text ? escaped(textof(text)).c_str() : "");
        return 0;
    }
    if (cmd == "press" && argc == 4) {
        HWND w = waitfor(argv[2], 0);
        if (!w)
            return 1;
        int id = std::atoi(argv[3]);
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(w, id));
        return 0;
    }
    if (cmd == "answer" && argc == 4) {
        // A dialog that is visible may still be settling into its folder; a
        // name confirmed before then is taken against no folder at all. So
        // wait until the "Look in" box shows a folder, as a user would.
        HWND w = NULL, field = NULL;
        for (int waited = 0; waited <= 10000; waited += 50) {
            w = waitfor(argv[2], 0);
            field = w ? namefield(w) : NULL;
            HWND lookin = w ? GetDlgItem(w, 0x471) : NULL;
            if (field && lookin && !textof(lookin).empty())
                break;
            field = NULL;
            Sleep(50);
        }
        if (!field)
            return 1;
        Sleep(200);
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM)argv[3]);
        if (textof(field) != argv[3]) {
            std::fprintf(stderr, "winprobe: the name field holds \"%s\"\n", textof(field).c_str());
            return 1;
        }
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(w, IDOK));
        return 0;
    }
    if (cmd == "field" && argc == 3) {
        HWND w = waitfor(argv[2], 0);
        HWND field = w ? namefield(w) : NULL;
        if (!field)
            return 1;
        std::printf("field=%s\n", escaped(textof(field)).c_str());
        return 0;
    }
    if (cmd == "main" && argc == 2) {
        std::vector<HWND> all = mainwindows();
        if (all.empty())
            return 1;
        HWND w = all[0];
        RECT r;
        GetWindowRect(w, &r);
        std::printf("count=%d\nvisible=%d\nzoomed=%d\ntitle=%s\nrect=%ld,%ld,%ld,%ld\n", (int)all.size(),
                    IsWindowVisible(w) ? 1 : 0, IsZoomed(w) ? 1 : 0, escaped(textof(w)).c_str(), r.left,
                    r.top, r.right, r.bottom);
        // The client area on the screen: left, top, width, height.
        RECT c;
        POINT at = {0, 0};
        GetClientRect(w, &c);
        ClientToScreen(w, &at);
        std::printf("client=%ld,%ld,%ld,%ld\n", at.x, at.y, c.right, c.bottom);
        // Wine's X11 driver keeps the window's X id as a window property.
        std::printf("xwindow=%lu\n", (unsigned long)(ULONG_PTR)GetPropA(w, "__wine_x11_whole_window"));
        return 0;
    }
    if (cmd == "menu" && argc == 2) {
        HWND w = mainwindow();
        HMENU m = w ? GetMenu(w) : NULL;
        if (!m)
            return 1;
        int n = GetMenuItemCount(m);
        std::printf("items=%d\n", n);
        for (int i = 0; i < n; i++) {
            char text[256] = "";
            GetMenuStringA(m, i, text, sizeof text, MF_BYPOSITION);
            std::printf("item%d id=%u popup=%d text=%s\n", i, GetMenuItemID(m, i), GetSubMenu(m, i) ? 1 : 0,
                        text);
        }
        return 0;
    }
    if ((cmd == "post" || cmd == "send") && argc == 4) {
        HWND w = mainwindow();
        if (!w)
            return 1;
        UINT msg = (UINT)std::strtoul(argv[2], NULL, 0);
        WPARAM wp = (WPARAM)std::strtoul(argv[3], NULL, 0);
        if (cmd == "post")
            PostMessageA(w, msg, wp, 0);
        else
            SendMessageTimeoutA(w, msg, wp, 0, SMTO_NORMAL, 5000, NULL);
        return 0;
    }
    if (cmd == "front" && argc == 3) {
        HWND w = waitfor(argv[2], 0);
        if (!w)
            return 1;
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(w);
        return 0;
    }
    if (cmd == "waittitle" && argc == 4) {
        // Waits until the main window's title is TEXT.
        for (int waited = 0; waited <= std::atoi(argv[3]); waited += 50) {
            HWND w = mainwindow();
            if (w && textof(w) == argv[2])
                return 0;
            Sleep(50);
        }
        return 1;
    }
    if (cmd == "menures" && argc == 3)
        return menuresource(argv[2]);
    if (cmd == "iconres" && argc == 3)
        return iconresource(argv[2]);
    if (cmd == "hintres" && argc == 3)
        return hintresource(argv[2]);
    if (cmd == "menupoints" && argc == 2)
        return menupoints();
    if (cmd == "dialogs" && argc == 2) {
        EnumWindows(printdialog, 0);
        return 0;
    }
    if (cmd == "dumpall" && argc == 2) {
        EnumWindows(printdialog, 1);
        return 0;
    }
    return usage();
}
