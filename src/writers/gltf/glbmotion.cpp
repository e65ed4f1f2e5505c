#include "writers/gltf/glbmotion.h"

#include <cmath>
#include <cstring>

#include "angles/frameangles.h"
#include "model/frames.h"
#include "model/model.h"
#include "writers/gltf/glbrig.h"

namespace {

// A length change below this is the rounding of the frames' numbers.
const double STRETCH = 1e-6;

// The third column of a unit quaternion's rotation: where the joint's Z
// axis goes.
void zaxis(const double q[4], double out[3])
{
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    out[0] = 2 * (x * z + w * y);
    out[1] = 2 * (y * z - w * x);
    out[2] = 1 - 2 * (x * x + y * y);
}

// The keys of one frame, from the model placed and measured as that frame.
struct framekeys {
    glbmotion *m;
    std::vector<double> restbondl;
    xyz restroot;
    double roott[3], rootq[4];
    std::vector<jointpose> joints; // of the frame
    std::vector<float> before;     // the rotations of the frame before
};

// The sine and cosine of half an angle from the angle's own: the half lies
// within a quarter turn of 0, where its cosine is not negative. Each from
// the formula that does not cancel.
void half(double s, double c, double *sh, double *ch)
{
    if (c >= 0) {
        *ch = std::sqrt((1 + c) / 2);
        *sh = s / (2 * *ch);
    } else {
        double h = std::sqrt((1 - c) / 2);
        *sh = s < 0 ? -h : h;
        *ch = s / (2 * *sh);
    }
}

// A joint's turn in a frame, as jointrest makes it of the dial angles: the
// quaternion of phi about the joint's -Z times that of theta about X.
void jointturn(const framebond &b, double q[4])
{
    double sx, cx, sy, cy;
    half(b.sintheta, b.costheta, &sx, &cx);
    half(b.sinphi, b.cosphi, &sy, &cy);
    q[0] = cy * sx;
    q[1] = -sy * sx;
    q[2] = -sy * cx;
    q[3] = cy * cx;
}

void keyframe(void *self, int frame, const framebond *bonds)
{
    framekeys &s = *static_cast<framekeys *>(self);
    glbmotion *m = s.m;
    const size_t N = static_cast<size_t>(natoms);
    const size_t k = static_cast<size_t>(frame);
    float *rotations = reinterpret_cast<float *>(m->rotations->row(k));
    float *translations = reinterpret_cast<float *>(m->translations->row(k));
    // The root keeps its turn; it carries the figure's place.
    double shift[3] = {atoms[0].p.x - s.restroot.x, atoms[0].p.y - s.restroot.y, atoms[0].p.z - s.restroot.z};
    for (int i = 0; i < 4; i++)
        rotations[i] = static_cast<float>(s.rootq[i]);
    for (int i = 0; i < 3; i++) {
        translations[i] = static_cast<float>(s.roott[i] + shift[i]);
        if (std::fabs(shift[i]) > STRETCH)
            m->moved[0] = 1;
    }
    // The rest pose is keyed as the joints stand at rest, to the bit.
    if (!bonds)
        jointsrest(s.joints.data());
    for (size_t n = 1; n < N; n++) {
        const atom &a = atoms[n];
        double *q = s.joints[n].q;
        if (bonds)
            jointturn(bonds[n], q);
        float *r = &rotations[4 * n];
        if (k > 0) {
            const float *before = &s.before[4 * n];
            if (q[0] * before[0] + q[1] * before[1] + q[2] * before[2] + q[3] * before[3] < 0)
                for (int i = 0; i < 4; i++)
                    q[i] = -q[i];
        }
        for (int i = 0; i < 4; i++)
            r[i] = static_cast<float>(q[i]);
        // The joint stands at its parent atom as drawn at rest, moved
        // along its bond by what the bond lacks of its rest length.
        double base = a.parent->parent ? -s.restbondl[a.parent - atoms] : 0;
        double d = s.restbondl[n] - (bonds ? bonds[n].bondl : a.bondl), z[3];
        zaxis(q, z);
        if (std::fabs(d) > STRETCH)
            m->moved[n] = m->stretched[n] = 1;
        float *o = &translations[3 * n];
        o[0] = static_cast<float>(d * z[0]);
        o[1] = static_cast<float>(d * z[1]);
        o[2] = static_cast<float>(base + d * z[2]);
    }
    std::memcpy(s.before.data(), rotations, s.before.size() * sizeof(float));
}

} // namespace

int buildmotion(glbmotion *m, double fps)
{
    *m = glbmotion();
    const int nframes = framecount();
    if (nframes < 2 || natoms == 0)
        return 1;
    const size_t F = static_cast<size_t>(nframes), N = static_cast<size_t>(natoms);
    m->frames = nframes;
    m->times.resize(F);
    for (size_t k = 0; k < F; k++)
        m->times[k] = static_cast<float>(static_cast<double>(k) / fps);
    m->rotations.reset(new columnstore(F, N, 4 * sizeof(float)));
    m->translations.reset(new columnstore(F, N, 3 * sizeof(float)));
    m->moved.assign(N, 0);
    m->stretched.assign(N, 0);

    framekeys s;
    s.m = m;
    s.restbondl.resize(N);
    for (size_t n = 0; n < N; n++)
        s.restbondl[n] = atoms[n].bondl;
    s.restroot = atoms[0].p;
    s.joints.resize(N);
    s.before.resize(4 * N);
    jointrest(atoms[0], s.rootq, s.roott);
    return visitframes(keyframe, &s);
}
