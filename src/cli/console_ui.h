// The console's message boxes (lines on the standard streams) and its
// answers to the Poser job's choices, taken from the command line.
#pragma once

#include <string>

#include "cli/options.h"
#include "job/chooser.h"

// What the jobs are handed: problems and reports as lines on the standard
// streams, and no dialogs.
frontend consoleui();

// With quiet, reports and confirmations are not printed; failures always are.
void consolequiet(bool quiet);

// The description being converted: its absolute path, as the job and the
// reader name it, and the path as the user gave it, which the console shows
// before every failure and warning of its conversion ("" for none).
void consoledescription(const std::string &path, const std::string &given);

// The failures and warnings shown so far.
int consoleproblems();
// How many of them were warnings (the work went on).
int consolewarnings();

// The choices of one description's conversion: the Poser folder from
// --poser or the settings file, the files from --cr2 and --obj or the
// description's name. An existing output is refused, with its message,
// unless --force allows replacing it.
struct optionchooser {
    const cliopts &opts;
    std::string description;
    std::string settings;   // the settings file, shown when no Poser folder is known
    std::string remembered; // the folder it named when the job asked

    optionchooser(const cliopts &o, const std::string &path, const std::string &ini)
        : opts(o), description(path), settings(ini)
    {}
    // The chooser the job is handed; it answers through this object.
    chooser choices();
    int poserfolder(char *file, const char *remembered);
    int cr2file(char *file, const char *folder, int *replace);
    int objfile(char *file, const char *folder, int *replace);

private:
    int outputname(char *file, const char *folder, const std::string &given, const char *suffix,
                   int *replace);
};
