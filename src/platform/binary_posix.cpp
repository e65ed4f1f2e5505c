#include "platform/binary.h"

// POSIX streams make no difference between text and binary.
int binarystream(FILE *f) { return f != nullptr; }
