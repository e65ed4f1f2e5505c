// The centre of a bond graph, found with few walks, against the plain
// search that walks from every atom: the same atom on graphs of every shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "import/tree.h"

namespace {

using graph = std::vector<std::vector<int>>;

// Every atom's eccentricity, the lowest wins, ties to the lowest index.
int plaincentre(const graph &adjacent, const std::vector<int> &part)
{
    int best = -1, bestecc = 0;
    for (int v : part) {
        std::vector<int> depth(adjacent.size(), -1), queue{v};
        depth[v] = 0;
        for (size_t q = 0; q < queue.size(); q++)
            for (int w : adjacent[queue[q]])
                if (depth[w] < 0) {
                    depth[w] = depth[queue[q]] + 1;
                    queue.push_back(w);
                }
        int ecc = 0;
        for (int u : part)
            ecc = std::max(ecc, depth[u]);
        if (best < 0 || ecc < bestecc) {
            best = v;
            bestecc = ecc;
        }
    }
    return best;
}

void link(graph &g, int a, int b)
{
    g[a].push_back(b);
    g[b].push_back(a);
}

// The atoms reached from `from`, by rising index.
std::vector<int> partof(const graph &g, int from)
{
    std::vector<char> seen(g.size(), 0);
    std::vector<int> queue{from};
    seen[from] = 1;
    for (size_t q = 0; q < queue.size(); q++)
        for (int w : g[queue[q]])
            if (!seen[w]) {
                seen[w] = 1;
                queue.push_back(w);
            }
    std::sort(queue.begin(), queue.end());
    return queue;
}

} // namespace

TEST(Centre, SmallShapes)
{
    const struct {
        const char *shape;
        int atoms;
        std::vector<std::pair<int, int>> bonds;
        int centre;
    } cases[] = {
        {"one atom", 1, {}, 0},
        {"a pair: the lower index", 2, {{0, 1}}, 0},
        {"a chain of five", 5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}}, 2},
        {"a chain of four: two centres", 4, {{0, 1}, {1, 2}, {2, 3}}, 1},
        {"a star", 5, {{3, 0}, {3, 1}, {3, 2}, {3, 4}}, 3},
        {"a ring of six: all equal", 6, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}}, 0},
        {"a ring with a tail", 7, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {3, 4}, {4, 5}, {5, 6}}, 3},
    };
    for (const auto &c : cases) {
        graph g(c.atoms);
        for (const auto &b : c.bonds)
            link(g, b.first, b.second);
        std::vector<int> part = partof(g, 0);
        EXPECT_EQ(importer::centreof(g, part), c.centre) << c.shape;
        EXPECT_EQ(plaincentre(g, part), c.centre) << c.shape;
    }
}

// Random trees, trees with ring bonds added, dense clusters, and a part
// that is not the whole graph.
TEST(Centre, AsThePlainSearch)
{
    std::mt19937 random(21);
    for (int round = 0; round < 400; round++) {
        int n = 1 + static_cast<int>(random() % 120);
        graph g(n);
        for (int v = 1; v < n; v++)
            link(g, v, static_cast<int>(random() % v));
        int extra = round % 4 == 0 ? 0 : static_cast<int>(random() % (round % 4 == 3 ? 4 * n : n / 4 + 1));
        for (int k = 0; k < extra; k++) {
            int a = static_cast<int>(random() % n), b = static_cast<int>(random() % n);
            if (a != b)
                link(g, a, b);
        }
        // A second part beside the first: the centre of each is its own.
        int m = static_cast<int>(random() % 10);
        for (int v = 0; v < m; v++) {
            g.emplace_back();
            if (v > 0)
                link(g, n + v, n + static_cast<int>(random() % v));
        }
        for (int from : {0, m > 0 ? n : 0}) {
            std::vector<int> part = partof(g, from);
            ASSERT_EQ(importer::centreof(g, part), plaincentre(g, part)) << "round " << round;
        }
    }
}
