#include "writers/printg.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>

namespace {

// The powers of ten that a double holds exactly.
const double POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

numtext byprintf(double v, int precision)
{
    numtext t;
    int n = std::snprintf(t.text, sizeof t.text, "%.*g", precision, v);
    t.len = n > 0 ? static_cast<size_t>(n) : 0;
    return t;
}

// a * 10^k, rounded once: the power is exact, so the product (or quotient)
// is within half a unit in the last place of the true value.
double scaled(double a, int k) { return k >= 0 ? a * POWERS[k] : a / POWERS[-k]; }

// The p significant digits of a (a finite positive number) as an integer
// from 10^(p-1) to 10^p - 1 and the decimal exponent of the first, as printf
// rounds them; false where the method cannot decide.
bool significant(double a, int p, long *digits, int *exponent)
{
    const double low = POWERS[p - 1], high = POWERS[p];
    // A first guess at the exponent, floor(log10 a), from the binary one:
    // a = 2m 2^(e-1) with 1 <= 2m < 2, and log10(2m) lies between
    // (2m - 1) log10(2) and 0.03 above it, so the guess is at most one too
    // low (the loop below mends that; the digits do not depend on it). The
    // exponent and mantissa are read from the bits, and floor is done in
    // integers: without SSE4.1 both would be library calls. For a subnormal
    // a the guess is far off, but any a below about 1e-14 fails the range
    // test below and goes to printf.
    std::uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const int e = static_cast<int>(bits >> 52) - 1022;
    const std::uint64_t onebits = 0x3ff0000000000000u;
    double m2;
    bits = (bits & 0x000fffffffffffffu) | onebits;
    std::memcpy(&m2, &bits, sizeof m2);
    const double guess = ((e - 1) + (m2 - 1)) * 0.30102999566398120;
    int x = static_cast<int>(guess);
    if (guess < x)
        x--;
    for (int tries = 0; tries < 3; tries++) {
        int k = p - 1 - x;
        if (k < -22 || k > 22)
            return false;
        double m = scaled(a, k);
        // The logarithm may be one off either way next to a power of ten.
        if (m < low) {
            x--;
            continue;
        }
        if (m >= high) {
            x++;
            continue;
        }
        double whole = static_cast<double>(static_cast<long>(m)), part = m - whole; // 0 < m < 2^30
        // The product may be off by half a unit in its last place, at most
        // 2^-24 (m < 2^30): a part within that of one half could round either
        // way in the true value, and an exact tie goes to the even digit in
        // printf. Left to printf, with a margin of twice the error.
        if (std::fabs(part - 0.5) <= 0x1p-23)
            return false;
        long d = static_cast<long>(whole) + (part > 0.5 ? 1 : 0);
        if (d >= static_cast<long>(high)) {
            d /= 10;
            x++;
        }
        *digits = d;
        *exponent = x;
        return true;
    }
    return false;
}

} // namespace

numtext printg(double v, int precision)
{
    // One object returned on every path, so that it is made in the
    // caller's place: a copy of it, read right after its bytes were
    // written one by one, stalled the processor for longer than the
    // digits took.
    numtext t;
    if (!std::isfinite(v) || precision < 1 || precision > 9) {
        t = byprintf(v, precision);
        return t;
    }
    char *out = t.text;
    if (std::signbit(v))
        *out++ = '-';
    double a = std::fabs(v);
    if (a == 0) {
        *out++ = '0';
        t.len = static_cast<size_t>(out - t.text);
        return t;
    }
    long digits;
    int x;
    const int p = precision;
    if (!significant(a, p, &digits, &x)) {
        t = byprintf(v, p);
        return t;
    }
    char d[9];
    for (int i = p - 1; i >= 0; i--) {
        d[i] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    int kept = p; // trailing zeros are not written
    while (kept > 1 && d[kept - 1] == '0')
        kept--;
    if (x >= -4 && x < p) {
        // Plain notation with p - 1 - x decimals.
        if (x < 0) {
            *out++ = '0';
            *out++ = '.';
            for (int i = 0; i < -x - 1; i++)
                *out++ = '0';
            std::memcpy(out, d, static_cast<size_t>(kept));
            out += kept;
        } else {
            std::memcpy(out, d, static_cast<size_t>(x + 1));
            out += x + 1;
            if (kept > x + 1) {
                *out++ = '.';
                std::memcpy(out, d + x + 1, static_cast<size_t>(kept - x - 1));
                out += kept - x - 1;
            }
        }
    } else {
        *out++ = d[0];
        if (kept > 1) {
            *out++ = '.';
            std::memcpy(out, d + 1, static_cast<size_t>(kept - 1));
            out += kept - 1;
        }
        *out++ = 'e';
        *out++ = x < 0 ? '-' : '+';
        int e = x < 0 ? -x : x;
        if (e >= 100)
            *out++ = static_cast<char>('0' + e / 100);
        *out++ = static_cast<char>('0' + e / 10 % 10);
        *out++ = static_cast<char>('0' + e % 10);
    }
    t.len = static_cast<size_t>(out - t.text);
    return t;
}

numtext printd(int v)
{
    numtext t;
    char digits[16];
    int n = 0;
    // Negated as unsigned so that the most negative int has its digits too.
    unsigned u = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u);
    size_t len = 0;
    if (v < 0)
        t.text[len++] = '-';
    while (n > 0)
        t.text[len++] = digits[--n];
    t.len = len;
    return t;
}
