#include "bonds.h"

#include <algorithm>

#include "elements.h"

namespace importer {

bool bonded(const inatom &a, const inatom &b)
{
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    double d2 = dx * dx + dy * dy + dz * dz;
    double most = element_of(a.element).covalent + element_of(b.element).covalent + 0.45;
    return d2 > 0.40 * 0.40 && d2 < most * most;
}

std::vector<std::pair<int, int>> allbonds(const inmolecule &m)
{
    std::vector<std::pair<int, int>> out;
    for (const auto &b : m.bonds) {
        if (b.first == b.second)
            continue;
        out.push_back({std::min(b.first, b.second), std::max(b.first, b.second)});
    }
    if (m.perceive) {
        int n = (int)m.atoms.size();
        for (int i = 0; i < n; i++)
            for (int j = i + 1; j < n; j++)
                if (bonded(m.atoms[i], m.atoms[j]))
                    out.push_back({i, j});
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace importer
