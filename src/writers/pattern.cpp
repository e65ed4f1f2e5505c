#include "writers/pattern.h"

#include <cstdlib>

namespace {

const size_t BLOCK = 1 << 17;

} // namespace

textbuffer::textbuffer(FILE *stream, bool heap) : out(stream), data(nullptr), used(0), capacity(0)
{
    if (heap)
        data = static_cast<char *>(std::malloc(BLOCK));
    if (data) {
        capacity = BLOCK;
    } else {
        data = spare;
        capacity = sizeof spare;
    }
}

textbuffer::~textbuffer()
{
    if (data != spare)
        std::free(data);
}

bool textbuffer::makeroom(size_t n)
{
    flush();
    return capacity >= n;
}

void textbuffer::flush()
{
    if (used > 0)
        std::fwrite(data, 1, used, out);
    used = 0;
}

pattern::pattern(const char *format) : fixed(0)
{
    const char *start = format;
    for (const char *c = format; *c; c++) {
        if (c[0] != '%' || (c[1] != 's' && c[1] != 'g' && c[1] != 'd'))
            continue;
        literals.push_back({start, static_cast<size_t>(c - start)});
        start = c + 2;
        c++;
    }
    literals.push_back({start, std::strlen(start)});
    for (const literal &l : literals)
        fixed += l.len;
}

void pattern::fill(textbuffer &out, const piece *args) const
{
    size_t total = fixed;
    for (size_t i = 0; i + 1 < literals.size(); i++)
        total += args[i].len;
    char *at = out.room(total);
    if (!at) {
        for (size_t i = 0; i < literals.size(); i++) {
            out.add(literals[i].text, literals[i].len);
            if (i + 1 < literals.size())
                out.add(args[i]);
        }
        return;
    }
    for (size_t i = 0;; i++) {
        std::memcpy(at, literals[i].text, literals[i].len);
        at += literals[i].len;
        if (i + 1 == literals.size())
            break;
        std::memcpy(at, args[i].text, args[i].len);
        at += args[i].len;
    }
    out.grown(total);
}
