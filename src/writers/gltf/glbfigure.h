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

struct glbjoint {
    int atom; // the atom whose joint this is, or whose tip
    bool tip; // the end of a leaf atom's bone: a joint at the atom that no vertex follows
    float translation[3];
    float rotation[4];     // quaternion x, y, z, w
    float inversebind[16]; // column-major, as glTF stores matrices
};

// Shapes of one kind, one after the other in a primitive, whose normals and
// triangles the file writer makes as it writes them: the figure then holds
// per shape only the turn of its frame, not some 2 MB of numbers that would
// each be written once.
struct glbshapes {
    int vertices = 0; // of each shape; 0: the primitive holds its normals and indices itself
    const double *normal[3] = {nullptr, nullptr, nullptr}; // unit, in the shape's frame, by component
    const int (*triangles)[3] = nullptr;                   // counted from the shape's first vertex
    int trianglecount = 0;
    std::vector<double> turns; // each shape's frame turn into the scene, nine numbers row by row
};

struct glbprimitive {
    int material;                       // element slot, or nelements for the bonds
    std::vector<float> positions;       // x, y, z per vertex, in the scene at rest
    std::vector<unsigned short> joints; // the one joint each vertex follows
    glbshapes shapes;                   // or, when shapes.vertices is 0:
    std::vector<float> normals;         // unit, pointing outward
    std::vector<unsigned> indices;      // triangles, counter-clockwise seen from outside

    size_t normalcount() const { return shapes.vertices ? 3 * joints.size() : normals.size(); }
    size_t indexcount() const
    {
        return shapes.vertices ? joints.size() / shapes.vertices * shapes.trianglecount * 3 : indices.size();
    }
};

struct glbfigure {
    // One per atom, in table order, then one tip per leaf atom but the
    // root, in table order.
    std::vector<glbjoint> joints;
    float rig[3];                         // translation of the plain node that holds the root joint
    std::vector<glbprimitive> primitives; // element order, then the bonds; none empty
    const char *bad; // atom or element (or "bondradius") whose numbers do not fit; null if all fit
};

// Builds the figure of the current model. Returns 1, or 0 when a number does
// not fit a 32-bit float; f->bad then names its owner.
int buildfigure(glbfigure *f);
