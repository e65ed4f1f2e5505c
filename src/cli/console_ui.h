// The console's answers to the job's dialogs and its message boxes.
#pragma once

#include "cli/options.h"

// The options and the description the current job converts.
void consolesetup(const cliopts *opts);
void consoledescription(const char *path);
