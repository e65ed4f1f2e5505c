// The user interface of the fuzz target and its replay runner: every message
// is swallowed and every dialog is cancelled. The target never runs the
// dialog part of a job, so no dialog should open at all.
#include <cstdlib>

#include "job/ui.h"

void showproblem(window, const problem &) {}

int GetFileName(window, char *, const char *, const char *, const char *, int)
{
    // A dialog here means the target reached code it does not mean to run.
    std::abort();
}

int askyesno(window, const char *, const char *) { std::abort(); }
