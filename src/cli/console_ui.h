// The console's message boxes (lines on the standard streams) and its
// answers to the Poser job's choices, taken from the command line.
#pragma once

#include <string>

#include "cli/options.h"
#include "job/chooser.h"

// With quiet, reports and confirmations are not printed; failures always are.
void consolequiet(bool quiet);

// The choices of one description's conversion: the Poser folder from
// --poser or kestrix.ini, the files from --cr2 and --obj or the
// description's name. An existing output is refused, with its message,
// unless --force allows replacing it.
struct optionchooser final : chooser {
    const cliopts &opts;
    std::string description;

    optionchooser(const cliopts &o, const std::string &path) : opts(o), description(path) {}
    int poserfolder(char *file, const char *remembered) override;
    int cr2file(char *file, const char *folder, int *replace) override;
    int objfile(char *file, const char *folder, int *replace) override;

private:
    int outputname(char *file, const char *folder, const std::string &given, const char *suffix,
                   int *replace);
};
