// The atom tree of a molecule: a breadth-first spanning tree of its bond
// graph from the graph's centre, so that no atom lies deeper than its bonds
// force it to.
#pragma once

#include <utility>
#include <vector>

#include "import/molecule.h"

namespace importer {

struct atomtree {
    int root = 0;
    std::vector<int> parent;                // -1 for the root only
    std::vector<std::vector<int>> children; // in the order they were reached
    // Bonds that close rings and so can be no tree link, (lower, higher).
    std::vector<std::pair<int, int>> ringbonds;
    // Of each further part, the atom hung from the root without a bond.
    std::vector<int> hung;
    int nparts = 0;
};

// bonds as allbonds gives them. root: the atom to start from, or -1 for the
// centre of the largest part (ties to the lowest index).
void buildtree(const inmolecule &m, const std::vector<std::pair<int, int>> &bonds, int root, atomtree &t);

// The centre of a part (its atoms by rising index): the atom from which the
// farthest atom of the part is fewest bonds away; ties to the lowest index.
int centreof(const std::vector<std::vector<int>> &adjacent, const std::vector<int> &part);

} // namespace importer
