// The settings file through the system's own profile calls, so that the file
// is exactly what any other Windows program would read and write.
#include "platform/profile.h"

#include <windows.h>

#include "base/printable.h"
#include "platform/outfile_system.h"

void getprofile(const char *section, const char *key, const char *def, char *buf, size_t size,
                const char *path)
{
    if (size == 0)
        return;
    DWORD cap = size > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(size);
    GetPrivateProfileStringA(section, key, def, buf, cap, path);
}

int writeprofile(const char *section, const char *key, const char *value, const char *path, const char **why)
{
    // A line feed would end the line early and inject the rest as a line of
    // its own.
    if (hascontrol(value)) {
        if (why)
            *why = "the value holds a control character";
        return 0;
    }
    if (WritePrivateProfileStringA(section, key, value, path))
        return 1;
    if (why)
        *why = systemreason(static_cast<int>(GetLastError()));
    return 0;
}
