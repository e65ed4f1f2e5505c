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
    int vertices = 0; // of each shape; 0: the primitive holds its vertices itself
    const double *normal[3] = {nullptr, nullptr, nullptr}; // unit, in the shape's frame, by component
    const int (*triangles)[3] = nullptr;                   // counted from the shape's first vertex
    int trianglecount = 0;
    std::vector<double> frames; // each shape's frame into the scene: turn (row by row), then shift
    std::vector<double> sizes;  // each shape's: ball centre x y z and radius; cylinder low, high, radius
    std::vector<unsigned short> joints; // each shape's two: ball's atom twice; cylinder's low and high ends
    float min[3] = {0, 0, 0}, max[3] = {0, 0, 0}; // the bounds of the positions, as the writer needs them
    size_t count() const { return frames.size() / FRAME; }
    enum { FRAME = 12, SIZE = 4 };
};

struct glbprimitive {
    int material;                       // element slot, or nelements for the bonds
    glbshapes shapes;                   // or, when shapes.vertices is 0:
    std::vector<float> positions;       // x, y, z per vertex, in the scene at rest
    std::vector<unsigned short> joints; // the one joint each vertex follows
    std::vector<float> normals;         // unit, pointing outward
    std::vector<unsigned> indices;      // triangles, counter-clockwise seen from outside

    size_t vertexcount() const { return shapes.vertices ? shapes.count() * shapes.vertices : joints.size(); }
    size_t indexcount() const
    {
        return shapes.vertices ? shapes.count() * shapes.trianglecount * 3 : indices.size();
    }
};

// The positions (x, y, z as floats) of shape s of p, shapes.vertices of them,
// into out; and the joint each of its vertices follows.
void shapepositions(const glbprimitive &p, size_t s, float *out);
void shapejoints(const glbprimitive &p, size_t s, unsigned short *out);

struct glbfigure {
    // One per atom, in table order, then one tip per leaf atom but the
    // root, in table order.
    std::vector<glbjoint> joints;
    float rig[3];                         // translation of the plain node that holds the root joint
    std::vector<glbprimitive> primitives; // element order, then the bonds; none empty
    const char *bad; // atom or element (or "bondradius") whose numbers do not fit; null if all fit
};

// Builds the figure of the current model. Returns 1, or 0 when a number does
// not fit a 32-bit float; f->bad then names its owner, and *p (when given)
// is the problem to show: "this number is out of range", the owner.
// stretched (per atom, when given and not empty): the tree bonds whose
// length an animation changes (glbmotion.h).
int buildfigure(glbfigure *f, problem *p = nullptr, const std::vector<char> *stretched = nullptr);
