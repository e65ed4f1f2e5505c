// The importer's readers on arbitrary bytes: the first byte picks the
// format, the second the selection, the rest is the file. Besides the
// sanitizers' own checks it traps on any broken promise of a reader (atoms
// beyond the limit, a bond to an atom that is not there, a census that does
// not add up), of the bond search (pairs out of order or twice) or of the
// description written from them (a line the description reader would cut).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "import/bonds.h"
#include "import/krx.h"
#include "import/readers.h"
#include "import/source.h"
#include "import/tree.h"

using namespace importer;

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

const inputformat FORMATS[] = {FORMAT_XYZ, FORMAT_PDB, FORMAT_MOL, FORMAT_MOL2, FORMAT_CIF, FORMAT_CML};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    inputformat f = FORMATS[data[0] % 6];
    selection s;
    s.nohydrogens = data[1] & 1;
    s.nowater = data[1] & 2;
    s.model = (data[1] >> 2) & 3;
    if (data[1] & 16)
        s.chains = {"A"};
    // A small limit reaches the counting beyond it with small inputs.
    s.limit = data[1] & 32 ? 4 : 1024;
    std::unique_ptr<linesource> in =
        textsource("fuzz", std::string(reinterpret_cast<const char *>(data) + 2, size - 2));
    inmolecule m;
    problem p;
    if (!readas(f, *in, m, s, p)) {
        check(!p.what.empty());
        return 0;
    }
    check(m.atoms.size() <= s.limit);
    check(m.kept >= 0 && static_cast<size_t>(m.kept) >= m.atoms.size());
    check(m.kept <= static_cast<long>(s.limit) ? static_cast<size_t>(m.kept) == m.atoms.size()
                                               : m.atoms.size() == s.limit);
    check(keptby(m, s) == m.kept);
    for (const auto &b : m.bonds)
        check(b.first >= 0 && b.second >= 0 && static_cast<size_t>(b.first) < m.atoms.size() &&
              static_cast<size_t>(b.second) < m.atoms.size() && b.first != b.second);
    if (m.atoms.empty() || m.kept > static_cast<long>(s.limit))
        return 0;

    bondlist bonds;
    if (!findbonds(m, "fuzz", bonds, p)) {
        check(p.what == "atoms too close");
        return 0;
    }
    for (size_t i = 0; i < bonds.size(); i++) {
        check(bonds[i].first < bonds[i].second && static_cast<size_t>(bonds[i].second) < m.atoms.size());
        if (i > 0)
            check(bonds[i - 1] < bonds[i]);
    }
    atomtree t;
    buildtree(m, bonds, -1, t);
    krxsettings k;
    k.name = "fuzz";
    k.source = "fuzz";
    k.tool = "kestrix-import fuzz";
    std::string text;
    if (writekrx(m, bonds, t, k, text, p)) {
        check(!text.empty() && text.back() == '\n');
    } else {
        check(p.what == "line too long");
    }
    return 0;
}
