// The importer on real files: every molecule file named on the command line
// (the examples and data Debian's chemistry packages ship, found by
// samples.sh) is read as kestrix-import reads it. Prints how many import,
// why the others do not, and, for files that give their own bonds (bond
// blocks, CONECT), whether the bonds found from distances alone, with the
// valence check, are the file's own. Exit status 1 if a file fails for another reason than
// a fault of the file itself (broken syntax, no atoms, two atoms at one
// place, a coordinate that is no number), or if a file's own bonds are not
// those its distances give.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "import/bonds.h"
#include "import/readers.h"
#include "import/text.h"

using namespace importer;

namespace {

struct tally {
    int files = 0, imported = 0, toomany = 0, selfbonds = 0, selfsame = 0;
    std::map<std::string, int> failed;
};

} // namespace

int main(int argc, char **argv)
{
    tally t;
    int unexpected = 0;
    for (int i = 1; i < argc; i++) {
        std::string path = argv[i];
        t.files++;
        inmolecule m;
        problem p;
        if (!readinput(path, m, p)) {
            std::printf("not read: %s: %s\n", p.what.c_str(), p.detail.c_str());
            t.failed[p.what]++;
            unexpected +=
                p.what != "no atoms" && p.what != "malformed file" && p.what != "coordinate out of range";
            continue;
        }
        if (m.kept > 1024 || m.atoms.empty()) {
            t.toomany += m.kept > 1024;
            if (m.atoms.empty())
                t.failed["no atoms kept"]++;
            continue;
        }
        bondlist bonds;
        if (!findbonds(m, path, bonds, p)) {
            std::printf("not read: %s: %s\n", p.what.c_str(), p.detail.c_str());
            t.failed[p.what]++;
            unexpected += p.what != "atoms too close";
            continue;
        }
        t.imported++;
        if (!m.bonds.empty() && !m.perceive) {
            // The file's own bonds against those its distances give.
            inmolecule d = m;
            d.bonds.clear();
            d.perceive = 1;
            bondlist found;
            t.selfbonds++;
            if (findbonds(d, path, found, p) && found == bonds)
                t.selfsame++;
            else if (++unexpected)
                std::printf("own bonds differ: %s: the file gives %zu, distances give %zu\n", path.c_str(),
                            bonds.size(), found.size());
        }
    }
    std::printf("%d files: %d imported, %d over 1024 atoms", t.files, t.imported, t.toomany);
    for (const auto &f : t.failed)
        std::printf(", %d %s", f.second, f.first.c_str());
    std::printf("\nfiles with their own bonds: %d, of which %d get exactly those from distances\n",
                t.selfbonds, t.selfsame);
    return unexpected ? 1 : 0;
}
