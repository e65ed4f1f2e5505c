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

void filewarning(const frontend &ui, const char *caption, const char *path, const char *reason)
{
    showproblem(ui, filefault(caption, path, reason));
}

// Reads the description into the model, derives the bond angles as the
// Poser conversion does, and builds the figure; 1 when there is one to write.
int readfigure(const frontend &ui, FILE *KRX, const char *krxpath, glbfigure *figure, glbmotion *motion,
               double fps)
{
    if (!loaddescription(KRX, krxpath, ui))
        return 0;
    // The figure's arrays take some 7 kB an atom.
    uselargepages(static_cast<size_t>(natoms) * 8192);
    if (!buildmotion(motion, fps)) {
        filewarning(ui, CANTWRITE, krxpath, "the frames' temporary file cannot be read back");
        return 0;
    }
    problem p;
    if (!buildfigure(figure, &p, &motion->stretched)) {
        showproblem(ui, p);
        return 0;
    }
    return 1;
}

int writefigure(const frontend &ui, const glbfigure &figure, const glbmotion &motion, const char *outpath,
                int force)
{
    outfile out;
    if (!openout(&out, outpath, force ? OUT_REPLACE : 0)) {
        if (out.error == OUT_EXISTS)
            showproblem(ui, warning(EXISTS, outpath));
        else
            filewarning(ui, CANTOPEN, outpath, outreason(&out));
        return 0;
    }
    if (!binarystream(out.stream)) {
        discardout(&out);
        filewarning(ui, CANTOPEN, outpath, "the stream cannot be made binary");
        return 0;
    }
    if (!writeGLBfigure(out.stream, figure, Name, GENERATOR, &motion)) {
        discardout(&out);
        filewarning(ui, CANTWRITE, outpath, "the animation's temporary file cannot be read back");
        return 0;
    }
    // Only a whole file replaces anything: until the move the old file (or
    // no file) stays as it was; one that appeared meanwhile stays without
    // force.
    if (!closeout(&out) || !commitout(&out)) {
        if (out.error == OUT_EXISTS)
            showproblem(ui, warning(EXISTS, outpath));
        else
            filewarning(ui, CANTWRITE, outpath, outreason(&out));
        if (*commitstate(&out))
            filewarning(ui, MSG_NOTASITWAS, outpath, commitstate(&out));
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

int convertGLB(const char *krxpath, const char *outpath, int force, const frontend &ui, double fps,
               FILE *text)
{
    FILE *KRX = text ? text : std::fopen(krxpath, "rb");
    if (!KRX) {
        filewarning(ui, CANTOPEN, krxpath, errnoreason(errno));
        return 0;
    }
    outfile probe;
    const char *refused = nullptr;
    if (std::strlen(outpath) >= sizeof probe.target)
        refused = errnoreason(ENAMETOOLONG);
    else if (samefile(outpath, krxpath))
        refused = "it is the description itself";
    if (refused) {
        if (!text)
            std::fclose(KRX);
        filewarning(ui, CANTOPEN, outpath, refused);
        return 0;
    }
    if (!force && pathexists(outpath)) {
        if (!text)
            std::fclose(KRX);
        showproblem(ui, warning(EXISTS, outpath));
        return 0;
    }
    glbfigure figure;
    glbmotion motion;
    int s = readfigure(ui, KRX, krxpath, &figure, &motion, fps);
    if (!text)
        std::fclose(KRX);
    if (!s || !writefigure(ui, figure, motion, outpath, force))
        return 0;
    showproblem(ui, report("I have written to the .glb file", outpath));
    return 1;
}
