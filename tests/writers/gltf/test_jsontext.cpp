// The JSON text builder and the colour conversion, in isolation.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdlib>
#include <string>

#include "glbreader.h"
#include "writers/gltf/jsontext.h"
#include "writers/gltf/srgb.h"

TEST(JsonText, CommasAndNesting)
{
    jsontext j;
    j.open('{');
    j.key("a");
    j.open('[');
    j.integer(1);
    j.integer(-2);
    j.open('{');
    j.close('}');
    j.close(']');
    j.key("b");
    j.boolean(true);
    j.key("c");
    j.string("x");
    j.close('}');
    EXPECT_EQ(j.s, "{\"a\":[1,-2,{}],\"b\":true,\"c\":\"x\"}");
}

TEST(JsonText, IntegersAndKeysAsTheyAre)
{
    const long long values[] = {0, -1, 9, 10, -10, 1234567, LLONG_MAX, LLONG_MIN};
    jsontext j;
    std::string want;
    for (long long v : values) {
        j.integer(v);
        want += (want.empty() ? "" : ",") + std::to_string(v);
    }
    EXPECT_EQ(j.s, want);
    jsontext k;
    k.open('{');
    k.key("plain");
    k.integer(1);
    k.key("q\"b");
    k.integer(2);
    k.key("");
    k.integer(3);
    k.close('}');
    EXPECT_EQ(k.s, "{\"plain\":1,\"q\\\"b\":2,\"\":3}");
}

TEST(JsonText, StringsAreEscapedIntoValidJson)
{
    jsontext j;
    j.string("q\"b\\c\nd\x01\xe9");
    EXPECT_EQ(j.s, "\"q\\\"b\\\\c\\u000ad\\u0001\\u00e9\"");
    jvalue v;
    std::string err;
    ASSERT_TRUE(parsejson(j.s, &v, &err)) << err;
    EXPECT_EQ(v.text, "q\"b\\c\nd\x01\xc3\xa9"); // é as UTF-8
}

TEST(JsonText, FloatsReadBackExactly)
{
    const float values[] = {0.1f, -0.0f, 1e-30f, FLT_MAX, -FLT_MIN, 0.4f, 123456.789f, 3.0f, 1.0f / 3};
    for (float f : values) {
        jsontext j;
        j.real(f);
        EXPECT_EQ(std::strtof(j.s.c_str(), nullptr), f) << j.s;
        jvalue v;
        std::string err;
        ASSERT_TRUE(parsejson(j.s, &v, &err)) << j.s << ": " << err;
    }
}

TEST(Srgb, EndsAndTheJoinOfTheTwoPieces)
{
    EXPECT_EQ(srgbtolinear(0), 0.0);
    EXPECT_DOUBLE_EQ(srgbtolinear(255), 1.0);
    // 10 / 255 is on the straight piece, 11 / 255 on the curve; both pieces
    // meet near 0.04045, so neighbouring bytes stay close and increasing.
    EXPECT_DOUBLE_EQ(srgbtolinear(10), 10 / 255.0 / 12.92);
    for (int c = 1; c < 256; c++) {
        EXPECT_GT(srgbtolinear(static_cast<unsigned char>(c)),
                  srgbtolinear(static_cast<unsigned char>(c - 1)));
        EXPECT_LT(srgbtolinear(static_cast<unsigned char>(c)),
                  c / 255.0 + 1e-12); // never brighter than encoded
    }
}
