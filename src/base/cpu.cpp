#include "base/cpu.h"

#include <cstdlib>

bool useavx2()
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool use = __builtin_cpu_supports("avx2") && !std::getenv("KESTRIX_NO_AVX2");
    return use;
#else
    return false;
#endif
}
