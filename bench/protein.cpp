#include "protein.h"

#include <cmath>
#include <cstdio>

namespace {

struct vec {
    double x, y, z;
};

vec operator-(vec a, vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
vec operator+(vec a, vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
vec operator*(double s, vec a) { return {s * a.x, s * a.y, s * a.z}; }
vec cross(vec a, vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
vec unit(vec a) { return (1 / std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z)) * a; }

const double DEGREE = 3.14159265358979323846 / 180;

// The point d at distance length from c, with the angle b-c-d and the
// torsion a-b-c-d (degrees): the usual way to turn internal coordinates
// into positions.
vec place(vec a, vec b, vec c, double length, double angle, double torsion)
{
    vec bc = unit(c - b);
    vec n = unit(cross(b - a, bc));
    vec m = cross(n, bc);
    double t = angle * DEGREE, p = torsion * DEGREE;
    return c + (-length * std::cos(t)) * bc + (length * std::sin(t) * std::cos(p)) * m +
           (length * std::sin(t) * std::sin(p)) * n;
}

struct writer {
    std::string text;
    int serial = 0;

    void atom(const char *name, int residue, vec p)
    {
        char buf[100];
        std::snprintf(buf, sizeof buf, "ATOM  %5d  %-3s ALA A%4d    %8.3f%8.3f%8.3f%6.2f%6.2f          %2c\n",
                      ++serial, name, residue, p.x, p.y, p.z, 1.0, 0.0, name[0]);
        text += buf;
    }
};

} // namespace

std::string proteinpdb(int residues, int *atoms)
{
    // Backbone torsions of the right-handed alpha helix; bond lengths (A)
    // and angles (degrees) of the peptide.
    const double PHI = -57, PSI = -47, OMEGA = 180;
    vec n = {0, 0, 0}, ca = {1.458, 0, 0};
    vec c = ca + 1.525 * vec{-std::cos(111.2 * DEGREE), std::sin(111.2 * DEGREE), 0};
    vec before = n; // the previous residue's C (for the amide hydrogen)
    writer w;
    w.text = "HEADER    MADE-UP ALANINE HELIX FOR THE IMPORT BENCHMARK\n";
    for (int r = 1; r <= residues; r++) {
        vec nextn = place(n, ca, c, 1.329, 116.2, PSI);
        vec o =
            r < residues ? place(nextn, ca, c, 1.231, 120.5, 180) : place(n, ca, c, 1.231, 120.5, PSI + 180);
        vec cb = place(c, n, ca, 1.530, 110.5, -122.5);
        vec h = place(r > 1 ? before : c, ca, n, 1.010, 119.0, r > 1 ? 180 : 60);
        vec ha = place(c, n, ca, 1.090, 109.5, 118.0);
        w.atom("N", r, n);
        w.atom("CA", r, ca);
        w.atom("C", r, c);
        w.atom("O", r, o);
        w.atom("CB", r, cb);
        w.atom("H", r, h);
        w.atom("HA", r, ha);
        w.atom("HB1", r, place(n, ca, cb, 1.090, 109.5, 60));
        w.atom("HB2", r, place(n, ca, cb, 1.090, 109.5, 180));
        w.atom("HB3", r, place(n, ca, cb, 1.090, 109.5, -60));
        vec nextca = place(ca, c, nextn, 1.458, 121.7, OMEGA);
        vec nextc = place(c, nextn, nextca, 1.525, 111.2, PHI);
        before = c;
        n = nextn;
        ca = nextca;
        c = nextc;
    }
    w.text += "END\n";
    *atoms = w.serial;
    return w.text;
}
