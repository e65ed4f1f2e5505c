// Everything the glTF file holds, as the 32-bit numbers it stores: the joints
// with their rest transforms and inverse bind matrices, and the skinned mesh
// split into one primitive per material. Built from the molecule model after
// the bond-angle pass; the file writer only lays it out.
#pragma once

#include <vector>

struct glbjoint {
    float translation[3];
    float rotation[4]; // quaternion x, y, z, w
    float inversebind[16]; // column-major, as glTF stores matrices
};

struct glbprimitive {
    int material;                // element slot, or nelements for the bonds
    std::vector<float> positions; // x, y, z per vertex, in the scene at rest
    std::vector<float> normals;   // unit, pointing outward
    std::vector<unsigned short> joints; // the one joint each vertex follows
    std::vector<unsigned> indices;      // triangles, counter-clockwise seen from outside
};

struct glbfigure {
    std::vector<glbjoint> joints;         // one per atom, in table order
    std::vector<glbprimitive> primitives; // element order, then the bonds; none empty
    const char *bad; // atom or element (or "bondradius") whose numbers do not fit; null if all fit
};

// Builds the figure of the current model. Returns 1, or 0 when a number does
// not fit a 32-bit float; f->bad then names its owner.
int buildfigure(glbfigure *f);
