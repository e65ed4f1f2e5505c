#include "select.h"

#include <algorithm>
#include <cctype>

namespace importer {

bool iswater(const std::string &residue)
{
    static const char *const NAMES[] = {"HOH", "WAT", "DOD",  "SOL", "H2O",  "D2O", "TIP",  "TIP3",
                                        "TP3", "T3P", "TIP4", "T4P", "TIP5", "SPC", "SPCE", "OH2"};
    std::string r;
    for (char c : residue)
        r += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char *n : NAMES)
        if (r == n)
            return true;
    return false;
}

int collector::add(inatom a, const symbolread &e, const std::string &chain, const std::string &residue)
{
    if (e.kind != symbolread::ELEMENT) {
        m_.dummies += !inframe_;
        return -1;
    }
    a.element = e.z;
    a.isotope = e.isotope;
    return add(a, chain, residue);
}

int collector::add(const inatom &a, const std::string &chain, const std::string &residue)
{
    bool water = iswater(residue), hydrogen = a.element == 1;
    if (inframe_) {
        // A further frame is counted in no census and selected alike.
        if ((hydrogen && s_.nohydrogens) || (water && s_.nowater))
            return -1;
        bool chosen = s_.chains.empty();
        for (const std::string &id : s_.chains)
            chosen = chosen || id == chain;
        return chosen ? addtoframe(a) : -1;
    }
    chaincount &c = m_.census[chain];
    c.atoms++;
    c.hydrogens += hydrogen;
    c.water += water;
    c.waterhydrogens += water && hydrogen;
    if ((hydrogen && s_.nohydrogens) || (water && s_.nowater))
        return -1;
    if (!s_.chains.empty()) {
        bool chosen = false;
        for (const std::string &id : s_.chains)
            chosen = chosen || id == chain;
        if (!chosen)
            return -1;
    }
    m_.kept++;
    if (full())
        return -1;
    m_.atoms.push_back(a);
    return static_cast<int>(m_.atoms.size()) - 1;
}

void collector::bond(int a, int b, bondorder order)
{
    if (a < 0 || b < 0 || a == b)
        return;
    std::pair<int, int> key{a < b ? a : b, a < b ? b : a};
    m_.bonds.push_back({a, b});
    // A file may list one bond any number of times (millions of identical
    // CONECT records): the list is made unique (either direction is one
    // bond) whenever it has doubled, so that it stays within twice the
    // distinct bonds, which the kept atoms bound.
    if (m_.bonds.size() >= bondsunique_ * 2 + 4096) {
        auto low = [](const std::pair<int, int> &x) {
            return x.first < x.second ? x : std::make_pair(x.second, x.first);
        };
        std::stable_sort(
            m_.bonds.begin(), m_.bonds.end(),
            [&](const std::pair<int, int> &x, const std::pair<int, int> &y) { return low(x) < low(y); });
        m_.bonds.erase(std::unique(m_.bonds.begin(), m_.bonds.end(),
                                   [&](const std::pair<int, int> &x, const std::pair<int, int> &y) {
                                       return low(x) == low(y);
                                   }),
                       m_.bonds.end());
        bondsunique_ = m_.bonds.size();
    }
    if (order == ORDER_SINGLE)
        m_.orders.erase(key);
    else
        m_.orders[key] = order;
}

long keptby(const inmolecule &m, const selection &sel)
{
    long n = 0;
    for (const auto &entry : m.census) {
        bool chosen = sel.chains.empty();
        for (const std::string &id : sel.chains)
            chosen = chosen || id == entry.first;
        if (!chosen)
            continue;
        const chaincount &c = entry.second;
        long k = c.atoms;
        if (sel.nohydrogens)
            k -= c.hydrogens;
        if (sel.nowater)
            k -= c.water;
        if (sel.nohydrogens && sel.nowater)
            k += c.waterhydrogens;
        n += k;
    }
    return n;
}

} // namespace importer
