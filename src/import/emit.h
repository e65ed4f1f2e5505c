// The order in which a tree's atoms are written and the branch marks of
// each line, so that a description reader that links atoms by the rule
//   parent = treepath[level]; level += opens; treepath[level] = atom;
//   level = level > closes ? level - closes : 0
// (the first atom being the root whatever its marks) gives back exactly the
// tree.
#pragma once

#include <vector>

namespace importer {

struct emitted {
    int atom;   // index into the tree's atoms
    int opens;  // 1: the line starts with "{"
    int closes; // number of "}" at the line's end
};

// children: each atom's children in the order they are to be considered.
// Every atom below the root is written exactly once, after its parent.
std::vector<emitted> emitorder(const std::vector<std::vector<int>> &children, int root);

} // namespace importer
