// Folders on Windows, through the ANSI Win32 calls so that paths mean what
// the dialogs and the settings file mean by them.
#include "platform/folders.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int isseparator(char c) { return c == '\\' || c == '/'; }

int isfolder(const char *path)
{
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Another run making the same folder at the same moment is no failure.
int makedir(const char *path)
{
    if (CreateDirectoryA(path, NULL))
        return 1;
    DWORD e = GetLastError(), attr = GetFileAttributesA(path);
    return e == ERROR_ALREADY_EXISTS && attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

int currentdir(char *buf, size_t size)
{
    if (size == 0)
        return 0;
    DWORD cap = size > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(size);
    // The result is the length without the NUL when the folder fits, and the
    // size the buffer would need (NUL included) when it does not.
    DWORD n = GetCurrentDirectoryA(cap, buf);
    if (n == 0 || n >= cap) {
        buf[0] = '\0';
        return 0;
    }
    return 1;
}

int pathexists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

int abspath(const char *path, char *out, size_t size)
{
    if (size == 0)
        return 0;
    DWORD cap = size > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(size);
    // Like the current folder: the length on success, the needed size when
    // the buffer is too small.
    DWORD n = GetFullPathNameA(path, cap, out, NULL);
    if (n == 0 || n >= cap) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

int usersettings(char *out, size_t size)
{
    // The roaming application data folder, as every Windows program keeps
    // its settings; the variable is set in every user's session.
    const char *appdata = std::getenv("APPDATA");
    if (!appdata || !appdata[0])
        return 0;
    int n = std::snprintf(out, size, "%s\\kestrix\\kestrix.ini", appdata);
    return n > 0 && n < static_cast<int>(size);
}

int makeparents(const char *path)
{
    char folder[4096];
    size_t len = std::strlen(path);
    if (len >= sizeof folder)
        return 0;
    std::memcpy(folder, path, len + 1);
    char *last = nullptr;
    for (char *c = folder; *c; c++)
        if (isseparator(*c))
            last = c;
    if (!last || last == folder)
        return 1;
    *last = '\0';
    // Each level in turn (a drive or a share cannot be made, and need not
    // be); one that cannot be made shows in the last test.
    for (char *c = folder + 1; *c; c++) {
        if (!isseparator(*c))
            continue;
        char sep = *c;
        *c = '\0';
        makedir(folder);
        *c = sep;
    }
    makedir(folder);
    DWORD attr = GetFileAttributesA(folder);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}
