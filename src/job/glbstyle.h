// The style of the glTF figures a front end converts: ball and stick (the
// default), spacefill or sticks (see writers/gltf/glblook.h).
#pragma once

// Sets the style by its name ("ball-and-stick", "spacefill", "sticks", in
// any case) for every later glTF conversion. Returns 0, leaving the style as
// it was, when the name names none.
int setglbstyle(const char *name);

// Whether the name names a style.
int isglbstyle(const char *name);
