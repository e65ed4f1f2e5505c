// PDB: fixed-column ATOM and HETATM records, the chosen MODEL (the first by
// default), the first alternate location of each residue, and CONECT
// records. Bonds are also found from distances, since most files give
// CONECT only for hetero groups.
#include "import/readers.h"

#include <cctype>
#include <cmath>
#include <unordered_map>

#include "import/elements.h"
#include "import/text.h"

namespace importer {

namespace {

const long CONECTSPERATOM = 8, CONECTSLACK = 1000;

std::string recordname(const std::string &line)
{
    std::string r = line.substr(0, 6);
    r.resize(6, ' ');
    return r;
}

bool isalpha_(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Element from the atom name (columns 13-16) when columns 77-78 give none.
// The symbol stands right-justified in columns 13-14, so " CA " is carbon
// alpha and "CA  " calcium. Two-letter symbols are believed only in HETATM
// records (standard residues hold no such element), and one that starts
// with H only for an ion named as its element ("HG  ", or a residue named
// HG): hydrogen names written from column 13 ("HD21", "HO1 ", "HG1 ") stay
// hydrogen.
symbolread elementfromname(const std::string &name, const std::string &residue, bool hetatm)
{
    std::string n = name;
    n.resize(4, ' ');
    char c1 = n[0], c2 = n[1];
    symbolread none;
    if (c1 == ' ' || std::isdigit(static_cast<unsigned char>(c1))) {
        if (!isalpha_(c2))
            return none;
        return readsymbol(std::string(1, c2));
    }
    if (!isalpha_(c1))
        return none;
    if (hetatm && isalpha_(c2)) {
        std::string two = std::string() + c1 + c2;
        symbolread r = readsymbol(two);
        bool ion = trim(n) == two || trim(residue) == two;
        for (char &c : two)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (r.kind == symbolread::ELEMENT && r.z > 1 && (two[0] != 'H' || ion))
            return r;
    }
    return readsymbol(std::string(1, c1));
}

// Columns 73-80 of older files hold a segment id, or the entry's id and a
// line number, where later files put the element (77-78) and the charge
// (79-80, "2+"): a file whose columns 79-80 hold something else is of that
// older kind.
bool oldcolumns(const std::string &line)
{
    std::string charge = column(line, 79, 80);
    if (charge.empty())
        return false;
    bool digitsign = charge.size() == 2 && std::isdigit(static_cast<unsigned char>(charge[0])) &&
                     (charge[1] == '+' || charge[1] == '-');
    bool signdigit = charge.size() == 2 && std::isdigit(static_cast<unsigned char>(charge[1])) &&
                     (charge[0] == '+' || charge[0] == '-');
    return !digitsign && !signdigit && charge != "+" && charge != "-";
}

// The first alternate location of the residues seen last: alternate atoms
// stand together within their residue, so a short memory keeps the reading
// in bounded space however long the file.
class altlocs {
public:
    // Whether an atom with alternate location alt of residue is kept.
    bool keep(const std::string &residue, char alt)
    {
        if (alt == ' ')
            return true;
        for (const auto &r : recent_)
            if (r.first == residue)
                return r.second == alt;
        if (recent_.size() == 64)
            recent_.erase(recent_.begin());
        recent_.push_back({residue, alt});
        return true;
    }

private:
    std::vector<std::pair<std::string, char>> recent_;
};

} // namespace

int readPDB(linesource &in, collector &c, problem &p)
{
    inmolecule &m = c.molecule();
    m.perceive = 1;
    std::unordered_map<long, int> byserial; // kept atoms only
    altlocs alt;
    const long want = c.chosen().model;
    // Atoms before any MODEL record are model 1.
    bool taking = want <= 1, done = false, anymodel = false;
    long models = 0, firstmodel = 0, lastmodel = 0;
    bool warnedcolumns = false;
    bool firsttaken = false; // the first model taken is read: later ones are frames
    long badconect = 0;
    int firstbadconect = 0;
    long atoms = 0;
    // Every ATOM and HETATM record, of any model: what bounds the CONECT
    // records a file may hold.
    long atomrecords = 0, conects = 0;
    std::string line;

    while (in.next(line)) {
        std::string rec = recordname(line);
        if ((rec.compare(0, 4, "ATOM") == 0 || rec.compare(0, 6, "HETATM") == 0 ||
             rec.compare(0, 6, "CONECT") == 0) &&
            line.find('\t') != std::string::npos)
            return malformed(p, in,
                             "a tab in a fixed-column record; PDB fields stand in fixed "
                             "columns, so write the file with spaces");
        if (rec == "END   ")
            break;
        // A further model taken as a frame, once the first one is read.
        if (rec == "MODEL " && want == 0 && done && firsttaken) {
            models++;
            if (c.inframe() && !c.endframe(in.name(), in.lineno(), p))
                return 0;
            taking = c.frame(models);
            if (taking)
                c.beginframe(models, in.lineno());
            continue;
        }
        if (rec == "MODEL ") {
            long serial = 0;
            if (!toint(column(line, 11, 14), serial) && !toint(trim(line.substr(5)), serial))
                serial = models + 1;
            models++;
            if (!anymodel)
                firstmodel = serial;
            lastmodel = serial;
            if (!anymodel && atoms > 0)
                done = true; // atoms before the first MODEL were a model of their own
            anymodel = true;
            if (done)
                continue;
            taking = want == 0 ? c.frame(models) : serial == want;
            continue;
        }
        if (rec == "ENDMDL") {
            if (c.inframe() && !c.endframe(in.name(), in.lineno(), p))
                return 0;
            if (taking && atoms > 0 && !done) {
                done = true;
                firsttaken = anymodel;
            }
            taking = false;
            continue;
        }
        if (rec == "CONECT") {
            // A few records per atom at most (four bonds each, repeated for
            // bond orders, once per model): millions more could only make
            // the same bonds again, and reading them costs seconds.
            if (++conects > CONECTSPERATOM * atomrecords + CONECTSLACK)
                return fail(p, "too many CONECT records",
                            where(in.name(), in.lineno()) + ": " + std::to_string(conects) +
                                " CONECT records for " + std::to_string(atomrecords) +
                                (atomrecords == 1 ? " atom" : " atoms") + ", more than its bonds can need");
            long from = 0;
            std::vector<long> to;
            bool ok = toint(column(line, 7, 11), from);
            // Columns 12-31 name the bonded atoms; later fields of old
            // files hold hydrogen bonds and salt bridges, not bonds.
            for (int col = 12; col <= 27 && ok; col += 5) {
                std::string f = column(line, col, col + 4);
                long t = 0;
                if (f.empty())
                    continue;
                ok = toint(f, t);
                to.push_back(t);
            }
            if (!ok) {
                // Some writers put the serials anywhere, blank-separated.
                std::vector<std::string> w = words(line.substr(6));
                to.clear();
                ok = !w.empty() && toint(w[0], from);
                for (size_t i = 1; i < w.size() && i <= 4 && ok; i++) {
                    long t = 0;
                    ok = toint(w[i], t);
                    to.push_back(t);
                }
            }
            if (!ok) {
                if (badconect++ == 0)
                    firstbadconect = in.lineno();
                continue;
            }
            auto a = byserial.find(from);
            for (long t : to) {
                auto b = byserial.find(t);
                // Atoms that were not kept (other models, other alternate
                // locations, not selected) carry no bond of ours.
                if (a != byserial.end() && b != byserial.end())
                    c.bond(a->second, b->second);
            }
            continue;
        }
        if (rec != "ATOM  " && rec != "HETATM")
            continue;
        atomrecords++;
        if ((done && !c.inframe()) || !taking)
            continue;
        if (line.size() < 54)
            return malformed(p, in, "the record ends before its coordinates (columns 31-54)");
        std::string residue = line.substr(21, 6); // chain, number, insertion code
        if (!alt.keep(residue, line[16]))
            continue;
        inatom a;
        a.line = in.lineno();
        a.altloc = line[16];
        if (!toreal(column(line, 31, 38), a.x) || !toreal(column(line, 39, 46), a.y) ||
            !toreal(column(line, 47, 54), a.z))
            return malformed(p, in, "coordinates must be numbers in columns 31-54");
        if (!coordinatesok(a))
            return fail(p, "coordinate out of range", where(in.name(), in.lineno()));
        std::string resname = column(line, 18, 20);
        std::string sym = column(line, 77, 78);
        symbolread e;
        if (!sym.empty() && !oldcolumns(line))
            e = readsymbol(sym);
        if (e.kind == symbolread::NONE) {
            if (!sym.empty() && !warnedcolumns) {
                warnedcolumns = true;
                m.warn(warning("element from the atom name",
                               where(in.name(), in.lineno()) + ": columns 73-80 hold " +
                                   quoted(column(line, 73, 80)) +
                                   ", no element symbol and charge; in this file elements are taken from the "
                                   "atom names (columns 13-16)"));
            }
            e = elementfromname(line.substr(12, 4), resname, rec == "HETATM");
        }
        if (e.kind == symbolread::NONE)
            return fail(p, "unknown element",
                        where(in.name(), in.lineno()) + ": no element in columns 77-78 or in the atom name " +
                            quoted(line.substr(12, 4)));
        long serial = 0;
        if (!toint(column(line, 7, 11), serial))
            return malformed(p, in, "the atom serial number in columns 7-11 must be a number");
        atoms++;
        atomsite site;
        site.chain = column(line, 22, 22);
        site.residue = resname;
        // A number that is none (hybrid-36 of huge files) counts as 0.
        if (!toint(column(line, 23, 26), site.number))
            site.number = 0;
        site.icode = line[26];
        site.het = rec == "HETATM";
        site.atom = trim(line.substr(12, 4));
        int index = c.add(a, e, site);
        if (index >= 0)
            byserial.emplace(serial, index);
    }
    if (!sourceok(in, p))
        return 0;
    if (c.inframe() && !c.endframe(in.name(), in.lineno(), p))
        return 0;
    if (badconect)
        m.warn(warning("CONECT not read",
                       where(in.name(), firstbadconect) + ": " + std::to_string(badconect) +
                           (badconect == 1 ? " CONECT record gives" : " CONECT records give") +
                           " no serial numbers and " + (badconect == 1 ? "is" : "are") + " left out"));
    if (want > 0 && atoms == 0 && (models > 0 || want > 1))
        return fail(p, "no such model",
                    in.name() + " has no model " + std::to_string(want) +
                        (models == 0
                             ? std::string(" (it has one, model 1)")
                             : " (its " + std::to_string(models) + " models are numbered " +
                                   std::to_string(firstmodel) + " to " + std::to_string(lastmodel) + ")"));
    if (atoms == 0 && m.dummies == 0)
        return fail(p, "no atoms", in.name() + ": no ATOM or HETATM record");
    return 1;
}

} // namespace importer
