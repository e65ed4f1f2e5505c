// Everything the glTF file holds, as the 32-bit numbers it stores: the joints
// with their rest transforms and inverse bind matrices, and the skinned mesh
// split into one primitive per material. Every bond of the bond graph is
// one cylinder: a tree link's follows the child's joint; a ring bond's
// ends follow the joints of their own atoms, so posing stretches it and
// both ends stay on their atoms; a link that is no bond has none. Built from the molecule model after
// the bond-angle pass; the file writer only lays it out.
#pragma once

#include <cstddef>
#include <vector>

#include "base/problem.h"

struct glbjoint {
    int atom; // the atom whose joint this is, or whose tip
    bool tip; // the end of a leaf atom's bone: a joint at the atom that no vertex follows
    float translation[3];
    float rotation[4];     // quaternion x, y, z, w
    float inversebind[16]; // column-major, as glTF stores matrices
};

// Shapes of one kind (balls, or bond cylinders), one after the other in a
// primitive, whose vertices the file writer makes as it writes them: the
// figure then holds per shape only its frame and size, not some 4 MB of
// numbers that would each be written once (every page of them filled with
// zeros first). The builder works every point out once already, to check
// that it fits a float and to find the bounds, and the writer again, with
// the same operations.
struct glbshapes {
    int vertices = 0;                                      // of each shape
    const double *normal[3] = {nullptr, nullptr, nullptr}; // unit, in the shape's frame, by component
    const int (*triangles)[3] = nullptr;                   // counted from the shape's first vertex
    int trianglecount = 0;
    std::vector<double> frames; // each shape's frame into the scene: turn (row by row), then shift
    std::vector<double> sizes;  // each shape's: ball centre x y z and radius; cylinder low, high, radius
    std::vector<unsigned short> joints; // each shape's two: ball's atom twice; cylinder's low and high ends
    // Only for the halves of bonds drawn in their atoms' colours (empty
    // otherwise): per shape, which of its rings lies at the bond's middle
    // and follows both ends' joints half and half (MIDDLE_LOW, MIDDLE_HIGH),
    // so that the two halves of a bond whose ends move apart stay joined
    // there; MIDDLE_NONE when both ends follow one joint.
    std::vector<unsigned char> middle;
    float min[3] = {0, 0, 0}, max[3] = {0, 0, 0}; // the bounds of the positions (floatrange's)
    size_t count() const { return frames.size() / FRAME; }
    enum { FRAME = 12, SIZE = 4 };
    enum { MIDDLE_NONE, MIDDLE_LOW, MIDDLE_HIGH };
};

struct glbprimitive {
    int material;     // element slot, or nelements for the bonds
    glbshapes shapes; // triangles counter-clockwise seen from outside, normals pointing outward

    size_t vertexcount() const { return shapes.count() * shapes.vertices; }
    size_t indexcount() const { return shapes.count() * shapes.trianglecount * 3; }
};

// The positions (x, y, z as floats) of shape s of p, shapes.vertices of them,
// into out; and the joint each of its vertices follows.
void shapepositions(const glbprimitive &p, size_t s, float *out);
void shapejoints(const glbprimitive &p, size_t s, unsigned short *out);
// For a primitive with middles: each vertex's second joint (its first, when
// it follows one) and the first joint's weight out of 255 (the second has
// the rest).
void shapeblend(const glbprimitive &p, size_t s, unsigned short *second, unsigned char *weight);

struct glbfigure {
    // One per atom, in table order, then one tip per leaf atom but the
    // root, in table order.
    std::vector<glbjoint> joints;
    float rig[3]; // translation of the plain node that holds the root joint
    // Balls in element order, then the bonds; or, their halves in their
    // atoms' colours, each element's halves (in element order). None empty.
    std::vector<glbprimitive> primitives;
    const char *bad; // atom or element (or "bondradius") whose numbers do not fit; null if all fit
};

// Builds the figure of the current model. Returns 1, or 0 when a number does
// not fit a 32-bit float; f->bad then names its owner, and *p (when given)
// is the problem to show: "this number is out of range", the owner.
// stretched (per atom, when given and not empty): the tree bonds whose
// length an animation changes (glbmotion.h).
int buildfigure(glbfigure *f, problem *p = nullptr, const std::vector<char> *stretched = nullptr);
