// The writers' output, made in memory and written with one call: fixed texts
// with slots (printf format strings whose conversions are %s, %g and %d),
// split once into their literal pieces, are filled with ready texts, the
// numbers made by printg. Copying pieces is all that is left per line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include "writers/printg.h"

// A text to put into a slot; it points into storage the caller keeps.
struct piece {
    const char *text;
    size_t len;
    bool wide; // 16 bytes from text may be read, whatever len is

    piece(const char *s) : text(s), len(std::strlen(s)), wide(false) {}
    piece(const numtext &n) : text(n.text), len(n.len), wide(sizeof n.text >= 16) {}
};

// The output bytes of one file, gathered in a block of memory and written
// onto the stream a block at a time: a few large writes rather than one per
// line. The block is of fixed size and reused, not as large as the file:
// fresh memory costs a page fault per page, and on a virtual machine those
// took longer than the whole conversion without them.
class textbuffer {
public:
    // heap false: the block in the object itself, as when the heap has no
    // memory (for the tests).
    explicit textbuffer(FILE *out, bool heap = true);
    ~textbuffer();
    textbuffer(const textbuffer &) = delete;
    textbuffer &operator=(const textbuffer &) = delete;

    void add(const char *text, size_t len)
    {
        if (capacity - used < len && !makeroom(len)) {
            std::fwrite(text, 1, len, out);
            return;
        }
        std::memcpy(data + used, text, len);
        used += len;
    }
    void add(const piece &p) { add(p.text, p.len); }
    // Space for n more bytes at the end, or null when n exceeds the block
    // (add piece by piece then); the caller fills them and calls grown(n).
    char *room(size_t n) { return capacity - used >= n || makeroom(n) ? data + used : nullptr; }
    void grown(size_t n) { used += n; }
    // Writes what is gathered; errors stay on the stream for the caller.
    void flush();

private:
    bool makeroom(size_t n);
    FILE *out;
    char *data;
    size_t used, capacity;
    char spare[16384]; // the block when the heap has none
};

// A format string split at its conversions.
class pattern {
public:
    // format: only %s, %g and %d; each becomes one slot, filled in order.
    explicit pattern(const char *format);
    size_t slots() const { return literals.size() - 1; }
    // Appends the text with args[i] in slot i; args holds slots() pieces.
    void fill(textbuffer &out, const piece *args) const;
    template <size_t N>
    void fill(textbuffer &out, const piece (&args)[N]) const
    {
        fill(out, &args[0]);
    }

private:
    struct literal {
        size_t at; // in text
        size_t len;
    };
    // The literals one after the other, each followed by 16 zeros: short
    // pieces are copied 16 bytes at a time, in one instruction rather than
    // a call of memcpy for a few bytes.
    std::vector<char> text;
    std::vector<literal> literals; // one more than the slots
    size_t fixed;                  // the literals' total size
};
