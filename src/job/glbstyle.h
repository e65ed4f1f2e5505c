// The style of the glTF figures a front end converts: ball and stick (the
// default), spacefill or sticks, and the colour of its bonds: the bond
// colour or each half its atom's (see writers/gltf/glblook.h).
#pragma once

// Sets the style by its name ("ball-and-stick", "spacefill", "sticks", in
// any case) for every later glTF conversion. Returns 0, leaving the style as
// it was, when the name names none.
int setglbstyle(const char *name);

// Whether the name names a style.
int isglbstyle(const char *name);

// Sets the bonds' colour by its name ("bond", "atoms", in any case) for every
// later glTF conversion. Returns 0, leaving it as it was, when the name names
// none.
int setglbbondcolours(const char *name);

// Whether the name names a bond colour.
int isglbbondcolours(const char *name);
