// kestrix-cli: the conversion job of the desktop program, for scripts and
// batch work. Each description is converted in turn; the job's dialogs are
// answered from the options and its messages go to the standard streams.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/console_ui.h"
#include "base/messages.h"
#include "cli/options.h"
#include "job/KESTRIX.h"
#include "base/nocase.h"
#include "base/paths.h"
#include "base/version.h"
#include "job/glbjob.h"
#include "job/ui.h"
#include "platform/outfile.h"
#include "platform/standard.h"

namespace {

const char HELP[] =
    "Converts molecule descriptions (.krx) into a Poser figure: an OBJ mesh in\n"
    "POSER/kestrix and a CR2 figure file in POSER/Runtime/Libraries/character/Molecules.\n"
    "\n"
    "  --poser DIR   the Poser installation folder (remembered in kestrix.ini in\n"
    "                the current folder for the next run)\n"
    "  --cr2 FILE    the figure file (default: the description's name, .cr2)\n"
    "  --obj FILE    the mesh file (default: the description's name, .obj)\n"
    "                a bare name goes into its default folder\n"
    "  --glb         write a glTF 2.0 figure (.glb) beside each description instead\n"
    "                (no Poser folder needed)\n"
    "  -o FILE       the .glb file, with --glb and one description\n"
    "  --force       replace existing output files\n"
    "  --quiet       print only failures\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 every conversion succeeded, 1 one failed, 2 bad usage.\n";

bool krxsuffix(const std::string &path) { return endsnocase(path.c_str(), ".krx"); }

// The glTF figure of one description: into -o, or beside the description.
int glbconvert(const cliopts &opts, const std::string &path)
{
    char out[4096];
    if (!opts.out.empty())
        std::snprintf(out, sizeof out, "%s", opts.out.c_str());
    else if (!glbname(out, sizeof out, path.c_str()))
        return 0;
    return convertGLB(path.c_str(), out, opts.force);
}

// A device or a pipe named .krx could feed the reader without end, or never
// open; only a plain file is read. A path that does not exist is left to the
// job, which reports it.
bool notafile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything opens a file: a closed standard stream would make the
    // first output file standard error.
    openstandardstreams();
    // Interrupted (Ctrl-C, a kill, a closed pipe): the temporary files of
    // the conversion under way go, then the signal does what it would have.
    catchinterrupts();
    cliopts opts;
    std::string err;
    if (!parseoptions(argc, argv, &opts, &err)) {
        std::fprintf(stderr, "kestrix-cli: %s\n%s", err.c_str(), USAGE);
        return 2;
    }
    if (opts.help) {
        std::printf("%s%s", USAGE, HELP);
        return 0;
    }
    if (opts.version) {
        std::printf("kestrix-cli %s\n", KESTRIX_VERSION);
        return 0;
    }
    if (!startup()) {
        std::fprintf(stderr, "kestrix-cli: cannot read the current folder\n");
        return 1;
    }
    consolequiet(opts.quiet);
    // Two descriptions of this run may not write one file.
    beginbatch();
    int status = 0;
    for (const std::string &path : opts.files) {
        if (!krxsuffix(path)) {
            showproblem(nullptr, warning(MSG_BADSUFFIX, path));
            status = 1;
            continue;
        }
        if (path.size() >= PATHSIZE || notafile(path)) {
            showproblem(nullptr, filefault(MSG_CANTOPEN, path,
                                           path.size() >= PATHSIZE ? errnoreason(ENAMETOOLONG)
                                                                   : "not a regular file"));
            status = 1;
            continue;
        }
        optionchooser answers(opts, path);
        chooser choices = answers.choices();
        if (opts.glb ? !glbconvert(opts, path) : !readKRX(path.c_str(), nullptr, choices)) {
            showproblem(nullptr, warning(MSG_DIDNTWORK, path));
            status = 1;
        }
    }
    return status;
}
