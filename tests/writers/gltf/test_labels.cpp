// Residue labels from a PDB and an mmCIF file through kestrix-import and
// kestrix-cli --glb: every atom's joint carries its residue name and
// number, chain and file atom name as the file shows them (for mmCIF the
// author columns), read back from the .glb; a description without labels
// gets no extras.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "glbreader.h"
#include "glbtestutil.h"
#include "import/run.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

// One atom of the fragment as a PDB file writes it.
struct site {
    const char *record, *name, *residue, *chain;
    long number;
    char icode;
    const char *element;
};

// A serine and a phenylalanine of chain A, a glycine with insertion code
// 53A, an inhibitor (residue name 478) and a water numbered -1 on the blank
// chain: 20 atoms.
const site FRAGMENT[] = {
    {"ATOM", "N", "SER", "A", 52, ' ', "N"},    {"ATOM", "CA", "SER", "A", 52, ' ', "C"},
    {"ATOM", "C", "SER", "A", 52, ' ', "C"},    {"ATOM", "O", "SER", "A", 52, ' ', "O"},
    {"ATOM", "CB", "SER", "A", 52, ' ', "C"},   {"ATOM", "OG", "SER", "A", 52, ' ', "O"},
    {"ATOM", "N", "PHE", "A", 53, ' ', "N"},    {"ATOM", "CA", "PHE", "A", 53, ' ', "C"},
    {"ATOM", "C", "PHE", "A", 53, ' ', "C"},    {"ATOM", "O", "PHE", "A", 53, ' ', "O"},
    {"ATOM", "CB", "PHE", "A", 53, ' ', "C"},   {"ATOM", "CG", "PHE", "A", 53, ' ', "C"},
    {"ATOM", "N", "GLY", "A", 53, 'A', "N"},    {"ATOM", "CA", "GLY", "A", 53, 'A', "C"},
    {"ATOM", "C", "GLY", "A", 53, 'A', "C"},    {"ATOM", "O", "GLY", "A", 53, 'A', "O"},
    {"HETATM", "C1", "478", "", 478, ' ', "C"}, {"HETATM", "O1'", "478", "", 478, ' ', "O"},
    {"HETATM", "N1", "478", "", 478, ' ', "N"}, {"HETATM", "O", "HOH", "", -1, ' ', "O"},
};
const int NSITES = sizeof FRAGMENT / sizeof FRAGMENT[0];

// Atom k's place: a zigzag 1.5 A a step, no two atoms too close.
double placeof(int k, int axis) { return axis == 0 ? 1.5 * k : axis == 1 ? 0.8 * (k % 2) : 0.0; }

std::string pdbof()
{
    std::string text;
    char line[96];
    for (int k = 0; k < NSITES; k++) {
        const site &s = FRAGMENT[k];
        // Names of one to three letters start in column 14.
        std::string name = std::string(s.name).size() < 4 ? std::string(" ") + s.name : s.name;
        std::snprintf(line, sizeof line,
                      "%-6s%5d %-4s %3s %1s%4ld%c   %8.3f%8.3f%8.3f  1.00  0.00          %2s\n", s.record,
                      k + 1, name.c_str(), s.residue, s.chain, s.number, s.icode, placeof(k, 0),
                      placeof(k, 1), placeof(k, 2), s.element);
        text += line;
    }
    return text + "END\n";
}

// The same atoms as an mmCIF file whose label columns differ from the
// author columns: the chain ids, numbers and atom names that PDB files
// show are the author ones. Its blank-chain atoms are chain B there.
std::string mmcifof()
{
    std::string text = "data_frag\nloop_\n";
    for (const char *column :
         {"group_PDB", "id", "type_symbol", "label_atom_id", "label_alt_id", "label_comp_id", "label_asym_id",
          "label_seq_id", "pdbx_PDB_ins_code", "Cartn_x", "Cartn_y", "Cartn_z", "occupancy", "B_iso_or_equiv",
          "auth_seq_id", "auth_comp_id", "auth_asym_id", "auth_atom_id", "pdbx_PDB_model_num"})
        text += std::string("_atom_site.") + column + "\n";
    char line[256];
    for (int k = 0; k < NSITES; k++) {
        const site &s = FRAGMENT[k];
        const char *chain = s.chain[0] ? s.chain : "B";
        std::string icode = s.icode == ' ' ? "?" : std::string(1, s.icode);
        std::string name = std::string(s.name).find('\'') != std::string::npos
                               ? std::string("\"") + s.name + "\""
                               : std::string(s.name);
        std::snprintf(line, sizeof line, "%s %d %s %s . %s X%s %d %s %.3f %.3f %.3f 1 0 %ld %s %s %s 1\n",
                      s.record, k + 1, s.element, name.c_str(), s.residue, chain, k / 4 + 1, icode.c_str(),
                      placeof(k, 0), placeof(k, 1), placeof(k, 2), s.number, s.residue, chain, name.c_str());
        text += line;
    }
    return text;
}

struct labelcase {
    const char *file;
    std::string (*text)();
    const char *blankchain; // the chain the blank-chain atoms are on
};

void PrintTo(const labelcase &c, std::ostream *os) { *os << c.file; }

class Labels : public ::testing::TestWithParam<labelcase> {};

// Imports the file, reads the description as a job does and writes its
// figure: the nodes of the .glb.
jvalue nodesof(const std::string &path, std::string *description)
{
    std::string krx = tempfolder() + "/labels.krx";
    std::ostringstream o, e;
    EXPECT_EQ(importer::runimport({"--force", "-o", krx, path}, "9.9.9", o, e), 0) << e.str();
    *description = readfile(krx);
    scripted::clear();
    EXPECT_EQ(readtext(*description), 1);
    EXPECT_TRUE(scripted::consolewarnings.empty());
    glbfile f = writeandread();
    return f.json["nodes"];
}

TEST_P(Labels, EveryJointCarriesItsAtomsResidueChainAndName)
{
    const labelcase &c = GetParam();
    std::string path = tempfolder() + "/" + c.file;
    writefile(path, c.text());
    std::string description;
    jvalue nodes = nodesof(path, &description);
    // The importer names atoms by element in file order: N1, C1, C2, O1...
    std::map<std::string, int> counts;
    int checked = 0;
    for (int k = 0; k < NSITES; k++) {
        const site &s = FRAGMENT[k];
        std::string name = std::string(s.element) + std::to_string(++counts[s.element]);
        const jvalue *node = nullptr;
        for (size_t n = 0; n < nodes.size(); n++)
            if (nodes[n]["name"].text == name)
                node = &nodes[n];
        ASSERT_NE(node, nullptr) << name;
        const jvalue &x = (*node)["extras"];
        SCOPED_TRACE(name);
        EXPECT_EQ(x["residue"].text, s.residue);
        EXPECT_EQ(x["residue_number"].type, jvalue::NUMBER);
        EXPECT_EQ(x["residue_number"].number, s.number);
        EXPECT_EQ(x["chain"].text, s.chain[0] ? s.chain : c.blankchain);
        EXPECT_EQ(x["atom"].text, s.name);
        EXPECT_EQ(x["insertion_code"].text, s.icode == ' ' ? "" : std::string(1, s.icode));
        EXPECT_EQ(x.has("insertion_code"), s.icode != ' ');
        checked++;
    }
    EXPECT_EQ(checked, 20);
    // The tips carry none.
    for (size_t n = 0; n < nodes.size(); n++) {
        bool tip = nodes[n]["name"].text.find(".tip") != std::string::npos;
        EXPECT_FALSE(tip && nodes[n].has("extras")) << nodes[n]["name"].text;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Labels,
                         ::testing::Values(labelcase{"fragment.pdb", pdbof, ""},
                                           labelcase{"fragment.cif", mmcifof, "B"}),
                         [](const ::testing::TestParamInfo<labelcase> &i) {
                             return std::string(i.param.file).find(".pdb") != std::string::npos ? "Pdb"
                                                                                                : "Mmcif";
                         });

// A description without labels, and the same atoms from an XYZ file: no
// node carries extras, so every figure written before is unchanged.
TEST(Labels, NoneWithoutResidues)
{
    std::string path = tempfolder() + "/plain.xyz";
    writefile(path, "3\nwater\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n");
    std::string description;
    jvalue nodes = nodesof(path, &description);
    EXPECT_EQ(description.find("//@ residue"), std::string::npos);
    for (size_t n = 0; n < nodes.size(); n++) {
        EXPECT_FALSE(nodes[n].has("extras")) << nodes[n]["name"].text;
    }
}

} // namespace
