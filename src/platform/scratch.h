// A temporary file that is gone when it is closed, in the system's folder
// for temporary files: the description of a molecule file converted in one
// step lives there.
#pragma once

#include <cstdio>

// Opened for reading and writing, in binary; nullptr with errno set where
// none can be made.
FILE *scratchfile();
