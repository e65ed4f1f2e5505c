#include "writers/gltf/glbmotion.h"

#include <cmath>

#include "angles/findangles.h"
#include "model/frames.h"
#include "model/model.h"
#include "writers/gltf/glbrig.h"

namespace {

// A length change below this is the rounding of the frames' numbers.
const double STRETCH = 1e-6;

struct restvalues {
    double theta, phi, bondl;
    xyz p;
};

// The third column of a unit quaternion's rotation: where the joint's Z
// axis goes.
void zaxis(const double q[4], double out[3])
{
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    out[0] = 2 * (x * z + w * y);
    out[1] = 2 * (y * z - w * x);
    out[2] = 1 - 2 * (x * x + y * y);
}

} // namespace

void buildmotion(glbmotion *m, double fps)
{
    *m = glbmotion();
    const int nframes = framecount();
    if (nframes < 2 || natoms == 0)
        return;
    const size_t F = static_cast<size_t>(nframes), N = static_cast<size_t>(natoms);
    m->frames = nframes;
    m->times.resize(F);
    for (size_t k = 0; k < F; k++)
        m->times[k] = static_cast<float>(static_cast<double>(k) / fps);
    m->rotations.assign(4 * N * F, 0.0f);
    m->translations.assign(3 * N * F, 0.0f);
    m->moved.assign(N, 0);
    m->stretched.assign(N, 0);

    std::vector<restvalues> rest(N);
    for (size_t n = 0; n < N; n++)
        rest[n] = {atoms[n].theta, atoms[n].phi, atoms[n].bondl, atoms[n].p};
    double roott[3], rootq[4];
    jointrest(atoms[0], rootq, roott);

    for (size_t k = 0; k < F; k++) {
        if (k > 0) {
            const float *p = framepositions(static_cast<int>(k));
            for (size_t n = 0; n < N; n++)
                atoms[n].p = xyz(p[3 * n], p[3 * n + 1], p[3 * n + 2]);
            findangles(0);
        }
        // The root keeps its turn; it carries the figure's place.
        double shift[3] = {atoms[0].p.x - rest[0].p.x, atoms[0].p.y - rest[0].p.y,
                           atoms[0].p.z - rest[0].p.z};
        for (int i = 0; i < 4; i++)
            m->rotations[4 * k + i] = static_cast<float>(rootq[i]);
        for (int i = 0; i < 3; i++) {
            m->translations[3 * k + i] = static_cast<float>(roott[i] + shift[i]);
            if (std::fabs(shift[i]) > STRETCH)
                m->moved[0] = 1;
        }
        for (size_t n = 1; n < N; n++) {
            const atom &a = atoms[n];
            double q[4], t[3];
            jointrest(a, q, t);
            float *r = &m->rotations[4 * (n * F + k)];
            if (k > 0) {
                const float *before = r - 4;
                if (q[0] * before[0] + q[1] * before[1] + q[2] * before[2] + q[3] * before[3] < 0)
                    for (double &c : q)
                        c = -c;
            }
            for (int i = 0; i < 4; i++)
                r[i] = static_cast<float>(q[i]);
            // The joint stands at its parent atom as drawn at rest, moved
            // along its bond by what the bond lacks of its rest length.
            double base = a.parent->parent ? -rest[a.parent - atoms].bondl : 0;
            double d = rest[n].bondl - a.bondl, z[3];
            zaxis(q, z);
            if (std::fabs(d) > STRETCH)
                m->moved[n] = m->stretched[n] = 1;
            float *o = &m->translations[3 * (n * F + k)];
            o[0] = static_cast<float>(d * z[0]);
            o[1] = static_cast<float>(d * z[1]);
            o[2] = static_cast<float>(base + d * z[2]);
        }
    }
    for (size_t n = 0; n < N; n++) {
        atoms[n].theta = rest[n].theta;
        atoms[n].phi = rest[n].phi;
        atoms[n].bondl = rest[n].bondl;
        atoms[n].p = rest[n].p;
    }
}
