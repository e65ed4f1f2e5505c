// The description a molecule becomes: coordinate mode, one element line per
// element present, one atom line per atom in tree order with its branch
// marks, and comments that list what the tree could not show.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "import/molecule.h"
#include "base/problem.h"
#include "import/tree.h"

namespace importer {

struct krxsettings {
    double ballscale = 0.5;   // ball radius per Angstrom of covalent radius
    double bondradius = 0.08; // 0: no bonds drawn
    std::string name;         // the figure name (passes isgoodname)
    std::string source;       // the input's file name, for the first comment
    std::string tool;         // "kestrix-import VERSION"
};

// Atom names: the element symbol and a running number per element, in file
// order (C1, C2, ..., H12).
std::vector<std::string> atomnames(const inmolecule &m);

// The figure name from an input path: the file name without its suffix,
// reduced to letters, digits and "_"; "molecule" when nothing is left.
std::string figurename(const std::string &path);

// A coordinate with six decimals, or more where six would change it.
std::string coordinate(double v);
// The same into buf (at least COORDINATEMAX bytes, NUL-terminated); returns
// its length.
const size_t COORDINATEMAX = 64;
size_t coordinatetext(double v, char *buf);

// The whole description. Fails only if a line would exceed the reader's MAXLINE.
int writekrx(const inmolecule &m, const std::vector<std::pair<int, int>> &bonds, const atomtree &t,
             const krxsettings &s, std::string &text, problem &p);

// The further frames of m (m.framexyz), as frame annotations in the atoms'
// description order: "//@ frame K" and "//@ xyz NAME X Y Z ..." lines, each
// within the reader's MAXLINE, written to out a frame at a time. 0 when the
// frames' temporary file cannot be read back.
int writeframes(std::FILE *out, const inmolecule &m, const atomtree &t);

} // namespace importer
