#include <vector>

#include "angles/frameangles.h"
#include "model/frames.h"
#include "model/model.h"
#include "writers/pattern.h"
#include "writers/printg.h"
#include "writers/poser/poser.h"

namespace {

// What a frame sets on the figure: the root's place, and for every other
// atom its bond angles and length, as the figure file's dials name them.
// Kept per atom, then per frame, so that each channel's keys are read in a
// row: three numbers per atom and frame.
struct posevalues {
    int frames;
    std::vector<double> v;
    double *at(int n, int k) { return &v[3 * (static_cast<size_t>(n) * frames + k)]; }
};

void takeframe(void *self, int k)
{
    posevalues &pose = *static_cast<posevalues *>(self);
    double *root = pose.at(0, k);
    root[0] = atoms[0].p.x;
    root[1] = atoms[0].p.y;
    root[2] = atoms[0].p.z;
    for (int n = 1; n < natoms; n++) {
        double *d = pose.at(n, k);
        d[0] = atoms[n].theta;
        d[1] = atoms[n].phi;
        d[2] = atoms[n].bondl;
    }
}

struct pz2patterns {
    pattern actor{"actor %s:1\n\t{\n\tchannels\n\t\t{\n"};
    pattern channel{"\t\t%s\n\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n"};
    pattern key{"\t\t\t\tk  %d  %g\n"};
};

// One channel with a key at every frame; which: the number's place in a
// frame's three.
void writechannel(textbuffer &out, const pz2patterns &p, const char *channel, posevalues &pose, int n,
                  int which)
{
    p.channel.fill(out, {channel});
    for (int k = 0; k < pose.frames; k++)
        p.key.fill(out, {printd(k), printg(pose.at(n, k)[which])});
    out.add("\t\t\t\t}\n\t\t\t}\n");
}

} // namespace

void writePZ2(FILE *PZ2)
{
    posevalues pose;
    pose.frames = framecount();
    pose.v.resize(3 * static_cast<size_t>(natoms) * pose.frames);
    visitframes(takeframe, &pose);

    static const pz2patterns p;
    textbuffer out(PZ2);
    out.add("{\n\nversion\n\t{\n\tnumber 4.01\n\t}\n");
    for (int n = 0; n < natoms; n++) {
        p.actor.fill(out, {atoms[n].shortname});
        if (n == 0) {
            // The root's turn stays as the figure file has it; the bond
            // angles carry every other turn.
            writechannel(out, p, "translateX xtran", pose, 0, 0);
            writechannel(out, p, "translateY ytran", pose, 0, 1);
            writechannel(out, p, "translateZ ztran", pose, 0, 2);
        } else {
            // The stretch morph follows the length, so that the bond
            // cylinder stays closed between the two balls.
            if (bondradius != 0)
                writechannel(out, p, "targetGeom bond_longer", pose, n, 2);
            writechannel(out, p, "rotateX xrot", pose, n, 0);
            writechannel(out, p, "rotateY yrot", pose, n, 1);
            writechannel(out, p, "translateY ytran", pose, n, 2);
        }
        out.add("\t\t}\n\t}\n");
    }
    out.add("}\n");
    out.flush();
}
