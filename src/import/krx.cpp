#include "import/krx.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "import/elements.h"
#include "import/emit.h"
#include "model/model.h"
#include "model/parse.h"
#include "model/reader.h"

namespace importer {

namespace {

std::string format(const char *fmt, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

// Comment lines "// head item item ...", continued on further comment lines
// so that none exceeds the reader's line length.
void commentlist(std::string &text, const std::string &head, const std::vector<std::string> &items)
{
    std::string line = "// " + head;
    for (const std::string &item : items) {
        if (line.size() + 1 + item.size() > 120) {
            text += line + "\n";
            line = "//  ";
        }
        line += " " + item;
    }
    text += line + "\n";
}

// The bond graph beyond the tree, as annotation lines that the description
// reader takes into its bond table and older readers skip as comments:
// every bond that closes a ring, and the atom of each link that is no bond.
void annotate(std::string &text, const std::vector<std::string> &names, const atomtree &t)
{
    if (t.ringbonds.empty() && t.hung.empty())
        return;
    text += "// the bonds the atom tree does not show:\n";
    for (const auto &b : t.ringbonds)
        text += "//@ bond " + names[b.first] + " " + names[b.second] + "\n";
    for (int v : t.hung)
        text += "//@ nobond " + names[v] + "\n";
}

// The order of every bond the file gives as double, triple or aromatic, as
// annotation lines; the rest are single. Tree links and ring bonds alike.
void annotateorders(std::string &text, const std::vector<std::string> &names, const inmolecule &m,
                    const std::vector<std::pair<int, int>> &bonds)
{
    std::string lines;
    for (const auto &b : bonds) {
        auto o = m.orders.find(b);
        if (o == m.orders.end())
            continue;
        const char *word = o->second == ORDER_DOUBLE ? "2" : o->second == ORDER_TRIPLE ? "3" : "ar";
        lines += "//@ order " + names[b.first] + " " + names[b.second] + " " + word + "\n";
    }
    if (!lines.empty())
        text += "// the bonds that are not single (2 double, 3 triple, ar aromatic):\n" + lines;
}

// A field of a residue label as one token of the annotation: "-" for a
// blank one; a byte that would end or break the token (a space, a control
// character, a byte beyond ASCII) becomes "_", and a field too long for
// the reader is cut to what it takes.
std::string labelfield(const std::string &field)
{
    if (field.empty())
        return "-";
    std::string t = field.substr(0, ATOMNAMEMAX);
    for (char &c : t)
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 127)
            c = '_';
    // A token that starts a comment would end the annotation.
    if (t[0] == '/')
        t[0] = '_';
    return t;
}

// Each atom's residue, number, chain and file atom name, in description
// order, for the atoms of files that give them.
void annotatelabels(std::string &text, const std::vector<std::string> &names, const inmolecule &m,
                    const atomtree &t)
{
    std::string lines;
    for (const emitted &e : emitorder(t.children, t.root)) {
        if (static_cast<size_t>(e.atom) >= m.sites.size())
            continue;
        const atomsite &s = m.sites[static_cast<size_t>(e.atom)];
        if (s.residue.empty() && s.atom.empty())
            continue;
        std::string number = std::to_string(s.number);
        if (std::isalpha(static_cast<unsigned char>(s.icode)))
            number += s.icode;
        lines += "//@ residue " + names[e.atom] + " " + labelfield(s.residue) + " " + number + " " +
                 labelfield(s.chain) + " " + labelfield(s.atom) + "\n";
    }
    if (!lines.empty())
        text += "// where each atom stands in the file (residue, number, chain, atom; - blank):\n" + lines;
}

} // namespace

std::vector<std::string> atomnames(const inmolecule &m)
{
    // Deuterium and tritium keep their letter (D1, T1), counted apart.
    std::map<std::string, int> counts;
    std::vector<std::string> names;
    for (const inatom &a : m.atoms) {
        std::string prefix =
            a.isotope ? std::string(1, a.isotope) : std::string(element_of(a.element).symbol);
        names.push_back(prefix + std::to_string(++counts[prefix]));
    }
    return names;
}

std::string figurename(const std::string &path)
{
    size_t slash = path.find_last_of("/\\");
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        base.erase(dot);
    std::string name;
    for (char c : base) {
        char s[2] = {c, 0};
        if (isgoodname(s) && name.size() < ELEMENTNAMEMAX)
            name += c;
    }
    return name.empty() ? std::string("molecule") : name;
}

namespace {

// The text of a coordinate as "%.6f" prints it, into buf, where six
// decimals give v back exactly; 0 where they do not, or where this cannot
// be sure of printf's rounding. A trajectory prints millions of
// coordinates, and printf and strtod took most of the importer's time.
size_t sixdecimals(double v, char *buf)
{
    double a = v < 0 ? -v : v;
    if (!(a < 1e6))
        return 0;
    // a * 10^6 < 2^40 is off the true product by at most half its unit in
    // the last place, 2^-14: a fraction that far from one half rounds as the
    // true one does (printf rounds the exact binary value).
    double m = a * 1e6;
    long long whole = static_cast<long long>(m);
    double part = m - static_cast<double>(whole);
    if (part > 0.5 - 0x1p-12 && part < 0.5 + 0x1p-12)
        return 0;
    long long d = whole + (part > 0.5 ? 1 : 0);
    // d / 10^6 of two exact numbers is rounded once, as strtod rounds the
    // decimal: equal to a exactly when the text reads back as a.
    if (static_cast<double>(d) / 1e6 != a)
        return 0;
    // The digits two at a time, backwards from the last decimal: the
    // integer part (at least one digit), the point, six decimals.
    static const char PAIRS[] =
        "0001020304050607080910111213141516171819"
        "2021222324252627282930313233343536373839"
        "4041424344454647484950515253545556575859"
        "6061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char digits[24];
    char *at = digits + sizeof digits;
    long long integer = d / 1000000, fraction = d % 1000000;
    for (int i = 0; i < 3; i++, fraction /= 100) {
        at -= 2;
        std::memcpy(at, &PAIRS[2 * (fraction % 100)], 2);
    }
    *--at = '.';
    do {
        *--at = static_cast<char>('0' + integer % 10);
        integer /= 10;
    } while (integer > 0);
    size_t len = 0;
    if (v < 0)
        buf[len++] = '-';
    size_t n = static_cast<size_t>(digits + sizeof digits - at);
    std::memcpy(buf + len, at, n);
    len += n;
    buf[len] = '\0';
    return len;
}

} // namespace

size_t coordinatetext(double v, char *buf)
{
    if (v == 0)
        v = 0; // no "-0.000000"
    if (size_t len = sixdecimals(v, buf))
        return len;
    int n = 0;
    for (int decimals = 6; decimals <= 12; decimals++) {
        n = std::snprintf(buf, COORDINATEMAX, "%.*f", decimals, v);
        if (std::strtod(buf, nullptr) == v)
            break;
    }
    return n > 0 ? static_cast<size_t>(n) : 0;
}

std::string coordinate(double v)
{
    char buf[COORDINATEMAX];
    size_t len = coordinatetext(v, buf);
    return std::string(buf, len);
}

int writekrx(const inmolecule &m, const std::vector<std::pair<int, int>> &bonds, const atomtree &t,
             const krxsettings &s, std::string &text, problem &p)
{
    std::vector<std::string> names = atomnames(m);
    text.clear();

    text += "// " + s.source + ": " + std::to_string(m.atoms.size()) + " atoms, " +
            std::to_string(bonds.size()) + " bonds; written by " + s.tool + "\n";
    if (!t.ringbonds.empty()) {
        std::vector<std::string> items;
        for (const auto &b : t.ringbonds)
            items.push_back(names[b.first] + "-" + names[b.second]);
        size_t n = t.ringbonds.size();
        commentlist(text,
                    std::to_string(n) + (n == 1 ? " bond closes a ring" : " bonds close rings") +
                        " (only the glTF figure draws " + (n == 1 ? "it" : "them") + "):",
                    items);
    }
    if (!t.hung.empty()) {
        std::vector<std::string> items;
        for (int v : t.hung)
            items.push_back(names[v]);
        commentlist(text,
                    std::to_string(t.nparts) + " parts that no bond joins; hung from " + names[t.root] +
                        " by a link that is no bond:",
                    items);
    }
    text += "name " + s.name + "\n";
    text += "readxyz\n";
    text += "bondradius " + format("%.6g", s.bondradius) + "\n";
    text += "// element NAME blue green red radius\n";

    std::vector<char> seen(LASTELEMENT + 1, 0);
    for (const inatom &a : m.atoms) {
        if (seen[a.element])
            continue;
        seen[a.element] = 1;
        const elementinfo &e = element_of(a.element);
        text += std::string("element ") + e.symbol + " " + std::to_string(e.blue) + " " +
                std::to_string(e.green) + " " + std::to_string(e.red) + " " +
                format("%.6g", s.ballscale * e.covalent) + "\n";
    }

    for (const emitted &e : emitorder(t.children, t.root)) {
        const inatom &a = m.atoms[e.atom];
        std::string line;
        if (e.opens)
            line += "{ ";
        line += "atom " + names[e.atom] + " " + element_of(a.element).symbol + " " + coordinate(a.x) + " " +
                coordinate(a.y) + " " + coordinate(a.z);
        for (int i = 0; i < e.closes; i++)
            line += " }";
        text += line + "\n";
    }

    annotate(text, names, t);
    annotateorders(text, names, m, bonds);
    annotatelabels(text, names, m, t);

    size_t start = 0;
    int lineno = 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end - start > MAXLINE)
            return fail(p, "line too long",
                        "line " + std::to_string(lineno) + " of the description would have " +
                            std::to_string(end - start) + " characters, the most is " +
                            std::to_string(MAXLINE));
        start = end + 1;
        lineno++;
    }
    return 1;
}

int writeframes(std::FILE *out, const inmolecule &m, const atomtree &t)
{
    const size_t n = m.atoms.size();
    if (m.framenumbers.empty() || n == 0)
        return 1;
    std::vector<std::string> names = atomnames(m);
    std::vector<int> order;
    for (const emitted &e : emitorder(t.children, t.root))
        order.push_back(e.atom);
    std::string text = "// " + std::to_string(m.framenumbers.size()) +
                       " further frames of the same atoms (frame 1 is the atoms above):\n";
    std::vector<double> frame(3 * n);
    for (size_t f = 0; f < m.framenumbers.size(); f++) {
        text += "//@ frame " + std::to_string(f + 2) + "\n";
        if (!m.framexyz->read(f, frame.data()))
            return 0;
        const double *p = frame.data();
        std::string line;
        for (int a : order) {
            char xyz[3 * COORDINATEMAX + 3];
            size_t len = 0;
            for (int c = 0; c < 3; c++) {
                xyz[len++] = ' ';
                len += coordinatetext(p[3 * a + c], xyz + len);
            }
            if (!line.empty() && line.size() + len > MAXLINE) {
                text += line;
                text += '\n';
                line.clear();
            }
            if (line.empty())
                line = "//@ xyz " + names[a];
            line.append(xyz, len);
        }
        text += line;
        text += '\n';
        std::fwrite(text.data(), 1, text.size(), out);
        text.clear();
    }
    return 1;
}

} // namespace importer
