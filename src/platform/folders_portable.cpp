// What the folder services make of the platform's own calls, the same on
// every platform.
#include "platform/folders.h"

#include <cstring>

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
        return 1; // in the root folder, or in the current one
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
    return isfolder(folder);
}
