// The bounds rule of POSITION: the least and greatest value, and among equal
// values (+0 and -0) the first one met, however the values fall into the
// four walks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "writers/gltf/floatrange.h"

namespace {

TEST(FloatRange, TheFirstExtremeMetZerosKeepingTheirSign)
{
    struct {
        std::vector<float> v;
        float low, high;
    } rows[] = {
        {{7}, 7, 7},
        {{0.0f, 1, -0.0f, 2}, 0.0f, 2},
        {{-0.0f, 0.0f, 3}, -0.0f, 3},
        {{-1, -0.0f, 0.0f}, -1, -0.0f},
        {{-1, 0.0f, -0.0f}, -1, 0.0f},
        {{5, 4, 3, 2, 1, 6, 7, 8, 9, 10, 11, 12, 13, 14, -0.0f, 0.0f, 15}, -0.0f, 15},
        {{5, 4, 3, 2, 1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0.0f, -0.0f, 15}, 0.0f, 15},
        {{-5, -4, -3, -2, -1, -6, -7, -8, -9, -10, -11, -12, -13, 0.0f, -0.0f}, -13, 0.0f},
        {{5, 6, 7, -0.0f, 8, 9, 0.0f, 10, 11}, -0.0f, 11},
        {{5, 6, 7, 0.0f, 8, 9, -0.0f, 10, 11}, 0.0f, 11},
        // The first zero in the third walk, a later one in the second.
        {{1, 2, -0.0f, 3, 4, 0.0f, 5, 6}, -0.0f, 6},
        {{-1, -2, 0.0f, -3, -4, -0.0f, -5, -6}, -6, 0.0f},
        // Zeros at both ends, met in the last walk first.
        {{-0.0f, -0.0f, -0.0f, 0.0f, 0.0f}, -0.0f, -0.0f},
        {{0.0f, 0.0f, 0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f}, 0.0f, 0.0f},
    };
    int row = 0;
    for (const auto &r : rows) {
        float low = 99, high = 99;
        floatrange(r.v.data(), static_cast<int>(r.v.size()), &low, &high);
        EXPECT_EQ(low, r.low) << "row " << row;
        EXPECT_EQ(high, r.high) << "row " << row;
        EXPECT_EQ(std::signbit(low), std::signbit(r.low)) << "row " << row;
        EXPECT_EQ(std::signbit(high), std::signbit(r.high)) << "row " << row;
        row++;
    }
}

} // namespace
