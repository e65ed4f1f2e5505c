// The portable trigonometry against correctly rounded values computed with
// exact arithmetic (reference.inc, made by reference.py), bit for bit: the
// bond-angle pass prints rounding residues, so one ulp matters.
#include "geometry/trig.h"
#include "geometry/trig_full.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "reference.inc"

namespace {

std::uint64_t bits(double d)
{
    std::uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

#define EXPECT_SAME_BITS(got, want)                                                                          \
    EXPECT_EQ(bits(got), bits(want)) << std::hexfloat << (got) << " vs " << (want)

// pi is a constant: the value that start-up once computed, there before any
// code runs (a test or a tool that converts without start-up got 0).
static_assert(pi > 3.14159 && pi < 3.1416, "pi is known at compile time");

TEST(Trig, PiIsFourTimesTheArctangentOfOne)
{
    EXPECT_SAME_BITS(pi, std::atan(1.0) * 4);
    EXPECT_SAME_BITS(pi, std::acos(-1.0));
}

TEST(Trig, SineAndCosineAreCorrectlyRounded)
{
    for (const auto &row : SINCOS) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << "x = " << row[0]);
        EXPECT_SAME_BITS(ksin(row[0]), row[1]);
        EXPECT_SAME_BITS(kcos(row[0]), row[2]);
    }
}

TEST(Trig, CosineAfterSineOfAnotherAngleIsNotTheCachedOne)
{
    // The last pair is kept; asking for sine of one angle and cosine of the
    // next must still give each its own.
    const size_t n = sizeof SINCOS / sizeof SINCOS[0];
    for (size_t i = 0; i + 1 < n; i++) {
        EXPECT_SAME_BITS(ksin(SINCOS[i][0]), SINCOS[i][1]);
        EXPECT_SAME_BITS(kcos(SINCOS[i + 1][0]), SINCOS[i + 1][2]);
    }
}

TEST(Trig, Atan2IsCorrectlyRounded)
{
    for (const auto &row : ATAN2) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << "y = " << row[0] << ", x = " << row[1]);
        EXPECT_SAME_BITS(katan2(row[0], row[1]), row[2]);
    }
}

TEST(Trig, RightAngleLeavesTheResidueOfTheRoundedPi)
{
    // cos of the double nearest pi/2 is pi/2 minus that double: 6.123e-17,
    // which the x87 fcos gets wrong from the fifth digit on.
    EXPECT_SAME_BITS(kcos(M_PI / 2), 0x1.1a62633145c07p-54);
    EXPECT_SAME_BITS(ksin(M_PI), 0x1.1a62633145c07p-53);
    EXPECT_SAME_BITS(kcos(-M_PI / 2), 0x1.1a62633145c07p-54);
    EXPECT_SAME_BITS(ksin(-M_PI / 2), -1.0);
}

TEST(Trig, SignedZerosAndSymmetry)
{
    EXPECT_SAME_BITS(ksin(0.0), 0.0);
    EXPECT_SAME_BITS(ksin(-0.0), -0.0);
    EXPECT_SAME_BITS(kcos(-0.0), 1.0);
    for (const auto &row : SINCOS) {
        EXPECT_SAME_BITS(ksin(-row[0]), -row[1]);
        EXPECT_SAME_BITS(kcos(-row[0]), row[2]);
    }
    for (const auto &row : ATAN2)
        EXPECT_SAME_BITS(katan2(-row[0], row[1]), -row[2]);
}

TEST(Trig, Atan2OfZerosAndInfinitiesAsInC99)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_SAME_BITS(katan2(0.0, 0.0), 0.0);
    EXPECT_SAME_BITS(katan2(-0.0, 0.0), -0.0);
    EXPECT_SAME_BITS(katan2(0.0, -0.0), M_PI);
    EXPECT_SAME_BITS(katan2(-0.0, -0.0), -M_PI);
    EXPECT_SAME_BITS(katan2(0.0, -2.0), M_PI);
    EXPECT_SAME_BITS(katan2(-0.0, -2.0), -M_PI);
    EXPECT_SAME_BITS(katan2(-0.0, 2.0), -0.0);
    EXPECT_SAME_BITS(katan2(3.0, 0.0), M_PI / 2);
    EXPECT_SAME_BITS(katan2(-3.0, -0.0), -M_PI / 2);
    EXPECT_SAME_BITS(katan2(1.0, inf), 0.0);
    EXPECT_SAME_BITS(katan2(1.0, -inf), M_PI);
    EXPECT_SAME_BITS(katan2(-inf, 5.0), -M_PI / 2);
    EXPECT_SAME_BITS(katan2(inf, inf), M_PI / 4);
    EXPECT_SAME_BITS(katan2(inf, -inf), 3 * M_PI / 4);
    EXPECT_TRUE(std::isnan(katan2(NAN, 1.0)));
    EXPECT_TRUE(std::isnan(katan2(1.0, NAN)));
    EXPECT_TRUE(std::isnan(ksin(inf)));
    EXPECT_TRUE(std::isnan(kcos(-inf)));
    EXPECT_TRUE(std::isnan(ksin(NAN)));
}

TEST(Trig, ExtremeArgumentsStayFinite)
{
    // Far beyond any angle the pass meets, but never a crash or a value out
    // of range.
    const double big[] = {1e22, -1e300, std::numeric_limits<double>::max(), 0x1p1000};
    for (double x : big) {
        double s = ksin(x), c = kcos(x);
        EXPECT_TRUE(std::isfinite(s) && std::fabs(s) <= 1.0) << x;
        EXPECT_TRUE(std::isfinite(c) && std::fabs(c) <= 1.0) << x;
    }
    EXPECT_SAME_BITS(katan2(std::numeric_limits<double>::max(), std::numeric_limits<double>::max()),
                     M_PI / 4);
    EXPECT_SAME_BITS(katan2(std::numeric_limits<double>::denorm_min(), 1.0), 0.0);
}

TEST(Trig, TheShortWayToAtan2GivesTheBitsOfTheFullOne)
{
    // katan2 answers most calls without the full series and is right only
    // if its margin holds. Pseudo-random arguments of the kinds where it is
    // thinnest: bond-sized vectors, ratios next to the table's points j/16
    // (where |u| is largest), next to 1 (the steep switch), tiny and large
    // ratios, and scales across the range the short way takes.
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    auto next = [&state] {
        state += 0x9e3779b97f4a7c15u;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    };
    auto uniform = [&next] { return static_cast<double>(next() >> 11) * 0x1p-53 * 4 - 2; };
    int mismatches = 0;
    for (int i = 0; i < 400000; i++) {
        double x = uniform(), y = uniform();
        switch (i % 5) {
        case 1: // a ratio next to j/16
            y = x * (static_cast<double>(next() % 17) / 16) * (1 + uniform() * 1e-12);
            break;
        case 2: // next to the diagonal
            y = x * (1 + uniform() * 1e-15);
            break;
        case 3: { // any scale the short way takes
            int ex = static_cast<int>(next() % 600) - 300, ey = ex + static_cast<int>(next() % 40) - 20;
            x = std::ldexp(x, ex);
            y = std::ldexp(y, ey);
            break;
        }
        case 4: // a tiny or huge ratio
            y = std::ldexp(y, -static_cast<int>(next() % 200));
            if (next() % 2)
                std::swap(x, y);
            break;
        }
        double want = fullatan2(y, x), got = katan2(y, x);
        if (bits(got) != bits(want) && ++mismatches <= 10)
            ADD_FAILURE() << std::hexfloat << "atan2(" << y << ", " << x << ") = " << got << ", not " << want;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Trig, BatchesGiveTheBitsOfSingleCalls)
{
    // Every count up to two full groups and a tail of each size, over
    // ordinary, tiny, huge and special arguments.
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> x = {0.0, -0.0, 1e-300, -3e-9, 1e22, -1e300, inf, NAN, 0x1p1000, -inf};
    for (const auto &row : SINCOS)
        x.push_back(row[0]);
    std::vector<double> y(x.rbegin(), x.rend());
    for (int n = 0; n <= 19; n++) {
        for (size_t from = 0; from + n <= x.size(); from += 7) {
            std::vector<double> s(n), c(n), a(n);
            ksincos(&x[from], s.data(), c.data(), n);
            katan2(&y[from], &x[from], a.data(), n);
            for (int i = 0; i < n; i++) {
                SCOPED_TRACE(testing::Message() << std::hexfloat << "n = " << n << ", x = " << x[from + i]
                                                << ", y = " << y[from + i]);
                EXPECT_SAME_BITS(s[i], ksin(x[from + i]));
                EXPECT_SAME_BITS(c[i], kcos(x[from + i]));
                EXPECT_SAME_BITS(a[i], katan2(y[from + i], x[from + i]));
            }
        }
    }
}

} // namespace
