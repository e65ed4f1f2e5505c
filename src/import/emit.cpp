// A run of atom lines without marks is a chain, so of each atom's children
// one continues its chain (written last, after the others' branches are
// closed) and every other one opens a side branch "{" that its own last
// line closes "}". The last line of a side branch is always reached along
// chains, so it never opens a branch itself, and every line carries at most
// one "{" and at most one "}": however deep the tree, no line grows. The
// child with the tallest subtree continues the chain, which keeps the long
// backbone of a molecule at one level and its short side groups in
// branches.
#include "import/emit.h"

#include <cstddef>

namespace importer {

namespace {

struct frame {
    int atom;
    std::size_t next; // children of atom handled so far
    int chain;        // the child that continues the chain, or -1
    bool side;        // atom opened a side branch
};

} // namespace

std::vector<emitted> emitorder(const std::vector<std::vector<int>> &children, int root)
{
    std::size_t n = children.size();
    std::vector<emitted> out;
    if (n == 0)
        return out;

    // Heights and sizes from a parent-first order, read backwards.
    std::vector<int> order{root};
    for (std::size_t q = 0; q < order.size(); q++)
        for (int c : children[order[q]])
            order.push_back(c);
    std::vector<int> height(n, 0), size(n, 1);
    for (std::size_t q = order.size(); q-- > 0;) {
        int v = order[q];
        for (int c : children[v]) {
            if (height[c] + 1 > height[v])
                height[v] = height[c] + 1;
            size[v] += size[c];
        }
    }
    auto chainof = [&](int v) {
        int best = -1;
        for (int c : children[v])
            if (best < 0 || height[c] > height[best] || (height[c] == height[best] && size[c] >= size[best]))
                best = c;
        return best;
    };

    std::vector<frame> stack;
    out.push_back({root, 0, 0});
    stack.push_back({root, 0, chainof(root), false});
    while (!stack.empty()) {
        frame &f = stack.back();
        // Side branches first, in the given order; the chain child last.
        while (f.next < children[f.atom].size() && children[f.atom][f.next] == f.chain)
            f.next++;
        if (f.next < children[f.atom].size()) {
            int c = children[f.atom][f.next++];
            out.push_back({c, 1, 0});
            stack.push_back({c, 0, chainof(c), true});
            continue;
        }
        if (f.chain >= 0) {
            int c = f.chain;
            f.chain = -1;
            out.push_back({c, 0, 0});
            // The chain child takes its parent's place: the branch its
            // parent opened now ends with the chain child's subtree.
            bool side = f.side;
            stack.pop_back();
            stack.push_back({c, 0, chainof(c), side});
            continue;
        }
        if (f.side)
            out.back().closes++;
        stack.pop_back();
    }
    return out;
}

} // namespace importer
