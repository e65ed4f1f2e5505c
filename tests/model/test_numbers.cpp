#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/numbers.h"

TEST(Numbers, RealForms)
{
    EXPECT_EQ(readreal("5"), 5.0);
    EXPECT_EQ(readreal("5."), 5.0);
    EXPECT_EQ(readreal(".5"), 0.5);
    EXPECT_EQ(readreal("-.5"), -0.5);
    EXPECT_EQ(readreal("+2.25"), 2.25);
    EXPECT_EQ(readreal("0.96//x"), 0.96);
    EXPECT_EQ(readreal("1e2"), 100.0);
    EXPECT_EQ(readreal("1E-2"), 0.01);
    EXPECT_EQ(readreal("1e"), 1.0); // an exponent without digits does not count
    EXPECT_EQ(readreal("1e+"), 1.0);
    EXPECT_EQ(readreal(".5e"), 0.5);
    EXPECT_EQ(readreal("."), 0.0);
    EXPECT_EQ(readreal("--1"), 0.0);
    EXPECT_EQ(readreal("abc"), 0.0);
    EXPECT_EQ(readreal(""), 0.0);
    EXPECT_TRUE(std::signbit(readreal("-0")));
    EXPECT_EQ(readreal("1e-400"), 0.0);
    EXPECT_EQ(readreal("1e308"), 1e308);
    EXPECT_TRUE(std::isinf(readreal("1e309")));
}

TEST(Numbers, NoWordsNoHexadecimal)
{
    // Some C libraries read these; a description must read the same everywhere.
    EXPECT_EQ(readreal("inf"), 0.0);
    EXPECT_EQ(readreal("nan"), 0.0);
    EXPECT_EQ(readreal("infinity"), 0.0);
    EXPECT_EQ(readreal("0x10"), 0.0);
    EXPECT_EQ(readreal("0x1p3"), 0.0);
}

TEST(Numbers, CorrectlyRounded)
{
    // Values whose nearest double needs more than the fast path.
    EXPECT_EQ(readreal("0.1"), 0.1);
    EXPECT_EQ(readreal("2.2250738585072011e-308"), 2.2250738585072011e-308);
    EXPECT_EQ(readreal("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(readreal("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(Numbers, Integers)
{
    EXPECT_EQ(readint("255"), 255);
    EXPECT_EQ(readint("-1"), -1);
    EXPECT_EQ(readint("200.9"), 200);
    EXPECT_EQ(readint("1e2"), 1);
    EXPECT_EQ(readint("x"), 0);
    EXPECT_EQ(readint("2147483647"), 2147483647L);
    EXPECT_EQ(readint("2147483648"), 2147483647L);
    EXPECT_EQ(readint("-2147483648"), -2147483647L - 1);
    EXPECT_EQ(readint("-99999999999999999999"), -2147483647L - 1);
    // Saturation comes before the low 8 bits are taken.
    EXPECT_EQ(lowbyte(readint("99999999999")), 255);
    EXPECT_EQ(lowbyte(readint("256")), 0);
    EXPECT_EQ(lowbyte(readint("-1")), 255);
    EXPECT_EQ(lowbyte(readint("300")), 44);
}

TEST(Numbers, BlueTruncation)
{
    EXPECT_EQ(truncbyte(200.9), 200);
    EXPECT_EQ(truncbyte(100), 100);
    EXPECT_EQ(truncbyte(300), 44);
    EXPECT_EQ(truncbyte(-1.5), 255);
    EXPECT_EQ(truncbyte(2147483647.0), 255);
    EXPECT_EQ(truncbyte(2147483648.0), 0); // does not fit 32 bits
    EXPECT_EQ(truncbyte(-2147483649.0), 0);
    EXPECT_EQ(truncbyte(1e300), 0);
}

// The numbers read without strtod, against strtod itself: as descriptions
// write them (a few decimals), at the edges of that shortcut (2^53, 10^22,
// 17 digits) and beyond it.
TEST(Numbers, AsStrtodReadsThem)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> coordinate(-2000, 2000);
    std::vector<std::string> texts = {"9007199254740992",
                                      "9007199254740993",
                                      "12345678901234567",
                                      "123456789012345678",
                                      "1e22",
                                      "1e23",
                                      "1e-22",
                                      "1e-23",
                                      "4.5e-22",
                                      "0.00000000000000000000001",
                                      "-0.000",
                                      "00000000000000000000000000001.5",
                                      "1.00000000000000000000",
                                      "179.999999",
                                      "-0.5e+3",
                                      "7E0"};
    char buf[64];
    for (int i = 0; i < 100000; i++) {
        for (const char *format : {"%.6f", "%.3f", "%.0f", "%.17g", "%g", "%.12e"}) {
            std::snprintf(buf, sizeof buf, format, coordinate(random) * std::pow(10.0, i % 9 - 4));
            texts.push_back(buf);
        }
    }
    int wrong = 0;
    for (const std::string &t : texts) {
        double want = std::strtod(t.c_str(), nullptr), got = readreal(t.c_str());
        if (std::memcmp(&want, &got, sizeof want) != 0 && wrong++ < 5)
            ADD_FAILURE() << t << ": strtod " << want << ", readreal " << got;
    }
    EXPECT_EQ(wrong, 0);
}

// A whole-number token read in one go, against its two steps: realend at
// the token's end, then readreal. Tokens that end inside the quick reading
// (a letter, a second point, an exponent without digits) are not numbers.
TEST(Numbers, WholeTokenAsRealendThenReadreal)
{
    const char *texts[] = {
        "1.5",  "1.5x", "-0.0", "+7", "1e5", "1e",    "1e+",   "1E-3",    "1e5e",     "1.2.3",
        ".",    "-",    "",     ".5", "5.",  "-.5e2", "1e400", "1e-400x", "0e999999", "12345678901234567890",
        "0x10", "inf",  "1d5",  "3 "};
    for (const char *t : texts) {
        const char *end = realend(t);
        bool whole = end != t && *end == '\0';
        double got = -99, want = readreal(t);
        EXPECT_EQ(readwholereal(t, &got), whole) << '"' << t << '"';
        if (whole) {
            EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0)
                << '"' << t << '"' << ": " << got << ", " << want;
        }
    }
}
