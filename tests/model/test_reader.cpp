#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/model.h"
#include "job/KESTRIX.h"
#include "job/load.h"
#include "model/reader.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

const char WATER[] =
    "name water\n"
    "bondradius 0.05 200 200 200\n"
    "element O 0 0 255 0.4\n"
    "element H 255 255 255 0.25\n"
    "atom O1 O 0 0 0    // root\n"
    "{ atom H1 H 104.5 0 0.96 }\n"
    "atom H2 H 0 0 0.96\n";

class Reader : public ::testing::Test {
protected:
    void SetUp() override { scripted::clear(); }

    // Reads text and expects exactly one message, which fails the read.
    void refused(const std::string &text, const std::string &caption, const std::string &shown)
    {
        scripted::clear();
        EXPECT_EQ(readtext(text), 0) << text;
        ASSERT_EQ(scripted::messages.size(), 1u) << text;
        EXPECT_EQ(scripted::messages[0].caption, caption) << text;
        EXPECT_EQ(scripted::messages[0].text, shown) << text;
        EXPECT_EQ(scripted::messages[0].owner, nullptr);
        EXPECT_EQ(scripted::messages[0].type, 0x30u);
    }

    int parentof(int i) { return atoms[i].parent ? static_cast<int>(atoms[i].parent - atoms) : -1; }
};

// A string literal with its embedded NUL bytes.
template <size_t N>
std::string bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

std::string elementlines(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += "element E" + std::to_string(i) + " 1 2 3 0.5\n";
    return s;
}

std::string atomlines(int n)
{
    std::string s = "element X 1 2 3 0.5\n";
    for (int i = 0; i < n; i++)
        s += "atom A" + std::to_string(i) + " X 0 0 1\n";
    return s;
}

} // namespace

TEST_F(Reader, WorkedWaterExample)
{
    ASSERT_EQ(readtext(WATER), 1);
    EXPECT_TRUE(scripted::messages.empty());
    EXPECT_STREQ(Name, "water");
    EXPECT_EQ(bondradius, 0.05);
    EXPECT_EQ(bondblue, 200);
    EXPECT_EQ(bondgreen, 200);
    EXPECT_EQ(bondred, 200);
    ASSERT_EQ(nelements, 2);
    EXPECT_STREQ(elements[0].name, "O");
    EXPECT_EQ(elements[0].red, 255);
    EXPECT_EQ(elements[0].green, 0);
    EXPECT_EQ(elements[0].blue, 0);
    EXPECT_EQ(elements[0].rad, 0.4);
    EXPECT_EQ(elements[1].red, 255);
    EXPECT_EQ(elements[1].rad, 0.25);
    ASSERT_EQ(natoms, 3);
    EXPECT_EQ(parentof(0), -1);
    EXPECT_STREQ(atoms[0].shortname, "atom0");
    EXPECT_EQ(atoms[0].sort, &elements[0]);
    EXPECT_EQ(parentof(1), 0);
    EXPECT_STREQ(atoms[1].name, "H1");
    EXPECT_EQ(atoms[1].theta, 104.5);
    EXPECT_EQ(atoms[1].phi, 0.0);
    EXPECT_EQ(atoms[1].bondl, 0.96);
    EXPECT_EQ(atoms[1].sort, &elements[1]);
    EXPECT_EQ(parentof(2), 0);
    EXPECT_STREQ(atoms[2].shortname, "atom2");
}

TEST_F(Reader, TreeLinks)
{
    const char nested[] =
        "element X 1 1 1 1\n"
        "atom P1 X 0 0 0\n"
        "{ atom P2 X 90 0 1\n"
        "{ atom P3 X 90 90 1 }\n"
        "atom P4 X 90 -90 1 }\n"
        "atom P5 X 0 0 1\n"
        "atom P6 X 0 0 1\n";
    ASSERT_EQ(readtext(nested), 1);
    EXPECT_EQ(parentof(1), 0);
    EXPECT_EQ(parentof(2), 1);
    EXPECT_EQ(parentof(3), 1);
    EXPECT_EQ(parentof(4), 0);
    EXPECT_EQ(parentof(5), 4); // a plain line continues the chain

    // "{" on the root's line is ignored; "{" and "}" on one line make a
    // one-atom branch; more "}" than open branches leave the depth at 0.
    ASSERT_EQ(readtext("element X 1 1 1 1\n{ atom R X 0 0 0\natom A X 0 0 1 } } }\n"
                       "{ atom B X 0 0 1 }\natom C X 0 0 1\n"),
              1);
    EXPECT_EQ(parentof(0), -1);
    EXPECT_EQ(parentof(1), 0);
    // A took the root's place at depth 0, so the next branch starts at A.
    EXPECT_EQ(parentof(2), 1);
    EXPECT_EQ(parentof(3), 1);

    // Braces on lines that are no atom lines have no effect.
    ASSERT_EQ(
        readtext("element X 1 1 1 1\natom R X 0 0 0\n{\natom A X 0 0 1\n}\n{ name n }\natom B X 0 0 1\n"), 1);
    EXPECT_EQ(parentof(1), 0);
    EXPECT_EQ(parentof(2), 1);
}

TEST_F(Reader, BranchNested1023Deep)
{
    std::string text = "element X 1 1 1 1\natom A0 X 0 0 0\n";
    for (int i = 1; i < 1024; i++)
        text += "{ atom A" + std::to_string(i) + " X 0 0 1\n";
    text += "}\n";
    ASSERT_EQ(readtext(text), 1);
    ASSERT_EQ(natoms, 1024);
    for (int i = 1; i < 1024; i++)
        ASSERT_EQ(parentof(i), i - 1);
    EXPECT_STREQ(atoms[1023].shortname, "atom1023");
}

TEST_F(Reader, CommentsBlankLinesAndCase)
{
    ASSERT_EQ(readtext("\n   \n\t\n// only a comment\n{ }\n} }\n"
                       "ELEMENT O 1 2 3 0.5 extra tokens\n"
                       "Atom O1 O 0 0 0.96//x\n"
                       "aTOm O2 O 0 0 0.96 //x\n"
                       "BondRadius 0.1\n"),
              1);
    EXPECT_TRUE(scripted::messages.empty());
    EXPECT_EQ(natoms, 2);
    EXPECT_EQ(atoms[0].bondl, 0.96); // "//" inside a token starts no comment
    EXPECT_EQ(atoms[1].bondl, 0.96);
    EXPECT_EQ(bondradius, 0.1);
}

TEST_F(Reader, Warnings)
{
    ASSERT_EQ(readtext("{ { atom A X 0 0 0\nfrobnicate now\n"), 1);
    ASSERT_EQ(scripted::messages.size(), 2u);
    EXPECT_EQ(scripted::messages[0].caption, "unidentified instruction");
    EXPECT_EQ(scripted::messages[0].text, "{");
    EXPECT_EQ(scripted::messages[1].text, "frobnicate");
    EXPECT_EQ(scripted::messages[1].type, 0x30u);

    scripted::clear();
    ASSERT_EQ(readtext("nam x\nEL X 1 1 1 1\nAtomic A X 0 0 1\nb\n"), 1);
    ASSERT_EQ(scripted::messages.size(), 4u);
    EXPECT_EQ(scripted::messages[0].text, "nam");
    EXPECT_EQ(scripted::messages[3].text, "b");

    scripted::clear();
    ASSERT_EQ(readtext("element X 1 1 1 1\natom A X 0 0 1\nreadxyz\n"), 1);
    ASSERT_EQ(scripted::messages.size(), 1u);
    EXPECT_EQ(scripted::messages[0].text, "readxyz");
    EXPECT_EQ(readxyz, 0);
}

namespace {

// Every problem of a read as "LINE: caption: text", boxes and console-only
// warnings apart, each naming the description.
std::vector<std::string> shown(const std::vector<recordedmessage> &list)
{
    std::vector<std::string> out;
    for (const recordedmessage &m : list) {
        EXPECT_EQ(m.file, "test.krx") << m.caption;
        std::string text = m.text;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        out.push_back(std::to_string(m.line) + ": " + m.caption + ": " + text);
    }
    return out;
}

const std::string X = "element X 1 1 1 1\n";

} // namespace

// What the reader takes as it always has but the user should hear of: said
// on the console only (no box), with its line. What is read stays as the
// tests above pin it.
TEST_F(Reader, ConsoleWarnings)
{
    typedef std::vector<std::string> lines;
    struct row {
        std::string text;
        lines console; // console-only warnings
        lines boxes;   // what the desktop shows, unchanged
    } rows[] = {
        {WATER, {}, {}},
        {X + "atom A X 104,5 0 0.96\n",
         {"2: characters after a number are ignored: 104,5 (read as 104)"},
         {}},
        {X + "atom A X 0 0 1e\n", {"2: characters after a number are ignored: 1e (read as 1)"}, {}},
        {X + "atom A X 0 zero 1\n", {"2: this is no number: zero (read as 0)"}, {}},
        {"element X 999 -1 1.5 1\n",
         {"1: a colour outside 0 to 255 keeps its low 8 bits: 999 (read as 231)",
          "1: a colour outside 0 to 255 keeps its low 8 bits: -1 (read as 255)",
          "1: characters after a number are ignored: 1.5 (read as 1)"},
         {}},
        {"element X 0 255 1 -0.4\n", {"1: this radius is negative: -0.4"}, {}},
        {"bondradius -0.1 300 256 12x\n",
         {"1: this radius is negative: -0.1 (read as 0.1)",
          "1: a colour outside 0 to 255 keeps its low 8 bits: 300 (read as 44)",
          "1: a colour outside 0 to 255 keeps its low 8 bits: 256 (read as 0)",
          "1: characters after a number are ignored: 12x (read as 12)"},
         {}},
        {X + "atom R X 0 0 0\n{ atom A X 0 0 1\n\n{ atom B X 0 0 1\n",
         {"5: this branch is not closed by the end of the file: {",
          "3: this branch is not closed by the end of the file: {"},
         {}},
        {X + "atom R X 0 0 0\n{ atom A X 0 0 1 } }\n",
         {"3: a } closes no branch and is ignored: { atom A X 0 0 1 } }"},
         {}},
        {X + "atom R X 0 0 0 }\n", {"2: a } closes no branch and is ignored: atom R X 0 0 0 }"}, {}},
        {X + "atom R X 0 0 0\n{\natom A X 0 0 1\n}\nbondradius 0.1 1 1 1 }\n",
         {"3: a { or } on a line without an atom has no effect: {",
          "5: a { or } on a line without an atom has no effect: }",
          "6: a { or } on a line without an atom has no effect: bondradius 0.1 1 1 1 }"},
         {}},
        {X + "atom R X 0 0 0\nreadxyz\n",
         {"3: readxyz counts only before the first atom; the atoms stay in angle mode: readxyz"},
         {"3: unidentified instruction: readxyz"}},
        // The mark is skipped: the first instruction is read whole.
        {"\xEF\xBB\xBFname n\n", {"1: a byte-order mark begins the file and is skipped: EF BB BF"}, {}},
        {"\xEF\xBB\xBF\n" + X + "atom R X 0 0 0\n",
         {"1: a byte-order mark begins the file and is skipped: EF BB BF"},
         {}},
        {X + "atom A X 0 0 1" + std::string(240, ' ') + "// more\n",
         {"2: this line is longer than 254 characters; the rest is read as a line of its own: atom A X 0 0 "
          "1" +
          std::string(240, ' ')},
         {}},
        // Exactly 254 characters and the line end (LF or CR LF): not cut.
        {X + "atom A X 0 0 1" + std::string(240, ' ') + "\n", {}, {}},
        {X + "atom A X 0 0 1" + std::string(240, ' ') + "\r\n", {}, {}},
        // Errors and boxes carry their line too; a cut line keeps its number.
        {X + "\r\n// c\natom A Q 0 0 0\n", {}, {"4: you did not declare this element: Q"}},
        {X + std::string(300, 'w') + "\nfrob\n",
         {"2: this line is longer than 254 characters; the rest is read as a line of its own: " +
          std::string(254, 'w')},
         {"2: unidentified instruction: " + std::string(254, 'w'),
          "2: unidentified instruction: " + std::string(46, 'w'), "3: unidentified instruction: frob"}},
        // Annotation warnings, resolved at the end, at their own line.
        {X + "atom R X 0 0 0\n//@ nobond Q\natom A X 0 0 1\n",
         {"3: this annotation names an unknown atom and is ignored: //@ nobond Q"},
         {}},
    };
    for (const row &r : rows) {
        scripted::clear();
        readtext(r.text);
        EXPECT_EQ(shown(scripted::consolewarnings), r.console) << r.text;
        EXPECT_EQ(shown(scripted::messages), r.boxes) << r.text;
    }
}

TEST_F(Reader, Errors)
{
    refused("name\n", "too few arguments in this line", "name\n");
    refused("bondradius // 1\n", "too few arguments in this line", "bondradius // 1\n");
    refused("element X 1 2 3\n", "too few arguments in this line", "element X 1 2 3\n");
    refused("element X 1 1 1 1\natom A X 0 0 } }\n", "too few arguments in this line", "atom A X 0 0 } }\n");
    refused("name water-2\n", "names must only contain letters and numbers and '_'", "water-2");
    refused("element O.1 1 1 1 1\n", "names must only contain letters and numbers and '_'", "O.1");
    refused("element X 1 1 1 1\natom N-1 X 0 0 0\n", "names must only contain letters and numbers and '_'",
            "N-1");
    refused("element Cl 1 1 1 1\nelement CL 1 1 1 1\n", "element name declared twice", "CL");
    refused(elementlines(127) + "element e93 1 1 1 1\n", "element name declared twice", "e93");
    refused("element O 1 1 1 1\natom A o 0 0 0\n", "you did not declare this element", "o");
    refused("atom A H 0 0 0\nelement H 1 1 1 1\n", "you did not declare this element", "H");
    refused(elementlines(128) + "element Z 1 1\n", "too many elements", "element Z 1 1\n");
    refused(atomlines(1024) + "atom Z X 0 0 0\n", "too many atoms", "atom Z X 0 0 0\n");
}

TEST_F(Reader, LimitsAccepted)
{
    ASSERT_EQ(readtext(elementlines(128)), 1);
    EXPECT_EQ(nelements, 128);
    ASSERT_EQ(readtext(atomlines(1024)), 1);
    EXPECT_EQ(natoms, 1024);
    EXPECT_STREQ(atoms[1023].shortname, "atom1023");
    EXPECT_EQ(parentof(1023), 1022);
}

TEST_F(Reader, RefusedLineIsNotCounted)
{
    EXPECT_EQ(readtext("element X 1 1 1 1\natom A X 0 0 0\natom B Y 0 0 0\n"), 0);
    EXPECT_EQ(natoms, 1);
    EXPECT_EQ(readtext("element X 1 1 1 1\nelement x 1 1 1 1\n"), 0);
    EXPECT_EQ(nelements, 1);
}

TEST_F(Reader, DuplicateAtomNames)
{
    ASSERT_EQ(readtext("element H 1 1 1 1\natom H H 0 0 0\natom H H 0 0 1\natom h H 0 0 1\n"
                       "atom H_2 H 0 0 1\n"),
              1);
    EXPECT_TRUE(scripted::messages.empty());
    EXPECT_STREQ(atoms[0].name, "H");
    EXPECT_STREQ(atoms[1].name, "H_2");
    EXPECT_STREQ(atoms[2].name, "h_3");
    EXPECT_STREQ(atoms[3].name, "H_2_2");

    // A 31-character name: its candidate is tested whole, taken, then cut,
    // which gives the duplicate name back.
    std::string n31(31, 'a');
    ASSERT_EQ(readtext("element H 1 1 1 1\natom " + n31 + " H 0 0 0\natom " + n31 + " H 0 0 1\n"), 1);
    EXPECT_EQ(std::string(atoms[1].name), n31);

    // Candidates run out at 255: the atom keeps the duplicate name.
    std::string text = "element H 1 1 1 1\natom A H 0 0 0\n";
    for (int j = 2; j <= 255; j++)
        text += "atom A_" + std::to_string(j) + " H 0 0 1\n";
    text += "atom a H 0 0 1\n";
    ASSERT_EQ(readtext(text), 1);
    EXPECT_STREQ(atoms[natoms - 1].name, "a");
}

TEST_F(Reader, NameLengths)
{
    std::string e63(63, 'E'), e64(64, 'E'), a31(31, 'A'), a32(32, 'A');
    ASSERT_EQ(readtext("element " + e63 + " 1 1 1 1\natom " + a31 + " " + e63 + " 0 0 0\n"), 1);
    EXPECT_EQ(std::string(elements[0].name), e63);
    EXPECT_EQ(std::string(atoms[0].name), a31);
    refused("element " + e64 + " 1 1 1 1\n", "this name is too long", e64);
    refused("element X 1 1 1 1\natom " + a32 + " X 0 0 0\n", "this name is too long", a32);
    // The character check comes first.
    refused("element X 1 1 1 1\natom " + a32 + "- X 0 0 0\n",
            "names must only contain letters and numbers and '_'", a32 + "-");
}

TEST_F(Reader, BondRadiusAndColours)
{
    ASSERT_EQ(readtext("bondradius -0.1\n"), 1);
    EXPECT_EQ(bondradius, 0.1);
    ASSERT_EQ(readtext("bondradius 0.1 300\n"), 1);
    EXPECT_EQ(bondblue, 44);
    EXPECT_EQ(bondgreen, 128);
    EXPECT_EQ(bondred, 128);
    ASSERT_EQ(readtext("bondradius 0.1 200.9 256 -1\n"), 1);
    EXPECT_EQ(bondblue, 200);
    EXPECT_EQ(bondgreen, 0);
    EXPECT_EQ(bondred, 255);
    ASSERT_EQ(readtext("bondradius 0.1 1e2 1 2\nbondradius 0.2\n"), 1);
    EXPECT_EQ(bondblue, 128); // a later line without colours puts them back
    EXPECT_EQ(bondred, 128);
    ASSERT_EQ(readtext("bondradius 0.1 1e10\n"), 1);
    EXPECT_EQ(bondblue, 0);
    ASSERT_EQ(readtext("element X 300 -1 256 -0.5\n"), 1);
    EXPECT_EQ(elements[0].blue, 44);
    EXPECT_EQ(elements[0].green, 255);
    EXPECT_EQ(elements[0].red, 0);
    EXPECT_EQ(elements[0].rad, -0.5);
}

TEST_F(Reader, NumbersOutOfRange)
{
    refused("bondradius 1e999\n", "this number is out of range", "1e999");
    refused("bondradius 0.1 -1e400000\n", "this number is out of range", "-1e400000");
    refused("element X 1 1 1 1e309\n", "this number is out of range", "1e309");
    // The number is refused before the name checks of its line.
    refused("element X-1 1 1 1 1e309\n", "this number is out of range", "1e309");
    refused("element X 1 1 1 1\natom A-1 X 0 1e309 0\n", "this number is out of range", "1e309");
    ASSERT_EQ(readtext("element X 1 1 1 1e308\natom A X 1e-400 -0 1e308\n"), 1);
}

TEST_F(Reader, CoordinateMode)
{
    ASSERT_EQ(readtext("readxyz\nelement X 1 1 1 1\natom A X 1 2 3\natom B X -0.5 .5 5.\n"), 1);
    EXPECT_EQ(readxyz, 1);
    EXPECT_EQ(atoms[1].p.x, -0.5);
    EXPECT_EQ(atoms[1].p.y, 0.5);
    EXPECT_EQ(atoms[1].p.z, 5.0);
    EXPECT_EQ(atoms[1].theta, 0.0);
    EXPECT_EQ(atoms[1].bondl, 1.0);
}

TEST_F(Reader, LineEndsAndControlBytes)
{
    // CR LF, lone CRs anywhere, no line end on the last line.
    ASSERT_EQ(readtext("element X 1 1 1 1\r\natom A X 0 0 0\r\nat\rom B X 0 0 1"), 1);
    EXPECT_EQ(natoms, 2);
    // Ctrl-Z ends the file.
    ASSERT_EQ(readtext("element X 1 1 1 1\natom A X 0 0 0\x1a\natom B X 0 0 1\n"), 1);
    EXPECT_EQ(natoms, 1);
    // A NUL byte ends the line's text, in its tokens and in the line shown.
    ASSERT_EQ(readtext(bytes("element X 1 1 1 1\natom A X 0 0 0\0 garbage\natom B X 0 0 1\n")), 1);
    EXPECT_EQ(natoms, 2);
    refused(bytes("element X 1 1\0 1 1\n"), "too few arguments in this line", "element X 1 1");
}

TEST_F(Reader, LongLinesAreReadInPieces)
{
    // 254 characters make one line; the rest is the next line.
    std::string text =
        "element X 1 1 1 1\n" + std::string("atom A X 0 0 1") + std::string(240, ' ') + "atom B X 0 0 2\n";
    ASSERT_EQ(readtext(text), 1);
    ASSERT_EQ(natoms, 2);
    EXPECT_EQ(atoms[1].bondl, 2.0);
    // A NUL byte still counts toward its piece's 254 characters.
    std::string withnul = "element X 1 1 1 1\n" + std::string("atom A X 0 0 1") + std::string(1, '\0') +
                          std::string(239, 'z') + "atom B X 0 0 2\n";
    ASSERT_EQ(readtext(withnul), 1);
    EXPECT_EQ(natoms, 2);
}

TEST_F(Reader, ReadErrorFailsTheJob)
{
    std::string dir = tempfolder();
    FILE *f = std::fopen(dir.c_str(), "rb");
    if (!f)
        GTEST_SKIP() << "this system does not open folders as files";
    resetjob();
    EXPECT_EQ(readmolecule(f, dir.c_str(), scripted::tell, nullptr), 0);
    std::fclose(f);
    ASSERT_EQ(scripted::messages.size(), 1u);
    EXPECT_EQ(scripted::messages[0].caption, "I can't read this file");
    EXPECT_EQ(scripted::messages[0].text, dir);
}

TEST_F(Reader, ResetBetweenJobs)
{
    ASSERT_EQ(readtext("name first\nreadxyz\nbondradius 0.3 1 2 3\nelement O 1 1 1 1\natom A O 1 2 3\n"), 1);
    ASSERT_EQ(readtext("element O 1 1 1 1\natom B O 0 0 1\n"), 1);
    EXPECT_STREQ(Name, "molecule");
    EXPECT_EQ(readxyz, 0);
    EXPECT_EQ(bondradius, 0.0);
    EXPECT_EQ(bondred, 128);
    EXPECT_EQ(nelements, 1);
    EXPECT_EQ(natoms, 1);
    EXPECT_STREQ(atoms[0].name, "B");
}
