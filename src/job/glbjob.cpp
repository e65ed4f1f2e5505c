#include "job/glbjob.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/messages.h"
#include "base/suffix.h"
#include "job/load.h"
#include "model/model.h"
#include "platform/binary.h"
#include "platform/folders.h"
#include "platform/largepages.h"
#include "platform/outfile.h"
#include "job/ui.h"
#include "writers/gltf/writeGLB.h"
#include "base/version.h"

namespace {

const char CANTOPEN[] = MSG_CANTOPEN;
const char CANTWRITE[] = MSG_CANTWRITE;
const char EXISTS[] = MSG_EXISTS;
const char GENERATOR[] = "kestrix " KESTRIX_VERSION;

void warn(const char *text, const char *caption) { showproblem(nullptr, warning(caption, text)); }

void filewarning(const char *path, const char *caption, const char *reason)
{
    showproblem(nullptr, filefault(caption, path, reason));
}

// Reads the description into the model, derives the bond angles as the
// Poser conversion does, and builds the figure; 1 when there is one to write.
int readfigure(FILE *KRX, const char *krxpath, glbfigure *figure, glbmotion *motion, double fps)
{
    if (!loaddescription(KRX, krxpath))
        return 0;
    // The figure's arrays take some 7 kB an atom.
    uselargepages(static_cast<size_t>(natoms) * 8192);
    if (!buildmotion(motion, fps)) {
        filewarning(krxpath, CANTWRITE, "the frames' temporary file cannot be read back");
        return 0;
    }
    problem p;
    if (!buildfigure(figure, &p, &motion->stretched)) {
        showproblem(nullptr, p);
        return 0;
    }
    return 1;
}

int writefigure(const glbfigure &figure, const glbmotion &motion, const char *outpath, int force)
{
    outfile out;
    if (!openout(&out, outpath, force ? OUT_REPLACE : 0)) {
        if (out.error == OUT_EXISTS)
            warn(outpath, EXISTS);
        else
            filewarning(outpath, CANTOPEN, outreason(&out));
        return 0;
    }
    if (!binarystream(out.stream)) {
        discardout(&out);
        filewarning(outpath, CANTOPEN, "the stream cannot be made binary");
        return 0;
    }
    if (!writeGLBfigure(out.stream, figure, Name, GENERATOR, &motion)) {
        discardout(&out);
        filewarning(outpath, CANTWRITE, "the animation's temporary file cannot be read back");
        return 0;
    }
    // Only a whole file replaces anything: until the move the old file (or
    // no file) stays as it was; one that appeared meanwhile stays without
    // force.
    if (!closeout(&out) || !commitout(&out)) {
        if (out.error == OUT_EXISTS)
            warn(outpath, EXISTS);
        else
            filewarning(outpath, CANTWRITE, outreason(&out));
        if (*commitstate(&out))
            filewarning(outpath, MSG_NOTASITWAS, commitstate(&out));
        discardout(&out);
        return 0;
    }
    return 1;
}

} // namespace

int glbname(char *out, size_t size, const char *krxpath)
{
    return swapsuffix(out, size, krxpath, ".krx", ".glb");
}

int convertGLB(const char *krxpath, const char *outpath, int force, double fps)
{
    FILE *KRX = std::fopen(krxpath, "rb");
    if (!KRX) {
        filewarning(krxpath, CANTOPEN, errnoreason(errno));
        return 0;
    }
    outfile probe;
    const char *refused = nullptr;
    if (std::strlen(outpath) >= sizeof probe.target)
        refused = errnoreason(ENAMETOOLONG);
    else if (samefile(outpath, krxpath))
        refused = "it is the description itself";
    if (refused) {
        std::fclose(KRX);
        filewarning(outpath, CANTOPEN, refused);
        return 0;
    }
    if (!force && pathexists(outpath)) {
        std::fclose(KRX);
        warn(outpath, EXISTS);
        return 0;
    }
    glbfigure figure;
    glbmotion motion;
    int s = readfigure(KRX, krxpath, &figure, &motion, fps);
    std::fclose(KRX);
    if (!s || !writefigure(figure, motion, outpath, force))
        return 0;
    showproblem(nullptr, report("I have written to the .glb file", outpath));
    return 1;
}
