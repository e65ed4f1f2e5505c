#include "molecule.h"

#include "problem.h"

namespace importer {

int fail(problem &p, const std::string &what, const std::string &detail)
{
    p.what = what;
    p.detail = detail;
    return 0;
}

void dropHydrogens(inmolecule &m)
{
    std::vector<int> newindex(m.atoms.size(), -1);
    std::vector<inatom> kept;
    for (size_t i = 0; i < m.atoms.size(); i++) {
        if (m.atoms[i].element == 1)
            continue;
        newindex[i] = (int)kept.size();
        kept.push_back(m.atoms[i]);
    }
    std::vector<std::pair<int, int>> bonds;
    for (const auto &b : m.bonds) {
        int a = newindex[b.first], c = newindex[b.second];
        if (a >= 0 && c >= 0)
            bonds.push_back({a, c});
    }
    m.atoms.swap(kept);
    m.bonds.swap(bonds);
}

} // namespace importer
