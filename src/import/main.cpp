// kestrix-import: XYZ, PDB and MOL/SDF files become kestrix descriptions.
#include <iostream>
#include <string>
#include <vector>

#include "run.h"
#include "base/version.h"

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return importer::runimport(args, KESTRIX_VERSION, std::cout, std::cerr);
}
