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

int swapsuffix(char *out, size_t size, const char *path, const char *from, const char *to)
{
    size_t len = std::strlen(path);
    if (endsnocase(path, from))
        len -= std::strlen(from);
    int n = std::snprintf(out, size, "%.*s%s", static_cast<int>(len), path, to);
    return n >= 0 && static_cast<size_t>(n) < size;
}
