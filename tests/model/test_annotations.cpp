// The bond-graph annotations of a description: what the reader takes into
// the bond table, what it ignores with a console warning (never a box), and
// that a description without any converts exactly as before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "angles/findangles.h"
#include "job/KESTRIX.h"
#include "model/bondgraph.h"
#include "model/labels.h"
#include "model/model.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

// A ring of four atoms and a one-atom part, in angle mode.
const char RING[] =
    "element C 1 2 3 0.3\n"
    "atom A C 0 0 0\n"
    "atom B C 90 0 1\n"
    "atom C C 90 0 1\n"
    "atom D C 90 0 1\n"
    "atom Ion C 0 0 4\n";

struct readresult {
    std::vector<std::pair<std::string, std::string>> rings;
    std::vector<std::string> nobonds;
    std::vector<std::string> warnings; // caption: text
};

readresult readannotated(const std::string &annotations, bool before = false)
{
    scripted::clear();
    std::string text = before ? annotations + RING : RING + annotations;
    EXPECT_EQ(readtext(text), 1);
    // Annotations never stop a reading, and never show a box.
    EXPECT_TRUE(scripted::messages.empty());
    readresult r;
    for (int k = 0; k < nringbonds; k++)
        r.rings.push_back({atoms[ringbonds[k].a].name, atoms[ringbonds[k].b].name});
    for (int i = 0; i < natoms; i++)
        if (nobond[i])
            r.nobonds.push_back(atoms[i].name);
    for (const recordedmessage &m : scripted::consolewarnings) {
        std::string text = m.text;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        r.warnings.push_back(m.caption + ": " + text);
    }
    return r;
}

typedef std::vector<std::pair<std::string, std::string>> ringlist;
typedef std::vector<std::string> names;

const std::string MALFORMED = "this annotation is malformed and is ignored: ";
const std::string UNKNOWN = "this annotation names an unknown atom and is ignored: ";

} // namespace

class Annotations : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(startup(), 1); }
};

// What is taken: before or after the atoms, names and keywords in any case
// (the lower index first), a repeat once with a warning; only the token
// "//@" at a line's start makes an annotation; each reading starts empty.
TEST_F(Annotations, WhatIsTakenTable)
{
    const std::string REPEATS = "this annotation repeats an earlier one and is ignored: ";
    struct row {
        std::string text;
        bool before;
        ringlist rings;
        names nobonds, warnings;
    } rows[] = {
        {"//@ bond A D\n//@ nobond Ion\n", false, {{"A", "D"}}, {"Ion"}, {}},
        {"//@ BOND d a\n//@ NoBond ION   // a comment may follow\n", true, {{"A", "D"}}, {"Ion"}, {}},
        {"//@ bond A D\n//@ bond D A\n//@ nobond Ion\n//@ nobond ion\n",
         false,
         {{"A", "D"}},
         {"Ion"},
         {REPEATS + "//@ bond D A", REPEATS + "//@ nobond ion"}},
        {"//@bond A D\n// @ bond A D\n//  bond A D\natom E C 0 0 1 //@ nobond E\n", false, {}, {}, {}},
        {"", false, {}, {}, {}},
    };
    for (const row &c : rows) {
        SCOPED_TRACE(c.text);
        readresult r = readannotated(c.text, c.before);
        EXPECT_EQ(r.rings, c.rings);
        EXPECT_EQ(r.nobonds, c.nobonds);
        EXPECT_EQ(r.warnings, c.warnings);
    }
}

// Bond orders: of tree links and ring bonds, the annotation before or after
// the ring bond it names; every other bond stays single.
TEST_F(Annotations, OrdersTable)
{
    const std::string NOTBONDED = "this annotation names two atoms that are not bonded and is ignored: ";
    const std::string REPEATS = "this annotation repeats an earlier one and is ignored: ";
    struct row {
        std::string text;
        std::vector<int> links; // order of each atom's link, A to Ion
        std::vector<int> rings; // order of each ring bond
        names warnings;
    } rows[] = {
        {"", {1, 1, 1, 1, 1}, {}, {}},
        {"//@ order A B 2\n//@ ORDER d c 3\n", {1, 2, 1, 3, 1}, {}, {}},
        {"//@ order A D ar\n//@ bond A D\n//@ order B C AR\n", {1, 1, 4, 1, 1}, {4}, {}},
        {"//@ bond A D\n//@ order D A 2\n//@ order A B 1\n", {1, 1, 1, 1, 1}, {2}, {}},
        {"//@ order A C 2\n", {1, 1, 1, 1, 1}, {}, {NOTBONDED + "//@ order A C 2"}},
        {"//@ nobond Ion\n//@ order D Ion 2\n", {1, 1, 1, 1, 1}, {}, {NOTBONDED + "//@ order D Ion 2"}},
        {"//@ order A B 2\n//@ order B A 3\n", {1, 2, 1, 1, 1}, {}, {REPEATS + "//@ order B A 3"}},
        {"//@ order A Q 2\n", {1, 1, 1, 1, 1}, {}, {UNKNOWN + "//@ order A Q 2"}},
        {"//@ order A B\n//@ order A B 4\n//@ order A B 2 2\n//@ order A A 2\n",
         {1, 1, 1, 1, 1},
         {},
         {MALFORMED + "//@ order A B", MALFORMED + "//@ order A B 4", MALFORMED + "//@ order A B 2 2",
          MALFORMED + "//@ order A A 2"}},
    };
    for (const row &c : rows) {
        SCOPED_TRACE(c.text);
        readresult r = readannotated(c.text);
        std::vector<int> links, rings;
        for (int i = 0; i < natoms; i++)
            links.push_back(i == 0 ? 1 : orderoflink(i));
        for (int k = 0; k < nringbonds; k++)
            rings.push_back(orderofring(k));
        EXPECT_EQ(links, c.links);
        EXPECT_EQ(rings, c.rings);
        EXPECT_EQ(r.warnings, c.warnings);
    }
}

// Residue labels: each atom's residue, number (insertion code, sign),
// chain and file atom name, "-" a blank field; what is malformed, names an
// unknown atom or labels one twice is ignored with a warning.
TEST_F(Annotations, LabelsTable)
{
    const std::string REPEATS = "this annotation repeats an earlier one and is ignored: ";
    struct row {
        std::string text;
        names labels; // of each labelled atom: "name residue number icode chain atom"
        names warnings;
    } rows[] = {
        {"", {}, {}},
        {"//@ residue A PHE 53 A CG\n//@ RESIDUE ion 478 -2 - O1'\n",
         {"A PHE 53 - A CG", "Ion 478 -2 - - O1'"},
         {}},
        {"//@ residue B GLY 53A B CA   // a comment may follow\n//@ residue C - 0 - -\n",
         {"B GLY 53 A B CA", "C - 0 - - -"},
         {}},
        {"//@ residue A PHE 53 A CG\n//@ residue a ALA 1 A CA\n",
         {"A PHE 53 - A CG"},
         {REPEATS + "//@ residue a ALA 1 A CA"}},
        {"//@ residue Q PHE 53 A CG\n", {}, {UNKNOWN + "//@ residue Q PHE 53 A CG"}},
        {"//@ residue A PHE 53 A\n//@ residue A PHE x A CG\n//@ residue A PHE 53AB A CG\n"
         "//@ residue A-1 PHE 53 A CG\n//@ residue A PHE 53 A CG X\n",
         {},
         {MALFORMED + "//@ residue A PHE 53 A", MALFORMED + "//@ residue A PHE x A CG",
          MALFORMED + "//@ residue A PHE 53AB A CG", MALFORMED + "//@ residue A-1 PHE 53 A CG",
          MALFORMED + "//@ residue A PHE 53 A CG X"}},
    };
    auto field = [](const char *f) { return f[0] ? std::string(f) : std::string("-"); };
    for (const row &c : rows) {
        SCOPED_TRACE(c.text);
        readresult r = readannotated(c.text);
        names labels;
        for (int i = 0; i < natoms; i++)
            if (const atomlabel *l = labelof(i))
                labels.push_back(std::string(atoms[i].name) + " " + field(l->residue) + " " +
                                 std::to_string(l->number) + " " +
                                 (l->icode ? std::string(1, l->icode) : "-") + " " + field(l->chain) + " " +
                                 field(l->atom));
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(r.warnings, c.warnings);
    }
}

TEST_F(Annotations, WhatCannotBeTakenIsIgnoredWithAConsoleWarning)
{
    struct refusal {
        std::string line;
        std::string warning;
    } cases[] = {
        {"//@", MALFORMED + "//@"},
        {"//@ bond A", MALFORMED + "//@ bond A"},
        {"//@ bond A B C", MALFORMED + "//@ bond A B C"},
        {"//@ bond A a", MALFORMED + "//@ bond A a"},
        {"//@ nobond", MALFORMED + "//@ nobond"},
        {"//@ nobond B C", MALFORMED + "//@ nobond B C"},
        {"//@ bond A D-1", MALFORMED + "//@ bond A D-1"},
        {"//@ link A D", MALFORMED + "//@ link A D"},
        {"//@ bond A " + std::string(32, 'x'), MALFORMED + "//@ bond A " + std::string(32, 'x')},
        {"//@ bond A Q", UNKNOWN + "//@ bond A Q"},
        {"//@ nobond Q", UNKNOWN + "//@ nobond Q"},
        {"//@ nobond A",
         "this annotation names the root, which hangs from no atom; it is ignored: //@ nobond A"},
        {"//@ bond C B", "this annotation names a link of the atom tree and is ignored: //@ bond C B"},
    };
    for (const refusal &c : cases) {
        SCOPED_TRACE(c.line);
        readresult r = readannotated(c.line + "\n");
        EXPECT_TRUE(r.rings.empty());
        EXPECT_TRUE(r.nobonds.empty());
        EXPECT_EQ(r.warnings, (names{c.warning}));
    }
}

TEST_F(Annotations, TooManyAreIgnoredWithOneWarningEach)
{
    // A chain of 100 atoms and every pair two apart and more as a ring
    // bond: far more than the table holds.
    std::string text = "element C 1 2 3 0.3\natom A0 C 0 0 0\n";
    for (int i = 1; i < 100; i++)
        text += "atom A" + std::to_string(i) + " C 10 0 1\n";
    int given = 0;
    for (int i = 0; i < 100; i++)
        for (int j = i + 2; j < 100; j++, given++)
            text += "//@ bond A" + std::to_string(i) + " A" + std::to_string(j) + "\n";
    scripted::clear();
    ASSERT_EQ(readtext(text), 1);
    EXPECT_EQ(nringbonds, static_cast<int>(MAXRINGBONDS));
    EXPECT_EQ(scripted::consolewarnings.size(), static_cast<size_t>(given - MAXRINGBONDS));
    EXPECT_TRUE(scripted::messages.empty());
}

TEST_F(Annotations, NoAnnotationChangesNeitherPoserFile)
{
    // The golden water with a false link and a ring bond: the OBJ file is
    // the same, the figure file differs only in H2's thickening morph.
    std::string plain = readfile(testdata("golden/water.krx"));
    ASSERT_EQ(readtext(plain), 1);
    std::string obj = objtext(), cr2 = cr2text();
    ASSERT_EQ(readtext(plain + "//@ nobond H2\n//@ bond H1 H2\n"), 1);
    EXPECT_EQ(objtext(), obj);
    std::string annotated = cr2text();
    ASSERT_NE(annotated, cr2);
    // Undo the two numbers by hand: the rest is byte for byte the same.
    size_t h2 = annotated.find("\tname    H2\n");
    ASSERT_NE(h2, std::string::npos);
    for (int k = 0; k < 2; k++) {
        const std::string was = k ? "\t\t\t\tk  0  0.05\n" : "\t\t\tinitValue 0.05\n";
        const std::string now = k ? "\t\t\t\tk  0  0\n" : "\t\t\tinitValue 0\n";
        size_t thick = annotated.find("\t\t\tname bond_thicker\n", h2);
        size_t at = annotated.find(now, thick);
        ASSERT_NE(at, std::string::npos);
        annotated.replace(at, now.size(), was);
    }
    EXPECT_EQ(annotated, cr2);
}

TEST_F(Annotations, OrdersChangeNeitherPoserFile)
{
    std::string plain = readfile(testdata("golden/water.krx"));
    ASSERT_EQ(readtext(plain), 1);
    std::string obj = objtext(), cr2 = cr2text();
    ASSERT_EQ(readtext(plain + "//@ order O1 H1 2\n//@ bond H1 H2\n//@ order H1 H2 3\n"), 1);
    ASSERT_EQ(orderoflink(1), 2);
    EXPECT_EQ(objtext(), obj);
    EXPECT_EQ(cr2text(), cr2);
}
