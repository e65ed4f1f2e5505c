#include "import/readers.h"

#include <cctype>

#include "import/text.h"

namespace importer {

namespace {

std::string lowersuffix(const std::string &name)
{
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string suffix;
    for (size_t i = dot + 1; i < name.size(); i++)
        suffix += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return suffix;
}

} // namespace

std::string withoutgz(const std::string &path)
{
    return lowersuffix(path) == "gz" ? path.substr(0, path.size() - 3) : path;
}

inputformat formatof(const std::string &path)
{
    std::string suffix = lowersuffix(path);
    if (suffix == "gz") {
        std::string inner = path.substr(0, path.size() - 3);
        suffix = lowersuffix(inner);
        if (suffix == "gz")
            return FORMAT_UNKNOWN;
    }
    if (suffix == "xyz")
        return FORMAT_XYZ;
    if (suffix == "pdb" || suffix == "ent")
        return FORMAT_PDB;
    if (suffix == "mol" || suffix == "sdf" || suffix == "sd")
        return FORMAT_MOL;
    if (suffix == "mol2")
        return FORMAT_MOL2;
    if (suffix == "cif" || suffix == "mmcif")
        return FORMAT_CIF;
    if (suffix == "cml")
        return FORMAT_CML;
    return FORMAT_UNKNOWN;
}

int malformed(problem &p, const linesource &in, const std::string &why)
{
    return malformed(p, in.name(), in.lineno(), why);
}

int malformed(problem &p, const linesource &in, int line, const std::string &why)
{
    return malformed(p, in.name(), line, why);
}

int sourceok(const linesource &in, problem &p)
{
    if (in.failed()) {
        p = in.why();
        return 0;
    }
    return 1;
}

int readas(inputformat f, linesource &in, inmolecule &m, const selection &s, problem &p)
{
    collector c(m, s);
    switch (f) {
    case FORMAT_XYZ:
        return readXYZ(in, c, p);
    case FORMAT_PDB:
        return readPDB(in, c, p);
    case FORMAT_MOL:
        return readMOL(in, c, p);
    case FORMAT_MOL2:
        return readMOL2(in, c, p);
    case FORMAT_CIF:
        return readCIF(in, c, p);
    case FORMAT_CML:
        return readCML(in, c, p);
    case FORMAT_UNKNOWN:
        break;
    }
    return fail(p, "unknown format", in.name());
}

int readinput(const std::string &path, inmolecule &m, const selection &s, problem &p)
{
    std::unique_ptr<linesource> in;
    return opensource(path, in, p) && readas(formatof(path), *in, m, s, p);
}

} // namespace importer
