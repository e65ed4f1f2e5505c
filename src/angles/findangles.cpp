#include "angles/findangles.h"

#include <cmath>
#include <cstring>

#include "base/cpu.h"
#include "geometry/trig.h"
#include "model/model.h"

namespace {

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
// The positions, by place, in the current frame, one array per component:
// the turns below then work on two or more atoms in one instruction.
double px[MAXATOMS], py[MAXATOMS], pz[MAXATOMS];
// Each child's turns, by its place: the sines and cosines of -phi and of
// -theta. The children of one atom are measured from the same frame, so
// their angles are worked out together before any subtree is turned.
double sinphi[MAXATOMS], cosphi[MAXATOMS], sintheta[MAXATOMS], costheta[MAXATOMS];
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

// Work arrays of the angles of one atom's children, by child.
double ys[MAXATOMS], xs[MAXATOMS], turns[MAXATOMS];
int childplace[MAXATOMS];

// atan2 of each (ys[k], xs[k]) into turns[k] for k below n. atan2 of two
// zeros is 0 here whatever their signs: a coordinate written "-0.0" must not
// turn a bond by half a circle.
void angles(int n)
{
    katan2(ys, xs, turns, n);
    for (int k = 0; k < n; k++)
        if (ys[k] == 0 && xs[k] == 0)
            turns[k] = 0.0;
}

void measure(int p);

// Places from to end - 1 turned by byphi(sf, cf), then bytheta(st, ct), then
// moved by -w, each with the operations of those turns.
inline void turnwith(int from, int end, double sf, double cf, double st, double ct, double w)
{
    for (int k = from; k < end; k++) {
        double x = px[k], y = py[k], z = pz[k];
        double x1 = x * cf + z * sf, z1 = z * cf - x * sf;
        double y2 = y * ct - z1 * st, z2 = z1 * ct + y * st;
        px[k] = x1;
        py[k] = y2 - w;
        pz[k] = z2;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same built for AVX2: four atoms an instruction where the processor has it.
__attribute__((target("avx2"))) void turnavx2(int from, int end, double sf, double cf, double st, double ct,
                                              double w)
{
    turnwith(from, end, sf, cf, st, ct, w);
}
#endif

void turn(int from, int end, double sf, double cf, double st, double ct, double w)
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (useavx2()) {
        turnavx2(from, end, sf, cf, st, ct, w);
        return;
    }
#endif
    turnwith(from, end, sf, cf, st, ct, w);
}

// The children of the atom at place p, each in turn, once their angles are
// known: its bond length, its subtree turned into its frame, then its own
// children.
void turnandmeasure(int p)
{
    const int end = p + subtree[p];
    for (int c = p + 1; c < end; c += subtree[c]) {
        const double sf = sinphi[c], cf = cosphi[c], st = sintheta[c], ct = costheta[c];
        xyz q = xyz(px[c], py[c], pz[c]).bytheta(st, ct);
        double w = q.y;
        atoms[order[c]].bondl = w;
        px[c] = q.x;
        py[c] = q.y - w;
        pz[c] = q.z;
        const int last = c + subtree[c];
        turn(c + 1, last, sf, cf, st, ct, w);
        measure(c);
    }
}

// Measures every child of the atom at place p, and their subtrees.
void measure(int p)
{
    const int n = order[p];
    const int end = p + subtree[p];
    xyz parent(px[p], py[p], pz[p]);
    if (n == 0) {
        // The root's frame: the description's, moved to the root. Each
        // child's subtree is moved when that child is measured; as the
        // subtrees do not overlap, all can be moved now.
        for (int k = p + 1; k < end; k++) {
            px[k] -= parent.x;
            py[k] -= parent.y;
            pz[k] -= parent.z;
        }
        parent = xyz(0, 0, 0);
    }

    if (subtree[p] == 1)
        return;

    // phi of every child, then the turn of each by its -phi.
    int children = 0;
    for (int c = p + 1; c < end; c += subtree[c]) {
        childplace[children] = c;
        xyz d(px[c], py[c], pz[c]);
        d -= parent;
        ys[children] = d.x;
        xs[children] = d.z;
        children++;
    }
    angles(children);
    for (int k = 0; k < children; k++) {
        atoms[order[childplace[k]]].phi = degrees(turns[k]);
        turns[k] = -turns[k];
    }
    ksincos(turns, ys, xs, children);
    // theta of every child in the frame its phi gives, then its turn.
    for (int k = 0; k < children; k++) {
        int c = childplace[k];
        double sf = ys[k], cf = xs[k];
        sinphi[c] = sf;
        cosphi[c] = cf;
        xyz q = xyz(px[c], py[c], pz[c]).byphi(sf, cf);
        px[c] = q.x;
        py[c] = q.y;
        pz[c] = q.z;
        xyz d = q;
        d -= parent.byphi(sf, cf);
        ys[k] = d.z;
        xs[k] = d.y;
    }
    angles(children);
    for (int k = 0; k < children; k++) {
        atoms[order[childplace[k]]].theta = degrees(turns[k]);
        turns[k] = -turns[k];
    }
    ksincos(turns, ys, xs, children);
    for (int k = 0; k < children; k++) {
        sintheta[childplace[k]] = ys[k];
        costheta[childplace[k]] = xs[k];
    }

    turnandmeasure(p);
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
    for (int p = 0; p < places; p++) {
        px[p] = atoms[order[p]].p.x;
        py[p] = atoms[order[p]].p.y;
        pz[p] = atoms[order[p]].p.z;
    }
    measure(0);
    return 1;
}
