#include "job/KESTRIX.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "geometry/findangles.h"
#include "model/model.h"
#include "base/nocase.h"
#include "model/reader.h"
#include "platform/folders.h"
#include "platform/outfile.h"
#include "platform/profile.h"
#include "writers/poser/poser.h"

char rootdir[PATHSIZE];
char posername[PATHSIZE];

namespace {

const char CANTOPEN[] = "I can't open this file";
const char CANTWRITE[] = "I can't write this file";

void warn(window owner, const char *text, const char *caption)
{
    messagebox(owner, text, caption, KMB_ICONWARNING);
}

// Makes sure each folder of the chain exists below root, one level at a time;
// folder ends as the deepest one.
int makechain(char *folder, size_t size, const char *root, const char *const *names, int count)
{
    std::snprintf(folder, size, "%s", root);
    for (int i = 0; i < count; i++) {
        size_t len = std::strlen(folder);
        std::snprintf(folder + len, size - len, "%c%s", PATHSEP, names[i]);
        if (!changedir(folder) && !makedir(folder)) {
            filewarning(nullptr, folder, "this folder does not exist and I can't create it", lastsystemreason());
            return 0;
        }
    }
    return 1;
}

// Asks for the Poser installation through any file in its root folder and
// leaves the folder in posername.
int findposer(window w, const char *settings)
{
    char start[512];
    getprofile("poserinfo", "poseraddr", "", posername, sizeof posername, settings);
    std::snprintf(start, sizeof start, "%s", posername[0] ? posername : "c:");
    posername[0] = '\0';
    if (!GetFileName(w, posername, start, "find any file in your Poser installation's root folder",
                     filterall, 0)) {
        warn(w, "I need this information to be able to run.", "Exiting");
        return 0;
    }
    char *sep = nullptr;
    for (char *c = posername + std::strlen(posername); c > posername;)
        if (isseparator(*--c)) {
            sep = c;
            break;
        }
    if (!sep || sep == posername) {
        warn(w, posername, "This is not a valid file name. Exiting");
        return 0;
    }
    *sep = '\0';
    messagebox(nullptr, posername, "You say that your Poser installation is at", KMB_OK);
    // A settings file that cannot be rewritten is left as it is; the
    // conversion goes on, it only does not remember the folder.
    const char *why = nullptr;
    if (!writeprofile("poserinfo", "poseraddr", posername, settings, &why))
        filewarning(nullptr, settings, "I can't remember the Poser folder in this file", why);
    return 1;
}

// The output files of one job: where they go and whether they may replace
// files that stand there.
struct outputs {
    const char *description; // no output may overwrite it
    int flags;               // OUT_REPLACE or 0
};

// Asks for one output file in folder and opens its temporary file.
int prepareoutput(window w, const outputs &job, outfile *out, char *name, const char *folder, const char *title,
                  const char *filter, const char *suffix)
{
    name[0] = '\0';
    if (!GetFileName(w, name, folder, title, filter, 1))
        return 0;
    // A name with no room for its suffix cannot be written as chosen.
    if (!addsuffix(name, PATHSIZE, suffix)) {
        filewarning(nullptr, name, CANTOPEN, errnoreason(ENAMETOOLONG));
        return 0;
    }
    if (samefile(name, job.description)) {
        filewarning(nullptr, name, CANTOPEN, "it is the description itself");
        return 0;
    }
    if (!openout(out, name, job.flags)) {
        filewarning(nullptr, name, CANTOPEN, outreason(out));
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

int convert(FILE *KRX, const char *path, outfile *CR2, outfile *OBJ, const char *objfile)
{
    resetjob();
    if (!readmolecule(KRX, path, shownotice, nullptr))
        return 0;
    if (natoms == 0) {
        warn(nullptr, path, "there are no atoms in this file");
        return 0;
    }
    if (readxyz) {
        findangles(0); // works in fixed tables: it cannot run out of memory
        if (const char *bad = firstnotfinite()) {
            warn(nullptr, bad, "this number is out of range");
            return 0;
        }
    }
    writeOBJ(OBJ->stream);
    writeCR2(CR2->stream, Name, objfile, posername);
    return 1;
}

// Closes an output; a failed write fails the job.
int finish(outfile *out, int s)
{
    if (!out->stream)
        return s;
    if (!closeout(out) && s) {
        filewarning(nullptr, out->target, CANTWRITE, outreason(out));
        return 0;
    }
    return s;
}

} // namespace

int startup()
{
    return currentdir(rootdir, sizeof rootdir);
}

void resetjob()
{
    resetmodel();
    resetreader();
}

int addsuffix(char *name, size_t size, const char *suffix)
{
    if (endsnocase(name, suffix))
        return 1;
    size_t len = std::strlen(name), slen = std::strlen(suffix);
    if (len + slen >= size)
        return 0;
    std::memcpy(name + len, suffix, slen + 1);
    return 1;
}

int readKRX(const char *path, window w, int replace)
{
    static const char *const CR2CHAIN[] = {"Runtime", "Libraries", "character", "Molecules"};
    static const char *const OBJCHAIN[] = {"kestrix"};
    int s = 1;
    outfile CR2 = {}, OBJ = {};
    char settings[300], folder[512], cr2file[PATHSIZE] = "", objfile[PATHSIZE] = "";

    const outputs job = {path, replace ? OUT_REPLACE : 0};
    FILE *KRX = std::fopen(path, "rb");
    if (!KRX) {
        filewarning(nullptr, path, CANTOPEN, errnoreason(errno));
        s = 0;
    }
    std::snprintf(settings, sizeof settings, "%s%ckestrix.ini", rootdir, PATHSEP);
    s = s && findposer(w, settings);
    s = s && makechain(folder, sizeof folder, posername, CR2CHAIN, 4);
    s = s && prepareoutput(w, job, &CR2, cr2file, folder, "file to write Poser CR2 file to?", filterCR2,
                           ".cr2");
    s = s && makechain(folder, sizeof folder, posername, OBJCHAIN, 1);
    s = s && prepareoutput(w, job, &OBJ, objfile, folder, "file to write object geometry to?", filterOBJ,
                           ".obj");
    s = s && convert(KRX, path, &CR2, &OBJ, objfile);

    if (KRX)
        std::fclose(KRX);
    s = finish(&CR2, s);
    s = finish(&OBJ, s);
    // Only a whole conversion replaces anything: until here every existing
    // file under the chosen names is untouched.
    const outfile *failed = nullptr;
    if (s && !commitpair(&OBJ, &CR2, &failed)) {
        filewarning(nullptr, failed->target, CANTWRITE, outreason(failed));
        s = 0;
    }
    if (!s) {
        discardout(&CR2);
        discardout(&OBJ);
        return 0;
    }
    char report[600];
    std::snprintf(report, sizeof report, "%s\n%s", objfile, cr2file);
    messagebox(nullptr, report, "I have written to the .OBJ file and the .CR2 file", KMB_OK);
    return 1;
}
