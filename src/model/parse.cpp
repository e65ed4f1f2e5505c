#include "model/parse.h"

#include <cstring>

char *parsed[MAXTOKENS + 1];
int nargs = 0;

namespace {

// The tokenizer's two questions about a byte, answered by table: one look-up
// a character instead of two or three comparisons.
struct chartable {
    bool separator[256]; // a control character or a space, not the line's end
    bool end[256];       // the line's end, a space or a tab
};

const chartable &classes()
{
    static const chartable t = [] {
        chartable m;
        for (int c = 0; c < 256; c++) {
            m.separator[c] = c != 0 && c <= 32;
            m.end[c] = c == 0 || c == ' ' || c == '\t';
        }
        return m;
    }();
    return t;
}

} // namespace

int parse(char *line)
{
    parsed[0] = nullptr;

    int count = 0;
    unsigned char *c = reinterpret_cast<unsigned char *>(line);
    const chartable &is = classes();
    for (;;) {
        // Every control character separates tokens where one may start...
        while (is.separator[*c])
            *c++ = 0;
        if (count == MAXTOKENS || *c == 0)
            break;
        parsed[count++] = reinterpret_cast<char *>(c);
        // ...but only a space or a tab ends one.
        while (!is.end[*c])
            c++;
    }
    // A line feed ending the line is no part of its last token. (Taken off
    // here, once the line's end is known: every other control character
    // before it has become a 0 already, or lies inside a token as it would.)
    if (*c == 0) {
        if (c > reinterpret_cast<unsigned char *>(line) && c[-1] == '\n')
            c[-1] = 0;
    } else {
        size_t len = std::strlen(line);
        if (len > 0 && line[len - 1] == '\n')
            line[len - 1] = '\0';
    }
    parsed[count] = nullptr;
    return count;
}

int isgoodname(const char *name)
{
    for (const char *c = name; *c; c++) {
        char ch = *c;
        bool ok =
            (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '_';
        if (!ok)
            return 0;
    }
    return 1;
}
