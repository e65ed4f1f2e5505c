// One reader per input format. Each reads its lines from a source and hands
// the atoms to a collector, which applies the selection; it fails with the
// file name and the number of the line at fault.
#pragma once

#include <string>

#include "import/molecule.h"
#include "base/problem.h"
#include "import/select.h"
#include "import/source.h"

namespace importer {

enum inputformat { FORMAT_UNKNOWN, FORMAT_XYZ, FORMAT_PDB, FORMAT_MOL, FORMAT_MOL2, FORMAT_CIF, FORMAT_CML };

// By suffix, in any case, after a ".gz" if there is one: .xyz; .pdb, .ent;
// .mol, .sdf, .sd; .mol2; .cif, .mmcif; .cml.
inputformat formatof(const std::string &path);

// path without a final ".gz" (in any case): the name the file has
// uncompressed, from which the default output and figure names come.
std::string withoutgz(const std::string &path);

// Whether this build reads format f (CML needs an XML library that a build
// may lack).
bool canread(inputformat f);

int readXYZ(linesource &in, collector &c, problem &p);
int readPDB(linesource &in, collector &c, problem &p);
int readMOL(linesource &in, collector &c, problem &p);
int readMOL2(linesource &in, collector &c, problem &p);
int readCIF(linesource &in, collector &c, problem &p);
int readCML(linesource &in, collector &c, problem &p);

// The reader of format f (not FORMAT_UNKNOWN) on the source, the atoms
// selected by s into m.
int readas(inputformat f, linesource &in, inmolecule &m, const selection &s, problem &p);

// Reads the file at path with the reader its suffix names (a known one).
int readinput(const std::string &path, inmolecule &m, const selection &s, problem &p);
inline int readinput(const std::string &path, inmolecule &m, problem &p)
{
    return readinput(path, m, selection(), p);
}

// A malformed line of the source: the current one, or the one numbered line.
int malformed(problem &p, const linesource &in, const std::string &why);
int malformed(problem &p, const linesource &in, int line, const std::string &why);

// A failure of the source itself (a read error, an over-long line), or 1.
int sourceok(const linesource &in, problem &p);

} // namespace importer
