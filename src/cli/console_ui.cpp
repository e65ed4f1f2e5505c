// Problems and reports become lines on the standard streams ("kestrix:
// FILE:LINE: CAPTION: TEXT"), and each choice of the Poser job is answered
// from the command line.
#include "cli/console_ui.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/messages.h"
#include "base/paths.h"
#include "base/printable.h"
#include "base/suffix.h"
#include "job/ui.h"
#include "platform/folders.h"
#include "platform/outfile.h"

namespace {

bool quietly = false;
std::string current, currentgiven; // the description being converted
int problems = 0;
// The Poser folder as the run last confirmed it, and whether this
// description's folder came from the settings: a batch says it once, and a
// folder the settings gave as before goes without saying.
std::string confirmedfolder;
bool remembereduse = false;
std::string warnedfolder;
int warnings = 0;    // of problems, those the work went on after
bool hinted = false; // the first-run hint has been given

void tellconsole(void *, const problem &p);

void warn(const std::string &what, const std::string &detail) { tellconsole(nullptr, warning(what, detail)); }

// Fills the dialog's 256-character buffer; a path that does not fit is
// refused, as the dialog would refuse it.
int answer(char *file, const std::string &path)
{
    if (path.size() >= PATHSIZE) {
        warn("this path is too long", path);
        return 0;
    }
    std::memcpy(file, path.c_str(), path.size() + 1);
    return 1;
}

// The file name the desktop's save dialog would offer: the description's,
// with suffix for its own.
std::string defaultname(const std::string &description, const char *suffix)
{
    std::string base = description;
    size_t cut = base.find_last_of(PATHSEP == '/' ? "/" : "\\/");
    if (cut != std::string::npos)
        base = base.substr(cut + 1);
    std::string name(base.size() + std::strlen(suffix) + 1, '\0');
    swapsuffix(&name[0], name.size(), base.c_str(), ".krx", suffix); // always fits
    name.resize(std::strlen(name.c_str()));
    return name;
}

// "FILE:LINE: " for a problem found in a description (the path as the user
// gave it), "FILE: " for any other failure of a description's conversion,
// so that the failure names it; "" for the rest.
std::string location(const problem &p)
{
    std::string where;
    if (!p.file.empty())
        where = p.file == current ? currentgiven : p.file;
    else if (!current.empty() && (p.type & KMB_ICONWARNING))
        where = currentgiven;
    if (where.empty())
        return where;
    if (p.line > 0)
        where += ":" + std::to_string(p.line);
    return printable(where) + ": ";
}

void printlines(FILE *out, const std::string &where, const char *caption, const char *text)
{
    std::string t = text;
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    // One write per message: standard error is unbuffered, and a description
    // can draw a warning for every 254-character piece of a huge line.
    std::string msg = "kestrix: " + where + caption + ": ";
    for (char c : printable(t, true)) {
        msg += c;
        if (c == '\n')
            msg += "    ";
    }
    msg += '\n';
    std::fwrite(msg.data(), 1, msg.size(), out);
    std::fflush(out);
}

} // namespace

int optionchooser::poserfolder(char *file, const char *known)
{
    remembered = known;
    std::string folder = opts.poser.empty() ? remembered : opts.poser;
    if (folder.empty()) {
        // The whole hint once a run; the later descriptions of a batch fail
        // with the short form, one line each.
        warn("I don't know where Poser is installed",
             hinted ? "give its folder with --poser DIR"
                    : "give its folder with --poser DIR; it is then remembered in " + settings);
        hinted = true;
        return -1;
    }
    // A folder remembered with a control character (a settings file edited
    // by hand) would break the figure file's lines.
    if (hascontrol(folder)) {
        warn("the Poser folder's name holds a control character", folder);
        return -1;
    }
    // The desktop dialog only returns existing files. A folder that cannot
    // be looked at (a parent that may not be searched) says why.
    const char *why = nullptr;
    int there = lookup(folder.c_str(), &why);
    if (there == 0) {
        warn("there is no folder", folder);
        return -1;
    }
    if (there < 0) {
        tellconsole(nullptr, filefault("I can't look at this folder", folder, why));
        return -1;
    }
    // Poser.exe given for its folder, as the desktop's dialog asks for it.
    if (!isfolder(folder.c_str())) {
        size_t cut = folder.size();
        while (cut > 0 && !isseparator(folder[cut - 1]))
            cut--;
        std::string parent = cut == 0 ? "." : cut == 1 ? folder.substr(0, 1) : folder.substr(0, cut - 1);
        warn("this is a file, not the Poser folder", folder + " (give its folder: " + parent + ")");
        return -1;
    }
    // A wrong folder would get its own Runtime tree, where Poser never
    // looks: said once a run, the conversion goes on.
    std::string runtime = folder + static_cast<char>(PATHSEP) + "Runtime";
    if (!isfolder(runtime.c_str()) && warnedfolder != folder) {
        problem p =
            warning("this folder does not look like a Poser installation (it has no Runtime folder)", folder);
        p.nonfatal = true;
        tellconsole(nullptr, p);
        warnedfolder = folder;
    }
    remembereduse = opts.poser.empty();
    // The job takes the folder that holds the chosen file.
    return answer(file, folder + static_cast<char>(PATHSEP)) ? 1 : -1;
}

int optionchooser::cr2file(char *file, const char *folder, int *replace)
{
    return outputname(file, folder, opts.cr2, ".cr2", replace);
}

int optionchooser::objfile(char *file, const char *folder, int *replace)
{
    return outputname(file, folder, opts.obj, ".obj", replace);
}

int optionchooser::outputname(char *file, const char *folder, const std::string &given, const char *suffix,
                              int *replace)
{
    std::string name = given.empty() ? defaultname(description, suffix) : given;
    bool hasfolder = false;
    for (char c : name)
        hasfolder = hasfolder || isseparator(c) || c == '/';
    if (!hasfolder)
        name = std::string(folder) + static_cast<char>(PATHSEP) + name;
    if (!answer(file, name))
        return 0;
    // The desktop's save dialog asks before replacing a file; here only
    // --force replaces one.
    *replace = opts.force;
    char target[PATHSIZE];
    std::snprintf(target, sizeof target, "%s", file);
    if (!addsuffix(target, sizeof target, suffix))
        return 1; // too long for its suffix: the job refuses it
    // A file an earlier description of this run wrote is a clash, which the
    // job names, with or without --force.
    if (!opts.force && pathexists(target) && !claimedoutput(target)) {
        warn(MSG_EXISTS, target);
        return 0;
    }
    return 1;
}

chooser optionchooser::choices()
{
    return chooser{
        this,
        [](void *self, char *file, const char *remembered) {
            return static_cast<optionchooser *>(self)->poserfolder(file, remembered);
        },
        [](void *self, char *file, const char *folder, int *replace) {
            return static_cast<optionchooser *>(self)->cr2file(file, folder, replace);
        },
        [](void *self, char *file, const char *folder, int *replace) {
            return static_cast<optionchooser *>(self)->objfile(file, folder, replace);
        },
        settings.c_str(),
        0, // the console remembers the folder after a success only
    };
}

void consolequiet(bool quiet) { quietly = quiet; }

void consoledescription(const std::string &path, const std::string &given)
{
    current = path;
    currentgiven = given;
}

int consoleproblems() { return problems; }

int consolewarnings() { return warnings; }

namespace {

void tellconsole(void *, const problem &p)
{
    std::string text = p.detail;
    if (!p.reason.empty())
        text = text + " (" + p.reason + ")";
    if (p.what == MSG_POSERAT) {
        if (remembereduse || p.detail == confirmedfolder)
            return;
        confirmedfolder = p.detail;
    }
    // Failures and warnings go to standard error; reports and
    // confirmations to standard output, unless --quiet.
    if (p.type & KMB_ICONWARNING) {
        problems++;
        if (p.nonfatal)
            warnings++;
        printlines(stderr, location(p) + (p.nonfatal ? "warning: " : ""), p.what.c_str(), text.c_str());
    } else if (!quietly) {
        printlines(stdout, location(p), p.what.c_str(), text.c_str());
    }
}

} // namespace

// No dialogs: the console answers the job's choices from its options.
frontend consoleui() { return frontend{nullptr, tellconsole, nullptr, nullptr}; }
