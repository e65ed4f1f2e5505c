#include "import/bonds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "import/elements.h"
#include "import/text.h"

namespace importer {

namespace {

double cutoff(const inatom &a, const inatom &b)
{
    return bondcutoff(element_of(a.element).covalent, element_of(b.element).covalent);
}

struct incell {
    std::array<long long, 3> cell;
    int atom;
    bool operator<(const incell &o) const { return cell < o.cell || (cell == o.cell && atom < o.atom); }
};

std::string atomat(const std::string &name, const inatom &a, int index)
{
    if (a.line > 0)
        return where(name, a.line);
    return name + ": atom " + std::to_string(index + 1);
}

} // namespace

bool bonded(const inatom &a, const inatom &b)
{
    double d2 = distance2(a, b), most = cutoff(a, b);
    return d2 > TOOCLOSE * TOOCLOSE && d2 < most * most;
}

void nearpairs(const std::vector<inatom> &atoms, const std::function<void(int, int, double)> &pair)
{
    double largest = 0;
    for (const inatom &a : atoms)
        largest = std::max(largest, element_of(a.element).covalent);
    // Too close counts too, so the cell is at least that wide.
    double width = std::max(bondcutoff(largest, largest), TOOCLOSE);
    std::vector<double> radius(atoms.size());
    for (size_t i = 0; i < atoms.size(); i++)
        radius[i] = element_of(atoms[i].element).covalent;
    std::vector<incell> cells;
    cells.reserve(atoms.size());
    for (size_t i = 0; i < atoms.size(); i++) {
        const inatom &a = atoms[i];
        // Readers refuse coordinates of 1e9 and more (and NaN), so the cell
        // index cannot overflow.
        cells.push_back({{static_cast<long long>(std::floor(a.x / width)),
                          static_cast<long long>(std::floor(a.y / width)),
                          static_cast<long long>(std::floor(a.z / width))},
                         static_cast<int>(i)});
    }
    std::sort(cells.begin(), cells.end());
    auto runof = [&](const std::array<long long, 3> &c) {
        incell probe{c, -1};
        auto from = std::lower_bound(cells.begin(), cells.end(), probe);
        auto to = from;
        while (to != cells.end() && to->cell == c)
            ++to;
        return std::make_pair(from, to);
    };
    size_t start = 0;
    while (start < cells.size()) {
        size_t end = start;
        while (end < cells.size() && cells[end].cell == cells[start].cell)
            end++;
        const std::array<long long, 3> &c = cells[start].cell;
        // Pairs within the cell, then with the 13 neighbours that come
        // after it, so that each pair of cells is looked at once.
        for (int dx = -1; dx <= 1; dx++)
            for (int dy = -1; dy <= 1; dy++)
                for (int dz = -1; dz <= 1; dz++) {
                    std::array<long long, 3> n{c[0] + dx, c[1] + dy, c[2] + dz};
                    if (n < c)
                        continue;
                    bool same = n == c;
                    auto run = same ? std::make_pair(cells.begin() + static_cast<long>(start),
                                                     cells.begin() + static_cast<long>(end))
                                    : runof(n);
                    for (size_t k = start; k < end; k++) {
                        int i = cells[k].atom;
                        for (auto it = run.first; it != run.second; ++it) {
                            int j = it->atom;
                            if (same && j <= i)
                                continue;
                            double d2 = distance2(atoms[i], atoms[j]);
                            double most = bondcutoff(radius[i], radius[j]);
                            if (d2 < most * most)
                                pair(std::min(i, j), std::max(i, j), d2);
                        }
                    }
                }
        start = end;
    }
}

int findbonds(const inmolecule &m, const std::string &name, bondlist &out, problem &p)
{
    out.clear();
    for (const auto &b : m.bonds) {
        if (b.first == b.second)
            continue;
        out.push_back({std::min(b.first, b.second), std::max(b.first, b.second)});
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());

    // Two atoms at one place, found by the same search as the bonds.
    int closei = -1, closej = -1;
    double closed2 = 0;
    struct found {
        double d2;
        int i, j;
    };
    std::vector<found> near;
    // What each atom may take, looked up once rather than once per pair.
    std::vector<char> metal(m.atoms.size()), bondable(m.atoms.size());
    for (size_t i = 0; i < m.atoms.size(); i++) {
        metal[i] = ismetal(m.atoms[i].element);
        bondable[i] = m.perceive && maxbonds(m.atoms[i].element) > 0;
    }
    nearpairs(m.atoms, [&](int i, int j, double d2) {
        if (d2 <= TOOCLOSE * TOOCLOSE) {
            if ((m.atoms[i].altloc == ' ' || m.atoms[j].altloc == ' ') && closei < 0) {
                closei = i;
                closej = j;
                closed2 = d2;
            }
            return;
        }
        if (bondable[i] && bondable[j] && !(metal[i] && metal[j]))
            near.push_back({d2, i, j});
    });
    if (closei >= 0) {
        char d[32];
        std::snprintf(d, sizeof d, "%.2f", std::sqrt(closed2));
        return fail(p, "atoms too close",
                    atomat(name, m.atoms[closei], closei) + " and " +
                        (m.atoms[closej].line > 0 ? "line " + std::to_string(m.atoms[closej].line)
                                                  : "atom " + std::to_string(closej + 1)) +
                        ": two atoms " + d + " A apart, one atom written twice?");
    }
    if (near.empty())
        return 1;

    // Bonds from distances the file lists already are the file's.
    std::vector<int> count(m.atoms.size(), 0);
    for (const auto &b : out) {
        count[b.first]++;
        count[b.second]++;
    }
    std::vector<found> added;
    added.reserve(near.size());
    for (const found &f : near)
        if (!std::binary_search(out.begin(), out.end(), std::make_pair(f.i, f.j))) {
            added.push_back(f);
            count[f.i]++;
            count[f.j]++;
        }
    // The longest go first where an atom has too many; ties by atoms, so
    // that the result does not depend on the order found.
    std::sort(added.begin(), added.end(), [](const found &a, const found &b) {
        if (a.d2 != b.d2)
            return a.d2 > b.d2;
        return a.i != b.i ? a.i > b.i : a.j > b.j;
    });
    // A metal's bonds found from distances are not capped at the metal: its
    // coordination is what the geometry gives (a ring bound by all its
    // carbons, six carbonyls). The other atom's maximum still applies.
    auto over = [&](int i) { return !metal[i] && count[i] > maxbonds(m.atoms[i].element); };
    // Bonds within TIE of the longest left are one step: each is dropped
    // when one of its atoms is over its maximum before the step, so bonds
    // of equal length at a cut go together, never an arbitrary few.
    for (size_t from = 0; from < added.size();) {
        double longest = std::sqrt(added[from].d2);
        size_t to = from;
        while (to < added.size() && std::sqrt(added[to].d2) >= longest - TIE)
            to++;
        std::vector<char> drop(to - from);
        for (size_t k = from; k < to; k++)
            drop[k - from] = over(added[k].i) || over(added[k].j);
        for (size_t k = from; k < to; k++) {
            if (drop[k - from]) {
                count[added[k].i]--;
                count[added[k].j]--;
            } else {
                out.push_back({added[k].i, added[k].j});
            }
        }
        from = to;
    }
    std::sort(out.begin(), out.end());
    return 1;
}

bondlist allbonds(const inmolecule &m)
{
    bondlist b;
    problem p;
    findbonds(m, "", b, p);
    return b;
}

} // namespace importer
