// The one rule for file suffixes: compared without regard to case, added
// only when missing, and never by cutting a name to make room.
#pragma once

#include <cstddef>

// Appends suffix (".cr2", ".obj") unless name already ends in it, case
// ignored. Returns 0 when the name with its suffix does not fit size.
int addsuffix(char *name, size_t size, const char *suffix);

// path with its suffix from (".krx", any case) replaced by to (".glb"), or
// with to appended when it does not end in from. A null from stands for
// whatever suffix the file's name has: from its last dot, unless that dot
// begins the name ("1abc.pdb" and "1abc." become "1abc.krx", ".hidden"
// becomes ".hidden.krx"). Returns 0 when the result does not fit size bytes.
int swapsuffix(char *out, size_t size, const char *path, const char *from, const char *to);
