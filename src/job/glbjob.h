// One conversion to the glTF figure: a description in, one .glb file out.
// No Poser folder, settings file or dialog is involved; every problem goes
// to the front end's sink, as in the Poser conversion.
#pragma once

#include <cstdio>

#include <cstddef>

struct frontend;

// Converts the description at krxpath into the glTF file outpath. An
// existing outpath is replaced only when force is not 0. Nothing is written
// unless the whole conversion succeeds. Returns 1 on success, 0 on any
// failure (already reported to the user). A description with frames becomes
// an animated figure, frame k keyed at k / fps seconds.
// text, when given, is the description's text already open (a molecule
// file's description made in memory); krxpath then only names it. text
// stays open.
int convertGLB(const char *krxpath, const char *outpath, int force, const frontend &ui, double fps = 24,
               FILE *text = nullptr);

// The default output of a description, beside it: its path with the ".krx"
// suffix (any case) replaced by ".glb", or ".glb" added when it has none.
// Returns 0 when the name does not fit into size bytes.
int glbname(char *out, size_t size, const char *krxpath);
