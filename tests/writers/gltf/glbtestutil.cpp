#include "glbtestutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "angles/findangles.h"
#include "job/KESTRIX.h"
#include "job/load.h"
#include "model/model.h"
#include "support/testutil.h"
#include "writers/gltf/writeGLB.h"

std::string glbof(int *result, const char *name)
{
    FILE *f = std::tmpfile();
    int r = writeGLB(f, name, "kestrix test");
    if (result)
        *result = r;
    std::string out = contents(f);
    std::fclose(f);
    return out;
}

glbfile writeandread()
{
    glbfile f;
    std::string err = readglb(glbof(), &f);
    EXPECT_EQ(err, "");
    return f;
}

std::vector<xyz> skinnedpositions(const glbfile &f, const jvalue &prim,
                                  const std::vector<std::vector<double>> &world)
{
    const jvalue &skin = f.json["skins"][0];
    int w;
    std::vector<double> ibm = accessorvalues(f, skin["inverseBindMatrices"].integer(), &w);
    const jvalue &attr = prim["attributes"];
    std::vector<double> pos = accessorvalues(f, attr["POSITION"].integer(), &w);
    std::vector<double> joints = accessorvalues(f, attr["JOINTS_0"].integer(), &w);
    std::vector<double> weights = accessorvalues(f, attr["WEIGHTS_0"].integer(), &w);
    std::vector<xyz> out;
    for (size_t v = 0; v * 3 < pos.size(); v++) {
        double sum[3] = {0, 0, 0};
        for (int k = 0; k < 4; k++) {
            double weight = weights[v * 4 + k];
            if (weight == 0)
                continue;
            int j = static_cast<int>(joints[v * 4 + k]);
            int node = skin["joints"][static_cast<size_t>(j)].integer();
            // Inverse bind matrices are stored column by column.
            double inv[16], m[16];
            for (int r = 0; r < 4; r++)
                for (int c = 0; c < 4; c++)
                    inv[r * 4 + c] = ibm[j * 16 + c * 4 + r];
            matmul(world[node].data(), inv, m);
            for (int r = 0; r < 3; r++)
                sum[r] += weight * (m[r * 4] * pos[v * 3] + m[r * 4 + 1] * pos[v * 3 + 1] +
                                    m[r * 4 + 2] * pos[v * 3 + 2] + m[r * 4 + 3]);
        }
        out.push_back(xyz(sum[0], sum[1], sum[2]));
    }
    return out;
}

namespace {

std::map<int, std::vector<xyz>> skinned(const glbfile &f, const std::vector<std::vector<double>> &world,
                                        bool bonds)
{
    std::map<int, std::vector<xyz>> out;
    const jvalue &prims = f.json["meshes"][0]["primitives"];
    for (size_t p = 0; p < prims.size(); p++) {
        const jvalue &prim = prims[p];
        bool isbond =
            f.json["materials"][static_cast<size_t>(prim["material"].integer())]["name"].text == "bonds";
        if (isbond != bonds)
            continue;
        int w;
        std::vector<double> joints = accessorvalues(f, prim["attributes"]["JOINTS_0"].integer(), &w);
        std::vector<xyz> pos = skinnedpositions(f, prim, world);
        // Each vertex follows one joint: the first slot.
        for (size_t v = 0; v < pos.size(); v++)
            out[static_cast<int>(joints[v * 4])].push_back(pos[v]);
    }
    return out;
}

} // namespace

std::map<int, std::vector<xyz>> ballvertices(const glbfile &f, const std::vector<std::vector<double>> &world)
{
    return skinned(f, world, false);
}

std::map<int, std::vector<xyz>> bondvertices(const glbfile &f, const std::vector<std::vector<double>> &world)
{
    return skinned(f, world, true);
}

std::map<int, xyz> ballcentres(const glbfile &f, const std::vector<std::vector<double>> &world)
{
    std::map<int, xyz> out;
    for (auto &[j, verts] : ballvertices(f, world)) {
        xyz c;
        for (const xyz &v : verts) {
            c.x += v.x;
            c.y += v.y;
            c.z += v.z;
        }
        double n = static_cast<double>(verts.size());
        out[j] = xyz(c.x / n, c.y / n, c.z / n);
    }
    return out;
}

xyz placed(int i, int turned, double extra)
{
    xyz q(0, 0, 0);
    for (const atom *a = &atoms[i]; a->parent; a = a->parent) {
        double theta = a->theta + (a - atoms == turned ? extra : 0);
        q = xyz(q.x, q.y + a->bondl, q.z).bytheta(theta * pi / 180).byphi(a->phi * pi / 180);
    }
    if (readxyz) {
        q.x += atoms[0].p.x;
        q.y += atoms[0].p.y;
        q.z += atoms[0].p.z;
    }
    return q;
}

double placescale(int i)
{
    double s = readxyz ? std::fabs(atoms[0].p.x) + std::fabs(atoms[0].p.y) + std::fabs(atoms[0].p.z) : 0;
    for (const atom *a = &atoms[i]; a->parent; a = a->parent)
        s += std::fabs(a->bondl);
    return s + std::fabs(atoms[i].sort->rad);
}

double distance(const xyz &a, const xyz &b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

void randommolecule(int n, unsigned seed, double bonds, int kinds)
{
    resetjob();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-6, 6);
    readxyz = 1;
    bondradius = bonds;
    const char *names[] = {"C", "Hx", "Neg"};
    const double radii[] = {0.4, 0.2, -0.3};
    for (int e = 0; e < kinds; e++) {
        std::snprintf(elements[e].name, sizeof elements[e].name, "%s", names[e]);
        elements[e].red = static_cast<unsigned char>(40 * e);
        elements[e].green = 100;
        elements[e].blue = 200;
        elements[e].rad = radii[e];
    }
    nelements = kinds;
    for (int i = 0; i < n; i++) {
        atom &a = atoms[i];
        a.parent = i ? &atoms[rng() % static_cast<unsigned>(i)] : nullptr;
        std::snprintf(a.name, sizeof a.name, "A%d", i);
        std::snprintf(a.shortname, sizeof a.shortname, "atom%d", i);
        a.sort = &elements[rng() % static_cast<unsigned>(kinds)];
        a.theta = a.phi = 0;
        a.bondl = 1;
        a.p = xyz(coord(rng), coord(rng), coord(rng));
    }
    natoms = n;
    findangles(0);
}

std::map<size_t, std::vector<size_t>> connectedparts(const std::vector<double> &idx, size_t n)
{
    std::vector<size_t> up(n);
    for (size_t i = 0; i < n; i++)
        up[i] = i;
    auto top = [&](size_t v) {
        while (up[v] != v)
            v = up[v] = up[up[v]];
        return v;
    };
    for (size_t t = 0; t < idx.size(); t += 3)
        for (int k = 1; k < 3; k++)
            up[top(static_cast<size_t>(idx[t + k]))] = top(static_cast<size_t>(idx[t]));
    std::map<size_t, std::vector<size_t>> parts;
    for (size_t v = 0; v < n; v++)
        parts[top(v)].push_back(v);
    return parts;
}
