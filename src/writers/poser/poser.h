// The Poser output files, written from the molecule model after reading
// (and, in coordinate mode, after the bond-angle pass). Each writer takes an
// open stream and writes in one pass; the caller checks the stream for errors.
#pragma once

#include <cstddef>
#include <cstdio>

// The OBJ mesh: the shared bond cylinder, then one group per element.
void writeOBJ(FILE *OBJ);

// The CR2 figure. name is the figure name, objfile the OBJ file's full path
// and posername the Poser installation folder it should lie in.
void writeCR2(FILE *CR2, const char *name, const char *objfile, const char *posername);

// The pose file of a description with frames (model/frames.h): every frame
// keyed at its number (0 for the first) on the figure file's own channels,
// the root's place and every other atom's bond angles, bond length and
// stretch morph, so that applying it to the figure plays the frames.
// Returns 0 when a frame cannot be read back from its temporary file.
int writePZ2(FILE *PZ2);

// How the figure file names its geometry: below the Poser folder, the path
// from that folder with every separator written as a colon (":kestrix:x.obj");
// anywhere else, the full path unchanged.
void resourcepath(char *out, size_t size, const char *objfile, const char *posername);
