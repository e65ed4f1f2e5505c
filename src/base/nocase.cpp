#include "base/nocase.h"

#include <cstring>

char foldcase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int samenocasen(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (foldcase(a[i]) != foldcase(b[i]))
            return 0;
        if (a[i] == '\0')
            return 1;
    }
    return 1;
}

int samenocase(const char *a, const char *b) { return samenocasen(a, b, static_cast<size_t>(-1)); }

int endsnocase(const char *name, const char *suffix)
{
    size_t len = std::strlen(name), slen = std::strlen(suffix);
    return len >= slen && samenocase(name + len - slen, suffix);
}
