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

std::string coordinate(double v)
{
    if (v == 0)
        v = 0; // no "-0.000000"
    char buf[64];
    for (int decimals = 6; decimals <= 12; decimals++) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        if (std::strtod(buf, nullptr) == v)
            break;
    }
    return buf;
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

void writeframes(std::FILE *out, const inmolecule &m, const atomtree &t)
{
    const size_t n = m.atoms.size();
    if (m.framenumbers.empty() || n == 0)
        return;
    std::vector<std::string> names = atomnames(m);
    std::vector<int> order;
    for (const emitted &e : emitorder(t.children, t.root))
        order.push_back(e.atom);
    std::string text = "// " + std::to_string(m.framenumbers.size()) +
                       " further frames of the same atoms (frame 1 is the atoms above):\n";
    for (size_t f = 0; f < m.framenumbers.size(); f++) {
        text += "//@ frame " + std::to_string(f + 2) + "\n";
        const double *p = &m.framexyz[3 * n * f];
        std::string line;
        for (int a : order) {
            std::string xyz =
                " " + coordinate(p[3 * a]) + " " + coordinate(p[3 * a + 1]) + " " + coordinate(p[3 * a + 2]);
            if (!line.empty() && line.size() + xyz.size() > MAXLINE) {
                text += line + "\n";
                line.clear();
            }
            if (line.empty())
                line = "//@ xyz " + names[a];
            line += xyz;
        }
        text += line + "\n";
        std::fwrite(text.data(), 1, text.size(), out);
        text.clear();
    }
}

} // namespace importer
