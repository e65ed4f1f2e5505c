// MDL molfiles and SD files: the first record only. V2000 has fixed
// columns; some writers do not keep to them, so a line whose columns do not
// read is tried again as blank-separated fields. V3000 keeps its connection
// table in "M  V30" lines.
#include "readers.h"

#include <cmath>
#include <map>

#include "elements.h"
#include "text.h"

namespace importer {

namespace {

int badline(problem &p, const std::string &path, int lineno, const std::string &why)
{
    return fail(p, "malformed line", where(path, lineno) + ": " + why);
}

int coordinatesok(const inatom &a)
{
    return std::fabs(a.x) < MAXCOORDINATE && std::fabs(a.y) < MAXCOORDINATE &&
           std::fabs(a.z) < MAXCOORDINATE;
}

int symbolnumber(const std::string &path, int lineno, const std::string &sym, int &z,
                 problem &p)
{
    z = elementnumber(sym);
    if (z == 0)
        return fail(p, "unknown element",
                    where(path, lineno) + ": " + quoted(sym) + " is no element symbol");
    return 1;
}

int readV2000(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
              problem &p)
{
    const std::string &counts = lines[3];
    long na = 0, nb = 0;
    if (!toint(column(counts, 1, 3), na) || !toint(column(counts, 4, 6), nb)) {
        std::vector<std::string> w = words(counts);
        if (w.size() < 2 || !toint(w[0], na) || !toint(w[1], nb))
            return badline(p, path, 4, "the counts line must give the atom and bond counts");
    }
    if (na < 0 || nb < 0)
        return badline(p, path, 4, "negative atom or bond count");
    if (na == 0)
        return fail(p, "no atoms", where(path, 4) + ": the atom count is 0");
    size_t n = 4;
    for (long i = 0; i < na; i++, n++) {
        int lineno = (int)n + 1;
        if (n >= lines.size())
            return badline(p, path, lineno,
                           "the file ends after " + std::to_string(i) + " of the " +
                               std::to_string(na) + " atoms the counts line announces");
        const std::string &line = lines[n];
        inatom a;
        a.line = lineno;
        std::string sym = column(line, 32, 34);
        if (!toreal(column(line, 1, 10), a.x) || !toreal(column(line, 11, 20), a.y) ||
            !toreal(column(line, 21, 30), a.z) || sym.empty() || line.size() <= 30 || line[30] != ' ') {
            std::vector<std::string> w = words(line);
            if (w.size() < 4 || !toreal(w[0], a.x) || !toreal(w[1], a.y) || !toreal(w[2], a.z))
                return badline(p, path, lineno, "expected an atom line \"x y z symbol ...\"");
            sym = w[3];
        }
        if (!symbolnumber(path, lineno, sym, a.element, p))
            return 0;
        if (!coordinatesok(a))
            return fail(p, "coordinate out of range", where(path, lineno));
        m.atoms.push_back(a);
    }
    for (long i = 0; i < nb; i++, n++) {
        int lineno = (int)n + 1;
        if (n >= lines.size())
            return badline(p, path, lineno,
                           "the file ends after " + std::to_string(i) + " of the " +
                               std::to_string(nb) + " bonds the counts line announces");
        const std::string &line = lines[n];
        long a = 0, b = 0, type = 0;
        if (!toint(column(line, 1, 3), a) || !toint(column(line, 4, 6), b) ||
            !toint(column(line, 7, 9), type)) {
            std::vector<std::string> w = words(line);
            if (w.size() < 3 || !toint(w[0], a) || !toint(w[1], b) || !toint(w[2], type))
                return badline(p, path, lineno, "expected a bond line \"atom atom type ...\"");
        }
        if (a < 1 || a > na || b < 1 || b > na || a == b)
            return badline(p, path, lineno,
                           "a bond must join two different atoms numbered 1 to " +
                               std::to_string(na));
        m.bonds.push_back({(int)a - 1, (int)b - 1});
    }
    m.perceive = (nb == 0 && na > 1) ? 1 : 0;
    return 1;
}

// One V3000 statement, continuation lines ("-" at the end) joined, with
// the "M  V30 " prefix taken off.
struct v30line {
    std::string text;
    int lineno;
};

int readV3000(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
              problem &p)
{
    std::vector<v30line> st;
    for (size_t n = 4; n < lines.size(); n++) {
        const std::string &line = lines[n];
        if (line.compare(0, 6, "M  END") == 0 || line.compare(0, 4, "$$$$") == 0)
            break;
        if (line.compare(0, 7, "M  V30 ") != 0)
            continue;
        v30line s;
        s.lineno = (int)n + 1;
        s.text = line.substr(7);
        while (!trim(s.text).empty() && trim(s.text).back() == '-') {
            std::string t = trim(s.text);
            s.text = t.substr(0, t.size() - 1);
            n++;
            if (n >= lines.size() || lines[n].compare(0, 7, "M  V30 ") != 0)
                return badline(p, path, (int)n + 1, "a continued \"M  V30\" line must follow");
            s.text += lines[n].substr(7);
        }
        st.push_back(s);
    }

    enum { NONE, ATOMS, BONDS } block = NONE;
    bool counted = false, inctab = false, ctabdone = false;
    long na = 0, nb = 0, nbonds = 0;
    std::map<long, int> byindex;
    for (const v30line &s : st) {
        std::vector<std::string> w = words(s.text);
        if (w.empty())
            continue;
        std::string head = w[0];
        std::string second = w.size() > 1 ? w[1] : std::string();
        if (head == "BEGIN" && second == "CTAB") {
            inctab = true;
            continue;
        }
        if (head == "END" && second == "CTAB") {
            ctabdone = true;
            break;
        }
        if (!inctab)
            continue;
        if (head == "COUNTS") {
            if (w.size() < 3 || !toint(w[1], na) || !toint(w[2], nb) || na < 0 || nb < 0)
                return badline(p, path, s.lineno, "COUNTS must give the atom and bond counts");
            counted = true;
            continue;
        }
        if (head == "BEGIN") {
            block = second == "ATOM" ? ATOMS : second == "BOND" ? BONDS : NONE;
            if (block != NONE && !counted)
                return badline(p, path, s.lineno, "COUNTS must come before the atom and bond blocks");
            continue;
        }
        if (head == "END") {
            block = NONE;
            continue;
        }
        if (block == ATOMS) {
            long index = 0;
            inatom a;
            a.line = s.lineno;
            if (w.size() < 5 || !toint(w[0], index) || !toreal(w[2], a.x) || !toreal(w[3], a.y) ||
                !toreal(w[4], a.z))
                return badline(p, path, s.lineno, "expected an atom line \"index type x y z ...\"");
            if (!symbolnumber(path, s.lineno, w[1], a.element, p))
                return 0;
            if (!coordinatesok(a))
                return fail(p, "coordinate out of range", where(path, s.lineno));
            if (!byindex.emplace(index, (int)m.atoms.size()).second)
                return badline(p, path, s.lineno, "atom index " + w[0] + " given twice");
            m.atoms.push_back(a);
        } else if (block == BONDS) {
            long index = 0, type = 0, a = 0, b = 0;
            if (w.size() < 4 || !toint(w[0], index) || !toint(w[1], type) || !toint(w[2], a) ||
                !toint(w[3], b))
                return badline(p, path, s.lineno, "expected a bond line \"index type atom atom ...\"");
            auto ia = byindex.find(a), ib = byindex.find(b);
            if (ia == byindex.end() || ib == byindex.end() || a == b)
                return badline(p, path, s.lineno, "a bond must join two different atoms of the atom block");
            m.bonds.push_back({ia->second, ib->second});
            nbonds++;
        }
    }
    if (!ctabdone || !counted)
        return fail(p, "malformed file",
                    path + ": the V3000 connection table (BEGIN CTAB, COUNTS, END CTAB) is incomplete");
    if ((long)m.atoms.size() != na || nbonds != nb)
        return fail(p, "malformed file",
                    path + ": COUNTS announces " + std::to_string(na) + " atoms and " +
                        std::to_string(nb) + " bonds, the blocks hold " +
                        std::to_string(m.atoms.size()) + " and " + std::to_string(nbonds));
    if (na == 0)
        return fail(p, "no atoms", path);
    m.perceive = (nb == 0 && na > 1) ? 1 : 0;
    return 1;
}

} // namespace

int readMOL(const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
            problem &p)
{
    m = inmolecule();
    if (lines.size() < 4)
        return badline(p, path, (int)lines.size() + 1,
                       "the file ends before the counts line (line 4)");
    const std::string &counts = lines[3];
    if (counts.find("V3000") != std::string::npos)
        return readV3000(path, lines, m, p);
    return readV2000(path, lines, m, p);
}

} // namespace importer
