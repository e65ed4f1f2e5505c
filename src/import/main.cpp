// kestrix-import: molecule files become kestrix descriptions.
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "platform/outfile.h"
#include "platform/scratch.h"
#include "platform/standard.h"
#include "import/run.h"
#include "base/spill.h"
#include "base/version.h"

int main(int argc, char **argv)
{
    // Before anything opens a file: a closed standard stream would make the
    // first output file standard error.
    openstandardstreams();
    // Interrupted: the temporary file under way goes, then the signal ends
    // the program as it would have.
    catchinterrupts();
    // The frame tables' temporary files go where the system keeps them.
    setspillfiles(scratchfile);
    // Each import catches its own shortage of memory; this is for the rest.
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        return importer::runimport(args, KESTRIX_VERSION, std::cout, std::cerr);
    } catch (const std::bad_alloc &) {
        std::fputs("kestrix-import: out of memory\n", stderr);
        return importer::EXIT_FAILED;
    }
}
