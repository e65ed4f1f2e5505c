// Tripos MOL2: the first molecule (or the one --model chooses), its atoms
// from the ATOM section with the element from the SYBYL atom type ("C.ar",
// "Cl", "N.pl3"), its bonds from the BOND section, and its residue labels'
// chains from the SUBSTRUCTURE section. A molecule without bonds gets them
// from distances.
#include "import/readers.h"

#include <cctype>
#include <cmath>
#include <unordered_map>

#include "import/elements.h"
#include "import/text.h"

namespace importer {

namespace {

// Tripos bond types: "1", "2", "3", "ar" (aromatic); "am" (an amide's C-N)
// and the rest ("du", "un") are drawn single.
bondorder mol2order(const std::string &type)
{
    if (type == "2")
        return ORDER_DOUBLE;
    if (type == "3")
        return ORDER_TRIPLE;
    if (type == "ar" || type == "AR")
        return ORDER_AROMATIC;
    return ORDER_SINGLE;
}

// The element of a SYBYL atom type: the part before the dot. The types
// that stand for no element (Du, LP, Any, Hal, Het, Hev) are dummies.
symbolread elementoftype(const std::string &type)
{
    std::string base = type.substr(0, type.find('.'));
    std::string lower;
    for (char ch : base)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (lower == "any" || lower == "hal" || lower == "het" || lower == "hev") {
        symbolread r;
        r.kind = symbolread::DUMMY;
        return r;
    }
    return readsymbol(base);
}

// The residue name of a MOL2 substructure name: "HOH12" is residue HOH.
std::string residueof(const std::string &subst)
{
    size_t end = subst.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(subst[end - 1])))
        end--;
    return subst.substr(0, end);
}

// The atom's substructure (w: its line's words), when the line names one:
// the residue name and number as PDB-derived files write them ("PHE53"),
// the number being the substructure's id where the name holds none. The
// chain comes later, from the SUBSTRUCTURE section (chainsof).
atomsite substructure(const std::vector<std::string> &w)
{
    atomsite site;
    if (w.size() <= 7 || w[7] == "****")
        return site;
    site.residue = residueof(w[7]);
    std::string digits = w[7].substr(site.residue.size());
    if ((digits.empty() || !toint(digits, site.number)) && !toint(w[6], site.number))
        site.number = 0;
    site.atom = w[1];
    return site;
}

// The ids a molecule's sections are checked against (atom ids, and the
// substructures' chains) are kept only while they take little room, so that
// memory stays bounded whatever the file's size.
const size_t KNOWNMAX = 1 << 16;

// The chains of the substructures that kept atoms belong to, from the
// SUBSTRUCTURE section, which files put after the atoms: each kept atom's
// substructure id is noted as it is added, and its site takes the chain at
// the molecule's end. Chains are kept for the ids noted, and for others
// only while they take little room (a section before the atoms), so that
// memory stays bounded whatever the file's size.
class chainsof {
public:
    // Kept atom k (an index of the molecule) of the substructure whose id is
    // the field id, when it is a number.
    void atom(int k, const std::string &id)
    {
        long n = 0;
        if (!toint(id, n))
            return;
        atoms_.push_back({k, n});
        chains_.emplace(n, std::string());
    }
    // A line of the SUBSTRUCTURE section: "subst_id subst_name root_atom
    // [subst_type [dict_type [chain ...]]]"; a missing chain or "****" is
    // the blank one.
    void substructure(const std::vector<std::string> &w)
    {
        long n = 0;
        if (w.size() < 6 || w[5] == "****" || !toint(w[0], n))
            return;
        auto it = chains_.find(n);
        if (it != chains_.end())
            it->second = w[5];
        else if (chains_.size() < KNOWNMAX)
            chains_.emplace(n, w[5]);
    }
    void settle(inmolecule &m) const
    {
        for (const auto &a : atoms_)
            m.sites[static_cast<size_t>(a.first)].chain = chains_.at(a.second);
    }

private:
    std::vector<std::pair<int, long>> atoms_;
    std::unordered_map<long, std::string> chains_;
};

bool issection(const std::string &line, const char *name)
{
    return line.compare(0, 9, "@<TRIPOS>") == 0 && trim(line.substr(9)) == name;
}

// One molecule, from the line after its "@<TRIPOS>MOLECULE" to the next
// such line (*another) or the end of the file.
int readmolecule(linesource &in, collector &c, problem &p, bool *another)
{
    inmolecule &m = c.molecule();
    std::string line;
    *another = false;
    // The molecule's name, then its counts.
    long na = 0, nb = 0;
    int countsline = 0;
    for (int i = 0; i < 2; i++) {
        if (!in.next(line))
            return sourceok(in, p) &&
                   fail(p, "malformed file", in.name() + ": the file ends in the MOLECULE section");
    }
    countsline = in.lineno();
    std::vector<std::string> w = words(line);
    if (w.empty() || !tocount(w[0], na) || na < 0 || (w.size() > 1 && (!tocount(w[1], nb) || nb < 0)))
        return malformed(p, in, "the MOLECULE section's second line must give the atom and bond counts");

    enum { OTHER, ATOMS, BONDS, SUBSTRUCTURES } section = OTHER;
    long natoms = 0, nbonds = 0;
    std::unordered_map<long, int> byid;   // kept atoms only
    std::unordered_map<long, char> known; // every id, while that takes little room
    chainsof chains;
    while (in.next(line)) {
        if (line.compare(0, 9, "@<TRIPOS>") == 0) {
            if (issection(line, "MOLECULE")) {
                *another = true;
                break;
            }
            section = issection(line, "ATOM")           ? ATOMS
                      : issection(line, "BOND")         ? BONDS
                      : issection(line, "SUBSTRUCTURE") ? SUBSTRUCTURES
                                                        : OTHER;
            continue;
        }
        w = words(line);
        if (w.empty() || w[0][0] == '#' || section == OTHER)
            continue;
        if (section == SUBSTRUCTURES) {
            chains.substructure(w);
        } else if (section == ATOMS) {
            long id = 0;
            inatom a;
            a.line = in.lineno();
            if (w.size() < 6 || !toint(w[0], id) || !toreal(w[2], a.x) || !toreal(w[3], a.y) ||
                !toreal(w[4], a.z))
                return malformed(p, in, "expected an atom line \"id name x y z type ...\"");
            if (!coordinatesok(a))
                return fail(p, "coordinate out of range", where(in.name(), in.lineno()));
            if (known.size() < KNOWNMAX && !known.emplace(id, 1).second)
                return malformed(p, in, "atom id " + w[0] + " given twice");
            natoms++;
            symbolread e = elementoftype(w[5]);
            if (e.kind == symbolread::NONE)
                return fail(p, "unknown element",
                            where(in.name(), in.lineno()) + ": atom type " + quoted(w[5]) +
                                " names no element");
            atomsite site = substructure(w);
            int k = c.add(a, e, site);
            if (k >= 0)
                byid.emplace(id, k);
            if (k >= 0 && !c.inframe() && !site.atom.empty())
                chains.atom(k, w[6]);
        } else {
            long id = 0, from = 0, to = 0;
            if (w.size() < 4 || !toint(w[0], id) || !toint(w[1], from) || !toint(w[2], to))
                return malformed(p, in, "expected a bond line \"id atom atom type\"");
            nbonds++;
            if (known.size() < KNOWNMAX && (!known.count(from) || !known.count(to) || from == to))
                return malformed(p, in, "a bond must join two different atoms of the ATOM section");
            // "nc": the two atoms are listed as not connected.
            if (w[3] == "nc")
                continue;
            auto a = byid.find(from), b = byid.find(to);
            if (a != byid.end() && b != byid.end())
                c.bond(a->second, b->second, mol2order(w[3]));
        }
    }
    if (!sourceok(in, p))
        return 0;
    if (natoms == 0)
        return fail(p, "no atoms", in.name() + ": the molecule's ATOM section is empty or missing");
    if (natoms != na)
        m.warn(warning("counts differ", where(in.name(), countsline) + ": the MOLECULE section announces " +
                                            std::to_string(na) + " atoms, the ATOM section holds " +
                                            std::to_string(natoms)));
    if (!c.inframe()) {
        m.perceive = nbonds == 0 && natoms > 1;
        chains.settle(m);
    }
    return 1;
}

// To the next "@<TRIPOS>MOLECULE" line; 0 when there is none.
int tonextmolecule(linesource &in)
{
    std::string line;
    while (in.next(line))
        if (issection(line, "MOLECULE"))
            return 1;
    return 0;
}

} // namespace

int readMOL2(linesource &in, collector &c, problem &p)
{
    const long chosen = c.chosen().model;
    const long want = chosen > 0 ? chosen : 1;
    long molecules = 0;
    while (molecules < want && tonextmolecule(in))
        molecules++;
    if (!sourceok(in, p))
        return 0;
    if (molecules == 0)
        return fail(p, "no atoms", in.name() + ": no @<TRIPOS>MOLECULE section");
    if (molecules < want)
        return fail(p, "no such model",
                    in.name() + " has " + std::to_string(molecules) +
                        (molecules == 1 ? " molecule" : " molecules") + ", not " + std::to_string(want));
    bool another = false;
    if (chosen > 0)
        return readmolecule(in, c, p, &another);
    // Molecules before the first one --frames takes are passed over; each
    // later one of the same atoms and bonds is a frame (a conformer set),
    // unless the second is another molecule: then the file is a library,
    // and only the first is read.
    long record = 1;
    while (!c.frame(record)) {
        if (!tonextmolecule(in))
            return sourceok(in, p) && fail(p, "no such frame",
                                           in.name() + " has " + std::to_string(record) +
                                               (record == 1 ? " molecule" : " molecules"));
        record++;
    }
    if (!readmolecule(in, c, p, &another))
        return 0;
    bool kept = false;
    while (another) {
        record++;
        if (!c.frame(record)) {
            another = tonextmolecule(in);
            continue;
        }
        c.beginframe(record, in.lineno(), true);
        if (!readmolecule(in, c, p, &another))
            return 0;
        if (!kept && !c.framematches()) {
            c.dropframe();
            long left = 1;
            if (another)
                for (left++; tonextmolecule(in);)
                    left++;
            c.leftout(in.name(), "its molecules are different ones", left, "molecule");
            return sourceok(in, p);
        }
        if (!c.endframe(in.name(), in.lineno(), p))
            return 0;
        kept = true;
    }
    return sourceok(in, p);
}

} // namespace importer
