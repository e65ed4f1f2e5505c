#include "readers.h"

#include <cctype>

#include "text.h"

namespace importer {

inputformat formatof(const std::string &path)
{
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FORMAT_UNKNOWN;
    std::string suffix;
    for (size_t i = dot + 1; i < path.size(); i++)
        suffix += (char)std::tolower((unsigned char)path[i]);
    if (suffix == "xyz")
        return FORMAT_XYZ;
    if (suffix == "pdb" || suffix == "ent")
        return FORMAT_PDB;
    if (suffix == "mol" || suffix == "sdf" || suffix == "sd")
        return FORMAT_MOL;
    return FORMAT_UNKNOWN;
}

int readas(inputformat f, const std::string &path, const std::vector<std::string> &lines, inmolecule &m,
           problem &p)
{
    return f == FORMAT_XYZ ? readXYZ(path, lines, m, p)
           : f == FORMAT_PDB ? readPDB(path, lines, m, p)
                             : readMOL(path, lines, m, p);
}

int readinput(const std::string &path, inmolecule &m, problem &p)
{
    std::vector<std::string> lines;
    return readlines(path, lines, p) && readas(formatof(path), path, lines, m, p);
}

} // namespace importer
