#include "model/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

bool isdigitc(char c) { return c >= '0' && c <= '9'; }

// Copies the longest leading decimal number of tok into buf (null-terminated)
// and returns its length; 0 when tok starts with no number.
size_t numberprefix(const char *tok, char *buf, size_t size)
{
    size_t n = 0, i = 0;
    auto put = [&](char c) {
        if (n + 1 < size)
            buf[n++] = c;
    };
    if (tok[i] == '+' || tok[i] == '-')
        put(tok[i++]);
    size_t intdigits = 0, fracdigits = 0;
    while (isdigitc(tok[i])) {
        put(tok[i++]);
        intdigits++;
    }
    if (tok[i] == '.') {
        size_t j = i + 1;
        while (isdigitc(tok[j]))
            j++;
        fracdigits = j - i - 1;
        if (intdigits > 0 || fracdigits > 0) {
            for (; i < j; i++)
                put(tok[i]);
        }
    }
    if (intdigits == 0 && fracdigits == 0)
        return 0;
    if (tok[i] == 'e' || tok[i] == 'E') {
        size_t j = i + 1;
        if (tok[j] == '+' || tok[j] == '-')
            j++;
        if (isdigitc(tok[j])) {
            while (isdigitc(tok[j]))
                j++;
            for (; i < j; i++)
                put(tok[i]);
        }
    }
    buf[n] = '\0';
    return n;
}

} // namespace

double readreal(const char *tok)
{
    // A token is at most one line of 254 characters, so the prefix fits.
    char buf[512];
    if (numberprefix(tok, buf, sizeof buf) == 0)
        return 0.0;
    // The prefix is plain decimal, which every correctly rounding strtod
    // reads to the same double. MinGW's own strtod is the correctly rounding
    // one; the system runtime's is not.
#ifdef __MINGW32__
    return __mingw_strtod(buf, nullptr);
#else
    return std::strtod(buf, nullptr);
#endif
}

long readint(const char *tok)
{
    const char *c = tok;
    bool negative = false;
    if (*c == '+' || *c == '-')
        negative = *c++ == '-';
    int64_t v = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; isdigitc(*c); c++) {
        v = v * 10 + (*c - '0');
        if (v >= limit) {
            v = limit;
            // Saturated: the rest of the digits cannot change the result.
            break;
        }
    }
    return static_cast<long>(negative ? -v : v);
}

unsigned char lowbyte(long v) { return static_cast<unsigned char>(static_cast<uint32_t>(v) & 0xffu); }

unsigned char truncbyte(double v)
{
    double t = std::trunc(v);
    if (!(t >= static_cast<double>(INT32_MIN) && t <= static_cast<double>(INT32_MAX)))
        return 0;
    return lowbyte(static_cast<long>(static_cast<int32_t>(t)));
}
