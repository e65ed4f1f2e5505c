// The importer on real files: every molecule file named on the command line
// (the examples and data Debian's chemistry packages ship, found by
// samples.sh) is read as kestrix-import reads it. Prints how many import,
// why the others do not, and, for files that give their own bonds (bond
// blocks, CONECT), whether the bonds found from distances alone, with the
// valence check, are the file's own. PDB files are also read through gemmi's
// PDB reader and both atom and bond sets are compared with Open Babel's
// (obabel -ipdb FILE -osdf, when obabel is on the path), atoms matched by
// their coordinates. Exit status 1 if a file fails for another reason than
// a fault of the file itself (broken syntax, no atoms, two atoms at one
// place, a coordinate that is no number), or if a file's own bonds are not
// those its distances give.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gemmi/pdb.hpp>

#include "bonds.h"
#include "readers.h"
#include "text.h"

using namespace importer;

namespace {

using keyedbonds = std::set<std::pair<std::string, std::string>>;

std::string key(double x, double y, double z)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.3f %.3f %.3f", x + 0.0, y + 0.0, z + 0.0);
    return buf;
}

keyedbonds keyed(const std::vector<inatom> &atoms, const bondlist &bonds)
{
    keyedbonds out;
    for (const auto &b : bonds) {
        std::string a = key(atoms[b.first].x, atoms[b.first].y, atoms[b.first].z);
        std::string c = key(atoms[b.second].x, atoms[b.second].y, atoms[b.second].z);
        out.insert(a < c ? std::make_pair(a, c) : std::make_pair(c, a));
    }
    return out;
}

// Open Babel's reading of a PDB file: atoms (as coordinate keys) and bonds.
bool obabel(const std::string &path, std::set<std::string> &atoms, keyedbonds &bonds)
{
    std::string cmd = "obabel -ipdb '" + path + "' -osdf 2>/dev/null";
    FILE *f = popen(cmd.c_str(), "r");
    if (!f)
        return false;
    std::vector<std::string> lines;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, f)) {
        std::string l = buf;
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        if (l == "$$$$")
            break;
        lines.push_back(l);
    }
    pclose(f);
    if (lines.size() < 4)
        return false;
    long na = 0, nb = 0;
    if (!toint(column(lines[3], 1, 3), na) || !toint(column(lines[3], 4, 6), nb))
        return false;
    std::vector<std::string> keys;
    for (long i = 0; i < na && 4 + i < static_cast<long>(lines.size()); i++) {
        double x = 0, y = 0, z = 0;
        const std::string &l = lines[4 + i];
        toreal(column(l, 1, 10), x);
        toreal(column(l, 11, 20), y);
        toreal(column(l, 21, 30), z);
        keys.push_back(key(x, y, z));
        atoms.insert(keys.back());
    }
    for (long i = 0; i < nb && 4 + na + i < static_cast<long>(lines.size()); i++) {
        long a = 0, b = 0;
        const std::string &l = lines[4 + na + i];
        if (!toint(column(l, 1, 3), a) || !toint(column(l, 4, 6), b) || a < 1 || b < 1 || a > na || b > na)
            continue;
        const std::string &p = keys[a - 1], &q = keys[b - 1];
        bonds.insert(p < q ? std::make_pair(p, q) : std::make_pair(q, p));
    }
    return true;
}

// Bonds restricted to atoms both readers have.
keyedbonds among(const keyedbonds &b, const std::set<std::string> &atoms)
{
    keyedbonds out;
    for (const auto &p : b)
        if (atoms.count(p.first) && atoms.count(p.second))
            out.insert(p);
    return out;
}

struct tally {
    int files = 0, imported = 0, toomany = 0, selfbonds = 0, selfsame = 0;
    std::map<std::string, int> failed;
    // PDB: ours and gemmi's against Open Babel.
    int pdbs = 0, pdbcompared = 0, oursame = 0, gemmisame = 0, gemmiread = 0;
};

void comparepdb(const std::string &path, const inmolecule &ours, const bondlist &ourbonds, tally &t)
{
    t.pdbs++;
    // gemmi: first model, first alternate location, as we read them.
    inmolecule g;
    try {
        gemmi::Structure st = gemmi::read_pdb_file(path);
        if (!st.models.empty())
            for (const gemmi::Chain &ch : st.models[0].chains)
                for (const gemmi::Residue &r : ch.residues) {
                    char first = '\0';
                    for (const gemmi::Atom &at : r.atoms) {
                        if (at.altloc) {
                            if (!first)
                                first = at.altloc;
                            else if (at.altloc != first)
                                continue;
                        }
                        inatom a;
                        a.x = at.pos.x;
                        a.y = at.pos.y;
                        a.z = at.pos.z;
                        a.altloc = at.altloc ? at.altloc : ' ';
                        a.element = at.element.atomic_number();
                        if (a.element > 0)
                            g.atoms.push_back(a);
                    }
                }
        t.gemmiread++;
    } catch (const std::exception &e) {
        std::printf("  gemmi refuses %s: %s\n", path.c_str(), e.what());
        return;
    }
    bondlist gbonds;
    problem p;
    if (!findbonds(g, path, gbonds, p)) {
        std::printf("  gemmi's atoms fail: %s\n", p.detail.c_str());
        return;
    }
    std::set<std::string> obatoms;
    keyedbonds obbonds;
    if (!obabel(path, obatoms, obbonds))
        return;
    t.pdbcompared++;
    std::set<std::string> ourkeys, gkeys;
    for (const inatom &a : ours.atoms)
        ourkeys.insert(key(a.x, a.y, a.z));
    for (const inatom &a : g.atoms)
        gkeys.insert(key(a.x, a.y, a.z));
    std::set<std::string> both, gboth;
    for (const std::string &k : ourkeys)
        if (obatoms.count(k))
            both.insert(k);
    for (const std::string &k : gkeys)
        if (obatoms.count(k))
            gboth.insert(k);
    bool same = among(keyed(ours.atoms, ourbonds), both) == among(obbonds, both);
    bool gsame = among(keyed(g.atoms, gbonds), gboth) == among(obbonds, gboth);
    t.oursame += same;
    t.gemmisame += gsame;
    std::printf("  %s: atoms ours %zu, gemmi %zu, obabel %zu; bonds on common atoms: ours %s, gemmi %s\n",
                path.c_str(), ours.atoms.size(), g.atoms.size(), obatoms.size(), same ? "same" : "DIFFER",
                gsame ? "same" : "DIFFER");
}

} // namespace

int main(int argc, char **argv)
{
    tally t;
    int unexpected = 0;
    for (int i = 1; i < argc; i++) {
        std::string path = argv[i];
        t.files++;
        inmolecule m;
        problem p;
        if (!readinput(path, m, p)) {
            std::printf("not read: %s: %s\n", p.what.c_str(), p.detail.c_str());
            t.failed[p.what]++;
            unexpected += p.what != "no atoms" && p.what != "malformed file" && p.what != "coordinate out of range";
            continue;
        }
        if (m.kept > 1024 || m.atoms.empty()) {
            t.toomany += m.kept > 1024;
            if (m.atoms.empty())
                t.failed["no atoms kept"]++;
            continue;
        }
        bondlist bonds;
        if (!findbonds(m, path, bonds, p)) {
            std::printf("not read: %s: %s\n", p.what.c_str(), p.detail.c_str());
            t.failed[p.what]++;
            unexpected += p.what != "atoms too close";
            continue;
        }
        t.imported++;
        if (!m.bonds.empty() && !m.perceive) {
            // The file's own bonds against those its distances give.
            inmolecule d = m;
            d.bonds.clear();
            d.perceive = 1;
            bondlist found;
            t.selfbonds++;
            if (findbonds(d, path, found, p) && found == bonds)
                t.selfsame++;
            else if (++unexpected)
                std::printf("own bonds differ: %s: the file gives %zu, distances give %zu\n", path.c_str(),
                            bonds.size(), found.size());
        }
        if (formatof(path) == FORMAT_PDB && path.size() > 4 && path.compare(path.size() - 3, 3, ".gz") != 0)
            comparepdb(path, m, bonds, t);
    }
    std::printf("%d files: %d imported, %d over 1024 atoms", t.files, t.imported, t.toomany);
    for (const auto &f : t.failed)
        std::printf(", %d %s", f.second, f.first.c_str());
    std::printf("\nfiles with their own bonds: %d, of which %d get exactly those from distances\n", t.selfbonds,
                t.selfsame);
    std::printf("PDB files: %d, read by gemmi %d, compared with Open Babel %d: bonds the same on common atoms: "
                "ours %d, gemmi's %d\n",
                t.pdbs, t.gemmiread, t.pdbcompared, t.oursame, t.gemmisame);
    return unexpected ? 1 : 0;
}
