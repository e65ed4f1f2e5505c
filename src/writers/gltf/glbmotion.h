// The figure's animation, for a description with frames (model/frames.h):
// per frame, every joint's rotation from the bond angles of that frame, as
// the bond-angle pass measures them, and the translation of each joint
// whose bond changes length (and of the root joint, which carries the
// figure's place). Frame k is keyed at k / fps seconds; frame 0 is the rest
// pose.
//
// A bond whose length changes is not carried by a scale (that would scale
// the atom's subtree too): the atom's joint is moved along its bond instead,
// so that the atom, drawn rigidly in the joint, lands where the frame puts
// it. The joint then no longer stands at the parent atom, so such a bond's
// cylinder has its parent end bound to the parent's joint (glbfigure.h).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "base/spill.h"

struct glbmotion {
    int frames = 0;           // 0: no animation
    std::vector<float> times; // seconds, per frame
    // Per frame, read per atom (a long animation spills to a temporary
    // file): x, y, z, w, each frame's sign chosen next to the frame before,
    // so that an interpolation that blends components takes the short way
    // too.
    std::unique_ptr<columnstore> rotations;
    // The same of x, y, z; used for the atoms that moved lists.
    std::unique_ptr<columnstore> translations;
    std::vector<char> moved;     // per atom: its joint's translation is keyed
    std::vector<char> stretched; // per atom: its bond to its parent changes length

    // Every frame's values of one atom, in turn; null when the temporary
    // file cannot be read back. Valid until the next call of the same.
    const float *rotation(int atom) const
    {
        return reinterpret_cast<const float *>(rotations->column(static_cast<size_t>(atom)));
    }
    const float *translation(int atom) const
    {
        return reinterpret_cast<const float *>(translations->column(static_cast<size_t>(atom)));
    }
};

// Works out the animation of the current model after the bond-angle pass;
// m->frames stays 0 for a description without frames. The model is left as
// it was. Returns 0 when a frame cannot be read back from its temporary
// file.
int buildmotion(glbmotion *m, double fps);
