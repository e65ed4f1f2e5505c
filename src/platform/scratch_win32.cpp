#include "platform/scratch.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// The Microsoft C library's tmpfile() makes its file in the root folder of
// the current drive, which an ordinary user may not write to since Windows
// Vista: it fails there. This one is made in the user's folder for
// temporary files (GetTempPathW: TMP, TEMP or the profile's), and the
// system deletes it when its last handle closes, killed or not.
FILE *scratchfile()
{
    wchar_t folder[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    wchar_t name[MAX_PATH];
    // GetTempFileNameW makes an empty file of a name no other file has.
    if (n == 0 || n > MAX_PATH || GetTempFileNameW(folder, L"krx", 0, name) == 0) {
        errno = ENOENT;
        return nullptr;
    }
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        errno = EACCES;
        return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    FILE *f = _fdopen(fd, "w+b");
    if (!f)
        _close(fd);
    return f;
}
