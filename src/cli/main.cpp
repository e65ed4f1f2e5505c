// kestrix-cli: the conversion job of the desktop program, for scripts and
// batch work. Each description is converted in turn; the job's dialogs are
// answered from the options and its messages go to the standard streams.

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
#include "base/printable.h"
#include "base/spill.h"
#include "base/version.h"
#include "import/run.h"
#include "job/glbjob.h"
#include "job/glbstyle.h"
#include "job/ui.h"
#include "platform/folders.h"
#include "platform/outfile.h"
#include "platform/profile.h"
#include "platform/scratch.h"
#include "platform/standard.h"

namespace {

#ifdef _WIN32
#define SETTINGSHINT "%APPDATA%\\kestrix\\kestrix.ini"
#else
#define SETTINGSHINT "$XDG_CONFIG_HOME/kestrix/kestrix.ini or ~/.config/kestrix/kestrix.ini"
#endif

const char HELP[] =
    "Converts molecule descriptions (.krx) into a Poser figure: an OBJ mesh in\n"
    "POSER/kestrix and a CR2 figure file in POSER/Runtime/Libraries/character/Molecules.\n"
    "\n"
    "  --poser DIR   the Poser installation folder (remembered for the next run in\n"
    "                kestrix.ini: the one in the current folder when there is one,\n"
    "                else " SETTINGSHINT
    ")\n"
    "  --cr2 FILE    the figure file (default: the description's name, .cr2)\n"
    "  --obj FILE    the mesh file (default: the description's name, .obj)\n"
    "                a bare name goes into its default folder\n"
    "  --glb         write a glTF 2.0 figure (.glb) beside each description instead\n"
    "                (no Poser folder needed)\n"
    "  -o FILE       the .glb file, with --glb and one description\n"
    "  --fps F       frames per second of an animated figure, with --glb\n"
    "                (default 24)\n"
    "  --style STYLE the .glb's look, with --glb: ball-and-stick (the default),\n"
    "                spacefill (van der Waals balls, no bond cylinders) or sticks\n"
    "                (balls of the bond radius)\n"
    "  --bond-colours bond|atoms\n"
    "                the .glb's bonds, with --glb: in the description's bond colour\n"
    "                (the default), or each half, from an atom to the bond's\n"
    "                middle, in its atom's colour\n"
    "  --check       read the descriptions and report what is wrong or doubtful in\n"
    "                them; write nothing\n"
    "  --force       replace existing output files\n"
    "  --quiet       print only failures and warnings\n"
    "  --help, --version\n"
    "\n"
#ifdef KESTRIX_NO_CML
    "A molecule file (.pdb, .ent, .cif, .mmcif, .sdf, .sd, .mol, .mol2, .xyz, each\n"
    "also .gz; this Windows build reads no CML) in place of a description is\n"
    "imported first with kestrix-import's\n"
#else
    "A molecule file (.pdb, .ent, .cif, .mmcif, .sdf, .sd, .mol, .mol2, .xyz, .cml,\n"
    "each also .gz) in place of a description is imported first with kestrix-import's\n"
#endif
    "defaults and converted as its description would be (x.cif.gz: as x.krx); no\n"
    "description is left behind (kestrix-import writes one to keep and edit).\n"
    "\n"
    "Messages about a description name it and the line: FILE:LINE: WHAT: DETAIL.\n"
    "Exit status: 0 every conversion succeeded (--check: nothing to report), 1 one\n"
    "failed (--check: something reported), 2 bad usage.\n";

bool krxsuffix(const std::string &path) { return endsnocase(path.c_str(), ".krx"); }

// The glTF figure of one description: into -o, or beside the description.
// text, when given, is the description's text (made from a molecule file).
int glbconvert(const cliopts &opts, const std::string &path, FILE *text)
{
    char out[4096];
    if (!opts.out.empty())
        std::snprintf(out, sizeof out, "%s", opts.out.c_str());
    else if (!glbname(out, sizeof out, path.c_str()))
        return 0;
    return convertGLB(path.c_str(), out, opts.force, consoleui(), opts.fps, text);
}

// The importer is given the absolute path (the job's folders are found from
// it); its messages name the file as the user gave it, as every other
// message about the input does.
struct asgiven {
    frontend ui;
    const std::string &path, &given;
};

void tellasgiven(void *to, const problem &p)
{
    const asgiven &a = *static_cast<const asgiven *>(to);
    problem q = p;
    for (size_t at = 0; !a.path.empty() && (at = q.detail.find(a.path, at)) != std::string::npos;
         at += a.given.size())
        q.detail.replace(at, a.path.size(), a.given);
    a.ui.tell(a.ui.self, q);
}

// A molecule file becomes its description in a temporary file, which goes
// when it is closed: nothing of it stays beside the input.
FILE *imported(const std::string &path, const std::string &given)
{
    FILE *text = scratchfile();
    if (!text) {
        showproblem(consoleui(),
                    filefault(MSG_CANTOPEN, "a temporary file for " + given, errnoreason(errno)));
        return nullptr;
    }
    asgiven names{consoleui(), path, given};
    if (!importer::importinto(path, text, importer::options(), KESTRIX_VERSION, tellasgiven, &names) ||
        std::fseek(text, 0, SEEK_SET) != 0) {
        std::fclose(text);
        return nullptr;
    }
    return text;
}

// A device or a pipe named .krx could feed the reader without end, or never
// open; only a plain file is read. A path that does not exist is left to the
// job, which reports it.
bool notafile(const std::string &path) { return notregular(path.c_str()); }

// A description the programs refuse before reading it: a wrong suffix, a
// path too long, no plain file. Reported; true when refused.
bool refused(const std::string &path, bool check)
{
    if (!krxsuffix(path) && !importer::moleculefile(path)) {
        showproblem(consoleui(), warning(MSG_BADSUFFIX, path));
        return true;
    }
    // Its name goes into the figure file (the mesh's default name); only a
    // check writes none.
    if (!check && hascontrol(path)) {
        showproblem(consoleui(), filefault(MSG_CANTOPEN, printable(path), CONTROLNAME));
        return true;
    }
    if (path.size() >= PATHSIZE || notafile(path)) {
        showproblem(consoleui(),
                    filefault(MSG_CANTOPEN, path,
                              path.size() >= PATHSIZE ? errnoreason(ENAMETOOLONG) : "not a regular file"));
        return true;
    }
    return false;
}

// The settings file: kestrix.ini in the start-up folder when there is one
// (set-ups that keep it there go on working, and it is the one updated),
// else the one in the user's configuration folder, else the start-up
// folder's all the same.
std::string settingsfile()
{
    std::string here = std::string(rootdir) + static_cast<char>(PATHSEP) + "kestrix.ini";
    char user[4096];
    if (pathexists(here.c_str()) || !usersettings(user, sizeof user))
        return here;
    return user;
}

// Remembers the confirmed Poser folder after a successful conversion, when
// it is not the one remembered already. A file that cannot be written is
// named once; later conversions of the run do not try again.
void remember(const optionchooser &answers)
{
    static bool failed = false;
    if (failed || answers.remembered == posername)
        return;
    const char *why = nullptr;
    const char *ini = answers.settings.c_str();
    if (!makeparents(ini, &why)) {
    } else if (writeprofile("poserinfo", "poseraddr", posername, ini, &why))
        return;
    failed = true;
    showproblem(consoleui(), filefault(MSG_CANTREMEMBER, ini, why));
}

int converted(const cliopts &opts, const std::string &path, const std::string &given,
              const std::string &settings, FILE *text);

// One description (or molecule file) through the Poser job, the glTF job or
// the check; 1 when it converted (--check: read without a problem).
int one(const cliopts &opts, const std::string &path, const std::string &given, const std::string &settings)
{
    if (refused(path, opts.check))
        return 0;
    // A molecule file converts as the description kestrix-import would
    // write for it: the same name, the same outputs.
    FILE *text = nullptr;
    std::string description = path;
    if (!krxsuffix(path)) {
        if (!(text = imported(path, given)))
            return 0;
        description = importer::descriptionname(path);
    }
    int s = converted(opts, description, text ? importer::descriptionname(given) : given, settings, text);
    if (text)
        std::fclose(text);
    return s;
}

int converted(const cliopts &opts, const std::string &path, const std::string &given,
              const std::string &settings, FILE *text)
{
    consoledescription(path, given);
    int before = consoleproblems(), warned = consolewarnings(), s;
    if (opts.check) {
        s = checkKRX(path.c_str(), consoleui(), text) && consoleproblems() == before;
        // Silence would leave the user wondering whether anything was read;
        // a long list ends with its count.
        int count = consolewarnings() - warned;
        if (s && !opts.quiet)
            std::printf("kestrix: %s: no problems\n", given.c_str());
        else if (count > 0 && !opts.quiet)
            std::printf("kestrix: %s: %d %s\n", given.c_str(), count, count == 1 ? "warning" : "warnings");
    } else if (opts.glb) {
        s = glbconvert(opts, path, text);
    } else {
        optionchooser answers(opts, path, settings);
        chooser choices = answers.choices();
        s = readKRX(path.c_str(), nullptr, consoleui(), choices, text);
        consoledescription("", "");
        if (s)
            remember(answers);
    }
    consoledescription("", "");
    return s;
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
    // The frame tables' temporary files go where the system keeps them.
    setspillfiles(scratchfile);
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
        std::fprintf(stderr, "kestrix-cli: cannot read the current folder (%s)\n", lastsystemreason());
        return 1;
    }
    consolequiet(opts.quiet);
    if (!opts.style.empty())
        setglbstyle(opts.style.c_str());
    if (!opts.bondcolours.empty())
        setglbbondcolours(opts.bondcolours.c_str());
    // Only a Poser conversion looks at the settings.
    std::string settings = opts.glb || opts.check ? std::string() : settingsfile();
    // Two descriptions of this run may not write one file.
    beginbatch();
    int done = 0, failed = 0;
    for (size_t i = 0; i < opts.files.size(); i++) {
        if (one(opts, opts.files[i], opts.given[i], settings))
            done++;
        else
            failed++;
    }
    if (opts.files.size() > 1 && !opts.quiet) {
        if (opts.check)
            std::printf("kestrix: %d read without a problem, %d with problems\n", done, failed);
        else
            std::printf("kestrix: %d converted, %d failed\n", done, failed);
    }
    return failed ? 1 : 0;
}
