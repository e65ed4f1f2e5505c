#include "writers/glbfigure.h"

#include <cmath>
#include <cstdlib>

#include "model/model.h"
#include "writers/BALL.h"
#include "writers/float32.h"
#include "writers/glbrig.h"

namespace {

enum { BALLPOINTS = 114, BALLTRIANGLES = 224, BONDSIDES = 16 };

// The ball's triangles, taken from the OBJ writer's face list so both files
// share one sphere; quadrilaterals are split along their first diagonal.
struct balltopology {
    int tri[BALLTRIANGLES][3];
    int count;
};

const balltopology &ballfaces()
{
    static balltopology top;
    static bool made = false;
    if (made)
        return top;
    top.count = 0;
    const char *c = BALLFACES;
    while (*c) {
        int v[4], n = 0;
        c++; // 'f'
        while (*c == ' ') {
            char *end;
            long k = std::strtol(c + 1, &end, 10);
            if (n < 4)
                v[n++] = static_cast<int>(k) + BALLPOINTS; // counted back from the last point
            c = end;
        }
        if (*c == '\n')
            c++;
        for (int k = 2; k < n && top.count < BALLTRIANGLES; k++) {
            top.tri[top.count][0] = v[0];
            top.tri[top.count][1] = v[k - 1];
            top.tri[top.count][2] = v[k];
            top.count++;
        }
    }
    made = true;
    return top;
}

struct builder {
    narrowing fit;
    std::vector<rigframe> world;

    void vertex(glbprimitive &p, const rigframe &f, const double local[3], const double normal[3],
                int joint, const char *owner)
    {
        double pos[3], nrm[3];
        mappoint(f, local, pos);
        mapvector(f, normal, nrm);
        for (int i = 0; i < 3; i++) {
            p.positions.push_back(narrow(pos[i], owner, &fit));
            p.normals.push_back(static_cast<float>(nrm[i]));
        }
        p.joints.push_back(static_cast<unsigned short>(joint));
    }

    void ball(glbprimitive &p, int n)
    {
        const atom &a = atoms[n];
        double r = std::fabs(a.sort->rad), centre[3];
        atominjoint(a, centre);
        unsigned first = static_cast<unsigned>(p.joints.size());
        for (int k = 0; k < BALLPOINTS; k++) {
            const double *u = BALLVERTS[k];
            double len = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
            double normal[3] = {u[0] / len, u[1] / len, u[2] / len};
            double local[3] = {centre[0] + u[0] * r, centre[1] + u[1] * r, centre[2] + u[2] * r};
            vertex(p, world[n], local, normal, n, a.name);
        }
        const balltopology &top = ballfaces();
        for (int t = 0; t < top.count; t++)
            for (int k = 0; k < 3; k++)
                p.indices.push_back(first + static_cast<unsigned>(top.tri[t][k]));
    }

    // An open cylinder around the joint's Y axis from the parent atom (the
    // joint's origin) to the atom.
    void bond(glbprimitive &p, int n)
    {
        const atom &a = atoms[n];
        // A negative bond length (possible in angle mode) puts the atom
        // below the pivot; the faces must still point outward.
        double low = a.bondl < 0 ? a.bondl : 0, high = a.bondl < 0 ? 0 : a.bondl;
        unsigned first = static_cast<unsigned>(p.joints.size());
        const double step = 2 * std::acos(-1.0) / BONDSIDES;
        for (int ring = 0; ring < 2; ring++)
            for (int j = 0; j < BONDSIDES; j++) {
                double c = std::cos(step * j), s = std::sin(step * j);
                double normal[3] = {c, 0, s};
                double local[3] = {bondradius * c, ring ? high : low, bondradius * s};
                vertex(p, world[n], local, normal, n, a.name);
            }
        for (int j = 0; j < BONDSIDES; j++) {
            unsigned b0 = first + j, b1 = first + (j + 1) % BONDSIDES;
            unsigned t0 = b0 + BONDSIDES, t1 = b1 + BONDSIDES;
            unsigned tri[6] = {b0, t0, t1, b0, t1, b1};
            p.indices.insert(p.indices.end(), tri, tri + 6);
        }
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

int buildfigure(glbfigure *f)
{
    f->joints.clear();
    f->primitives.clear();
    f->bad = firstunfit();
    if (f->bad)
        return 0;

    builder b;
    b.fit.bad = nullptr;
    b.world.resize(natoms);
    restframes(b.world.data());

    f->joints.resize(natoms);
    for (int n = 0; n < natoms; n++) {
        const atom &a = atoms[n];
        glbjoint &j = f->joints[n];
        double q[4], t[3];
        jointrest(a, q, t);
        for (int i = 0; i < 3; i++)
            j.translation[i] = narrow(t[i], a.name, &b.fit);
        for (int i = 0; i < 4; i++)
            j.rotation[i] = static_cast<float>(q[i]);
        // The inverse of a turn and a shift: the transposed turn, then the
        // shift turned back.
        const rigframe &w = b.world[n];
        for (int col = 0; col < 3; col++) {
            for (int row = 0; row < 3; row++)
                j.inversebind[col * 4 + row] = static_cast<float>(w.r[col][row]);
            j.inversebind[col * 4 + 3] = 0;
        }
        for (int row = 0; row < 3; row++) {
            double v = -(w.r[0][row] * w.t[0] + w.r[1][row] * w.t[1] + w.r[2][row] * w.t[2]);
            j.inversebind[12 + row] = narrow(v, a.name, &b.fit);
        }
        j.inversebind[15] = 1;
    }

    for (int e = 0; e < nelements; e++) {
        if (elements[e].rad == 0)
            continue;
        glbprimitive p;
        p.material = e;
        for (int n = 0; n < natoms; n++)
            if (atoms[n].sort == &elements[e])
                b.ball(p, n);
        if (!p.joints.empty())
            f->primitives.push_back(std::move(p));
    }
    if (bondradius != 0) {
        glbprimitive p;
        p.material = nelements;
        for (int n = 1; n < natoms; n++)
            if (atoms[n].bondl != 0)
                b.bond(p, n);
        if (!p.joints.empty())
            f->primitives.push_back(std::move(p));
    }
    f->bad = b.fit.bad;
    if (f->bad) {
        f->joints.clear();
        f->primitives.clear();
        return 0;
    }
    return 1;
}
