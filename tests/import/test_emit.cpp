// The branch marks against a simulation of the description reader's tree
// rule, on trees of every shape up to the model's 1024 atoms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "import/emit.h"

using namespace importer;

namespace {

// What the description reader makes of the written lines: each line's
// parent line, by the reader's rule, the first line being the root
// whatever its marks. Also the deepest level reached, which must stay
// within the reader's 1024-entry path.
std::vector<int> readback(const std::vector<emitted> &lines, int &deepest)
{
    std::vector<int> treepath(lines.size() + 1, -1);
    std::vector<int> parent;
    int level = 0;
    deepest = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        int branchstart = i == 0 ? 0 : lines[i].opens;
        int branchend = lines[i].closes;
        parent.push_back(treepath[level]);
        level += branchstart;
        deepest = std::max(deepest, level);
        treepath[level] = (int)i;
        level = level > branchend ? level - branchend : 0;
    }
    return parent;
}

// Children lists from a parent array (-1 for the root), in index order.
std::vector<std::vector<int>> childrenof(const std::vector<int> &parent)
{
    std::vector<std::vector<int>> children(parent.size());
    for (size_t i = 0; i < parent.size(); i++)
        if (parent[i] >= 0)
            children[parent[i]].push_back((int)i);
    return children;
}

// Writes the tree, reads it back and compares: every atom once, the root
// first, each line's parent the line of its atom's parent; at most one mark
// of each kind per line.
void roundtrip(const std::vector<int> &parent, int root, const std::string &what)
{
    std::vector<emitted> lines = emitorder(childrenof(parent), root);
    ASSERT_EQ(lines.size(), parent.size()) << what;
    ASSERT_EQ(lines[0].atom, root) << what;
    std::vector<int> lineof(parent.size(), -1);
    for (size_t i = 0; i < lines.size(); i++) {
        ASSERT_EQ(lineof[lines[i].atom], -1) << what << ": atom written twice";
        lineof[lines[i].atom] = (int)i;
        EXPECT_LE(lines[i].opens, 1) << what;
        EXPECT_LE(lines[i].closes, 1) << what;
    }
    int deepest = 0;
    std::vector<int> got = readback(lines, deepest);
    EXPECT_LT(deepest, 1024) << what;
    for (size_t i = 0; i < lines.size(); i++) {
        int p = parent[lines[i].atom];
        int expected = p < 0 ? -1 : lineof[p];
        ASSERT_EQ(got[i], expected) << what << ": line " << i << " (atom " << lines[i].atom << ")";
    }
}

// A small generator of our own, so that every platform builds the same trees.
struct lcg {
    uint64_t s;
    unsigned next(unsigned n)
    {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return (unsigned)((s >> 33) % n);
    }
};

} // namespace

TEST(Emit, TheReadersOwnExampleWithNestedBranches)
{
    // P1 root; P2 and P5 bonded to P1; P3 and P4 bonded to P2.
    std::vector<int> parent{-1, 0, 1, 1, 0};
    std::vector<emitted> lines = emitorder(childrenof(parent), 0);
    ASSERT_EQ(lines.size(), 5u);
    // P2 has the taller subtree and continues the chain; P5 is a branch.
    int atoms[] = {0, 4, 1, 2, 3}, opens[] = {0, 1, 0, 1, 0}, closes[] = {0, 1, 0, 1, 0};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(lines[i].atom, atoms[i]) << i;
        EXPECT_EQ(lines[i].opens, opens[i]) << i;
        EXPECT_EQ(lines[i].closes, closes[i]) << i;
    }
    roundtrip(parent, 0, "example");
}

TEST(Emit, SingleAtomAndPairs)
{
    roundtrip({-1}, 0, "one atom");
    roundtrip({-1, 0}, 0, "two atoms");
    roundtrip({1, -1}, 1, "two atoms, root second");
}

TEST(Emit, LongestChainsAndStars)
{
    std::vector<int> chain(1024);
    for (int i = 0; i < 1024; i++)
        chain[i] = i - 1;
    roundtrip(chain, 0, "chain from its end");
    // The same chain from its middle: two long arms.
    std::vector<int> arms(1024);
    for (int i = 0; i < 1024; i++)
        arms[i] = i < 512 ? i + 1 : i == 512 ? -1 : i - 1;
    roundtrip(arms, 512, "chain from its middle");
    std::vector<int> star(1024, 0);
    star[0] = -1;
    roundtrip(star, 0, "star");
}

TEST(Emit, CompleteBinaryTreeNestsBranches)
{
    std::vector<int> parent(1023);
    for (int i = 0; i < 1023; i++)
        parent[i] = i == 0 ? -1 : (i - 1) / 2;
    roundtrip(parent, 0, "binary");
    std::vector<int> ternary(1024);
    for (int i = 0; i < 1024; i++)
        ternary[i] = i == 0 ? -1 : (i - 1) / 3;
    roundtrip(ternary, 0, "ternary");
}

TEST(Emit, DeepSideBranchesInsideSideBranches)
{
    // A spine whose every atom carries a branch that is itself a spine with
    // branches: the reader's level climbs with each nesting.
    std::vector<int> parent{-1};
    std::vector<int> frontier{0};
    while (parent.size() < 1000) {
        std::vector<int> next;
        for (int v : frontier) {
            for (int k = 0; k < 3 && parent.size() < 1000; k++) {
                parent.push_back(v);
                next.push_back((int)parent.size() - 1);
            }
        }
        frontier = next;
    }
    roundtrip(parent, 0, "bushy");

    // Equal-height siblings at every level force a branch per level.
    std::vector<int> comb{-1};
    int spine = 0;
    for (int d = 0; d < 300; d++) {
        comb.push_back(spine); // a leaf branch
        comb.push_back(spine); // the spine goes on
        spine = (int)comb.size() - 1;
    }
    roundtrip(comb, 0, "comb");
}

TEST(Emit, RandomTreesAnyRootAnyOrder)
{
    lcg r{12345};
    for (int trial = 0; trial < 300; trial++) {
        unsigned n = 1 + r.next(1024);
        // A random tree on shuffled labels, with a random root.
        std::vector<int> label(n);
        for (unsigned i = 0; i < n; i++)
            label[i] = (int)i;
        for (unsigned i = n; i > 1; i--)
            std::swap(label[i - 1], label[r.next(i)]);
        std::vector<int> parent(n, -1);
        unsigned shape = r.next(3);
        for (unsigned i = 1; i < n; i++) {
            // shape 0: any earlier atom; 1: one of the last few (deep); 2: one
            // of the first few (wide)
            unsigned j = shape == 0   ? r.next(i)
                         : shape == 1 ? i - 1 - r.next(std::min(i, 3u))
                                      : r.next(std::min(i, 4u));
            parent[label[i]] = label[j];
        }
        roundtrip(parent, label[0], "random tree " + std::to_string(trial));
    }
}
