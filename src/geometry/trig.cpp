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
// atan2 takes a shorter way first, one that knows its own error and gives
// its result only where that error cannot change the rounding (below).
// The argument reduction of sin and cos is accurate for |x| up to about 2^26;
// beyond it (never met: the pass turns by angles within [-pi, pi]) results
// are still the same on every build, only less accurate.
//
// The series are long chains of dependent operations, so several of them are
// worked side by side: in the lanes of a vector of two doubles (SSE2 on
// x86-64), each lane performing exactly the operations of one evaluation
// alone, and several such vectors at once. The lanes never mix, so the bits
// are those of one call at a time. (Vectors of four with AVX2 were slower on
// the AMD EPYC of the build machine: fewer chains to overlap, and its units
// work 128 bits at a time.)
#include "geometry/trig.h"
#include "geometry/trig_full.h"

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

// Inlined everywhere: the sums below are short chains of dependent
// operations, and the processor overlaps two of them only when both stand in
// one loop body.
#if defined(__GNUC__)
#define KINLINE inline __attribute__((always_inline))
#else
#define KINLINE inline
#endif

// Two doubles side by side (SSE2 on x86-64, whatever the target offers
// elsewhere): each operation on them is the same IEEE operation on each of
// the two, so a pair of lanes gives the bits of two separate evaluations.
typedef double double2 __attribute__((vector_size(16)));

template <class T>
struct ddof {
    T hi, lo; // value hi + lo, with |lo| at most half an ulp of hi
};
typedef ddof<double> dd;
typedef ddof<double2> dd2;

template <class T>
struct halvesof {
    T hi, lo;
};
typedef halvesof<double> halves;

#include "geometry/trig_constants.h"

template <class T>
KINLINE ddof<T> twosum(T a, T b)
{
    T s = a + b;
    T bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Needs |a| >= |b| (or a zero).
template <class T>
KINLINE ddof<T> quicktwosum(T a, T b)
{
    T s = a + b;
    return {s, b - (s - a)};
}

// Veltkamp's split of a into two halves of 26 bits, for |a| <= 2^995.
template <class T>
KINLINE halvesof<T> plainsplit(T a)
{
    const double splitter = 134217729.0;
    T t = splitter * a;
    T h = t - (t - a);
    return {h, a - h};
}

// The split of any a: values near the top of the range are scaled so that
// the product by 2^27 + 1 stays finite.
KINLINE halves split(double a)
{
    if (a > 0x1p995 || a < -0x1p995) {
        halves h = plainsplit(a * 0x1p-28);
        return {h.hi * 0x1p28, h.lo * 0x1p28};
    }
    return plainsplit(a);
}

// The exact product a * b as hi + lo, from the halves of both (a factor
// used many times is split once).
template <class T>
KINLINE ddof<T> twoprod(T a, halvesof<T> as, T b, halvesof<T> bs)
{
    T p = a * b;
    return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

KINLINE dd twoprod(double a, double b) { return twoprod(a, split(a), b, split(b)); }

template <class T>
KINLINE ddof<T> add(ddof<T> a, ddof<T> b)
{
    ddof<T> s = twosum(a.hi, b.hi);
    ddof<T> t = twosum(a.lo, b.lo);
    s.lo += t.hi;
    s = quicktwosum(s.hi, s.lo);
    s.lo += t.lo;
    return quicktwosum(s.hi, s.lo);
}

KINLINE dd sub(dd a, dd b) { return add(a, dd{-b.hi, -b.lo}); }

// a * b, with a.hi split into as and b.hi into bs.
template <class T>
KINLINE ddof<T> mul(ddof<T> a, halvesof<T> as, ddof<T> b, halvesof<T> bs)
{
    ddof<T> p = twoprod(a.hi, as, b.hi, bs);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return quicktwosum(p.hi, p.lo);
}

KINLINE dd mul(dd a, dd b) { return mul(a, split(a.hi), b, split(b.hi)); }

KINLINE dd muld(dd a, double b)
{
    dd p = twoprod(a.hi, b);
    p.lo += a.lo * b;
    return quicktwosum(p.hi, p.lo);
}

KINLINE dd div(dd a, dd b)
{
    double q1 = a.hi / b.hi;
    dd r = sub(a, muld(b, q1));
    double q2 = r.hi / b.hi;
    r = sub(r, muld(b, q2));
    double q3 = r.hi / b.hi;
    return add(quicktwosum(q1, q2), dd{q3, 0.0});
}

// The one rounding of a result.
KINLINE double rounded(dd a) { return a.hi + a.lo; }

// The series below are summed by Horner's rule, c[14] first: p becomes
// p x + c[i]. Their terms and x stay below 4 in magnitude, so the plain
// split serves (the callers see to |x| <= 1); x.hi is split once.
template <class T>
KINLINE ddof<T> series(const ddof<T> *c, ddof<T> x)
{
    halvesof<T> xs = plainsplit(x.hi);
    ddof<T> p = c[14];
    for (int i = 13; i >= 0; i--)
        p = add(mul(p, plainsplit(p.hi), x, xs), c[i]);
    return p;
}

// The same series in two lanes at once.
dd2 pairof(dd a, dd b) { return {double2{a.hi, b.hi}, double2{a.lo, b.lo}}; }
dd lane(dd2 a, int l) { return {a.hi[l], a.lo[l]}; }

struct pairtables {
    dd2 sincos[15]; // the sine's coefficients in lane 0, the cosine's in 1
    dd2 atan[15];   // the arctangent's in both
};

const pairtables &pairs()
{
    static const pairtables t = [] {
        pairtables m;
        for (int i = 0; i < 15; i++) {
            m.sincos[i] = pairof(SINCOEF[i], COSCOEF[i]);
            m.atan[i] = pairof(ATANCOEF[i], ATANCOEF[i]);
        }
        return m;
    }();
    return t;
}

// |x| = k pi/2 + r with |r| <= pi/4: r and the quadrant (k mod 4). k times
// pi/2 is taken in four exact products, so that the cancellation against |x|
// loses nothing; a huge |x| leaves an r still too large after one round
// (2/pi is only a double) and takes more.
void reduce(double ax, dd *out, int *quadrantout)
{
    static const halves HALFPI4SPLIT[3] = {split(HALFPI4[0]), split(HALFPI4[1]), split(HALFPI4[2])};
    dd r = {ax, 0.0};
    int quadrant = 0;
    for (int round = 0; round < 64 && std::fabs(r.hi) > QUARTERPI_ROUNDED; round++) {
        double k = std::floor(r.hi * TWOOVERPI + 0.5);
        // Near the top of the range k pi/2 itself would overflow: such a k
        // is even, and its halves are taken one after the other.
        int halvescount = std::fabs(k) > 0x1p1000 ? 2 : 1;
        double part = halvescount == 2 ? k * 0.5 : k;
        halves ps = split(part);
        for (int h = 0; h < halvescount; h++) {
            r = sub(r, twoprod(part, ps, HALFPI4[0], HALFPI4SPLIT[0]));
            r = sub(r, twoprod(part, ps, HALFPI4[1], HALFPI4SPLIT[1]));
            r = sub(r, twoprod(part, ps, HALFPI4[2], HALFPI4SPLIT[2]));
            r = sub(r, dd{part * HALFPI4[3], 0.0});
        }
        // k mod 4 with the sign of k, as fmod gives it: in integers while k
        // is one exactly (the usual case: one round for an angle).
        int kmod = std::fabs(k) < 0x1p52 ? static_cast<int>(static_cast<long long>(k) % 4)
                                         : static_cast<int>(std::fmod(k, 4.0));
        quadrant = (quadrant + kmod + 4) % 4;
    }
    *out = r;
    *quadrantout = quadrant;
}

// sin and cos in three steps, as atan2 below: the special arguments, the
// reduction and r^2 (begin), the two series side by side in one pair of
// lanes (any number of such pairs side by side), and the results (end).
struct sincoswork {
    bool done; // s and c are the results already
    double x, s, c;
    dd r;
    int quadrant;
    dd2 sum;    // r^2 in both lanes on the way in, the two series' sums on the way out
    bool alone; // sum holds the sums already
};

void sincosbegin(double x, sincoswork *w)
{
    w->done = true;
    w->alone = false;
    w->x = x;
    w->sum = pairof(dd{0.0, 0.0}, dd{0.0, 0.0});
    if (std::isnan(x) || std::isinf(x)) {
        w->s = w->c = x - x; // NaN
        return;
    }
    if (std::fabs(x) < 0x1p-27) {
        // sin x = x - x^3/6 and cos x = 1 - x^2/2 round to x and 1 here,
        // and a negative zero keeps its sign.
        w->s = x;
        w->c = 1.0;
        return;
    }
    w->done = false;
    reduce(std::fabs(x), &w->r, &w->quadrant);
    // sin r = r (SINCOEF in r^2) and cos r = COSCOEF in r^2. An r that
    // the reduction left above 1 (an argument beyond its accurate range)
    // has its series summed here, with the split that scales.
    dd r2 = mul(w->r, w->r);
    if (std::fabs(w->r.hi) <= 1) {
        w->sum = pairof(r2, r2);
        return;
    }
    dd ps = SINCOEF[14], pc = COSCOEF[14];
    for (int i = 13; i >= 0; i--) {
        ps = add(mul(ps, r2), SINCOEF[i]);
        pc = add(mul(pc, r2), COSCOEF[i]);
    }
    w->sum = pairof(ps, pc);
    w->alone = true;
}

// The input of a lane's series: r^2, or zero for a lane with nothing to sum.
dd2 seriesinput(const sincoswork &w)
{
    return w.done || w.alone ? pairof(dd{0.0, 0.0}, dd{0.0, 0.0}) : w.sum;
}

void sincosend(const sincoswork &w, dd2 sum, double *s, double *c)
{
    if (w.done) {
        *s = w.s;
        *c = w.c;
        return;
    }
    if (w.alone)
        sum = w.sum;
    dd sr = mul(w.r, lane(sum, 0)), cr = lane(sum, 1);
    double sv, cv;
    switch (w.quadrant) {
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
    *s = w.x < 0 ? -sv : sv;
    *c = cv;
}

// N series side by side, each of x[k] (|x| <= 1 in every lane) with the
// coefficients c[k], into sum[k].
template <int N, class V>
KINLINE void seriesside(const ddof<V> *const *c, const ddof<V> *x, ddof<V> *sum)
{
    halvesof<V> xs[N];
    for (int k = 0; k < N; k++) {
        xs[k] = plainsplit(x[k].hi);
        sum[k] = c[k][14];
    }
    for (int i = 13; i >= 0; i--)
        for (int k = 0; k < N; k++)
            sum[k] = add(mul(sum[k], plainsplit(sum[k].hi), x[k], xs[k]), c[k][i]);
}

// The same coefficients for all N.
template <int N>
KINLINE void seriesside(const dd2 *c, const dd2 *x, dd2 *sum)
{
    const dd2 *cs[N];
    for (int k = 0; k < N; k++)
        cs[k] = c;
    seriesside<N, double2>(cs, x, sum);
}

// sin and cos of x[0 .. n-1], n at most LANES: the arguments of several
// calls worked through side by side, each one's sine series beside its
// cosine series, so that their chains of operations overlap. Every lane
// computes exactly what one call alone would.
template <int LANES>
void sincoslanes(const double *x, double *s, double *c, int n)
{
    sincoswork w[LANES];
    dd2 in[LANES], sum[LANES];
    for (int l = 0; l < LANES; l++) {
        sincosbegin(l < n ? x[l] : 0.0, &w[l]);
        in[l] = seriesinput(w[l]);
    }
    seriesside<LANES>(pairs().sincos, in, sum);
    for (int l = 0; l < n; l++)
        sincosend(w[l], sum[l], &s[l], &c[l]);
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
        sincoslanes<1>(&x, &last.s, &last.c, 1);
        last.bits = bits;
        last.valid = true;
    }
    *s = last.s;
    *c = last.c;
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

// atan2 in three steps: the special arguments and the reduction to a u with
// |u| <= 1/16 (begin), the series in u^2 (any number of them side by side)
// and the sum (end). atan t for 0 <= t <= 1 is atan(j/8) from the table plus
// atan u of the remainder u = (t - j/8) / (1 + t j/8), by its series.
struct atanwork {
    bool done; // v is the result already
    double v;
    bool yneg, xneg, steep;
    int j;
    dd u, u2;
};

// The signed zeros and the infinities give the C99 results.
void atanbegin(double y, double x, atanwork *w)
{
    w->done = true;
    w->u = w->u2 = {0.0, 0.0};
    if (std::isnan(x) || std::isnan(y)) {
        w->v = x + y;
        return;
    }
    bool yneg = std::signbit(y), xneg = std::signbit(x);
    double ay = std::fabs(y), ax = std::fabs(x);
    double v = 0.0;
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
        w->done = false;
        w->yneg = yneg;
        w->xneg = xneg;
        w->steep = ay > ax;
        dd t = w->steep ? quotient(ax, ay) : quotient(ay, ax);
        int j = static_cast<int>(t.hi * 8.0 + 0.5);
        if (j > 8)
            j = 8;
        double c = j * 0.125;
        w->j = j;
        w->u = div(sub(t, dd{c, 0.0}), add(dd{1.0, 0.0}, muld(t, c)));
        w->u2 = mul(w->u, w->u);
        return;
    }
    w->v = yneg ? -v : v;
}

// The series of one argument alone, summed in w->u2 (|u| <= 1/16 leaves it
// far below the bound of the plain split).
void atanseries(atanwork *w) { w->u2 = series(ATANCOEF, w->u2); }

double atanend(const atanwork &w)
{
    if (w.done)
        return w.v;
    dd a = add(ATANEIGHTHS[w.j], mul(w.u, w.u2));
    if (w.steep)
        a = sub(HALFPI, a);
    if (w.xneg)
        a = sub(PI, a);
    double v = rounded(a);
    return w.yneg ? -v : v;
}

// The bits of a double, and the double of bits.
std::uint64_t bitsof(double d)
{
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

double ofbits(std::uint64_t b)
{
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

// atan2 the short way, for arguments of ordinary size: the reduction to u
// as in the full evaluation (in double-double, u = (n - c d) / (d + c n)
// straight from the arguments, with no quotient before it), but the series
// beyond its first term in plain doubles. The value found then lies within
//   2^-59.4 |u| + 2^-103 |result|
// of the true one: u itself within 2^-102 of its own, and the series' tail,
// at most |u|^3 / 3 <= 2^-9.5 |u|, within 7.6 * 2^-53 of its own (u.lo
// dropped, the three products and the coefficients rounded), plus the sums'
// roundings. With a margin of 2.6 times that, where the margin around the
// value holds no point halfway between two doubles, the value's rounding is
// the true value's: the correctly rounded result, which is what the full
// evaluation gives. false where the margin does not decide (one call in
// 500 or so for bond vectors); the full evaluation then answers.
bool quickatan2(double y, double x, double *out)
{
    double ay = std::fabs(y), ax = std::fabs(x);
    // Zeros, infinities, NaNs and extremes take the full way (a NaN fails
    // every comparison).
    if (!(ay >= 0x1p-300 && ay <= 0x1p300 && ax >= 0x1p-300 && ax <= 0x1p300))
        return false;
    const bool steep = ay > ax;
    const double n = steep ? ax : ay, d = steep ? ay : ax; // t = n / d in [0, 1]
    int j = static_cast<int>(n / d * 8.0 + 0.5);
    if (j > 8)
        j = 8;
    // c = j / 8 has three bits, so its split is itself.
    const double c = j * 0.125;
    const halves cs = {c, 0.0};
    dd num = {n, 0.0}, den = {d, 0.0};
    if (j > 0) {
        dd cd = twoprod(d, split(d), c, cs), cn = twoprod(n, split(n), c, cs);
        num = add(dd{n, 0.0}, dd{-cd.hi, -cd.lo});
        // d >= c n, so the shorter sum serves; likewise below, where the
        // first term is always the larger.
        den = quicktwosum(d, cn.hi);
        den.lo += cn.lo;
        den = quicktwosum(den.hi, den.lo);
    }
    // u = num / den to two doubles.
    double q1 = num.hi / den.hi;
    dd r = sub(num, muld(den, q1));
    dd u = quicktwosum(q1, r.hi / den.hi);
    // The tail u^3 (-1/3 + u^2/5 - ... + u^16/17): the rest is below
    // 2^-76 |u|.
    double s = u.hi * u.hi;
    double q = ATANCOEF[8].hi;
    for (int i = 7; i >= 1; i--)
        q = q * s + ATANCOEF[i].hi;
    double tail = s * u.hi * q;
    // atan(j/8) >= 0.12 > |u| (or j = 0); pi/2 and pi exceed what they
    // lose; each sum off by at most 2^-105 of itself.
    auto minus = [](dd big, dd small) {
        dd r = quicktwosum(big.hi, -small.hi);
        r.lo += big.lo - small.lo;
        return quicktwosum(r.hi, r.lo);
    };
    dd a = quicktwosum(ATANEIGHTHS[j].hi, u.hi);
    a.lo += (ATANEIGHTHS[j].lo + u.lo) + tail;
    a = quicktwosum(a.hi, a.lo);
    if (steep)
        a = minus(HALFPI, a);
    if (x < 0)
        a = minus(PI, a);
    const double v = rounded(a);
    const double off = std::fabs((a.hi - v) + a.lo);
    const double margin = std::fabs(u.hi) * 0x1p-58 + std::fabs(v) * 0x1p-100;
    // Half the gap to the next double below |v| (the smaller gap, where |v|
    // is a power of two).
    const double av = std::fabs(v);
    const double halfgap = (av - ofbits(bitsof(av) - 1)) * 0.5;
    if (!(off + margin < halfgap))
        return false;
    *out = y < 0 ? -v : v;
    return true;
}

// atan2 of y[l] and x[l] into out[l] for l below n (at most 2 PAIRS), the
// series of two arguments in each pair of lanes.
template <int PAIRS>
void atanlanes(const double *y, const double *x, double *out, int n)
{
    const pairtables &t = pairs();
    atanwork w[2 * PAIRS];
    for (int l = 0; l < 2 * PAIRS; l++) {
        if (l < n)
            atanbegin(y[l], x[l], &w[l]);
        else
            w[l] = atanwork{true, 0.0, false, false, false, 0, {0.0, 0.0}, {0.0, 0.0}};
    }
    dd2 sum[PAIRS], u2[PAIRS];
    for (int k = 0; k < PAIRS; k++)
        u2[k] = pairof(w[2 * k].u2, w[2 * k + 1].u2);
    seriesside<PAIRS>(t.atan, u2, sum);
    for (int l = 0; l < n; l++) {
        w[l].u2 = lane(sum[l / 2], l % 2);
        out[l] = atanend(w[l]);
    }
}

} // namespace

void ksincos(double x, double *s, double *c) { cachedsincos(x, s, c); }

void ksincos(const double *x, double *s, double *c, int n)
{
    int i = 0;
    for (; i + 4 <= n; i += 4)
        sincoslanes<4>(x + i, s + i, c + i, 4);
    for (; i + 2 <= n; i += 2)
        sincoslanes<2>(x + i, s + i, c + i, 2);
    for (; i < n; i++)
        sincoslanes<1>(x + i, s + i, c + i, 1);
}

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

double katan2(double y, double x)
{
    double v;
    if (quickatan2(y, x, &v))
        return v;
    return fullatan2(y, x);
}

double fullatan2(double y, double x)
{
    atanwork w;
    atanbegin(y, x, &w);
    if (!w.done)
        atanseries(&w);
    return atanend(w);
}

void katan2(const double *y, const double *x, double *out, int n)
{
    // The short way first; the arguments it leaves go the full way
    // together, up to 8 at a time, so that their series overlap.
    double ly[8], lx[8], lv[8];
    int at[8], left = 0;
    auto fullway = [&] {
        fullatan2(ly, lx, lv, left);
        for (int l = 0; l < left; l++)
            out[at[l]] = lv[l];
        left = 0;
    };
    for (int i = 0; i < n; i++) {
        if (quickatan2(y[i], x[i], &out[i]))
            continue;
        ly[left] = y[i];
        lx[left] = x[i];
        at[left++] = i;
        if (left == 8)
            fullway();
    }
    if (left > 0)
        fullway();
}

void fullatan2(const double *y, const double *x, double *out, int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8)
        atanlanes<4>(y + i, x + i, out + i, 8);
    int rest = n - i;
    if (rest > 4)
        atanlanes<4>(y + i, x + i, out + i, rest);
    else if (rest > 2)
        atanlanes<2>(y + i, x + i, out + i, rest);
    else if (rest == 2)
        atanlanes<1>(y + i, x + i, out + i, rest);
    else if (rest == 1)
        out[i] = fullatan2(y[i], x[i]);
}
