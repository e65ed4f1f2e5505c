#include "cli/options.h"

#include <cstdlib>
#include <cstring>

#include "base/nocase.h"
#include "base/printable.h"
#include "job/glbstyle.h"
#include "platform/folders.h"

const char CONTROLNAME[] = "a control character in the name: a figure file holds each name on one line";

const char USAGE[] =
    "usage: kestrix-cli [--poser DIR] [--cr2 FILE] [--obj FILE] [--force] [--quiet] DESCRIPTION.krx...\n"
    "       kestrix-cli --glb [-o FILE.glb] [--style STYLE] [--bond-colours bond|atoms] [--fps F] [--force]\n"
    "                   [--quiet] DESCRIPTION.krx...\n"
    "       kestrix-cli --check DESCRIPTION.krx...\n";

namespace {

bool hasfolder(const std::string &path)
{
    for (char c : path)
        if (isseparator(c) || c == '/')
            return true;
    return false;
}

// Every path is fixed against the start-up folder before any job runs, so
// that messages and the job's reports name each file in full.
bool absolute(const std::string &in, std::string *out, std::string *err)
{
    char buf[4096];
    const char *why = nullptr;
    if (!abspath(in.c_str(), buf, sizeof buf, &why)) {
        *err = printable(in) + ": " + (why ? why : "file name too long");
        return false;
    }
    *out = buf;
    // "DIR/" and "DIR" name the same folder; the job cuts at the last separator.
    while (out->size() > 1 && isseparator(out->back()) && (*out)[out->size() - 2] != ':')
        out->pop_back();
    return true;
}

// "--name VALUE" or "--name=VALUE".
bool valueof(const char *name, int argc, char **argv, int *i, std::string *value, std::string *err)
{
    const char *arg = argv[*i];
    size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0)
        return false;
    if (arg[n] == '=') {
        *value = arg + n + 1;
    } else if (arg[n] == '\0') {
        if (*i + 1 >= argc) {
            *err = std::string(name) + " needs a value";
            *value = "";
            return true;
        }
        // "-o --help" is a forgotten value far more often than a file named
        // "--help": such a value must be written "-o=--help".
        const char *next = argv[*i + 1];
        if (next[0] == '-' && next[1] != '\0') {
            *err = std::string(name) + " needs a value (write " + name + "=" + next +
                   " for a value that starts with -)";
            *value = "";
            ++*i;
            return true;
        }
        *value = argv[++*i];
    } else {
        return false;
    }
    if (value->empty() && err->empty())
        *err = std::string(name) + " needs a value";
    return true;
}

// A file or folder named with a control character: the figure file and the
// settings file hold each name on one line, which a line feed or carriage
// return would break (and an escape would reach a terminal). Refused before
// anything is written.
bool controlname(const char *option, const std::string &value, std::string *err)
{
    if (!hascontrol(value))
        return false;
    *err = std::string(option) + " " + printable(value) + ": " + CONTROLNAME;
    return true;
}

// --glb and -o: the glTF figure involves no Poser folder or file names.
bool glboptions(cliopts *opts, const std::string &poser, const std::string &cr2, const std::string &obj,
                const std::string &out, std::string *err)
{
    if (!out.empty() && !opts->glb) {
        *err = "-o goes with --glb";
        return false;
    }
    if (opts->glb && (!poser.empty() || !cr2.empty() || !obj.empty())) {
        *err = "--glb writes no Poser files: --poser, --cr2 and --obj do not go with it";
        return false;
    }
    if (!out.empty() && opts->files.size() > 1) {
        *err = "-o goes with one description only";
        return false;
    }
    if (!out.empty() && !absolute(out, &opts->out, err))
        return false;
    // As --cr2 and --obj do: "-o water" writes water.glb. A name ending in
    // .krx is kept as given, so that one naming the description is refused
    // as such.
    if (!opts->out.empty() && !endsnocase(opts->out.c_str(), ".glb") &&
        !endsnocase(opts->out.c_str(), ".krx"))
        opts->out += ".glb";
    return true;
}

} // namespace

int parseoptions(int argc, char **argv, cliopts *opts, std::string *err)
{
    bool endofoptions = false;
    std::string poser, cr2, obj, out, style, fps, colours;
    bool styled = false, coloured = false;
    for (int i = 1; i < argc && err->empty(); i++) {
        const char *arg = argv[i];
        if (endofoptions || arg[0] != '-' || arg[1] == '\0') {
            std::string path;
            absolute(arg, &path, err);
            opts->files.push_back(path);
            opts->given.push_back(arg);
        } else if (std::strcmp(arg, "--") == 0) {
            endofoptions = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            opts->help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            opts->version = true;
        } else if (std::strcmp(arg, "--force") == 0) {
            opts->force = true;
        } else if (std::strcmp(arg, "--quiet") == 0 || std::strcmp(arg, "-q") == 0) {
            opts->quiet = true;
        } else if (std::strcmp(arg, "--glb") == 0) {
            opts->glb = true;
        } else if (std::strcmp(arg, "--check") == 0) {
            opts->check = true;
        } else if (valueof("--poser", argc, argv, &i, &poser, err) ||
                   valueof("--cr2", argc, argv, &i, &cr2, err) ||
                   valueof("--obj", argc, argv, &i, &obj, err) || valueof("-o", argc, argv, &i, &out, err)) {
        } else if (valueof("--style", argc, argv, &i, &style, err)) {
            styled = true;
        } else if (valueof("--bond-colours", argc, argv, &i, &colours, err)) {
            coloured = true;
        } else if (valueof("--fps", argc, argv, &i, &fps, err)) {
            // Whole frames per second, 1 to 1000: a key time is then exact
            // enough for every frame of a long trajectory.
            char *end = nullptr;
            long v = std::strtol(fps.c_str(), &end, 10);
            if (err->empty() && (end == fps.c_str() || *end || v < 1 || v > 1000))
                *err = "--fps " + fps + " (a whole number of frames per second, 1 to 1000)";
            opts->fps = static_cast<double>(v);
        } else {
            *err = std::string("unknown option ") + arg;
        }
    }
    if (!err->empty())
        return 0;
    if (opts->help || opts->version)
        return 1;
    if (opts->files.empty()) {
        *err = "no description given";
        return 0;
    }
    if (opts->check &&
        (opts->glb || opts->force || !poser.empty() || !cr2.empty() || !obj.empty() || !out.empty())) {
        *err = "--check writes nothing: --glb, -o, --poser, --cr2, --obj and --force do not go with it";
        return 0;
    }
    if (controlname("--poser", poser, err) || controlname("--cr2", cr2, err) ||
        controlname("--obj", obj, err) || controlname("-o", out, err))
        return 0;
    if (!glboptions(opts, poser, cr2, obj, out, err))
        return 0;
    // Only the glTF figure is animated so far.
    if (!fps.empty() && !opts->glb) {
        *err = "--fps goes with --glb";
        return 0;
    }
    // The style shapes the glTF figure only; the Poser files have one look.
    if (styled && !opts->glb) {
        *err = "--style shapes the .glb only: it goes with --glb";
        return 0;
    }
    if (styled && !isglbstyle(style.c_str())) {
        *err = "--style is ball-and-stick, spacefill or sticks, not " + style;
        return 0;
    }
    opts->style = style;
    if (coloured && !opts->glb) {
        *err = "--bond-colours shapes the .glb only: it goes with --glb";
        return 0;
    }
    if (coloured && !isglbbondcolours(colours.c_str())) {
        *err = "--bond-colours is bond or atoms, not " + colours;
        return 0;
    }
    opts->bondcolours = colours;
    if ((!cr2.empty() || !obj.empty()) && opts->files.size() > 1) {
        *err = "--cr2 and --obj go with one description only";
        return 0;
    }
    if (!poser.empty() && !absolute(poser, &opts->poser, err))
        return 0;
    // A bare output name goes into its default folder; one with a folder
    // part is taken as given.
    opts->cr2 = cr2;
    opts->obj = obj;
    if ((hasfolder(cr2) && !absolute(cr2, &opts->cr2, err)) ||
        (hasfolder(obj) && !absolute(obj, &opts->obj, err)))
        return 0;
    return 1;
}
