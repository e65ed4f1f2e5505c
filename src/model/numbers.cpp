#include "model/numbers.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool isdigitc(char c) { return c >= '0' && c <= '9'; }

// The length of the longest leading decimal number of tok; 0 when tok
// starts with no number.
size_t numberlength(const char *tok)
{
    size_t i = 0;
    if (tok[i] == '+' || tok[i] == '-')
        i++;
    size_t intdigits = 0, fracdigits = 0;
    while (isdigitc(tok[i])) {
        i++;
        intdigits++;
    }
    if (tok[i] == '.') {
        size_t j = i + 1;
        while (isdigitc(tok[j]))
            j++;
        fracdigits = j - i - 1;
        if (intdigits > 0 || fracdigits > 0)
            i = j;
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
            i = j;
        }
    }
    return i;
}

// Copies the longest leading decimal number of tok into buf (null-terminated,
// cut to fit) and returns the length copied; 0 when tok starts with no
// number.
size_t numberprefix(const char *tok, char *buf, size_t size)
{
    size_t n = numberlength(tok);
    if (n == 0)
        return 0;
    if (n > size - 1)
        n = size - 1;
    std::memcpy(buf, tok, n);
    buf[n] = '\0';
    return n;
}

// 10^k for the k whose power a double holds exactly.
const double EXACTPOWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The numbers descriptions are made of ("1.234567", "-0.5", "120") without
// strtod, which took most of the reader's time: digits that make an integer
// of at most 2^53 and a power of ten that a double holds exactly give the
// correctly rounded value with one multiplication or division (both
// operands exact, one rounding). Returns false for any other number, which
// strtod then reads. *end: where the number read ends.
bool quickreal(const char *tok, double *v, const char **end)
{
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
    return false; // wider intermediate results would round twice
#endif
    const char *c = tok;
    bool negative = *c == '-';
    if (*c == '+' || *c == '-')
        c++;
    uint64_t digits = 0;
    int scale = 0, significant = 0; // value = digits * 10^scale
    // Leading zeros add nothing to digits and are not significant.
    const char *start = c;
    while (*c == '0')
        c++;
    bool any = c != start;
    // (More than 17 significant digits go to strtod: the check waits until
    // the digits end, as the unsigned sum may wrap meanwhile harmlessly.)
    for (; isdigitc(*c); c++, any = true) {
        significant++;
        digits = digits * 10 + static_cast<uint64_t>(*c - '0');
    }
    if (*c == '.') {
        c++;
        if (significant == 0)
            for (; *c == '0'; c++, any = true)
                scale--;
        for (; isdigitc(*c); c++, any = true) {
            significant++;
            digits = digits * 10 + static_cast<uint64_t>(*c - '0');
            scale--;
        }
    }
    if (significant > 17)
        return false;
    if (!any)
        return false;
    *end = c;
    if (*c == 'e' || *c == 'E') {
        const char *e = c + 1;
        bool down = *e == '-';
        if (*e == '+' || *e == '-')
            e++;
        if (isdigitc(*e)) {
            int exponent = 0;
            for (; isdigitc(*e); e++) {
                exponent = exponent * 10 + (*e - '0');
                if (exponent > 400)
                    return false;
            }
            scale += down ? -exponent : exponent;
            *end = e;
        }
    }
    if (digits > (uint64_t(1) << 53) || scale < -22 || scale > 22)
        return digits == 0 ? (*v = negative ? -0.0 : 0.0, true) : false;
    double d = static_cast<double>(digits);
    d = scale < 0 ? d / EXACTPOWERS[-scale] : d * EXACTPOWERS[scale];
    *v = negative ? -d : d;
    return true;
}

} // namespace

double readreal(const char *tok)
{
    double quick;
    const char *end;
    if (quickreal(tok, &quick, &end))
        return quick;
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

const char *realend(const char *tok) { return tok + numberlength(tok); }

bool readwholereal(const char *tok, double *v)
{
    const char *end;
    if (quickreal(tok, v, &end) && *end == '\0')
        return true;
    end = realend(tok);
    if (end == tok || *end != '\0')
        return false;
    *v = readreal(tok);
    return true;
}

const char *intend(const char *tok)
{
    const char *c = tok;
    if (*c == '+' || *c == '-')
        c++;
    const char *digits = c;
    while (isdigitc(*c))
        c++;
    return c == digits ? tok : c;
}
