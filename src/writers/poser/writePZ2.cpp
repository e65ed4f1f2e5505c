#include <vector>

#include "angles/frameangles.h"
#include "base/spill.h"
#include "model/frames.h"
#include "model/model.h"
#include "writers/pattern.h"
#include "writers/printg.h"
#include "writers/poser/poser.h"

namespace {

// What a frame sets on the figure: the root's place, and for every other
// atom its bond angles and length, as the figure file's dials name them.
// Three numbers per atom and frame, given frame by frame and read atom by
// atom (each channel's keys in a row); a long animation spills to a
// temporary file.
struct posevalues {
    int frames;
    columnstore values;
    const double *atom = nullptr; // every frame's three of the atom read last
    posevalues(int frames) : frames(frames), values(frames, natoms, 3 * sizeof(double)) {}
};

void takeframe(void *self, int k, const framebond *bonds)
{
    posevalues &pose = *static_cast<posevalues *>(self);
    double *row = reinterpret_cast<double *>(pose.values.row(static_cast<size_t>(k)));
    if (bonds) {
        framedials(bonds, row);
    } else {
        for (int n = 1; n < natoms; n++) {
            double *d = &row[3 * n];
            d[0] = atoms[n].theta;
            d[1] = atoms[n].phi;
            d[2] = atoms[n].bondl;
        }
    }
    row[0] = atoms[0].p.x;
    row[1] = atoms[0].p.y;
    row[2] = atoms[0].p.z;
}

struct pz2patterns {
    pattern actor{"actor %s:1\n\t{\n\tchannels\n\t\t{\n"};
    pattern channel{"\t\t%s\n\t\t\t{\n\t\t\tkeys\n\t\t\t\t{\n"};
    pattern key{"\t\t\t\tk  %d  %g\n"};
};

// One channel of the atom read last, with a key at every frame; which: the
// number's place in a frame's three. The texts of its numbers are kept in
// `printed` when given: the bond length keys two channels, and printing it
// once is a twentieth of the file's time.
void writechannel(textbuffer &out, const pz2patterns &p, const char *channel, const posevalues &pose,
                  int which, std::vector<numtext> *printed = nullptr)
{
    p.channel.fill(out, {channel});
    if (printed)
        printed->resize(static_cast<size_t>(pose.frames));
    for (int k = 0; k < pose.frames; k++) {
        numtext v = printg(pose.atom[3 * k + which]);
        p.key.fill(out, {printd(k), v});
        if (printed)
            (*printed)[static_cast<size_t>(k)] = v;
    }
    out.add("\t\t\t\t}\n\t\t\t}\n");
}

// The same channel again from the texts kept.
void writechannel(textbuffer &out, const pz2patterns &p, const char *channel,
                  const std::vector<numtext> &printed)
{
    p.channel.fill(out, {channel});
    for (size_t k = 0; k < printed.size(); k++)
        p.key.fill(out, {printd(static_cast<int>(k)), printed[k]});
    out.add("\t\t\t\t}\n\t\t\t}\n");
}

} // namespace

int writePZ2(FILE *PZ2)
{
    posevalues pose(framecount());
    if (!visitframes(takeframe, &pose))
        return 0;

    static const pz2patterns p;
    textbuffer out(PZ2);
    std::vector<numtext> lengths;
    out.add("{\n\nversion\n\t{\n\tnumber 4.01\n\t}\n");
    for (int n = 0; n < natoms; n++) {
        pose.atom = reinterpret_cast<const double *>(pose.values.column(static_cast<size_t>(n)));
        if (!pose.atom)
            return 0;
        p.actor.fill(out, {atoms[n].shortname});
        if (n == 0) {
            // The root's turn stays as the figure file has it; the bond
            // angles carry every other turn.
            writechannel(out, p, "translateX xtran", pose, 0);
            writechannel(out, p, "translateY ytran", pose, 1);
            writechannel(out, p, "translateZ ztran", pose, 2);
        } else {
            // The stretch morph follows the length, so that the bond
            // cylinder stays closed between the two balls.
            if (bondradius != 0)
                writechannel(out, p, "targetGeom bond_longer", pose, 2, &lengths);
            writechannel(out, p, "rotateX xrot", pose, 0);
            writechannel(out, p, "rotateY yrot", pose, 1);
            if (bondradius != 0)
                writechannel(out, p, "translateY ytran", lengths);
            else
                writechannel(out, p, "translateY ytran", pose, 2);
        }
        out.add("\t\t}\n\t}\n");
    }
    out.add("}\n");
    out.flush();
    return 1;
}
