#include "import/crystal.h"

#include <cmath>
#include <cstddef>
#include <map>
#include <set>
#include <utility>

#include "import/bonds.h"

namespace importer {

namespace {

// The 27 cells around and including the cell itself; index 13 is (0,0,0).
const int IMAGES = 27, HOME = 13;
cellshift imageshift(int k) { return {k / 9 - 1, k / 3 % 3 - 1, k % 3 - 1}; }
int imageof(const cellshift &s) { return (s[0] + 1) * 9 + (s[1] + 1) * 3 + (s[2] + 1); }

// A bond of atom i to the image of atom j in the cell shifted by s.
struct periodicbond {
    int j;
    cellshift s;
};

// Beyond this many atoms a cell is no figure's (a figure takes 1024), and
// its 27 images would only cost time and memory.
const size_t MOSTATOMS = 8 * 1024;

// The bonds of every atom with the periodicity of the cell: the bonds that
// findbonds gives the cell and its 26 neighbours, from the atoms of the
// middle cell, whose neighbourhoods are all there. A bond is kept when both
// of its atoms keep it, so that a cap cut short at the block's outer
// faces counts for nothing.
std::vector<std::vector<periodicbond>> periodicbonds(const std::vector<inatom> &atoms, const cellaxes &axes)
{
    const int n = static_cast<int>(atoms.size());
    inmolecule block;
    block.perceive = 1;
    block.atoms.reserve(static_cast<size_t>(n) * IMAGES);
    for (int k = 0; k < IMAGES; k++) {
        cellshift s = imageshift(k);
        for (const inatom &a : atoms) {
            inatom b = a;
            b.x += s[0] * axes[0][0] + s[1] * axes[1][0] + s[2] * axes[2][0];
            b.y += s[0] * axes[0][1] + s[1] * axes[1][1] + s[2] * axes[2][1];
            b.z += s[0] * axes[0][2] + s[1] * axes[1][2] + s[2] * axes[2][2];
            block.atoms.push_back(b);
        }
    }
    // (i, j, image of j as seen from i), from atoms i of the middle cell.
    std::set<std::pair<std::pair<int, int>, int>> seen;
    for (const auto &b : allbonds(block)) {
        for (int end = 0; end < 2; end++) {
            int from = end ? b.second : b.first, to = end ? b.first : b.second;
            if (from / n != HOME)
                continue;
            cellshift t = imageshift(to / n);
            seen.insert({{from % n, to % n}, imageof(t)});
        }
    }
    std::vector<std::vector<periodicbond>> out(static_cast<size_t>(n));
    for (const auto &e : seen) {
        int i = e.first.first, j = e.first.second;
        cellshift s = imageshift(e.second);
        cellshift back = {-s[0], -s[1], -s[2]};
        if (seen.count({{j, i}, imageof(back)}))
            out[static_cast<size_t>(i)].push_back({j, s});
    }
    return out;
}

} // namespace

std::vector<cellshift> wholemolecules(const std::vector<inatom> &atoms,
                                      const std::vector<std::array<double, 3>> &fract, const cellaxes &axes)
{
    const size_t n = atoms.size();
    std::vector<cellshift> shift(n, cellshift{0, 0, 0});
    if (n == 0 || n > MOSTATOMS)
        return shift;
    std::vector<std::vector<periodicbond>> bonds = periodicbonds(atoms, axes);
    std::vector<char> placed(n, 0);
    for (size_t start = 0; start < n; start++) {
        if (placed[start])
            continue;
        // One part, from its first atom in file order: each atom placed
        // where its bond to an atom placed already puts it.
        std::vector<size_t> part{start};
        placed[start] = 1;
        bool endless = false; // a bond leads to another image of the part
        for (size_t k = 0; k < part.size(); k++) {
            size_t i = part[k];
            for (const periodicbond &b : bonds[i]) {
                size_t j = static_cast<size_t>(b.j);
                cellshift want = {shift[i][0] + b.s[0], shift[i][1] + b.s[1], shift[i][2] + b.s[2]};
                if (!placed[j]) {
                    placed[j] = 1;
                    shift[j] = want;
                    part.push_back(j);
                } else if (shift[j] != want) {
                    endless = true;
                }
            }
        }
        if (endless) {
            // A network through the crystal: the cell's own atoms, as given.
            for (size_t i : part)
                shift[i] = {0, 0, 0};
            continue;
        }
        // The whole molecule moved so that its centre lies in the cell (a
        // molecule on a face or a corner stays at the side its first atom
        // is on: the small allowance keeps a centre on the face there).
        double centre[3] = {0, 0, 0};
        for (size_t i : part)
            for (int axis = 0; axis < 3; axis++)
                centre[axis] += fract[i][static_cast<size_t>(axis)] + shift[i][static_cast<size_t>(axis)];
        cellshift back;
        for (int axis = 0; axis < 3; axis++)
            back[static_cast<size_t>(axis)] =
                static_cast<int>(std::floor(centre[axis] / static_cast<double>(part.size()) + 1e-6));
        for (size_t i : part)
            for (size_t axis = 0; axis < 3; axis++)
                shift[i][axis] -= back[axis];
    }
    return shift;
}

} // namespace importer
