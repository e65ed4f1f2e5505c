#include "writers/gltf/jsontext.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "writers/printg.h"

namespace {

void quoted(std::string &s, const char *v)
{
    s += '"';
    for (const unsigned char *c = reinterpret_cast<const unsigned char *>(v); *c; c++) {
        // A run of characters that need no escape goes in at once.
        const unsigned char *run = c;
        while (*run >= 0x20 && *run < 0x7f && *run != '"' && *run != '\\')
            run++;
        if (run != c) {
            s.append(reinterpret_cast<const char *>(c), static_cast<size_t>(run - c));
            c = run - 1;
            continue;
        }
        if (*c == '"' || *c == '\\') {
            s += '\\';
            s += static_cast<char>(*c);
        } else if (*c < 0x20 || *c >= 0x7f) {
            // Names are plain ASCII; anything else is escaped byte by byte
            // (as Latin-1) so the text stays valid UTF-8 whatever it holds.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", *c);
            s += buf;
        } else {
            s += static_cast<char>(*c);
        }
    }
    s += '"';
}

// Whether v needs no escape at all; its length in *n.
bool plain(const char *v, size_t *n)
{
    size_t i = 0;
    for (; v[i]; i++) {
        unsigned char c = static_cast<unsigned char>(v[i]);
        if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\')
            return false;
    }
    *n = i;
    return true;
}

} // namespace

void jsontext::open(char bracket)
{
    if (comma)
        s += ',';
    s += bracket;
    comma = false;
}

void jsontext::close(char bracket)
{
    s += bracket;
    comma = true;
}

// The figure's text is some hundred thousand short items: each goes in with
// one append where it can, the comma before it included.

void jsontext::key(const char *k)
{
    size_t n = 0;
    if (plain(k, &n) && n < 60) {
        char buf[64];
        size_t len = 0;
        if (comma)
            buf[len++] = ',';
        buf[len++] = '"';
        std::memcpy(buf + len, k, n);
        len += n;
        buf[len++] = '"';
        buf[len++] = ':';
        s.append(buf, len);
    } else {
        if (comma)
            s += ',';
        quoted(s, k);
        s += ':';
    }
    comma = false;
}

void jsontext::string(const char *v)
{
    if (comma)
        s += ',';
    quoted(s, v);
    comma = true;
}

void jsontext::integer(long long v)
{
    // As std::to_string writes it, from the last digit back.
    char buf[24];
    char *end = buf + sizeof buf, *b = end;
    unsigned long long u =
        v < 0 ? 0 - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        *--b = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u > 0);
    if (v < 0)
        *--b = '-';
    if (comma)
        *--b = ',';
    s.append(b, static_cast<size_t>(end - b));
    comma = true;
}

void jsontext::boolean(bool v)
{
    if (comma)
        s += ',';
    s += v ? "true" : "false";
    comma = true;
}

void jsontext::real(float v)
{
    if (comma)
        s += ',';
    // JSON has no infinities; the figure's numbers are checked before any
    // text is made, so this only guards against a broken file.
    if (!std::isfinite(v))
        v = 0;
    // Nine digits give back the same float.
    numtext t = printg(static_cast<double>(v), 9);
    s.append(t.text, t.len);
    comma = true;
}
