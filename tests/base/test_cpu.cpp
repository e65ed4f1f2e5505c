// The one processor dispatch: with KESTRIX_NO_AVX2 in the environment every
// hot loop takes its plain path (run so by the cpu_without_avx2 test; the
// check of the sources, tests/layering/cpu.sh, finds no loop that asks the
// processor itself).
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/cpu.h"

namespace {

TEST(Cpu, ThePlainPathsWhenTheEnvironmentAsks)
{
    if (!std::getenv("KESTRIX_NO_AVX2"))
        GTEST_SKIP() << "KESTRIX_NO_AVX2 is not set";
    EXPECT_FALSE(useavx2());
    EXPECT_FALSE(useavx2()); // decided once, and stays so
}

} // namespace
