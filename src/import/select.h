// What of a file becomes the figure: the chosen model (or record, or
// frame), chains, and whether hydrogen and water stay. Readers hand every
// atom to a collector, which keeps those selected up to a limit and from
// then on only counts, so that a file of any size is read in bounded memory.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "import/elements.h"
#include "import/molecule.h"

namespace importer {

// Residues FROM to TO (both included, whatever their insertion codes) of
// one chain, or of every chain.
struct residuerange {
    bool anychain = true;
    std::string chain;
    long from = 0, to = 0;
};

struct selection {
    std::vector<std::string> chains;    // empty: every chain
    std::vector<residuerange> residues; // empty: every residue
    // Ligands kept whatever their chain and number; with neither chains
    // nor residues chosen, the ligands alone.
    bool ligands = false;
    long model = 0; // 0: the first
    bool nohydrogens = false;
    bool nowater = false;
    size_t limit = 1024; // atoms kept at most; the rest are counted
    // Frames taken, by their number in the file: from, to (0: the last)
    // and every step-th; none beyond the first when a model is chosen.
    long framefrom = 1, frameto = 0, framestep = 1;
};

// A chain id as messages show it and --chain takes it: "-" for the blank
// id, which readers keep as "".
inline std::string chainshown(const std::string &id) { return id.empty() ? std::string("-") : id; }

// HOH, WAT, DOD, SOL and the other names water residues go by.
bool iswater(const std::string &residue);

class collector {
public:
    // Starts m afresh; where its warnings go stays.
    collector(inmolecule &m, const selection &s) : m_(m), s_(s)
    {
        inmolecule fresh;
        fresh.tell = m.tell;
        fresh.tellto = m.tellto;
        m_ = std::move(fresh);
    }

    // One atom of the chosen model; chain and residue name as the file gives
    // them ("" where the format has none). The atom's index in the molecule,
    // or -1 when it is not kept (not selected, or past the limit).
    int add(const inatom &a, const std::string &chain, const std::string &residue)
    {
        atomsite s;
        s.chain = chain;
        s.residue = residue;
        return add(a, s);
    }
    // The same with all the file says of the atom's residue.
    int add(const inatom &a, const atomsite &site);
    // The same for an atom whose element field read as e: an element is set
    // in a and a added; anything else (a dummy atom) is counted and left
    // out (-1).
    int add(inatom a, const symbolread &e, const atomsite &site);
    int add(inatom a, const symbolread &e, const std::string &chain, const std::string &residue)
    {
        atomsite s;
        s.chain = chain;
        s.residue = residue;
        return add(a, e, s);
    }
    // A bond between two atoms add() returned, both kept; others are dropped.
    void bond(int a, int b, bondorder order = ORDER_SINGLE);

    // Frames (framecollect.cpp). A reader calls frame(k) as frame k of the
    // file begins (from 1, in file order); true when the selection takes it.
    // The first frame taken gives the atoms; for each later one taken the
    // reader calls beginframe, hands its atoms to add() as the first's, and
    // calls endframe at its end, which checks that they are the same atoms.
    bool frame(long k);
    // Whether frame k is the first one taken (the atoms are not read yet).
    bool atomsfrom(long k) const { return k == m_.firstframe; }
    // records: the frame is a record of its own with its own bonds (SD,
    // MOL2), which must be the first's; else bonds go to the molecule.
    void beginframe(long k, int line, bool records = false);
    int endframe(const std::string &file, int line, problem &p);
    bool inframe() const { return inframe_; }
    // For files of records (SD, MOL2), whose records may be conformers of
    // one molecule or different molecules: whether the frame read so far
    // has the first's atoms and bonds; and the frame dropped again, for a
    // file that is a library of molecules, not a conformer set.
    bool framematches() const;
    void dropframe();
    // After dropframe, for a library: no frames at all, and the warning of
    // how many of its units ("record", "molecule") were left out; kind says
    // what the file's units are ("its records are different molecules").
    void leftout(const std::string &file, const std::string &kind, long left, const std::string &unit);
    // True once more atoms are selected than the limit: the rest is counting.
    bool full() const { return m_.kept > static_cast<long>(s_.limit); }
    const selection &chosen() const { return s_; }
    inmolecule &molecule() { return m_; }

private:
    int addtoframe(const inatom &a);

    inmolecule &m_;
    const selection &s_;
    bool inframe_ = false, firsttaken_ = false, records_ = false;
    std::vector<double> current_; // the frame's coordinates so far
    long framek_ = 0;             // the frame being read
    int frameline_ = 0;
    size_t framecount_ = 0;  // atoms of it so far
    size_t bondsunique_ = 0; // bonds when they were last made unique
    std::string differs_;    // the first difference from the atoms
    int diffline_ = 0;       // and its line
    // A further frame's bonds, by the first frame's atom indices (smaller
    // first), with their orders; compared with the first's at its end.
    std::vector<std::pair<std::pair<int, int>, int>> framebonds_;
    bool samebonds() const;
};

// Whether the selection keeps an atom of that site (hydrogen and water
// aside): its chain chosen and its number in a range, or a ligand kept.
bool keeps(const selection &sel, const atomsite &site, bool ligand);

// Atoms the selection sel would keep of the molecule's census.
long keptby(const inmolecule &m, const selection &sel);

// Of a chain's census entry: the atoms the selection's hydrogen and water
// options keep, of them all or of the ligands alone.
long keptof(const chaincount &c, const selection &sel, bool ligandsonly = false);

} // namespace importer
