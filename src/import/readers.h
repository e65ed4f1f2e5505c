// One reader per input format. Each takes the file's lines (path only for
// messages) and fills the molecule, or fails with the file name and the
// number of the line at fault.
#pragma once

#include <string>
#include <vector>

#include "molecule.h"
#include "problem.h"

namespace importer {

enum inputformat { FORMAT_UNKNOWN, FORMAT_XYZ, FORMAT_PDB, FORMAT_MOL };

// By suffix, in any case: .xyz; .pdb or .ent; .mol, .sdf or .sd.
inputformat formatof(const std::string &path);

int readXYZ(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
            problem &p);
int readPDB(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
            problem &p);
int readMOL(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
            problem &p);

// The reader of format f (not FORMAT_UNKNOWN) on the lines.
int readas(inputformat f, const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
           problem &p);

// Reads the file at path with the reader its suffix names (a known one).
int readinput(const std::string &path, inmolecule &m, problem &p);

} // namespace importer
