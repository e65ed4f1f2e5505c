#include "platform/largepages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

void uselargepages(size_t bytes)
{
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    static bool done = false;
    if (done)
        return;
    done = true;
    const uintptr_t LARGE = uintptr_t(2) << 20;
    const size_t MOST = size_t(32) << 20; // the C library's largest threshold
    if (bytes < 2 * LARGE || bytes > MOST - LARGE)
        return;
    // Blocks up to this size then come from the heap rather than from
    // mappings of their own, and stay there when freed: a block taken and
    // given back at once leaves heap that the figure's arrays reuse, and that
    // heap is marked for large pages before anything touches it.
    if (!mallopt(M_MMAP_THRESHOLD, static_cast<int>(MOST)) ||
        !mallopt(M_TRIM_THRESHOLD, static_cast<int>(MOST)))
        return;
    void *block = std::malloc(bytes + LARGE);
    if (!block)
        return;
    uintptr_t start = (reinterpret_cast<uintptr_t>(block) + LARGE - 1) & ~(LARGE - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes + LARGE) & ~(LARGE - 1);
    if (end > start)
        madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE); // advice only: may be refused
    std::free(block);
#else
    (void)bytes;
#endif
}
