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
    auto addliteral = [this](const char *from, size_t len) {
        literals.push_back({text.size(), len});
        text.insert(text.end(), from, from + len);
        text.insert(text.end(), 16, '\0');
        fixed += len;
    };
    const char *start = format;
    for (const char *c = format; *c; c++) {
        if (c[0] != '%' || (c[1] != 's' && c[1] != 'g' && c[1] != 'd'))
            continue;
        addliteral(start, static_cast<size_t>(c - start));
        start = c + 2;
        c++;
    }
    addliteral(start, std::strlen(start));
}

namespace {

// Copies len bytes from `from`, which may be read 16 bytes far when wide;
// `to` has room for 16 bytes more than len.
inline void copyshort(char *to, const char *from, size_t len, bool wide)
{
    if (wide && len <= 16)
        std::memcpy(to, from, 16);
    else
        std::memcpy(to, from, len);
}

} // namespace

void pattern::fill(textbuffer &out, const piece *args) const
{
    size_t total = fixed;
    for (size_t i = 0; i + 1 < literals.size(); i++)
        total += args[i].len;
    char *at = out.room(total + 16);
    if (!at) {
        for (size_t i = 0; i < literals.size(); i++) {
            out.add(&text[literals[i].at], literals[i].len);
            if (i + 1 < literals.size())
                out.add(args[i]);
        }
        return;
    }
    for (size_t i = 0;; i++) {
        copyshort(at, &text[literals[i].at], literals[i].len, true);
        at += literals[i].len;
        if (i + 1 == literals.size())
            break;
        copyshort(at, args[i].text, args[i].len, args[i].wide);
        at += args[i].len;
    }
    out.grown(total);
}
