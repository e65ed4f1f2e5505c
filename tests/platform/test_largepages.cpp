// Large pages asked for the figure's memory: the heap the next blocks come
// from is marked for them (the mark, "hg" among a mapping's flags, is what
// the program controls; whether the system then finds a large page is its
// own affair).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/largepages.h"

namespace {

// The address ranges of the process's mappings marked for large pages.
[[maybe_unused]] std::vector<std::pair<uintptr_t, uintptr_t>> markedranges()
{
    std::vector<std::pair<uintptr_t, uintptr_t>> out;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    uintptr_t start = 0, end = 0;
    while (std::getline(smaps, line)) {
        unsigned long long a, b;
        // A mapping's first line: "start-end perms ..."; its fields follow.
        if (line.find('-') < line.find(' ') && std::sscanf(line.c_str(), "%llx-%llx", &a, &b) == 2) {
            start = static_cast<uintptr_t>(a);
            end = static_cast<uintptr_t>(b);
        } else if (line.compare(0, 8, "VmFlags:") == 0 && (line + " ").find(" hg ") != std::string::npos) {
            out.push_back({start, end});
        }
    }
    return out;
}

} // namespace

TEST(LargePages, FigureMemoryIsMarked)
{
#if !defined(__linux__) || !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "large pages are asked for only from glibc on Linux, without a sanitizer's allocator";
#else
    if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    uselargepages(8 << 20);
    std::vector<float> positions(1 << 20, 1.0f); // 4 MB, as a figure's array
    auto ranges = markedranges();
    uintptr_t at = reinterpret_cast<uintptr_t>(positions.data()) + (2 << 20);
    bool inside = false;
    for (const auto &r : ranges)
        inside = inside || (at >= r.first && at < r.second);
    EXPECT_TRUE(inside) << "the array's middle lies in no marked mapping (" << ranges.size() << " marked)";
#endif
}
