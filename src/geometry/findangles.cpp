#include "geometry/findangles.h"

#include "geometry/trig.h"
#include "model/model.h"

namespace {

// atan2 of two zeros is 0 here whatever their signs: a coordinate written
// "-0.0" must not turn a bond by half a circle.
double angle(double y, double x)
{
    if (y == 0 && x == 0)
        return 0.0;
    return katan2(y, x);
}

double degrees(double radians) { return radians * 180 / pi; }

// The pass measures each child in its parent's frame by moving and turning
// the molecule, then puts the molecule back before the next child. Only the
// parent and the child's own subtree are ever read while that child and its
// descendants are measured, and every point is turned on its own, so the
// pass moves only those: each atom is turned once per ancestor, and the
// results are the same bits as if every atom were turned every time. Nothing
// needs putting back either: a sibling's subtree is never touched by another
// sibling's turns, and the parent's own position is turned as a copy.
//
// The pass works on a copy of the positions in tree order (preorder, children
// in increasing index), in which every subtree is one run of places; the
// description reader declares atoms in this order already.
int order[MAXATOMS];   // the atom at each place
int subtree[MAXATOMS]; // the number of places the subtree at a place takes
xyz pos[MAXATOMS];     // the positions, by place, in the current frame
int firstchild[MAXATOMS], nextsibling[MAXATOMS];

int index(const atom *a) { return static_cast<int>(a - atoms); }

// Lays out the subtree of atom n in preorder; returns the number of places.
int layout(int n)
{
    for (int i = 0; i < natoms; i++)
        firstchild[i] = -1;
    // Ascending, so that each list runs from the highest index down.
    for (int i = n + 1; i < natoms; i++) {
        const atom *p = atoms[i].parent;
        // Only a parent with a lower index counts, as in a walk that looks
        // for children above each atom.
        if (!p || index(p) < n || index(p) >= i)
            continue;
        nextsibling[i] = firstchild[index(p)];
        firstchild[index(p)] = i;
    }
    // A stack of atoms still to be placed; the lowest index is on top.
    int stack[MAXATOMS], top = 0, places = 0;
    stack[top++] = n;
    while (top > 0) {
        int a = stack[--top];
        order[places] = a;
        subtree[places] = 1;
        places++;
        for (int c = firstchild[a]; c >= 0; c = nextsibling[c])
            stack[top++] = c;
    }
    // Subtree sizes, leaves first; a parent always has the lower place. The
    // place of each atom is kept in firstchild, no longer needed.
    for (int p = 0; p < places; p++)
        firstchild[order[p]] = p;
    for (int p = places - 1; p > 0; p--)
        subtree[firstchild[index(atoms[order[p]].parent)]] += subtree[p];
    return places;
}

// Measures every child of the atom at place p, and their subtrees.
void measure(int p)
{
    const int n = order[p];
    const int end = p + subtree[p];
    for (int c = p + 1; c < end; c += subtree[c]) {
        atom *child = &atoms[order[c]];
        const int last = c + subtree[c];
        xyz parent = pos[p];
        if (n == 0) {
            // The root's frame: the description's, moved to the root.
            xyz r = parent;
            for (int k = c; k < last; k++)
                pos[k] -= r;
            parent = xyz(0, 0, 0);
        }

        xyz d = pos[c];
        d -= parent;
        double f = angle(d.x, d.z);
        child->phi = degrees(f);
        double sf = ksin(-f), cf = kcos(-f);
        parent = parent.byphi(sf, cf);
        pos[c] = pos[c].byphi(sf, cf);

        d = pos[c];
        d -= parent;
        double t = angle(d.z, d.y);
        child->theta = degrees(t);
        double st = ksin(-t), ct = kcos(-t);
        pos[c] = pos[c].bytheta(st, ct);

        double w = pos[c].y;
        child->bondl = w;
        pos[c].y = pos[c].y - w;
        for (int k = c + 1; k < last; k++) {
            xyz q = pos[k].byphi(sf, cf).bytheta(st, ct);
            q.y = q.y - w;
            pos[k] = q;
        }

        measure(c);
    }
}

} // namespace

int findangles(int n)
{
    if (n == 0) {
        atoms[0].theta = 0;
        atoms[0].phi = 0;
        atoms[0].bondl = 0;
    }
    if (n < 0 || n >= natoms)
        return 1;
    int places = layout(n);
    for (int p = 0; p < places; p++)
        pos[p] = atoms[order[p]].p;
    measure(0);
    return 1;
}
