#include "writers/gltf/srgb.h"

// Worked out once, in exact decimal, by srgb_table.py: the bytes written do
// not depend on the C library's pow.
#include "writers/gltf/srgb_table.h"

double srgbtolinear(unsigned char c) { return SRGBLINEAR[c]; }
