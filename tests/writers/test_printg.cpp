// Numbers as the figure writers print them: byte for byte printf's "%g" and
// "%d", for the values of a figure and for every kind of double.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "writers/printg.h"

namespace {

std::string text(const numtext &t) { return std::string(t.text, t.len); }

std::string byprintf(const char *format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// Every value whose text differs, with both texts, up to a few.
struct mismatches {
    int count = 0;
    std::string shown;

    void check(double v)
    {
        std::string want = byprintf("%g", v), got = text(printg(v));
        if (got == want)
            return;
        if (count++ < 5)
            shown += byprintf("%.17g", v) + ": printf " + want + ", printg " + got + "\n";
    }
};

} // namespace

TEST(Printg, Table)
{
    const struct {
        double v;
        const char *text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "-0"},
        {1.0, "1"},
        {-1.0, "-1"},
        {0.5, "0.5"},
        {0.01, "0.01"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {0.000123456789, "0.000123457"},
        {123456.0, "123456"},
        {1234567.0, "1.23457e+06"},
        {999999.5, "1e+06"},
        {999999.4, "999999"},
        {1e100, "1e+100"},
        {-2.5e-300, "-2.5e-300"},
        {0.9, "0.9"},
        {0.00390625, "0.00390625"},
        {0.99609375, "0.996094"},
        {1.4, "1.4"},
        {-0.382683 * 0.2, "-0.0765366"},
        {3.14159265358979, "3.14159"},
        {1.5e-14, "1.5e-14"},
        {DBL_MAX, "1.79769e+308"},
        {DBL_MIN, "2.22507e-308"},
        {4.9406564584124654e-324, "4.94066e-324"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(text(printg(c.v)), c.text) << byprintf("%.17g", c.v);
        EXPECT_EQ(text(printg(c.v)), byprintf("%g", c.v)) << byprintf("%.17g", c.v);
    }
    EXPECT_EQ(text(printg(std::nan(""))), byprintf("%g", std::nan("")));
}

// Exact ties at the sixth digit round to the even digit in printf, as the
// binary value decides; 1234565 is a tie, 1234575 and 0.1234565 are not
// (the latter has no exact binary value).
TEST(Printg, TiesAsPrintfRoundsThem)
{
    for (double v : {1234565.0, 1234575.0, 0.1234565, 2345675.0, 1000005.0, 9999995.0, 0.5, 12.5, 1e6 + 0.5})
        EXPECT_EQ(text(printg(v)), byprintf("%g", v)) << byprintf("%.17g", v);
}

// Around every power of ten, where the exponent and the notation change.
TEST(Printg, AroundPowersOfTen)
{
    mismatches m;
    for (int e = -320; e <= 308; e++) {
        double p = std::pow(10.0, e);
        for (double f :
             {1.0, 0.9999995, 0.99999949999, 0.99999950001, 9.999995, 9.9999949999, 1.0000005, 1.23456})
            for (double v : {p * f, std::nextafter(p * f, 0.0), std::nextafter(p * f, DBL_MAX)}) {
                m.check(v);
                m.check(-v);
            }
    }
    EXPECT_EQ(m.count, 0) << m.shown;
}

// Any bit pattern, and values as a figure has them: coordinates of a few
// decimals, products with the ball's points, colour parts.
TEST(Printg, ManyValues)
{
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> coordinate(-1000, 1000);
    mismatches m;
    for (int i = 0; i < 200000; i++) {
        uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        m.check(v);
        m.check(coordinate(random));
        m.check(std::round(coordinate(random) * 1e6) / 1e6);
        m.check(std::round(coordinate(random) * 1e3) / 1e6 * 0.707107);
    }
    for (int i = 0; i < 256; i++)
        m.check(i * 0.00390625);
    EXPECT_EQ(m.count, 0) << m.shown;
}

TEST(Printd, AsPrintf)
{
    for (int v : {0, 1, -1, 9, 10, 1023, -1024, 123456789, INT_MAX, INT_MIN}) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d", v);
        EXPECT_EQ(text(printd(v)), buf);
    }
}
