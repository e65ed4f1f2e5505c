// MDL molfiles and SD files: the first record, or the one --model chooses.
// V2000 has fixed columns; some writers do not keep to them, so a line whose
// columns do not read is tried again as blank-separated fields. V3000 keeps
// its connection table in "M  V30" lines.
#include "import/readers.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "import/elements.h"
#include "import/text.h"

namespace importer {

namespace {

// The next line, or a failure saying where the file ended.
int needline(linesource &in, std::string &line, const std::string &ending, problem &p)
{
    if (in.next(line))
        return 1;
    return sourceok(in, p) && malformed(p, in, in.lineno() + 1, "the file ends " + ending);
}

// An atom of the element field sym, handed to the collector; its index or
// -1, and 0 when sym names nothing.
int addatom(collector &c, const linesource &in, inatom &a, const std::string &sym, int &index, problem &p)
{
    index = -1;
    symbolread e = readsymbol(sym);
    if (e.kind == symbolread::NONE)
        return fail(p, "unknown element",
                    where(in.name(), a.line) + ": " + quoted(sym) + " is no element symbol");
    if (!coordinatesok(a))
        return fail(p, "coordinate out of range", where(in.name(), a.line));
    index = c.add(a, e, "", "");
    return 1;
}

// MDL bond types 1 to 3 and 4 (aromatic); the query types (5 to 8: single
// or double, and the like) say no order, and are drawn single.
bondorder mdlorder(long type)
{
    switch (type) {
    case 2:
        return ORDER_DOUBLE;
    case 3:
        return ORDER_TRIPLE;
    case 4:
        return ORDER_AROMATIC;
    default:
        return ORDER_SINGLE;
    }
}

bool isblockend(const std::string &line)
{
    return line.compare(0, 6, "M  END") == 0 || line.compare(0, 4, "$$$$") == 0 ||
           line.compare(0, 3, "M  ") == 0;
}

int readV2000(linesource &in, collector &c, const std::string &counts, problem &p)
{
    const int countsline = in.lineno();
    long na = 0, nb = 0;
    std::vector<std::string> cw = words(counts);
    bool digits = !cw.empty() && cw[0].find_first_not_of("0123456789") == std::string::npos;
    if (digits && cw[0].size() > 6)
        return malformed(p, in, countsline,
                         "the counts line runs its atom and bond counts together (" + quoted(cw[0]) +
                             "): over 999 atoms or bonds do not fit V2000's three columns; write the "
                             "file as V3000");
    if (!tocount(column(counts, 1, 3), na) || !tocount(column(counts, 4, 6), nb)) {
        if (cw.size() < 2 || !tocount(cw[0], na) || !tocount(cw[1], nb))
            return malformed(p, in, countsline, "the counts line must give the atom and bond counts");
    }
    if (na < 0 || nb < 0)
        return malformed(p, in, countsline, "negative atom or bond count");
    if (na == 0)
        return fail(p, "no atoms", where(in.name(), countsline) + ": the atom count is 0");
    std::vector<int> index; // of each atom the block lists, -1 if not kept
    std::string line;
    for (long i = 0; i < na; i++) {
        if (!needline(in, line,
                      "after " + std::to_string(i) + " of the " + std::to_string(na) +
                          " atoms the counts line announces",
                      p))
            return 0;
        inatom a;
        a.line = in.lineno();
        std::string sym = column(line, 32, 34);
        if (!toreal(column(line, 1, 10), a.x) || !toreal(column(line, 11, 20), a.y) ||
            !toreal(column(line, 21, 30), a.z) || sym.empty() || line.size() <= 30 || line[30] != ' ') {
            std::vector<std::string> w = words(line);
            bool bondline = w.size() >= 3 && w.size() <= 7;
            long k = 0;
            for (size_t j = 0; j < w.size() && bondline; j++)
                bondline = toint(w[j], k);
            if (i > 0 && (bondline || isblockend(line)))
                return malformed(p, in, countsline,
                                 "the counts line announces " + std::to_string(na) +
                                     " atoms, but the atom block ends after " + std::to_string(i) +
                                     " (line " + std::to_string(in.lineno()) + " is no atom line)");
            if (w.size() < 4 || !toreal(w[0], a.x) || !toreal(w[1], a.y) || !toreal(w[2], a.z))
                return malformed(p, in, in.lineno(), "expected an atom line \"x y z symbol ...\"");
            sym = w[3];
        }
        int k = -1;
        if (!addatom(c, in, a, sym, k, p))
            return 0;
        if (!c.full())
            index.push_back(k);
    }
    for (long i = 0; i < nb; i++) {
        if (!needline(in, line,
                      "after " + std::to_string(i) + " of the " + std::to_string(nb) +
                          " bonds the counts line announces",
                      p))
            return 0;
        long a = 0, b = 0, type = 0;
        if (!toint(column(line, 1, 3), a) || !toint(column(line, 4, 6), b) ||
            !toint(column(line, 7, 9), type)) {
            std::vector<std::string> w = words(line);
            if (w.size() < 3 || !toint(w[0], a) || !toint(w[1], b) || !toint(w[2], type)) {
                if (isblockend(line))
                    return malformed(p, in, countsline,
                                     "the counts line announces " + std::to_string(nb) +
                                         " bonds, but the bond block ends after " + std::to_string(i) +
                                         " (line " + std::to_string(in.lineno()) + ")");
                return malformed(p, in, in.lineno(), "expected a bond line \"atom atom type ...\"");
            }
        }
        if (a < 1 || a > na || b < 1 || b > na || a == b)
            return malformed(p, in, in.lineno(),
                             "a bond must join two different atoms numbered 1 to " + std::to_string(na));
        if (static_cast<size_t>(a) <= index.size() && static_cast<size_t>(b) <= index.size())
            c.bond(index[a - 1], index[b - 1], mdlorder(type));
    }
    if (!c.inframe())
        c.molecule().perceive = (nb == 0 && na > 1) ? 1 : 0;
    return 1;
}

// One V3000 statement, continuation lines ("-" at the end) joined, with
// the "M  V30 " prefix taken off; 0 at the end of the record.
int v30statement(linesource &in, std::string &text, int &lineno, problem &p)
{
    std::string line;
    for (;;) {
        if (!in.next(line))
            return 0;
        if (line.compare(0, 6, "M  END") == 0 || line.compare(0, 4, "$$$$") == 0)
            return 0;
        if (line.compare(0, 7, "M  V30 ") == 0)
            break;
    }
    lineno = in.lineno();
    text.assign(line, 7, std::string::npos);
    // Only the end of the statement is looked at and cut, never the whole
    // of it copied: a statement of many continuation lines costs its length.
    const char *blanks = " \t\r\n\v\f";
    for (;;) {
        size_t last = text.find_last_not_of(blanks);
        if (last == std::string::npos || text[last] != '-')
            break;
        text.erase(last);
        text.erase(0, std::min(text.size(), text.find_first_not_of(blanks)));
        // No statement of a molecule runs this long; a file that continues
        // one for ever is refused before it fills the memory.
        if (text.size() > linesource::LINEMAX) {
            malformed(p, in, in.lineno(),
                      "a continued \"M  V30\" statement of more than " + std::to_string(linesource::LINEMAX) +
                          " characters");
            return -1;
        }
        if (!in.next(line) || line.compare(0, 7, "M  V30 ") != 0) {
            if (sourceok(in, p))
                malformed(p, in, in.lineno() + (in.failed() ? 0 : 1),
                          "a continued \"M  V30\" line must follow");
            return -1;
        }
        text.append(line, 7, std::string::npos);
    }
    return 1;
}

int readV3000(linesource &in, collector &c, problem &p)
{
    enum { NONE, ATOMS, BONDS } block = NONE;
    bool counted = false, inctab = false, ctabdone = false;
    long na = 0, nb = 0, natoms = 0, nbonds = 0;
    std::unordered_map<long, int> byindex; // kept atoms only
    // Every index, to check the bonds by, as long as that takes little room.
    const size_t KNOWNMAX = 1 << 16;
    std::unordered_map<long, char> known;
    std::string text;
    int lineno = 0, r;
    while ((r = v30statement(in, text, lineno, p)) > 0) {
        std::vector<std::string> w = words(text);
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
            if (w.size() < 3 || !tocount(w[1], na) || !tocount(w[2], nb) || na < 0 || nb < 0)
                return malformed(p, in, lineno, "COUNTS must give the atom and bond counts");
            counted = true;
            continue;
        }
        if (head == "BEGIN") {
            block = second == "ATOM" ? ATOMS : second == "BOND" ? BONDS : NONE;
            if (block != NONE && !counted)
                return malformed(p, in, lineno, "COUNTS must come before the atom and bond blocks");
            continue;
        }
        if (head == "END") {
            block = NONE;
            continue;
        }
        if (block == ATOMS) {
            long index = 0;
            inatom a;
            a.line = lineno;
            if (w.size() < 5 || !toint(w[0], index) || !toreal(w[2], a.x) || !toreal(w[3], a.y) ||
                !toreal(w[4], a.z))
                return malformed(p, in, lineno, "expected an atom line \"index type x y z ...\"");
            if (known.size() < KNOWNMAX && !known.emplace(index, 1).second)
                return malformed(p, in, lineno, "atom index " + w[0] + " given twice");
            int k = -1;
            if (!addatom(c, in, a, w[1], k, p))
                return 0;
            if (k >= 0)
                byindex.emplace(index, k);
            natoms++;
        } else if (block == BONDS) {
            long index = 0, type = 0, a = 0, b = 0;
            if (w.size() < 4 || !toint(w[0], index) || !toint(w[1], type) || !toint(w[2], a) ||
                !toint(w[3], b))
                return malformed(p, in, lineno, "expected a bond line \"index type atom atom ...\"");
            if (known.size() < KNOWNMAX) {
                if (!known.count(a) || !known.count(b) || a == b)
                    return malformed(p, in, lineno, "a bond must join two different atoms of the atom block");
                auto ia = byindex.find(a), ib = byindex.find(b);
                if (ia != byindex.end() && ib != byindex.end())
                    c.bond(ia->second, ib->second, mdlorder(type));
            }
            nbonds++;
        }
    }
    if (r < 0 || !sourceok(in, p))
        return 0;
    if (!ctabdone || !counted)
        return fail(p, "malformed file",
                    in.name() + ": the V3000 connection table (BEGIN CTAB, COUNTS, END CTAB) is incomplete");
    if (natoms != na || nbonds != nb)
        return fail(p, "malformed file",
                    in.name() + ": COUNTS announces " + std::to_string(na) + " atoms and " +
                        std::to_string(nb) + " bonds, the blocks hold " + std::to_string(natoms) + " and " +
                        std::to_string(nbonds));
    if (na == 0)
        return fail(p, "no atoms", in.name());
    if (!c.inframe())
        c.molecule().perceive = (nb == 0 && na > 1) ? 1 : 0;
    return 1;
}

// The rest of a record after its connection table: to its "$$$$" line;
// 0 when the file ends first (the last record needs none).
int toend(linesource &in)
{
    std::string line;
    while (in.next(line))
        if (line.compare(0, 4, "$$$$") == 0)
            return 1;
    return 0;
}

// The header of a record (three lines) and its counts line, then its
// connection table. *none: the file held only blank lines where the record
// would be (its end).
int readrecord(linesource &in, collector &c, problem &p, bool *none)
{
    std::string line;
    bool blank = true;
    *none = false;
    for (int i = 0; i < 4; i++) {
        if (!in.next(line)) {
            if (!sourceok(in, p))
                return 0;
            if (blank) {
                *none = true;
                return 1;
            }
            return malformed(p, in, in.lineno() + 1, "the file ends before the counts line (line 4)");
        }
        blank = blank && trim(line).empty();
    }
    if (line.find("V3000") != std::string::npos)
        return readV3000(in, c, p);
    return readV2000(in, c, line, p);
}

// Every record after the first taken one, as long as they are conformers
// of its molecule (the same atoms, the same bonds): each taken one a frame.
// When the second record is another molecule, the file is a library: the
// first is read alone, and a warning says how many were left out.
int readconformers(linesource &in, collector &c, problem &p)
{
    bool kept = false; // a further record is kept as a frame
    for (long record = c.molecule().firstframe + 1;; record++) {
        const int begins = in.lineno() + 1;
        bool taken = c.frame(record), none = false;
        if (!taken) {
            std::string line;
            bool content = false, ended = false;
            while (!ended && in.next(line)) {
                ended = line.compare(0, 4, "$$$$") == 0;
                content = content || !trim(line).empty();
            }
            if (!sourceok(in, p))
                return 0;
            if (!ended) {
                // Blank lines after the last record are no record.
                if (!content)
                    c.molecule().framesseen = record - 1;
                return 1;
            }
            continue;
        }
        c.beginframe(record, begins, true);
        if (!readrecord(in, c, p, &none))
            return 0;
        if (none) {
            c.dropframe();
            c.molecule().framesseen = record - 1;
            return 1;
        }
        if (!kept && !c.framematches()) {
            c.dropframe();
            long left = 1;
            for (bool more = toend(in); more; more = toend(in)) {
                std::string line;
                if (in.next(line) && !trim(line).empty())
                    left++;
                else
                    break;
            }
            c.leftout(in.name(), "its records are different molecules", left, "record");
            return sourceok(in, p);
        }
        if (!c.endframe(in.name(), in.lineno(), p))
            return 0;
        kept = true;
        if (!toend(in))
            return sourceok(in, p);
    }
}

} // namespace

int readMOL(linesource &in, collector &c, problem &p)
{
    const long chosen = c.chosen().model;
    const long want = chosen > 0 ? chosen : 1;
    std::string line;
    for (long record = 1; record < want;) {
        if (!in.next(line)) {
            if (!sourceok(in, p))
                return 0;
            return fail(p, "no such model",
                        in.name() + " has " + std::to_string(record) +
                            (record == 1 ? " record" : " records") + ", not " + std::to_string(want));
        }
        if (line.compare(0, 4, "$$$$") == 0)
            record++;
    }
    if (chosen == 0) {
        // Records before the first one --frames takes are passed over.
        long record = 1;
        while (!c.frame(record)) {
            if (!toend(in))
                return sourceok(in, p) && fail(p, "no such frame",
                                               in.name() + " has " + std::to_string(record) +
                                                   (record == 1 ? " record" : " records"));
            record++;
        }
    }
    bool none = false;
    if (!readrecord(in, c, p, &none))
        return 0;
    if (none)
        return malformed(p, in, in.lineno() + 1, "the file ends before the counts line (line 4)");
    if (chosen > 0 || !toend(in))
        return sourceok(in, p);
    return readconformers(in, c, p);
}

} // namespace importer
