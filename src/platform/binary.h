// Streams that must reach the file byte for byte. The outfile layer opens
// text streams, and on Windows a text stream writes every "\n" as CR LF,
// which would break a binary file such as the glTF figure.
#pragma once

#include <cstdio>

// Switches the open stream f to binary output before anything is written
// to it; 1 on success.
int binarystream(FILE *f);
