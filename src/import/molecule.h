// A molecule as read from an input file, before it becomes a description:
// the atoms the selection keeps, in file order, and the bonds the file states.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/problem.h"
#include "base/spill.h"

namespace importer {

struct inatom;

// A bond's order as the file gives it; bonds found from distances, and
// those of files that give none, are single.
enum bondorder { ORDER_SINGLE = 1, ORDER_DOUBLE = 2, ORDER_TRIPLE = 3, ORDER_AROMATIC = 4 };

// Whether every coordinate of a is a number within the range a description
// can hold; a coordinate that is no number (NaN) is out of range too.
bool coordinatesok(const inatom &a);

// The square of the distance of a and b: compared with squared lengths, it
// needs no root.
double distance2(const inatom &a, const inatom &b);

struct inatom {
    int element = 0;            // atomic number
    double x = 0, y = 0, z = 0; // Angstrom, as in the file
    int line = 0;               // where the atom stands in the file, for messages
    char isotope = 0;           // 'D' or 'T' for hydrogen written so, else 0
    char altloc = ' ';          // PDB and mmCIF alternate location, ' ' for none
};

// Atoms of one chain (or one residue number of a chain) as the selection
// options would count them. Ligands: HETATM atoms other than water.
struct chaincount {
    long atoms = 0, hydrogens = 0, water = 0, waterhydrogens = 0, ligands = 0, ligandhydrogens = 0;
};

// Where an atom stands in a file of residues (PDB, mmCIF, MOL2
// substructures), as the file writes it: chain ("" for the blank one),
// residue name, number and insertion code, whether its record is HETATM,
// and the atom's own name. Formats without residues leave it empty: a site
// with a residue or an atom name is a label the description keeps.
struct atomsite {
    std::string chain, residue;
    long number = 0;
    char icode = ' ';
    bool het = false;
    std::string atom;
};

struct inmolecule {
    std::vector<inatom> atoms;
    // Where each atom stands, beside atoms (same index); empty sites for
    // formats without residues.
    std::vector<atomsite> sites;
    // Bonds the file lists (0-based atom indices); each pair once or more.
    std::vector<std::pair<int, int>> bonds;
    // The order of each listed bond that is not single, by (lower index,
    // higher index); a pair the file lists twice keeps the later order.
    std::map<std::pair<int, int>, bondorder> orders;
    // 1 when bonds are also to be found from the distances between atoms.
    int perceive = 1;
    // Where notes for the user about what was read in an unusual way go,
    // each as it arises: the front end's sink (null: dropped).
    problemsink tell = nullptr;
    void *tellto = nullptr;
    // Every such note is a warning: the import goes on.
    void warn(const problem &w) const
    {
        if (!tell)
            return;
        problem p = w;
        p.nonfatal = true;
        tell(tellto, p);
    }
    // Every atom of the chosen model, counted by chain ("" in formats
    // without chains), whatever the selection keeps: what the over-limit
    // message suggests is worked out from it.
    std::map<std::string, chaincount> census;
    // The same by chain and residue number, for residue ranges.
    std::map<std::pair<std::string, long>, chaincount> residuecensus;
    // Atoms the selection keeps; beyond the limit they are only counted.
    long kept = 0;
    // Dummy atoms (X, *, R#, Du, LP) left out.
    long dummies = 0;
    // The frames after the first that the selection takes (frames.h): x, y,
    // z of every kept atom in file order, a record per frame (a trajectory
    // may be larger than memory: the store spills to a temporary file), and
    // the number each has in the file.
    std::shared_ptr<recordstore> framexyz = std::make_shared<recordstore>();
    std::vector<long> framenumbers;
    long firstframe = 1; // the file's number of the frame the atoms are
    long framesseen = 0; // frames the file holds, as far as it was read
};

} // namespace importer
