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
#include <vector>

struct glbmotion {
    int frames = 0;           // 0: no animation
    std::vector<float> times; // seconds, per frame
    // Per atom, then per frame: x, y, z, w, each frame's sign chosen next
    // to the frame before, so that an interpolation that blends components
    // takes the short way too.
    std::vector<float> rotations;
    // Per atom, then per frame: x, y, z; used for the atoms that moved lists.
    std::vector<float> translations;
    std::vector<char> moved;     // per atom: its joint's translation is keyed
    std::vector<char> stretched; // per atom: its bond to its parent changes length

    const float *rotation(int atom) const { return &rotations[4 * static_cast<size_t>(atom) * frames]; }
    const float *translation(int atom) const { return &translations[3 * static_cast<size_t>(atom) * frames]; }
};

// Works out the animation of the current model after the bond-angle pass;
// m->frames stays 0 for a description without frames. The model is left as
// it was.
void buildmotion(glbmotion *m, double fps);
