#include "job/KESTRIX.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/messages.h"
#include "base/nocase.h"
#include "base/suffix.h"
#include "job/chooser.h"
#include "job/load.h"
#include "model/frames.h"
#include "model/model.h"
#include "platform/folders.h"
#include "platform/outfile.h"
#include "platform/profile.h"
#include "writers/poser/poser.h"

char rootdir[PATHSIZE];
char posername[PATHSIZE];

namespace {

const char CANTOPEN[] = MSG_CANTOPEN;
const char CANTWRITE[] = MSG_CANTWRITE;

// A warning over the window that owns the dialogs, when there is one.
void warn(const frontend &ui, window owner, const char *caption, const char *text)
{
    problem p = warning(caption, text);
    p.owned = owner != nullptr;
    showproblem(ui, p);
}

void filewarning(const frontend &ui, const char *caption, const char *path, const char *reason)
{
    showproblem(ui, filefault(caption, path, reason));
}

// Makes sure each folder of the chain exists below root, one level at a time;
// folder ends as the deepest one. The folders are tested, not entered: the
// process's current folder stays where the user started it.
int makechain(const frontend &ui, char *folder, size_t size, const char *root, const char *const *names,
              int count)
{
    std::snprintf(folder, size, "%s", root);
    for (int i = 0; i < count; i++) {
        size_t len = std::strlen(folder);
        std::snprintf(folder + len, size - len, "%c%s", PATHSEP, names[i]);
        if (!isfolder(folder) && !makedir(folder)) {
            filewarning(ui, "this folder does not exist and I can't create it", folder, lastsystemreason());
            return 0;
        }
    }
    return 1;
}

// Asks for the Poser installation through any file in its root folder and
// leaves the folder in posername. The folder kestrix.ini remembers is read
// here only, and offered to the chooser.
int findposer(const frontend &ui, window w, chooser &choose, const char *settings)
{
    char remembered[PATHSIZE];
    getprofile("poserinfo", "poseraddr", "", remembered, sizeof remembered, settings);
    int chosen = choose.poserfolder(choose.self, posername, remembered);
    if (chosen <= 0) {
        if (chosen == 0)
            warn(ui, w, "Exiting", "I need this information to be able to run.");
        return 0;
    }
    char *sep = nullptr;
    for (char *c = posername + std::strlen(posername); c > posername;)
        if (isseparator(*--c)) {
            sep = c;
            break;
        }
    if (!sep || sep == posername) {
        warn(ui, w, "This is not a valid file name. Exiting", posername);
        return 0;
    }
    *sep = '\0';
    showproblem(ui, report(MSG_POSERAT, posername));
    // A settings file that cannot be rewritten is left as it is; the
    // conversion goes on, it only does not remember the folder.
    const char *why = nullptr;
    if (choose.saveatonce && !writeprofile("poserinfo", "poseraddr", posername, settings, &why))
        filewarning(ui, MSG_CANTREMEMBER, settings, why);
    return 1;
}

typedef int (*outputchoice)(void *self, char *file, const char *folder, int *replace);

// Asks for one output file in folder and opens its temporary file; an
// existing file is replaced only when the chooser says so. No output may
// overwrite the description.
int prepareoutput(const frontend &ui, chooser &choose, outputchoice which, const char *description,
                  outfile *out, char *name, const char *folder, const char *suffix)
{
    int replace = 0;
    if (!which(choose.self, name, folder, &replace))
        return 0;
    // A name with no room for its suffix cannot be written as chosen.
    if (!addsuffix(name, PATHSIZE, suffix)) {
        filewarning(ui, CANTOPEN, name, errnoreason(ENAMETOOLONG));
        return 0;
    }
    if (samefile(name, description)) {
        filewarning(ui, CANTOPEN, name, "it is the description itself");
        return 0;
    }
    if (!openout(out, name, replace ? OUT_REPLACE : 0)) {
        filewarning(ui, CANTOPEN, name, outreason(out));
        return 0;
    }
    return 1;
}

// Values that are not finite would reach the figure file as "inf" or "nan",
// which no figure application reads (coordinates near the largest double
// can overflow in the bond-angle pass).
const char *firstnotfinite()
{
    for (int i = 0; i < natoms; i++) {
        const atom &a = atoms[i];
        if (!std::isfinite(a.theta) || !std::isfinite(a.phi) || !std::isfinite(a.bondl))
            return a.name;
    }
    return nullptr;
}

int convert(const frontend &ui, FILE *KRX, const char *path, outfile *CR2, outfile *OBJ, const char *objfile)
{
    if (!loaddescription(KRX, path, ui))
        return 0;
    if (readxyz) {
        if (const char *bad = firstnotfinite()) {
            warn(ui, nullptr, MSG_OUTOFRANGE, bad);
            return 0;
        }
    }
    writeOBJ(OBJ->stream);
    writeCR2(CR2->stream, Name, objfile, posername);
    return 1;
}

// A description with frames also gets its pose file, named as the figure
// file, in the pose library: no dialog of its own. It may replace a file
// only where the figure file may.
int writepose(const frontend &ui, const char *description, const outfile &CR2, const char *cr2file,
              outfile *PZ2, char *pz2file)
{
    static const char *const PZ2CHAIN[] = {"Runtime", "Libraries", "Pose", "Molecules"};
    if (framecount() < 2)
        return 1;
    char folder[512];
    if (!makechain(ui, folder, sizeof folder, posername, PZ2CHAIN, 4))
        return 0;
    const char *base = cr2file;
    for (const char *c = cr2file; *c; c++)
        if (isseparator(*c))
            base = c + 1;
    int stem = static_cast<int>(std::strlen(base));
    if (stem > 4 && samenocase(base + stem - 4, ".cr2"))
        stem -= 4;
    if (std::snprintf(pz2file, PATHSIZE, "%s%c%.*s.pz2", folder, PATHSEP, stem, base) >= PATHSIZE) {
        filewarning(ui, CANTOPEN, folder, errnoreason(ENAMETOOLONG));
        return 0;
    }
    if (samefile(pz2file, description)) {
        filewarning(ui, CANTOPEN, pz2file, "it is the description itself");
        return 0;
    }
    if (!openout(PZ2, pz2file, CR2.replace ? OUT_REPLACE : 0)) {
        filewarning(ui, CANTOPEN, pz2file, outreason(PZ2));
        return 0;
    }
    if (!writePZ2(PZ2->stream)) {
        filewarning(ui, CANTWRITE, pz2file, "the frames' temporary file cannot be read back");
        return 0;
    }
    return 1;
}

// Closes an output; a failed write fails the job.
int finish(const frontend &ui, outfile *out, int s)
{
    if (!out->stream)
        return s;
    if (!closeout(out) && s) {
        filewarning(ui, CANTWRITE, out->target, outreason(out));
        return 0;
    }
    return s;
}

} // namespace

int startup() { return currentdir(rootdir, sizeof rootdir); }

int checkKRX(const char *path, const frontend &ui, FILE *text)
{
    FILE *KRX = text ? text : std::fopen(path, "rb");
    if (!KRX) {
        filewarning(ui, CANTOPEN, path, errnoreason(errno));
        return 0;
    }
    int s = loaddescription(KRX, path, ui);
    if (!text)
        std::fclose(KRX);
    if (s && readxyz) {
        if (const char *bad = firstnotfinite()) {
            warn(ui, nullptr, MSG_OUTOFRANGE, bad);
            return 0;
        }
    }
    return s;
}

int readKRX(const char *path, window w, const frontend &ui, chooser &choose)
{
    return readKRX(path, w, ui, choose, nullptr);
}

int readKRX(const char *path, window w, const frontend &ui, chooser &choose, FILE *text)
{
    static const char *const CR2CHAIN[] = {"Runtime", "Libraries", "character", "Molecules"};
    static const char *const OBJCHAIN[] = {"kestrix"};
    int s = 1;
    outfile CR2 = {}, OBJ = {}, PZ2 = {};
    char settings[4096], folder[512], cr2file[PATHSIZE] = "", objfile[PATHSIZE] = "", pz2file[PATHSIZE] = "";

    FILE *KRX = text ? text : std::fopen(path, "rb");
    if (!KRX) {
        filewarning(ui, CANTOPEN, path, errnoreason(errno));
        s = 0;
    }
    if (choose.settings)
        std::snprintf(settings, sizeof settings, "%s", choose.settings);
    else
        std::snprintf(settings, sizeof settings, "%s%ckestrix.ini", rootdir, PATHSEP);
    s = s && findposer(ui, w, choose, settings);
    s = s && makechain(ui, folder, sizeof folder, posername, CR2CHAIN, 4);
    s = s && prepareoutput(ui, choose, choose.cr2file, path, &CR2, cr2file, folder, ".cr2");
    s = s && makechain(ui, folder, sizeof folder, posername, OBJCHAIN, 1);
    s = s && prepareoutput(ui, choose, choose.objfile, path, &OBJ, objfile, folder, ".obj");
    s = s && convert(ui, KRX, path, &CR2, &OBJ, objfile);
    s = s && writepose(ui, path, CR2, cr2file, &PZ2, pz2file);

    if (KRX && !text)
        std::fclose(KRX);
    s = finish(ui, &CR2, s);
    s = finish(ui, &OBJ, s);
    s = finish(ui, &PZ2, s);
    // Only a whole conversion replaces anything: until here every existing
    // file under the chosen names is untouched. The pose file goes last: it
    // poses the figure before it.
    outfile *files[] = {&OBJ, &CR2, &PZ2};
    const int count = pz2file[0] ? 3 : 2;
    const outfile *failed = nullptr;
    if (s && !commitset(files, count, &failed)) {
        filewarning(ui, CANTWRITE, failed->target, outreason(failed));
        // An undo that failed too: each name that holds a new file now, and
        // where its old one is kept.
        for (int i = 0; i < count; i++)
            if (*commitstate(files[i]))
                filewarning(ui, MSG_NOTASITWAS, files[i]->target, commitstate(files[i]));
        s = 0;
    }
    if (!s) {
        for (outfile *o : files)
            discardout(o);
        return 0;
    }
    char written[3 * PATHSIZE];
    if (count == 3) {
        std::snprintf(written, sizeof written, "%s\n%s\n%s", objfile, cr2file, pz2file);
        showproblem(ui, report("I have written to the .OBJ file, the .CR2 file and the .PZ2 file", written));
    } else {
        std::snprintf(written, sizeof written, "%s\n%s", objfile, cr2file);
        showproblem(ui, report("I have written to the .OBJ file and the .CR2 file", written));
    }
    return 1;
}
