// What the folder services make of the platform's own calls, the same on
// every platform.
#include "platform/folders.h"

#include <cerrno>
#include <cstring>

#include "platform/outfile_system.h"

int makeparents(const char *path, const char **why)
{
    char folder[4096];
    size_t len = std::strlen(path);
    if (len >= sizeof folder) {
        if (why)
            *why = errnoreason(ENAMETOOLONG);
        return 0;
    }
    std::memcpy(folder, path, len + 1);
    char *last = nullptr;
    for (char *c = folder; *c; c++)
        if (isseparator(*c))
            last = c;
    if (!last || last == folder)
        return 1; // in the root folder, or in the current one
    *last = '\0';
    // Each level in turn (a drive or a share cannot be made, and need not
    // be). The reason given is that of the first level missing below the
    // last one there: a read-only folder's, not "no such file" of the
    // levels under it.
    int err = 0;
    for (char *c = folder + 1; *c; c++) {
        if (!isseparator(*c))
            continue;
        char sep = *c;
        *c = '\0';
        if (makedir(folder))
            err = 0;
        else if (!err)
            err = lastsyserr();
        *c = sep;
    }
    if (makedir(folder))
        return 1;
    if (why)
        *why = systemreason(err ? err : lastsyserr());
    return 0;
}
