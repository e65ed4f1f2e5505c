#include "import/select.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace importer {

bool iswater(const std::string &residue)
{
    static const char *const NAMES[] = {"HOH", "WAT", "DOD",  "SOL", "H2O",  "D2O", "TIP",  "TIP3",
                                        "TP3", "T3P", "TIP4", "T4P", "TIP5", "SPC", "SPCE", "OH2"};
    // Every name has three or four letters; most atoms (and every atom of
    // a file without residues) are told at once.
    if (residue.size() < 3 || residue.size() > 4)
        return false;
    char r[5] = {0, 0, 0, 0, 0};
    for (size_t i = 0; i < residue.size(); i++)
        r[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(residue[i])));
    for (const char *n : NAMES)
        if (std::strlen(n) == residue.size() && std::memcmp(r, n, residue.size()) == 0)
            return true;
    return false;
}

int collector::add(inatom a, const symbolread &e, const atomsite &site)
{
    if (e.kind != symbolread::ELEMENT) {
        m_.dummies += !inframe_;
        return -1;
    }
    a.element = e.z;
    a.isotope = e.isotope;
    return add(a, site);
}

bool keeps(const selection &sel, const atomsite &site, bool ligand)
{
    if (sel.ligands && ligand)
        return true;
    // --ligands alone keeps nothing else.
    if (sel.ligands && sel.chains.empty() && sel.residues.empty())
        return false;
    bool chain = sel.chains.empty();
    for (const std::string &id : sel.chains)
        chain = chain || id == site.chain;
    bool number = sel.residues.empty();
    for (const residuerange &r : sel.residues)
        number =
            number || ((r.anychain || r.chain == site.chain) && site.number >= r.from && site.number <= r.to);
    return chain && number;
}

int collector::add(const inatom &a, const atomsite &site)
{
    bool water = iswater(site.residue), hydrogen = a.element == 1;
    bool ligand = site.het && !water;
    if (inframe_) {
        // A further frame is counted in no census and selected alike.
        if ((hydrogen && s_.nohydrogens) || (water && s_.nowater))
            return -1;
        return keeps(s_, site, ligand) ? addtoframe(a) : -1;
    }
    for (chaincount *c : {&m_.census[site.chain], &m_.residuecensus[{site.chain, site.number}]}) {
        c->atoms++;
        c->hydrogens += hydrogen;
        c->water += water;
        c->waterhydrogens += water && hydrogen;
        c->ligands += ligand;
        c->ligandhydrogens += ligand && hydrogen;
    }
    if ((hydrogen && s_.nohydrogens) || (water && s_.nowater))
        return -1;
    if (!keeps(s_, site, ligand))
        return -1;
    m_.kept++;
    if (full())
        return -1;
    m_.atoms.push_back(a);
    m_.sites.push_back(site);
    return static_cast<int>(m_.atoms.size()) - 1;
}

void collector::bond(int a, int b, bondorder order)
{
    if (a < 0 || b < 0 || a == b)
        return;
    if (inframe_ && records_) {
        framebonds_.push_back({{a < b ? a : b, a < b ? b : a}, order});
        return;
    }
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

long keptof(const chaincount &c, const selection &sel, bool ligandsonly)
{
    if (ligandsonly)
        return c.ligands - (sel.nohydrogens ? c.ligandhydrogens : 0);
    long k = c.atoms;
    if (sel.nohydrogens)
        k -= c.hydrogens;
    if (sel.nowater)
        k -= c.water;
    if (sel.nohydrogens && sel.nowater)
        k += c.waterhydrogens;
    return k;
}

long keptby(const inmolecule &m, const selection &sel)
{
    long n = 0;
    for (const auto &entry : m.residuecensus) {
        atomsite site;
        site.chain = entry.first.first;
        site.number = entry.first.second;
        // The residue number's atoms all, or its ligands alone.
        if (keeps(sel, site, false))
            n += keptof(entry.second, sel);
        else if (sel.ligands)
            n += keptof(entry.second, sel, true);
    }
    return n;
}

} // namespace importer
