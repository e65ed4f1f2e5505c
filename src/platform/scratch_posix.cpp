#include "platform/scratch.h"

// The C library's temporary file is made in P_tmpdir (or TMPDIR) and
// unlinked at once: nothing is left even when the program is killed.
FILE *scratchfile() { return std::tmpfile(); }
