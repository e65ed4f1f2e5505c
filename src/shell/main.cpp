// Program entry: the window class, the maximized main window, the start-up
// state of the conversion job, a file named on the command line, and the
// message loop.
#include "shell/shell.h"

#include "base/spill.h"
#include "job/KESTRIX.h"
#include "platform/standard.h"
#include "platform/scratch.h"

#include <cstdlib>

const char *const progname = "kestrix";
HINSTANCE Instance;
HWND mwn;
HMENU mainmenu;

void Register(const char *name, WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_SAVEBITS;
    wc.lpfnWndProc = proc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 2;
    wc.hInstance = Instance;
    wc.hIcon = LoadIconA(Instance, name);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = NULL;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc))
        std::exit(0);
}

HWND newwindow(const char *classname, const char *title, DWORD extrastyle)
{
    HWND w = CreateWindowExA(0, classname, title, WS_OVERLAPPEDWINDOW | extrastyle, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, Instance, NULL);
    if (w) {
        ShowWindow(w, SW_SHOW);
        UpdateWindow(w);
    }
    return w;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdline, int show)
{
    (void)cmdline; // the C runtime's split of it is used below
    (void)show;    // the window is always shown maximized
    // A desktop program has no standard streams: the C runtime's numbers 0
    // to 2 are free, and its first open files would take them.
    openstandardstreams();
    // The frame tables' temporary files go where the system keeps them.
    setspillfiles(scratchfile);
    Instance = instance;
    if (!previous)
        Register(progname, MainWinProc);
    mwn = newwindow(progname, progname, WS_MAXIMIZE);
    if (!mwn)
        return 0;

    // The start-up folder, before any dialog can change the folder.
    startup();

    // A description dragged onto the program's icon or opened with it.
    if (__argc > 1 && __argv[1] && __argv[1][0])
        commandlinefile(mwn, __argv[1]);

    // GetMessageA gives -1 on an error, which must end the loop too.
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, NULL, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 0;
}
