// The importer's bond search at its worst: a made-up cluster of 1024 atoms
// in which every pair lies within the distance rule (francium, whose bond
// cut-off of 5.65 A spans the whole cluster), so that the search meets all
// 523,776 pairs; and a cubic lattice of 1000 carbons 1.5 A apart, where the
// valence check has to take two of each inner atom's six bonds away. Prints
// the median time of the neighbour search, of the whole bond finding, and
// of the whole import of the cluster written as an XYZ file.
//
// usage: kestrix-import-cluster WORKFOLDER RUNS
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "import/bonds.h"
#include "import/run.h"

using namespace importer;

namespace {

double now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inmolecule cluster()
{
    // Lattice points 0.42 apart, the 1024 nearest the centre: all within
    // 2.8 A of it, so no two farther apart than 5.6.
    std::vector<inatom> points;
    for (int i = -7; i <= 7; i++)
        for (int j = -7; j <= 7; j++)
            for (int k = -7; k <= 7; k++) {
                inatom a;
                a.element = 87;
                a.x = 0.42 * i;
                a.y = 0.42 * j;
                a.z = 0.42 * k;
                points.push_back(a);
            }
    std::stable_sort(points.begin(), points.end(), [](const inatom &a, const inatom &b) {
        return a.x * a.x + a.y * a.y + a.z * a.z < b.x * b.x + b.y * b.y + b.z * b.z;
    });
    inmolecule m;
    m.atoms.assign(points.begin(), points.begin() + 1024);
    return m;
}

inmolecule lattice()
{
    inmolecule m;
    for (int i = 0; i < 10; i++)
        for (int j = 0; j < 10; j++)
            for (int k = 0; k < 10; k++) {
                inatom a;
                a.element = 6;
                a.x = 1.5 * i;
                a.y = 1.5 * j;
                a.z = 1.5 * k;
                m.atoms.push_back(a);
            }
    return m;
}

void measure(const char *what, const inmolecule &m, int runs)
{
    std::vector<double> search, bonds;
    size_t pairs = 0, found = 0;
    for (int r = 0; r < runs; r++) {
        double t0 = now();
        pairs = 0;
        nearpairs(m.atoms, [&](int, int, double) { pairs++; });
        double t1 = now();
        bondlist b;
        problem p;
        if (!findbonds(m, what, b, p)) {
            std::fprintf(stderr, "kestrix-import-cluster: %s: %s\n", p.what.c_str(), p.detail.c_str());
            std::exit(1);
        }
        double t2 = now();
        found = b.size();
        search.push_back(t1 - t0);
        bonds.push_back(t2 - t1 + (t1 - t0));
    }
    std::printf(
        "%s: %zu atoms, %zu pairs within the cut-off, %zu bonds: neighbour search %.2f ms, "
        "bond finding with the checks %.2f ms (median of %d)\n",
        what, m.atoms.size(), pairs, found, median(search), median(bonds), runs);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WORKFOLDER RUNS\n", argv[0]);
        return 2;
    }
    std::string work = argv[1];
    int runs = std::max(1, std::atoi(argv[2]));
    inmolecule c = cluster();
    measure("all-pairs cluster", c, runs);
    measure("carbon lattice", lattice(), runs);

    // The whole import of the cluster, in process: reading, bonds, tree,
    // description and its file.
    std::string xyz = work + "/cluster.xyz", krx = work + "/cluster.krx";
    std::system(("mkdir -p '" + work + "'").c_str());
    {
        std::ofstream f(xyz);
        f << c.atoms.size() << "\ncluster\n";
        char line[100];
        for (const inatom &a : c.atoms) {
            std::snprintf(line, sizeof line, "Fr %.2f %.2f %.2f\n", a.x, a.y, a.z);
            f << line;
        }
    }
    std::vector<double> times;
    for (int r = 0; r < runs; r++) {
        std::ostringstream out, err;
        double t0 = now();
        int status = runimport({"--force", "-o", krx, xyz}, "bench", out, err);
        times.push_back(now() - t0);
        if (status != EXIT_IMPORTED) {
            std::fprintf(stderr, "%s", err.str().c_str());
            return 1;
        }
    }
    std::printf(
        "all-pairs cluster, whole import (XYZ to description): %.2f ms (median of %d; target 50 ms)\n",
        median(times), runs);
    return 0;
}
