// A temporary file that is gone when it is closed, in the system's folder
// for temporary files: the spilled tables and the description of a molecule
// file converted in one step live there.
#pragma once

#include <cstdio>

// Opened for reading and writing, in binary; nullptr with errno set where
// none can be made.
FILE *scratchfile();
