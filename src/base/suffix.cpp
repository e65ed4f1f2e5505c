#include "base/suffix.h"

#include <cstdio>
#include <cstring>

#include "base/nocase.h"

int addsuffix(char *name, size_t size, const char *suffix)
{
    if (endsnocase(name, suffix))
        return 1;
    size_t len = std::strlen(name), slen = std::strlen(suffix);
    if (len + slen >= size)
        return 0;
    std::memcpy(name + len, suffix, slen + 1);
    return 1;
}

namespace {

bool separator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

// The length of path without the suffix of its file's name.
size_t withoutsuffix(const char *path)
{
    size_t len = std::strlen(path), name = len;
    while (name > 0 && !separator(path[name - 1]))
        name--;
    for (size_t i = len; i > name + 1; i--)
        if (path[i - 1] == '.')
            return i - 1;
    return len;
}

} // namespace

int swapsuffix(char *out, size_t size, const char *path, const char *from, const char *to)
{
    size_t len = std::strlen(path);
    if (!from)
        len = withoutsuffix(path);
    else if (endsnocase(path, from))
        len -= std::strlen(from);
    int n = std::snprintf(out, size, "%.*s%s", static_cast<int>(len), path, to);
    return n >= 0 && static_cast<size_t>(n) < size;
}
