#include "readers.h"

#include <cctype>

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

} // namespace importer
