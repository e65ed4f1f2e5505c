#include "angles/frameangles.h"

#include <cstddef>
#include <vector>

#include "angles/findangles.h"
#include "model/frames.h"
#include "model/model.h"

namespace {

struct restvalues {
    double theta, phi, bondl;
    xyz p;
};

} // namespace

int visitframes(void (*visit)(void *self, int frame), void *self)
{
    if (!readxyz || natoms == 0)
        return 1;
    const int F = framecount();
    std::vector<restvalues> rest(static_cast<size_t>(natoms));
    for (int n = 0; n < natoms; n++)
        rest[n] = {atoms[n].theta, atoms[n].phi, atoms[n].bondl, atoms[n].p};
    visit(self, 0);
    bool ok = true;
    for (int k = 1; ok && k < F; k++) {
        const float *p = framepositions(k);
        if (!p) {
            ok = false;
            break;
        }
        for (int n = 0; n < natoms; n++)
            atoms[n].p = xyz(p[3 * n], p[3 * n + 1], p[3 * n + 2]);
        findangles(0);
        visit(self, k);
    }
    for (int n = 0; n < natoms; n++) {
        atoms[n].theta = rest[n].theta;
        atoms[n].phi = rest[n].phi;
        atoms[n].bondl = rest[n].bondl;
        atoms[n].p = rest[n].p;
    }
    return ok ? 1 : 0;
}
