// Folders on Windows, through the ANSI Win32 calls so that paths mean what
// the dialogs and the settings file mean by them.
#include "platform/folders.h"

#include <sys/stat.h>
#include <windows.h>

#include "platform/outfile_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int isseparator(char c) { return c == '\\' || c == '/'; }

// The C runtime's look, as the importer's openinput takes it: it knows
// devices (CON, NUL) as well as folders.
int notregular(const char *path)
{
    struct _stat64 st;
    return _stat64(path, &st) == 0 && !(st.st_mode & _S_IFREG);
}

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
    if (e == ERROR_ALREADY_EXISTS && attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    // The creation's own reason, not the look after it.
    SetLastError(e);
    return 0;
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

// The attributes are those of a link itself, not of where it leads.
int nameinuse(const char *path) { return pathexists(path); }

int lookup(const char *path, const char **why)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return 1;
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND)
        return 0;
    *why = systemreason(static_cast<int>(e));
    return -1;
}

// Windows itself shortens ".." by the text (GetFullPathName), as every open
// of the path does.
int abspath(const char *path, char *out, size_t size, const char **why)
{
    if (why)
        *why = systemreason(ERROR_FILENAME_EXCED_RANGE);
    if (size == 0)
        return 0;
    DWORD cap = size > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(size);
    // Like the current folder: the length on success, the needed size when
    // the buffer is too small.
    DWORD n = GetFullPathNameA(path, cap, out, NULL);
    if (n == 0 || n >= cap) {
        if (n == 0 && why)
            *why = systemreason(static_cast<int>(GetLastError()));
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
