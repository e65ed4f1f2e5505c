// trigprobe: prints the bits of ksin, kcos and katan2, as the build it is
// linked with computes them, for chosen angles and a fixed pseudo-random
// sequence; the Wine test compares the native and the Windows build's lists.
//   trigprobe COUNT
#include "geometry/trig.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

unsigned long long bits(double d)
{
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

std::uint64_t state = 0x9e3779b97f4a7c15ull;

std::uint64_t next()
{
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

void row(double y, double x)
{
    std::printf("%016llx %016llx %016llx %016llx %016llx\n", bits(y), bits(x), bits(ksin(x)), bits(kcos(x)),
                bits(katan2(y, x)));
}

} // namespace

int main(int argc, char **argv)
{
    long count = argc > 1 ? std::atol(argv[1]) : 1000;
    const double pi = 3.141592653589793;
    const double chosen[] = {
        0.0, -0.0, pi / 2, -pi / 2,           pi, -pi, pi / 4, 1e-300, 6.123233995736766e-17, 1.0, -1.0,
        2.0, 1e-8, 0.5,    1.5707963267948968};
    for (double a : chosen)
        for (double b : chosen)
            row(a, b);
    for (long i = 0; i < count; i++) {
        // Angles as the bond-angle pass meets them, and any bit pattern.
        double x = (double)(std::int64_t)next() / 9.223372036854775808e18 * pi;
        double y = (double)(std::int64_t)next() / 9.223372036854775808e18 * 4.0;
        row(y, x);
        std::uint64_t u = next(), v = next();
        std::memcpy(&x, &u, sizeof x);
        std::memcpy(&y, &v, sizeof y);
        row(y, x);
    }
    return 0;
}
