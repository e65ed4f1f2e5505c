// PDB: fixed-column ATOM and HETATM records, the first MODEL, the first
// alternate location of each residue, and CONECT records. Bonds are also
// found from distances, since most files give CONECT only for hetero groups.
#include "readers.h"

#include <cctype>
#include <cmath>
#include <map>

#include "elements.h"
#include "text.h"

namespace importer {

namespace {

std::string recordname(const std::string &line)
{
    std::string r = line.substr(0, 6);
    r.resize(6, ' ');
    return r;
}

// Element from the atom name (columns 13-16) when columns 77-78 are blank.
// The symbol stands right-justified in columns 13-14, so " CA " is carbon
// alpha and "CA  " calcium; names of four characters put a hydrogen's "H" in
// column 13 ("HD21"), so a name of four characters that starts with "H" is
// a hydrogen. Two-letter symbols are believed only in HETATM records:
// standard residues hold no such element.
int elementfromname(const std::string &name, bool hetatm)
{
    std::string n = name;
    n.resize(4, ' ');
    char c1 = n[0], c2 = n[1];
    if (c1 == ' ' || std::isdigit((unsigned char)c1)) {
        if (!std::isalpha((unsigned char)c2))
            return 0;
        return elementnumber(std::string(1, c2));
    }
    if (!std::isalpha((unsigned char)c1))
        return 0;
    bool fourletterhydrogen = c1 == 'H' && n[3] != ' ';
    if (hetatm && std::isalpha((unsigned char)c2) && !fourletterhydrogen) {
        int z = elementnumber(std::string() + c1 + c2);
        if (z)
            return z;
    }
    return elementnumber(std::string(1, c1));
}

} // namespace

int readPDB(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
            problem &p)
{
    m = inmolecule();
    m.perceive = 1;
    std::map<long, int> byserial;
    std::map<std::string, char> altloc; // residue -> its first alternate location
    bool atomsdone = false;
    std::vector<std::pair<long, long>> conect;

    for (size_t n = 0; n < lines.size(); n++) {
        const std::string &line = lines[n];
        int lineno = (int)n + 1;
        std::string rec = recordname(line);
        if (rec == "END   ")
            break;
        if (rec == "MODEL ") {
            if (!m.atoms.empty())
                atomsdone = true;
            continue;
        }
        if (rec == "ENDMDL") {
            atomsdone = true;
            continue;
        }
        if (rec == "CONECT") {
            long from = 0;
            if (!toint(column(line, 7, 11), from))
                return fail(p, "malformed line",
                            where(path, lineno) + ": CONECT needs an atom serial number in columns 7-11");
            // Columns 12-31 name the bonded atoms; later fields of old
            // files hold hydrogen bonds and salt bridges, not bonds.
            for (int c = 12; c <= 27; c += 5) {
                std::string f = column(line, c, c + 4);
                if (f.empty())
                    continue;
                long to = 0;
                if (!toint(f, to))
                    return fail(p, "malformed line",
                                where(path, lineno) + ": bad serial number " + quoted(f) + " in CONECT");
                conect.push_back({from, to});
            }
            continue;
        }
        if (rec != "ATOM  " && rec != "HETATM")
            continue;
        if (atomsdone)
            continue;
        if (line.size() < 54)
            return fail(p, "malformed line",
                        where(path, lineno) + ": the record ends before its coordinates (columns 31-54)");
        char alt = line[16];
        if (alt != ' ') {
            std::string residue = line.substr(21, 6); // chain, number, insertion code
            auto it = altloc.find(residue);
            if (it == altloc.end())
                altloc[residue] = alt;
            else if (it->second != alt)
                continue;
        }
        inatom a;
        a.line = lineno;
        if (!toreal(column(line, 31, 38), a.x) || !toreal(column(line, 39, 46), a.y) ||
            !toreal(column(line, 47, 54), a.z))
            return fail(p, "malformed line",
                        where(path, lineno) + ": coordinates must be numbers in columns 31-54");
        if (std::fabs(a.x) >= MAXCOORDINATE || std::fabs(a.y) >= MAXCOORDINATE ||
            std::fabs(a.z) >= MAXCOORDINATE)
            return fail(p, "coordinate out of range", where(path, lineno));
        std::string sym = column(line, 77, 78);
        if (!sym.empty()) {
            a.element = elementnumber(sym);
            if (a.element == 0)
                return fail(p, "unknown element",
                            where(path, lineno) + ": " + quoted(sym) + " in columns 77-78");
        } else {
            a.element = elementfromname(line.substr(12, 4), rec == "HETATM");
            if (a.element == 0)
                return fail(p, "unknown element",
                            where(path, lineno) + ": no element in columns 77-78 or in the atom name " +
                                quoted(line.substr(12, 4)));
        }
        long serial = 0;
        if (!toint(column(line, 7, 11), serial))
            return fail(p, "malformed line",
                        where(path, lineno) + ": the atom serial number in columns 7-11 must be a number");
        byserial.emplace(serial, (int)m.atoms.size());
        m.atoms.push_back(a);
    }

    // Records for atoms that were not kept (other models, other alternate
    // locations, serials the file never defines) carry no bond of ours.
    for (size_t i = 0; i < conect.size(); i++) {
        auto a = byserial.find(conect[i].first), b = byserial.find(conect[i].second);
        if (a == byserial.end() || b == byserial.end() || a->second == b->second)
            continue;
        m.bonds.push_back({a->second, b->second});
    }
    if (m.atoms.empty())
        return fail(p, "no atoms", path + ": no ATOM or HETATM record");
    return 1;
}

} // namespace importer
