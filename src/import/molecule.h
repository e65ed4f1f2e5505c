// A molecule as read from an input file, before it becomes a description:
// atoms in file order and the bonds the file states.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace importer {

struct inatom {
    int element;     // atomic number
    double x, y, z;  // Angstrom, as in the file
    int line;        // where the atom stands in the file, for messages
};

struct inmolecule {
    std::vector<inatom> atoms;
    // Bonds the file lists (0-based atom indices); each pair once or more.
    std::vector<std::pair<int, int>> bonds;
    // 1 when bonds are also to be found from the distances between atoms.
    int perceive = 1;
};

// Leaves out every hydrogen atom and every bond that touches one.
void dropHydrogens(inmolecule &m);

} // namespace importer
