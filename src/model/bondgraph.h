// What a description says of its bond graph beyond the atom tree: bonds
// that close rings (no tree link can be one) and tree links that are no
// bond (a further part of the file hung from the root). A table of its own
// beside the atom table, filled from the description's annotations; empty
// for a description without any, which then converts as it always has.
#pragma once

#include "model/model.h"

enum {
    // A ring bond per atom and a half is more than chemistry gives (a
    // fullerene has one per two atoms); four per atom leaves room for
    // metals and clusters.
    MAXRINGBONDS = 4 * MAXATOMS
};

struct ringbond {
    int a, b; // atom indices, a < b; never an atom and its parent
};

extern ringbond ringbonds[MAXRINGBONDS];
extern int nringbonds;
// 1 for an atom whose link to its parent is no bond; never the root.
extern unsigned char nobond[MAXATOMS];

// A bond's order; a bond no annotation gives one is single.
enum { BOND_SINGLE = 1, BOND_DOUBLE = 2, BOND_TRIPLE = 3, BOND_AROMATIC = 4 };
// The order of each atom's link to its parent, and of each ring bond; 0
// where none is given (single).
extern unsigned char linkorder[MAXATOMS];
extern unsigned char ringorder[MAXRINGBONDS];

// Empties the table: every link a bond, no ring bond.
void resetbondgraph();

// Whether the atom's link to its parent is drawn as a bond.
inline bool linkisbond(int atomindex) { return atomindex > 0 && !nobond[atomindex]; }

// The order of the atom's link to its parent (a bond), and of ring bond k.
inline int orderoflink(int atomindex)
{
    return linkorder[atomindex] ? linkorder[atomindex] : int(BOND_SINGLE);
}
inline int orderofring(int k) { return ringorder[k] ? ringorder[k] : int(BOND_SINGLE); }
