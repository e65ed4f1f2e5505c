// The trigonometry of the bond-angle pass, computed here and not by the C
// library. The pass prints rounding residues (a theta of about 5e-15 for a
// straight chain), so every build must produce the same bits, and the C
// libraries do not: MinGW-w64's sin, cos and atan2 run the x87 instructions
// fsin, fcos and fpatan, whose reduction by a 66-bit pi gives cos(pi/2) with
// barely four correct digits, while glibc's are right to within an ulp but
// not always correctly rounded.
//
// So every result here is computed in double-double arithmetic (about 106
// bits, with plain IEEE additions and multiplications that every build does
// identically, nothing fused) and rounded once at the end: correctly rounded
// unless the true value lies within about 2^-100 of a rounding boundary. (So
// on about one argument in a thousand the result is glibc's plus or minus one
// ulp: glibc's is the misrounded one.)
// The argument reduction of sin and cos is accurate for |x| up to about 2^26;
// beyond it (never met: the pass turns by angles within [-pi, pi]) results
// are still the same on every build, only less accurate.
#include "geometry/trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// The error terms below are exact only if no multiply and add is fused. The
// build turns contraction off for every file (-ffp-contract=off, which is
// what counts for GCC: it does not know the pragma); Clang, which fuses by
// default, is told again here.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace {

struct dd {
    double hi, lo; // value hi + lo, with |lo| at most half an ulp of hi
};

#include "geometry/trig_constants.h"

dd twosum(double a, double b)
{
    double s = a + b;
    double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Needs |a| >= |b| (or a zero).
dd quicktwosum(double a, double b)
{
    double s = a + b;
    return {s, b - (s - a)};
}

// Veltkamp's split of a into two halves of 26 bits; values near the top of
// the range are scaled so that the product by 2^27 + 1 stays finite.
void split(double a, double *hi, double *lo)
{
    const double splitter = 134217729.0;
    double scale = 1.0;
    if (a > 0x1p995 || a < -0x1p995) {
        a *= 0x1p-28;
        scale = 0x1p28;
    }
    double t = splitter * a;
    double h = t - (t - a);
    *hi = h * scale;
    *lo = (a - h) * scale;
}

// The exact product a * b as hi + lo.
dd twoprod(double a, double b)
{
    double p = a * b;
    double ah, al, bh, bl;
    split(a, &ah, &al);
    split(b, &bh, &bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

dd add(dd a, dd b)
{
    dd s = twosum(a.hi, b.hi);
    dd t = twosum(a.lo, b.lo);
    s.lo += t.hi;
    s = quicktwosum(s.hi, s.lo);
    s.lo += t.lo;
    return quicktwosum(s.hi, s.lo);
}

dd sub(dd a, dd b) { return add(a, dd{-b.hi, -b.lo}); }

dd mul(dd a, dd b)
{
    dd p = twoprod(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return quicktwosum(p.hi, p.lo);
}

dd muld(dd a, double b)
{
    dd p = twoprod(a.hi, b);
    p.lo += a.lo * b;
    return quicktwosum(p.hi, p.lo);
}

dd div(dd a, dd b)
{
    double q1 = a.hi / b.hi;
    dd r = sub(a, muld(b, q1));
    double q2 = r.hi / b.hi;
    r = sub(r, muld(b, q2));
    double q3 = r.hi / b.hi;
    return add(quicktwosum(q1, q2), dd{q3, 0.0});
}

// c[0] + c[1] x + ... + c[n-1] x^(n-1), by Horner's rule.
dd poly(const dd *c, int n, dd x)
{
    dd p = c[n - 1];
    for (int i = n - 2; i >= 0; i--)
        p = add(mul(p, x), c[i]);
    return p;
}

// The one rounding of a result.
double rounded(dd a) { return a.hi + a.lo; }

// sin and cos of |x| = k pi/2 + r with |r| <= pi/4, by their series in r.
void sincosreduced(dd r, dd *s, dd *c)
{
    dd r2 = mul(r, r);
    *s = mul(r, poly(SINCOEF, 15, r2));
    *c = poly(COSCOEF, 15, r2);
}

void sincos(double x, double *s, double *c)
{
    if (std::isnan(x) || std::isinf(x)) {
        *s = *c = x - x; // NaN
        return;
    }
    double ax = std::fabs(x);
    if (ax < 0x1p-27) {
        // sin x = x - x^3/6 and cos x = 1 - x^2/2 round to x and 1 here,
        // and a negative zero keeps its sign.
        *s = x;
        *c = 1.0;
        return;
    }
    // |x| = k pi/2 + r. k times pi/2 is taken in four exact products, so
    // that the cancellation against |x| loses nothing; a huge |x| leaves an r
    // still too large after one round (2/pi is only a double) and takes more.
    dd r = {ax, 0.0};
    int quadrant = 0;
    for (int round = 0; round < 64 && std::fabs(r.hi) > QUARTERPI_ROUNDED; round++) {
        double k = std::floor(r.hi * TWOOVERPI + 0.5);
        // Near the top of the range k pi/2 itself would overflow: such a k
        // is even, and its halves are taken one after the other.
        int halves = std::fabs(k) > 0x1p1000 ? 2 : 1;
        double part = halves == 2 ? k * 0.5 : k;
        for (int h = 0; h < halves; h++) {
            r = sub(r, twoprod(part, HALFPI4[0]));
            r = sub(r, twoprod(part, HALFPI4[1]));
            r = sub(r, twoprod(part, HALFPI4[2]));
            r = sub(r, dd{part * HALFPI4[3], 0.0});
        }
        quadrant = (quadrant + static_cast<int>(std::fmod(k, 4.0)) + 4) % 4;
    }
    dd sr, cr;
    sincosreduced(r, &sr, &cr);
    double sv, cv;
    switch (quadrant) {
    case 0:
        sv = rounded(sr);
        cv = rounded(cr);
        break;
    case 1:
        sv = rounded(cr);
        cv = -rounded(sr);
        break;
    case 2:
        sv = -rounded(sr);
        cv = -rounded(cr);
        break;
    default:
        sv = -rounded(cr);
        cv = rounded(sr);
        break;
    }
    *s = x < 0 ? -sv : sv;
    *c = cv;
}

// The bond-angle pass turns every atom by one angle, calling sin and cos of
// it once per atom: the last pair is kept.
struct lastpair {
    std::uint64_t bits;
    bool valid;
    double s, c;
};
thread_local lastpair last;

void cachedsincos(double x, double *s, double *c)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    if (!last.valid || last.bits != bits) {
        sincos(x, &last.s, &last.c);
        last.bits = bits;
        last.valid = true;
    }
    *s = last.s;
    *c = last.c;
}

// atan t for 0 <= t <= 1: atan(j/8) from the table plus atan u of the
// remainder u = (t - j/8) / (1 + t j/8), |u| <= 1/16, by its series.
dd atan01(dd t)
{
    int j = static_cast<int>(t.hi * 8.0 + 0.5);
    if (j > 8)
        j = 8;
    double c = j * 0.125;
    dd u = div(sub(t, dd{c, 0.0}), add(dd{1.0, 0.0}, muld(t, c)));
    return add(ATANEIGHTHS[j], mul(u, poly(ATANCOEF, 15, mul(u, u))));
}

// num / den for 0 < num <= den as hi + lo.
dd quotient(double num, double den)
{
    // Both scaled by one power of two (exact) so that den is near 1 and the
    // product below can neither overflow nor lose bits to underflow.
    int e;
    std::frexp(den, &e);
    num = std::ldexp(num, -e);
    den = std::ldexp(den, -e);
    double q = num / den;
    dd p = twoprod(q, den);
    return quicktwosum(q, ((num - p.hi) - p.lo) / den);
}

} // namespace

double ksin(double x)
{
    double s, c;
    cachedsincos(x, &s, &c);
    return s;
}

double kcos(double x)
{
    double s, c;
    cachedsincos(x, &s, &c);
    return c;
}

// The signed zeros and the infinities give the C99 results.
double katan2(double y, double x)
{
    if (std::isnan(x) || std::isnan(y))
        return x + y;
    bool yneg = std::signbit(y), xneg = std::signbit(x);
    double ay = std::fabs(y), ax = std::fabs(x);
    double v;
    if (std::isinf(ax) || std::isinf(ay)) {
        if (std::isinf(ax) && std::isinf(ay))
            v = xneg ? THREEQUARTERPI_ROUNDED : QUARTERPI_ROUNDED;
        else if (std::isinf(ay))
            v = HALFPI_ROUNDED;
        else
            v = xneg ? PI_ROUNDED : 0.0;
    } else if (ay == 0) {
        v = xneg ? PI_ROUNDED : 0.0;
    } else if (ax == 0) {
        v = HALFPI_ROUNDED;
    } else {
        bool steep = ay > ax;
        dd a = atan01(steep ? quotient(ax, ay) : quotient(ay, ax));
        if (steep)
            a = sub(HALFPI, a);
        if (xneg)
            a = sub(PI, a);
        v = rounded(a);
    }
    return yneg ? -v : v;
}
