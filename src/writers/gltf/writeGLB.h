// The third output: the same poseable figure as a binary glTF 2.0 file
// (.glb), for tools other than the figure application. One joint per atom,
// nested as the atom tree, with the figure file's dials as rest rotations;
// one skinned mesh with a primitive per material.
#pragma once

#include <cstdio>

#include "writers/gltf/glbfigure.h"
#include "writers/gltf/glbmotion.h"

// The name of the first atom or element (or "bondradius") whose positions,
// bond lengths or radii have no 32-bit float; null when the figure fits.
const char *glboutofrange();

// Writes the figure of the current model onto the binary stream GLB. name
// names the scene and the mesh, generator goes into the asset record
// ("kestrix 1.0.0"). Returns 0, writing nothing, when a number does not fit
// (see glboutofrange); -1 when the animation's temporary file could not be
// read back; else 1. Write errors are left on the stream for the caller to
// check. A description with frames gets its animation, frame k keyed at
// k / fps seconds.
int writeGLB(FILE *GLB, const char *name, const char *generator, double fps = 24);

// The same in two steps, for a caller that checks the range before it
// opens its output: writes a figure that buildfigure (glbfigure.h) made,
// and the animation m when it is given and has frames. 0 when the
// animation's temporary file could not be read back, else 1.
int writeGLBfigure(FILE *GLB, const glbfigure &f, const char *name, const char *generator,
                   const glbmotion *m = nullptr);
