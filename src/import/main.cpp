// kestrix-import: molecule files become kestrix descriptions.
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "run.h"

int main(int argc, char **argv)
{
    // Each import catches its own shortage of memory; this is for the rest.
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        return importer::runimport(args, KESTRIX_VERSION, std::cout, std::cerr);
    } catch (const std::bad_alloc &) {
        std::fputs("kestrix-import: out of memory\n", stderr);
        return importer::EXIT_FAILED;
    }
}
