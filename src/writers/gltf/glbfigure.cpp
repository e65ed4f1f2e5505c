#include "writers/gltf/glbfigure.h"

#include <cmath>
#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/cpu.h"
#include "base/messages.h"
#include "geometry/trig.h"
#include "model/bondgraph.h"
#include "model/model.h"
#include "writers/gltf/bondlines.h"
#include "writers/gltf/glbsphere.h"
#include "writers/gltf/float32.h"
#include "writers/gltf/floatrange.h"
#include "writers/gltf/glblook.h"
#include "writers/gltf/glbrig.h"

namespace {

enum { BALLPOINTS = SPHEREPOINTS, BONDSIDES = 16 };

// The cylinder's triangles, two per side, counted from its first vertex:
// the bottom ring, then the top one.
struct cylindertopology {
    int tri[2 * BONDSIDES][3];
};

const cylindertopology &cylindertriangles()
{
    static const cylindertopology top = [] {
        cylindertopology t;
        for (int j = 0; j < BONDSIDES; j++) {
            int b0 = j, b1 = (j + 1) % BONDSIDES, t0 = b0 + BONDSIDES, t1 = b1 + BONDSIDES;
            int tri[6] = {b0, t0, t1, b0, t1, b1};
            for (int k = 0; k < 6; k++)
                t.tri[2 * j + k / 3][k % 3] = tri[k];
        }
        return t;
    }();
    return top;
}

// The ball's points, which are their own outward normals, and the bond
// ring's directions, worked out once.
struct unitshapes {
    double ring[BONDSIDES][2]; // cosine, sine
    // By component: the ball's points and normals, and the ring's
    // directions twice (bottom, top) with Y zero.
    double point[3][BALLPOINTS], normal[3][BALLPOINTS], ringnormal[3][2 * BONDSIDES];
};

const unitshapes &shapes()
{
    static unitshapes u;
    static bool made = false;
    if (made)
        return u;
    const glbsphere &sphere = unitsphere();
    for (int i = 0; i < 3; i++)
        for (int k = 0; k < BALLPOINTS; k++)
            u.point[i][k] = u.normal[i][k] = sphere.point[i][k];
    // The ring from the portable trigonometry: the C library's sin and cos
    // need not give these bits (MinGW's sincos at -O2 does not), and every
    // build must write the same file. At these sixteen angles ksincos gives
    // the bits the golden files were written with.
    const double step = 2 * pi / BONDSIDES;
    for (int j = 0; j < BONDSIDES; j++) {
        ksincos(step * j, &u.ring[j][1], &u.ring[j][0]);
        for (int ring = 0; ring < 2; ring++) {
            u.ringnormal[0][ring * BONDSIDES + j] = u.ring[j][0];
            u.ringnormal[1][ring * BONDSIDES + j] = 0;
            u.ringnormal[2][ring * BONDSIDES + j] = u.ring[j][1];
        }
    }
    made = true;
    return u;
}

// The radius of an element's balls in the figure's style: the one the
// description gives, its van der Waals radius, or the bond radius.
double ballradius(const element &e)
{
    switch (figurestyle) {
    case STYLE_SPACEFILL:
        return e.rad == 0 ? 0 : vdwradius(e.name);
    case STYLE_STICKS:
        return e.rad == 0 ? 0 : std::fabs(bondradius);
    default:
        return std::fabs(e.rad);
    }
}

// Whether bond cylinders are drawn at all.
bool drawsbonds() { return bondradius != 0 && figurestyle != STYLE_SPACEFILL; }

// Whether every one of v[0 .. n-1] has a 32-bit float (fitsfloat), two at a
// time: the magnitude is the value with its sign bit cleared.
bool allfit(const double *v, int n)
{
    typedef double double2 __attribute__((vector_size(16)));
    typedef long long long2 __attribute__((vector_size(16)));
    const double2 most = {static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)};
    const long2 magnitude = {0x7fffffffffffffffLL, 0x7fffffffffffffffLL};
    long2 fit = {-1, -1};
    int k = 0;
    for (; k + 2 <= n; k += 2) {
        long2 bits;
        std::memcpy(&bits, v + k, sizeof bits);
        bits &= magnitude;
        double2 x;
        std::memcpy(&x, &bits, sizeof x);
        fit &= x <= most;
    }
    bool all = fit[0] != 0 && fit[1] != 0;
    for (; k < n; k++)
        all = all && fitsfloat(v[k]);
    return all;
}

enum { MAPMOST = BALLPOINTS };

// The count points local of frame f, by component, mapped into the scene:
// mappoint's operations, in loops that the compiler does two (or, built for
// AVX, four) points at a time.
inline void mapallwith(const rigframe &f, const double *const local[3], int count, double pos[3][MAPMOST])
{
    const double *lx = local[0], *ly = local[1], *lz = local[2];
    for (int i = 0; i < 3; i++) {
        const double r0 = f.r[i][0], r1 = f.r[i][1], r2 = f.r[i][2], t = f.t[i];
        double *p = pos[i];
        for (int k = 0; k < count; k++) {
            double v = r0 * lx[k] + r1 * ly[k] + r2 * lz[k];
            p[k] = v + t;
        }
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void mapallavx2(const rigframe &f, const double *const local[3], int count,
                                                double pos[3][MAPMOST])
{
    mapallwith(f, local, count, pos);
}
#endif

void mapall(const rigframe &f, const double *const local[3], int count, double pos[3][MAPMOST])
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (useavx2()) {
        mapallavx2(f, local, count, pos);
        return;
    }
#endif
    mapallwith(f, local, count, pos);
}

// A shape's points in its own frame, by component: a ball (size: centre x,
// y, z and radius) or a bond cylinder (size: low end, high end, radius).
void localpoints(int vertices, const double *size, double local[3][MAPMOST])
{
    const unitshapes &unit = shapes();
    if (vertices == BALLPOINTS) {
        double r = size[3];
        for (int i = 0; i < 3; i++)
            for (int k = 0; k < BALLPOINTS; k++)
                local[i][k] = size[i] + unit.point[i][k] * r;
        return;
    }
    for (int ring = 0; ring < 2; ring++)
        for (int j = 0; j < BONDSIDES; j++) {
            double c = unit.ring[j][0], s = unit.ring[j][1];
            local[0][ring * BONDSIDES + j] = size[2] * c;
            local[1][ring * BONDSIDES + j] = ring ? size[1] : size[0];
            local[2][ring * BONDSIDES + j] = size[2] * s;
        }
}

// Shape s of p in the scene, by component.
void scenepoints(const glbprimitive &p, size_t s, double pos[3][MAPMOST])
{
    const glbshapes &g = p.shapes;
    const double *fr = &g.frames[glbshapes::FRAME * s];
    rigframe f;
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++)
            f.r[i][j] = fr[3 * i + j];
        f.t[i] = fr[9 + i];
    }
    double local[3][MAPMOST];
    localpoints(g.vertices, &g.sizes[glbshapes::SIZE * s], local);
    const double *const l[3] = {local[0], local[1], local[2]};
    mapall(f, l, g.vertices, pos);
}

struct builder {
    narrowing fit;
    std::vector<rigframe> world;
    // Each atom's bonded atoms with the bond's order, for the side on which
    // a bond's further lines are drawn.
    std::vector<std::vector<std::pair<int, int>>> bonded;
    // Where the bonds' lines go: the bonds' primitive, or (bonds in their
    // atoms' colours) each element's primitive of halves.
    glbprimitive *bonds = nullptr;
    std::vector<glbprimitive *> halves;

    // The next shape of p, in frame f, of the given size (localpoints) with
    // the joints of its two ends: its points are worked out to check that
    // they fit floats and to find the primitive's bounds, then only what
    // makes them is kept.
    void addshape(glbprimitive &p, const rigframe &f, const double size[glbshapes::SIZE], int j0, int j1,
                  const char *owner)
    {
        glbshapes &g = p.shapes;
        g.frames.insert(g.frames.end(), &f.r[0][0], &f.r[0][0] + 9);
        g.frames.insert(g.frames.end(), f.t, f.t + 3);
        g.sizes.insert(g.sizes.end(), size, size + glbshapes::SIZE);
        g.joints.push_back(static_cast<unsigned short>(j0));
        g.joints.push_back(static_cast<unsigned short>(j1));
        const int count = g.vertices;
        if (count < 1)
            return;
        double pos[3][MAPMOST];
        scenepoints(p, g.count() - 1, pos);
        if (!(allfit(pos[0], count) && allfit(pos[1], count) && allfit(pos[2], count))) {
            for (int k = 0; k < count; k++)
                for (int i = 0; i < 3; i++)
                    narrow(pos[i][k], owner, &fit);
            return;
        }
        // The bounds as a walk from the first point finds them: a value
        // replaces the one held only when strictly beyond it (so among equal
        // values, +0 and -0, the first met stays).
        for (int i = 0; i < 3; i++) {
            float v[MAPMOST], low, high;
            for (int k = 0; k < count; k++)
                v[k] = static_cast<float>(pos[i][k]);
            floatrange(v, count, &low, &high);
            if (g.count() == 1) {
                g.min[i] = low;
                g.max[i] = high;
            } else {
                g.min[i] = low < g.min[i] ? low : g.min[i];
                g.max[i] = high > g.max[i] ? high : g.max[i];
            }
        }
    }

    // A joint with its rest transform and, from its frame in the scene, its
    // inverse bind matrix: the transposed turn, then the shift turned back.
    void joint(std::vector<glbjoint> &joints, int n, bool tip, const double q[4], const double t[3],
               const rigframe &w)
    {
        const char *owner = atoms[n].name;
        joints.emplace_back();
        glbjoint &j = joints.back();
        j.atom = n;
        j.tip = tip;
        for (int i = 0; i < 3; i++)
            j.translation[i] = narrow(t[i], owner, &fit);
        for (int i = 0; i < 4; i++)
            j.rotation[i] = static_cast<float>(q[i]);
        for (int col = 0; col < 3; col++) {
            for (int row = 0; row < 3; row++)
                j.inversebind[col * 4 + row] = static_cast<float>(w.r[col][row]);
            j.inversebind[col * 4 + 3] = 0;
        }
        for (int row = 0; row < 3; row++) {
            double v = -(w.r[0][row] * w.t[0] + w.r[1][row] * w.t[1] + w.r[2][row] * w.t[2]);
            j.inversebind[12 + row] = narrow(v, owner, &fit);
        }
        j.inversebind[15] = 1;
    }

    void ball(glbprimitive &p, int n)
    {
        const atom &a = atoms[n];
        double centre[3];
        atominbond(a, centre);
        const double size[glbshapes::SIZE] = {centre[0], centre[1], centre[2], ballradius(*a.sort)};
        addshape(p, world[n], size, n, n, a.name);
    }

    // An open cylinder of the bond radius around frame f's Y axis, from y =
    // low, whose ring follows joint jlow, to y = high, whose ring follows
    // jhigh.
    void cylinder(glbprimitive &p, const rigframe &f, double low, double high, int jlow, int jhigh,
                  const char *owner, double radius = bondradius)
    {
        const double size[glbshapes::SIZE] = {low, high, radius, 0};
        addshape(p, f, size, jlow, jhigh, owner);
    }

    // The side on which the further lines of the bond of atoms a and b are
    // drawn, into side (a unit vector square to the bond): toward a
    // neighbour of either atom that is not on the bond's line, one joined
    // by an aromatic bond first for an aromatic bond (so its inner line
    // lies inside the ring); else frame f's X axis.
    void sideof(int a, int b, int order, const rigframe &f, double side[3])
    {
        double pa[3], pb[3], y[3], len = 0;
        atomat(a, pa);
        atomat(b, pb);
        for (int i = 0; i < 3; i++) {
            y[i] = pb[i] - pa[i];
            len += y[i] * y[i];
        }
        len = std::sqrt(len);
        for (int pass = 0; pass < 2; pass++)
            for (int end = 0; end < 2; end++) {
                int at = end ? b : a, other = end ? a : b;
                const double *from = end ? pb : pa;
                for (const auto &nb : bonded[at]) {
                    if (nb.first == other)
                        continue;
                    if (pass == 0 && (order != BOND_AROMATIC || nb.second != BOND_AROMATIC))
                        continue;
                    double c[3], v[3], along = 0, vl = 0;
                    atomat(nb.first, c);
                    for (int i = 0; i < 3; i++) {
                        v[i] = c[i] - from[i];
                        along += v[i] * y[i];
                    }
                    along /= len * len;
                    for (int i = 0; i < 3; i++) {
                        v[i] -= along * y[i];
                        vl += v[i] * v[i];
                    }
                    vl = std::sqrt(vl);
                    // A neighbour on (or nearly on) the bond's line gives no plane.
                    if (!(vl > 1e-3 * len))
                        continue;
                    for (int i = 0; i < 3; i++)
                        side[i] = v[i] / vl;
                    return;
                }
            }
        for (int i = 0; i < 3; i++)
            side[i] = f.r[i][0];
    }

    // One line of a bond, from y = lo to y = hi of frame f, whose atoms at
    // y = low and y = high are lowatom and highatom: one cylinder in the
    // bonds' colour, or two halves in the atoms' own, split at the bond's
    // middle (an aromatic bond's inner line too), the middle ring of each
    // following both ends' joints when they are two.
    void line(const rigframe &f, double low, double high, double lo, double hi, int jlow, int jhigh,
              const char *owner, int lowatom, int highatom, double radius)
    {
        if (halves.empty()) {
            cylinder(*bonds, f, lo, hi, jlow, jhigh, owner, radius);
            return;
        }
        double mid = low + 0.5 * (high - low);
        glbprimitive &first = *halves[atoms[lowatom].sort - elements];
        glbprimitive &second = *halves[atoms[highatom].sort - elements];
        cylinder(first, f, lo, mid, jlow, jhigh, owner, radius);
        first.shapes.middle.push_back(jlow == jhigh ? glbshapes::MIDDLE_NONE : glbshapes::MIDDLE_HIGH);
        cylinder(second, f, mid, hi, jlow, jhigh, owner, radius);
        second.shapes.middle.push_back(jlow == jhigh ? glbshapes::MIDDLE_NONE : glbshapes::MIDDLE_LOW);
    }

    // The lines of the bond of atoms a and b, of the given order, in frame f
    // from y = low (atom lowatom) to y = high (the other): the single line
    // just as cylinder draws it.
    void bondlines(const rigframe &f, double low, double high, int jlow, int jhigh, const char *owner, int a,
                   int b, int order, int lowatom)
    {
        int highatom = lowatom == a ? b : a;
        double ra = ballradius(*atoms[a].sort), rb = ballradius(*atoms[b].sort);
        bondline lines[MAXBONDLINES];
        int n = bondlayout(order, bondradius, ra < rb ? ra : rb, lines);
        if (n == 1 && lines[0].offset == 0) {
            line(f, low, high, low, high, jlow, jhigh, owner, lowatom, highatom, lines[0].radius);
            return;
        }
        double side[3];
        sideof(a, b, order, f, side);
        for (int k = 0; k < n; k++) {
            rigframe g = f;
            if (lines[k].offset != 0)
                for (int i = 0; i < 3; i++)
                    g.t[i] += lines[k].offset * side[i];
            double span = high - low;
            double lo = lines[k].from == 0 ? low : low + lines[k].from * span;
            double hi = lines[k].to == 1 ? high : low + lines[k].to * span;
            line(g, low, high, lo, hi, jlow, jhigh, owner, lowatom, highatom, lines[k].radius);
        }
    }

    // A tree link's bond: from the parent atom (the bond frame's origin) to
    // the atom, all of it following the atom's joint; or, for a bond that
    // stretches, its parent end following the parent's joint, where the
    // parent atom stays when the atom's joint moves along the bond.
    void treebond(int n, bool stretches)
    {
        const atom &a = atoms[n];
        int up = static_cast<int>(a.parent - atoms);
        // A negative bond length (possible in angle mode) puts the atom
        // below the pivot; the faces must still point outward.
        double low = a.bondl < 0 ? a.bondl : 0, high = a.bondl < 0 ? 0 : a.bondl;
        int jparent = stretches ? up : n;
        if (a.bondl < 0)
            bondlines(world[n], low, high, n, jparent, a.name, up, n, orderoflink(n), n);
        else
            bondlines(world[n], low, high, jparent, n, a.name, up, n, orderoflink(n), up);
    }

    // Where atom n stands in the scene at rest.
    void atomat(int n, double out[3])
    {
        double local[3];
        atominbond(atoms[n], local);
        mappoint(world[n], local, out);
    }

    // A ring bond from atom a's centre to atom b's, in a frame of its own:
    // Y from a to b, X and Z square to it, right-handed as every frame here.
    void closering(const ::ringbond &r, int order)
    {
        double from[3], to[3], y[3];
        atomat(r.a, from);
        atomat(r.b, to);
        double len = 0;
        for (int i = 0; i < 3; i++) {
            y[i] = to[i] - from[i];
            len += y[i] * y[i];
        }
        len = std::sqrt(len);
        for (int i = 0; i < 3; i++)
            y[i] /= len;
        // X: the scene axis farthest from the bond, made square to it.
        int k = 0;
        for (int i = 1; i < 3; i++)
            if (std::fabs(y[i]) < std::fabs(y[k]))
                k = i;
        double x[3] = {0, 0, 0};
        x[k] = 1;
        double dot = y[k], xl = 0;
        for (int i = 0; i < 3; i++) {
            x[i] -= dot * y[i];
            xl += x[i] * x[i];
        }
        xl = std::sqrt(xl);
        for (int i = 0; i < 3; i++)
            x[i] /= xl;
        double z[3] = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
        rigframe f;
        for (int i = 0; i < 3; i++) {
            f.r[i][0] = x[i];
            f.r[i][1] = y[i];
            f.r[i][2] = z[i];
            f.t[i] = from[i];
        }
        bondlines(f, 0, len, r.a, r.b, atoms[r.b].name, r.a, r.b, order, r.a);
    }
};

// The numbers the description gave, before anything is derived from them,
// so that the fault is named where the user can mend it.
const char *firstunfit()
{
    for (int i = 0; i < nelements; i++)
        if (!fitsfloat(elements[i].rad))
            return elements[i].name;
    if (!fitsfloat(bondradius))
        return "bondradius";
    for (int i = 0; i < natoms; i++) {
        const atom &a = atoms[i];
        if (!a.parent) {
            if (readxyz && (!fitsfloat(a.p.x) || !fitsfloat(a.p.y) || !fitsfloat(a.p.z)))
                return a.name;
        } else if (!fitsfloat(a.bondl) || !std::isfinite(a.theta) || !std::isfinite(a.phi)) {
            return a.name;
        }
    }
    return nullptr;
}

} // namespace

namespace {

int unfitfigure(glbfigure *f, problem *p)
{
    f->joints.clear();
    f->primitives.clear();
    if (p)
        *p = warning(MSG_OUTOFRANGE, f->bad);
    return 0;
}

} // namespace

int buildfigure(glbfigure *f, problem *p, const std::vector<char> *stretched)
{
    f->joints.clear();
    f->primitives.clear();
    f->bad = firstunfit();
    if (f->bad)
        return unfitfigure(f, p);

    builder b;
    b.fit.bad = nullptr;
    b.world.resize(natoms);
    std::vector<jointpose> rest(natoms);
    bondframes(b.world.data(), rest.data());
    b.bonded.resize(natoms);
    for (int n = 1; n < natoms; n++)
        if (linkisbond(n)) {
            int up = static_cast<int>(atoms[n].parent - atoms);
            b.bonded[n].push_back({up, orderoflink(n)});
            b.bonded[up].push_back({n, orderoflink(n)});
        }
    for (int k = 0; k < nringbonds; k++) {
        b.bonded[ringbonds[k].a].push_back({ringbonds[k].b, orderofring(k)});
        b.bonded[ringbonds[k].b].push_back({ringbonds[k].a, orderofring(k)});
    }

    double rig[3];
    rignode(rig);
    for (int i = 0; i < 3; i++)
        f->rig[i] = narrow(rig[i], natoms > 0 ? atoms[0].name : "", &b.fit);
    std::vector<char> leaf(natoms, 1);
    for (int n = 1; n < natoms; n++)
        leaf[atoms[n].parent - atoms] = 0;
    f->joints.reserve(2 * natoms);
    for (int n = 0; n < natoms; n++)
        b.joint(f->joints, n, false, rest[n].q, rest[n].t, jointframe(b.world[n]));
    // A leaf's tip: at the atom, in the leaf joint's own orientation.
    for (int n = 1; n < natoms; n++) {
        if (!leaf[n])
            continue;
        const double q[4] = {0, 0, 0, 1};
        double t[3] = {0, 0, -atoms[n].bondl};
        rigframe w = jointframe(b.world[n]);
        double at[3];
        b.atomat(n, at);
        for (int i = 0; i < 3; i++)
            w.t[i] = at[i];
        b.joint(f->joints, n, true, q, t, w);
    }

    // Every array is sized once: the largest figure has some 150,000
    // vertices, and growing them step by step costs more than filling them.
    std::vector<int> balls(nelements, 0), halves(nelements, 0);
    int bonds = 0;
    auto lines = [&](int a, int b, int count) {
        bonds += count;
        halves[atoms[a].sort - elements] += count;
        halves[atoms[b].sort - elements] += count;
    };
    for (int n = 0; n < natoms; n++) {
        balls[atoms[n].sort - elements]++;
        if (linkisbond(n) && atoms[n].bondl != 0)
            lines(static_cast<int>(atoms[n].parent - atoms), n, bondlinecount(orderoflink(n)));
    }
    // A ring bond between two atoms in one place has no length to draw. In
    // coordinate mode the place is the description's: the rest positions are
    // rebuilt from the bond angles, and two atoms the description puts
    // together may come out a rounding apart, a cylinder of no real length
    // whose direction is that rounding.
    std::vector<char> ringdrawn(nringbonds, 0);
    for (int k = 0; k < nringbonds; k++) {
        double from[3], to[3];
        b.atomat(ringbonds[k].a, from);
        b.atomat(ringbonds[k].b, to);
        const xyz &pa = atoms[ringbonds[k].a].p, &pb = atoms[ringbonds[k].b].p;
        bool apart = from[0] != to[0] || from[1] != to[1] || from[2] != to[2];
        if (readxyz)
            apart = apart && (pa.x != pb.x || pa.y != pb.y || pa.z != pb.z);
        ringdrawn[k] = apart;
        if (ringdrawn[k])
            lines(ringbonds[k].a, ringbonds[k].b, bondlinecount(orderofring(k)));
    }
    // A primitive of count shapes of one kind, whose normals (given in the
    // shape's frame) and triangles the writer makes.
    auto reserve = [](glbprimitive &p, int count, int vertices, const double *const normal[3],
                      const int(*triangles)[3], int trianglecount) {
        p.shapes.frames.reserve(static_cast<size_t>(count) * glbshapes::FRAME);
        p.shapes.sizes.reserve(static_cast<size_t>(count) * glbshapes::SIZE);
        p.shapes.joints.reserve(static_cast<size_t>(count) * 2);
        p.shapes.vertices = vertices;
        for (int i = 0; i < 3; i++)
            p.shapes.normal[i] = normal[i];
        p.shapes.triangles = triangles;
        p.shapes.trianglecount = trianglecount;
    };
    // The atoms by element, each element's in table order.
    std::vector<int> start(nelements + 1, 0), byelement(natoms > 0 ? natoms : 1);
    for (int e = 0; e < nelements; e++)
        start[e + 1] = start[e] + balls[e];
    {
        std::vector<int> next(start.begin(), start.end() - 1);
        for (int n = 0; n < natoms; n++)
            byelement[next[atoms[n].sort - elements]++] = n;
    }
    // Pointers into the primitives are kept while they are filled.
    f->primitives.reserve(2 * static_cast<size_t>(nelements) + 1);
    for (int e = 0; e < nelements; e++) {
        if (ballradius(elements[e]) == 0 || balls[e] == 0)
            continue;
        f->primitives.emplace_back();
        glbprimitive &p = f->primitives.back();
        p.material = e;
        const unitshapes &unit = shapes();
        const double *const normal[3] = {unit.normal[0], unit.normal[1], unit.normal[2]};
        reserve(p, balls[e], BALLPOINTS, normal, unitsphere().triangles, SPHERETRIANGLES);
        for (int k = start[e]; k < start[e + 1]; k++)
            b.ball(p, byelement[k]);
    }
    if (drawsbonds() && bonds > 0) {
        const unitshapes &unit = shapes();
        const double *const normal[3] = {unit.ringnormal[0], unit.ringnormal[1], unit.ringnormal[2]};
        auto bondprimitive = [&](int material, int count) {
            f->primitives.emplace_back();
            glbprimitive &p = f->primitives.back();
            p.material = material;
            reserve(p, count, 2 * BONDSIDES, normal, cylindertriangles().tri, 2 * BONDSIDES);
            return &p;
        };
        if (figurebondcolours == BONDCOLOURS_ATOMS) {
            b.halves.assign(nelements, nullptr);
            for (int e = 0; e < nelements; e++)
                if (halves[e] > 0) {
                    b.halves[e] = bondprimitive(e, halves[e]);
                    b.halves[e]->shapes.middle.reserve(halves[e]);
                }
        } else {
            b.bonds = bondprimitive(nelements, bonds);
        }
        for (int n = 1; n < natoms; n++)
            if (linkisbond(n) && atoms[n].bondl != 0)
                b.treebond(n, stretched && !stretched->empty() && (*stretched)[n]);
        for (int k = 0; k < nringbonds; k++)
            if (ringdrawn[k])
                b.closering(ringbonds[k], orderofring(k));
    }
    f->bad = b.fit.bad;
    if (f->bad)
        return unfitfigure(f, p);
    return 1;
}

void shapepositions(const glbprimitive &p, size_t s, float *out)
{
    double pos[3][MAPMOST];
    scenepoints(p, s, pos);
    for (int k = 0; k < p.shapes.vertices; k++)
        for (int i = 0; i < 3; i++)
            out[3 * k + i] = static_cast<float>(pos[i][k]);
}

void shapejoints(const glbprimitive &p, size_t s, unsigned short *out)
{
    const int count = p.shapes.vertices;
    const unsigned short j0 = p.shapes.joints[2 * s], j1 = p.shapes.joints[2 * s + 1];
    // A ball follows its atom; a cylinder's first ring its low end, the other
    // its high end; a middle ring first the low end, as in both halves.
    const int middle =
        p.shapes.middle.empty() ? static_cast<int>(glbshapes::MIDDLE_NONE) : p.shapes.middle[s];
    for (int k = 0; k < count; k++)
        out[k] = count == BALLPOINTS || k < count / 2 || middle == glbshapes::MIDDLE_HIGH ? j0 : j1;
}

void shapeblend(const glbprimitive &p, size_t s, unsigned short *second, unsigned char *weight)
{
    const int count = p.shapes.vertices;
    shapejoints(p, s, second);
    const int middle =
        p.shapes.middle.empty() ? static_cast<int>(glbshapes::MIDDLE_NONE) : p.shapes.middle[s];
    // 128 and 127 of 255: the two halves' middle rings have the same
    // weights, so they stay together however the ends move.
    for (int k = 0; k < count; k++) {
        bool low = k < count / 2;
        bool blended = count != BALLPOINTS && ((middle == glbshapes::MIDDLE_LOW && low) ||
                                               (middle == glbshapes::MIDDLE_HIGH && !low));
        weight[k] = blended ? 128 : 255;
        if (blended)
            second[k] = p.shapes.joints[2 * s + 1];
    }
}
