// The bond angles of every frame of a description with frames
// (model/frames.h), as the bond-angle pass measures them, for the writers
// that animate a figure: the glTF animation and the Poser pose file read
// the same numbers, frame by frame.
#pragma once

// Visits frame 0 (the rest pose, as read and measured), then each further
// frame in turn with the atoms placed where that frame puts them and their
// theta, phi and bondl measured anew. Afterwards every atom is as it was.
// Nothing is visited in angle mode, where frames are ignored. Returns 0,
// having stopped, when a frame cannot be read back from its temporary file.
int visitframes(void (*visit)(void *self, int frame), void *self);
