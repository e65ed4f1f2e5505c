// MOL2 residue labels name the chain the SUBSTRUCTURE section gives each
// substructure, as those of the PDB file the MOL2 was made from do; a
// missing column, "****" or a substructure the section lacks is the blank
// chain.
#include <gtest/gtest.h>

#include <sstream>

#include "import/run.h"
#include "support/testutil.h"

using namespace importer;

namespace {

const char *const ATOMS =
    "@<TRIPOS>ATOM\n"
    "1 N -1.450 0.000 0.000 N.am 1 GLY1 0.0\n"
    "2 CA 0.000 0.000 0.000 C.3 1 GLY1 0.0\n"
    "3 N 1.450 0.000 0.000 N.am 2 ALA2 0.0\n"
    "4 CB 2.900 0.000 0.000 C.3 2 ALA2 0.0\n"
    "@<TRIPOS>BOND\n"
    "1 1 2 1\n"
    "2 2 3 1\n"
    "3 3 4 1\n";

// The residue labels of the description written for a MOL2 text.
std::string residuelines(const std::string &mol2)
{
    std::string dir = tempfolder();
    writefile(dir + "/pep.mol2", mol2);
    std::ostringstream o, e;
    EXPECT_EQ(runimport({"-o", dir + "/pep.krx", dir + "/pep.mol2"}, "9.9.9", o, e), 0) << e.str();
    std::istringstream in(readfile(dir + "/pep.krx"));
    std::string lines;
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 12, "//@ residue ") == 0)
            lines += line.substr(12) + "\n";
    return lines;
}

} // namespace

TEST(Mol2, ResidueLabelsNameTheSubstructuresChain)
{
    const std::string head = "@<TRIPOS>MOLECULE\npep\n4 3\n";
    const std::string sub = "@<TRIPOS>SUBSTRUCTURE\n";
    struct {
        const char *what;
        std::string mol2, labels;
    } cases[] = {
        {"a chain each", head + ATOMS + sub + "1 GLY1 1 RESIDUE 1 A GLY 1 ROOT\n2 ALA2 3 RESIDUE 1 B ALA 1\n",
         "C1 GLY 1 A CA\nN1 GLY 1 A N\nN2 ALA 2 B N\nC2 ALA 2 B CB\n"},
        {"the section before the atoms",
         head + sub + "1 GLY1 1 RESIDUE 1 A GLY 1 ROOT\n2 ALA2 3 RESIDUE 1 B ALA 1\n" + ATOMS,
         "C1 GLY 1 A CA\nN1 GLY 1 A N\nN2 ALA 2 B N\nC2 ALA 2 B CB\n"},
        {"no chain column", head + ATOMS + sub + "1 GLY1 1 RESIDUE 1\n2 ALA2 3\n",
         "C1 GLY 1 - CA\nN1 GLY 1 - N\nN2 ALA 2 - N\nC2 ALA 2 - CB\n"},
        {"****", head + ATOMS + sub + "1 GLY1 1 RESIDUE 1 **** GLY\n2 ALA2 3 RESIDUE 1 B ALA\n",
         "C1 GLY 1 - CA\nN1 GLY 1 - N\nN2 ALA 2 B N\nC2 ALA 2 B CB\n"},
        {"a substructure the section lacks", head + ATOMS + sub + "2 ALA2 3 RESIDUE 1 B ALA\n",
         "C1 GLY 1 - CA\nN1 GLY 1 - N\nN2 ALA 2 B N\nC2 ALA 2 B CB\n"},
        // Each molecule of a conformer set has its own section; the labels
        // are the first's.
        {"a conformer set",
         head + ATOMS + sub + "1 GLY1 1 RESIDUE 1 A GLY\n2 ALA2 3 RESIDUE 1 B ALA\n" + head + ATOMS + sub +
             "1 GLY1 1 RESIDUE 1 Y GLY\n2 ALA2 3 RESIDUE 1 Z ALA\n",
         "C1 GLY 1 A CA\nN1 GLY 1 A N\nN2 ALA 2 B N\nC2 ALA 2 B CB\n"},
        {"no SUBSTRUCTURE section", head + ATOMS,
         "C1 GLY 1 - CA\nN1 GLY 1 - N\nN2 ALA 2 - N\nC2 ALA 2 - CB\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(residuelines(c.mol2), c.labels) << c.what;
}
