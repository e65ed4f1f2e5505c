// Memory in large pages for a program about to fill many megabytes at once.
#pragma once

#include <cstddef>

// Asks that the next `bytes` or so of memory the program allocates come in
// large pages where the system offers them on request (Linux's transparent
// huge pages). Filling fresh memory costs a page fault per page, and on
// virtual machines each fault is dear: 7 MB in 4 kB pages took longer than a
// whole conversion, in 2 MB pages no measurable time. Once per process; a
// no-op elsewhere, and when the system or the C library does not allow it.
void uselargepages(size_t bytes);
