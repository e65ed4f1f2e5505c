#include "reference_angles.h"

#include <cstdlib>

#include "angles/findangles.h"
#include "model/model.h"

namespace {

double angle(double y, double x)
{
    if (y == 0 && x == 0)
        return 0.0;
    return katan2(y, x);
}

double degrees(double radians) { return radians * 180 / pi; }

} // namespace

int referenceangles(int n, double *theta, double *phi, double *bondl)
{
    xyz *snapshot = static_cast<xyz *>(std::malloc(sizeof(xyz) * (natoms > 0 ? natoms : 1)));
    if (!snapshot)
        return 0;
    if (n == 0) {
        theta[0] = 0;
        phi[0] = 0;
        bondl[0] = 0;
    }
    for (int i = 0; i < natoms; i++)
        snapshot[i] = atoms[i].p;

    int ok = 1;
    atom *parent = &atoms[n];
    for (int i = n + 1; i < natoms && ok; i++) {
        atom *child = &atoms[i];
        if (child->parent != parent)
            continue;
        if (n == 0) {
            xyz r = atoms[0].p;
            for (int k = 1; k < natoms; k++)
                atoms[k].p -= r;
            atoms[0].p = xyz(0, 0, 0);
        }

        xyz d = child->p;
        d -= parent->p;
        double f = angle(d.x, d.z);
        phi[i] = degrees(f);
        for (int k = 0; k < natoms; k++)
            atoms[k].p = atoms[k].p.byphi(-f);

        d = child->p;
        d -= parent->p;
        double t = angle(d.z, d.y);
        theta[i] = degrees(t);
        for (int k = 0; k < natoms; k++)
            atoms[k].p = atoms[k].p.bytheta(-t);

        double w = child->p.y;
        bondl[i] = w;
        for (int k = 0; k < natoms; k++)
            atoms[k].p.y = atoms[k].p.y - w;

        ok = referenceangles(i, theta, phi, bondl);

        for (int k = 0; k < natoms; k++)
            atoms[k].p = snapshot[k];
    }
    std::free(snapshot);
    return ok;
}
