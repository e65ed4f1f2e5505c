#include "import/tree.h"

#include <algorithm>

namespace importer {

namespace {

// Distances in bonds from `from` to every atom (-1: not reached).
std::vector<int> bfsdepth(const std::vector<std::vector<int>> &adjacent, int from)
{
    std::vector<int> depth(adjacent.size(), -1);
    std::vector<int> queue{from};
    depth[from] = 0;
    for (size_t q = 0; q < queue.size(); q++) {
        int v = queue[q];
        for (int w : adjacent[v])
            if (depth[w] < 0) {
                depth[w] = depth[v] + 1;
                queue.push_back(w);
            }
    }
    return depth;
}

// Links every atom of start's part to the tree, breadth-first; returns the
// atoms in the order reached.
std::vector<int> grow(const std::vector<std::vector<int>> &adjacent, int start, atomtree &t,
                      std::vector<char> &placed)
{
    std::vector<int> queue{start};
    placed[start] = 1;
    for (size_t q = 0; q < queue.size(); q++) {
        int v = queue[q];
        for (int w : adjacent[v])
            if (!placed[w]) {
                placed[w] = 1;
                t.parent[w] = v;
                t.children[v].push_back(w);
                queue.push_back(w);
            }
    }
    return queue;
}

} // namespace

int centreof(const std::vector<std::vector<int>> &adjacent, const std::vector<int> &part)
{
    // Measuring every atom's eccentricity takes a walk of the graph from each:
    // time quadratic in the atoms. Each walk also bounds every other atom's
    // eccentricity from below (d the distance walked, ev the walk's own:
    // e >= d and e >= ev - d). Atoms whose bound shows they cannot win are
    // not walked from; in molecules a few walks decide.
    const int n = static_cast<int>(adjacent.size());
    std::vector<int> lower(n, 0);
    std::vector<char> measured(n, 0);
    int best = -1, bestecc = 0;
    for (;;) {
        // Next: the atom that could still win with the lowest bound (the
        // lowest index among equals, as the result).
        int v = -1;
        for (int w : part) {
            if (measured[w])
                continue;
            if (best >= 0 && (lower[w] > bestecc || (lower[w] == bestecc && w > best)))
                continue;
            if (v < 0 || lower[w] < lower[v])
                v = w;
        }
        if (v < 0)
            return best;
        std::vector<int> depth = bfsdepth(adjacent, v);
        int ecc = 0;
        for (int u : part)
            ecc = std::max(ecc, depth[u]);
        measured[v] = 1;
        if (best < 0 || ecc < bestecc || (ecc == bestecc && v < best)) {
            best = v;
            bestecc = ecc;
        }
        for (int u : part)
            lower[u] = std::max(lower[u], std::max(depth[u], ecc - depth[u]));
    }
}

void buildtree(const inmolecule &m, const std::vector<std::pair<int, int>> &bonds, int root, atomtree &t)
{
    int n = static_cast<int>(m.atoms.size());
    t = atomtree();
    t.parent.assign(n, -1);
    t.children.assign(n, {});
    std::vector<std::vector<int>> adjacent(n);
    for (const auto &b : bonds) {
        adjacent[b.first].push_back(b.second);
        adjacent[b.second].push_back(b.first);
    }
    for (auto &a : adjacent)
        std::sort(a.begin(), a.end());

    // The parts, each listed by rising index, in the order of their lowest atom.
    std::vector<int> partof(n, -1);
    std::vector<std::vector<int>> parts;
    for (int i = 0; i < n; i++) {
        if (partof[i] >= 0)
            continue;
        std::vector<int> depth = bfsdepth(adjacent, i);
        std::vector<int> part;
        for (int j = i; j < n; j++)
            if (depth[j] >= 0) {
                partof[j] = static_cast<int>(parts.size());
                part.push_back(j);
            }
        parts.push_back(part);
    }
    t.nparts = static_cast<int>(parts.size());
    if (n == 0)
        return;

    if (root < 0) {
        size_t largest = 0;
        for (size_t k = 1; k < parts.size(); k++)
            if (parts[k].size() > parts[largest].size())
                largest = k;
        root = centreof(adjacent, parts[largest]);
    }
    t.root = root;

    std::vector<char> placed(n, 0);
    grow(adjacent, root, t, placed);
    for (const auto &part : parts) {
        if (placed[part[0]])
            continue;
        int nearest = part[0];
        for (int v : part)
            if (distance2(m.atoms[v], m.atoms[root]) < distance2(m.atoms[nearest], m.atoms[root]))
                nearest = v;
        t.parent[nearest] = root;
        t.children[root].push_back(nearest);
        t.hung.push_back(nearest);
        grow(adjacent, nearest, t, placed);
    }

    for (const auto &b : bonds)
        if (t.parent[b.first] != b.second && t.parent[b.second] != b.first)
            t.ringbonds.push_back(b);
}

} // namespace importer
