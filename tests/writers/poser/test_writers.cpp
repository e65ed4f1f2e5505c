#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "angles/findangles.h"
#include "model/model.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"
#include "writers/poser/poser.h"

namespace {

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

size_t count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

// Reads a description as a job does, running the bond-angle pass in
// coordinate mode.
void load(const std::string &text)
{
    scripted::clear();
    ASSERT_EQ(readtext(text), 1);
    if (readxyz) {
        ASSERT_EQ(findangles(0), 1);
    }
}

} // namespace

class Golden : public ::testing::TestWithParam<const char *> {};

// Each golden pair was checked line by line against the file layouts before
// it was checked in; the writers must reproduce it byte for byte.
TEST_P(Golden, WritersReproduceTheFiles)
{
    std::string name = GetParam();
    load(readfile(testdata("golden/" + name + ".krx")));
    std::string obj = "/poser/kestrix/" + name + ".obj";
    EXPECT_EQ(objtext(), readfile(testdata("golden/" + name + ".obj")));
    EXPECT_EQ(cr2text(obj.c_str(), "/poser"), readfile(testdata("golden/" + name + ".cr2")));
}

INSTANTIATE_TEST_SUITE_P(Examples, Golden,
                         ::testing::Values("water", "water_nobonds", "water_xyz", "water_xyz_nobonds",
                                           "nested", "one_atom", "unused_element"));

TEST(ObjWriter, LineCountsAndNumbering)
{
    load("bondradius 0.1\nelement O 1 1 1 2\natom A O 0 0 0\n");
    std::vector<std::string> l = lines(objtext());
    ASSERT_EQ(l.size(), 294u);
    EXPECT_EQ(l[0], "v -1.0e-4 0 0");
    EXPECT_EQ(l[32], "g O");
    EXPECT_EQ(l[33], "usemtl bonds");
    EXPECT_EQ(l[34], "f 17 32 16 1");
    EXPECT_EQ(l[50], "g O");
    EXPECT_EQ(l[51], "usemtl O");
    EXPECT_EQ(l[52], "v 0 -2 0");
    EXPECT_EQ(l[53], "v -0.707106 -1.84776 0.292894");
    EXPECT_EQ(l[54], "v -0.765366 -1.84776 0");
    EXPECT_EQ(l[69], "v -1.30656 -1.41421 0.541196");
    EXPECT_EQ(l[165], "v 0 2 0");
    EXPECT_EQ(l[166], "f -114 -113 -112");
    EXPECT_EQ(l[293], "f -17 -2 -1");

    load("element O 1 1 1 1\natom A O 0 0 0\n");
    l = lines(objtext());
    ASSERT_EQ(l.size(), 244u);
    EXPECT_EQ(l[0], "g O"); // no bond vertices, no bond group
    EXPECT_EQ(l[3], "v -0.353553 -0.92388 0.146447");
    EXPECT_EQ(count(objtext(), "usemtl bonds"), 0u);

    load("bondradius 0.1\n");
    EXPECT_EQ(lines(objtext()).size(), 32u);
    load("");
    EXPECT_EQ(objtext(), "");
}

TEST(ObjWriter, SeveralElementsShareTheBondVertices)
{
    load("bondradius 0.1\nelement A 1 1 1 1\nelement bB 1 1 1 -1\nelement C 1 1 1 0.5\natom X C 0 0 0\n");
    std::vector<std::string> l = lines(objtext());
    // Bond vertices, three bond blocks, then three ball blocks in table order.
    ASSERT_EQ(l.size(), 32u + 3 * 18 + 3 * (2 + 114 + 128));
    EXPECT_EQ(l[32], "g A");
    EXPECT_EQ(l[50], "g bB");
    EXPECT_EQ(l[68], "g C");
    EXPECT_EQ(l[69], "usemtl bonds");
    size_t ball = 86;
    const char *names[] = {"A", "bB", "C"};
    for (int e = 0; e < 3; e++, ball += 244) {
        EXPECT_EQ(l[ball], std::string("g ") + names[e]);
        EXPECT_EQ(l[ball + 1], std::string("usemtl ") + names[e]);
        // The last of the element's vertices in the file is its north pole;
        // the faces count back from it.
        EXPECT_EQ(l[ball + 115].substr(0, 2), "v ");
        EXPECT_EQ(l[ball + 116], "f -114 -113 -112");
    }
    EXPECT_EQ(l[86 + 244 + 2], "v -0 1 -0"); // a negative radius mirrors the ball
}

TEST(ObjWriter, ZeroRadiusStillHasItsVertices)
{
    load("element Z 1 1 1 0\natom A Z 0 0 0\n");
    std::vector<std::string> l = lines(objtext());
    ASSERT_EQ(l.size(), 244u);
    EXPECT_EQ(l[2], "v 0 -0 0");
    EXPECT_EQ(l[3], "v -0 -0 0");
}

TEST(Cr2Writer, MorphTargetsAndSigns)
{
    load("bondradius 0.05\nelement X 1 1 1 1\natom A X 0 0 0\natom B X 90 45 2.5\natom C X 0 0 0\n");
    std::string cr2 = cr2text();
    EXPECT_EQ(count(cr2, "\t\t\ttrackingScale 5e-2\n"), 2u);
    EXPECT_EQ(count(cr2, "\t\t\ttrackingScale 5e-02\n"), 2u);
    EXPECT_NE(cr2.find("\t\t\tinitValue 2.5\n"), std::string::npos);
    EXPECT_NE(cr2.find("\tendPoint 0 2.5 0\n\torigin 0 -2.5 0\n"), std::string::npos);
    EXPECT_NE(cr2.find("\t\tyOffsetB yTranB\n\t\t\t{\n\t\t\tname GetStringRes(1028,34)\n"
                       "\t\t\tinitValue -2.5\n"),
              std::string::npos);
    EXPECT_NE(cr2.find("\t\t\tname xrot_THETA\n\t\t\tinitValue 90\n"), std::string::npos);
    EXPECT_NE(cr2.find("\t\t\tname yrot_PHI\n\t\t\tinitValue 45\n"), std::string::npos);
    // A bond of length 0: -0 where minus the length goes.
    EXPECT_NE(cr2.find("\tendPoint 0 0 0\n\torigin 0 -0 0\n"), std::string::npos);
    EXPECT_EQ(count(cr2, "\t\t\tstaticValue -0\n"), 1u);
    EXPECT_EQ(count(cr2, "\t\t\tinitValue -0\n"), 1u);
    EXPECT_NE(cr2.find("\tmaterial bonds\n\t\t{\n\t\tKdColor 0.5 0.5 0.5 1\n"), std::string::npos);
    // Only the body actor is followed by an empty line.
    EXPECT_EQ(count(cr2, "\tlocked 0\n\t}\n\n"), 1u);
    EXPECT_NE(cr2.find("\tlocked 0\n\t}\n\nactor atom0:1\n"), std::string::npos);
}

TEST(Cr2Writer, NoBondsNoMorphTargets)
{
    load("element X 1 1 1 1\natom A X 0 0 0\natom B X 1 2 3\n");
    std::string cr2 = cr2text();
    EXPECT_EQ(count(cr2, "targetGeom"), 0u);
    EXPECT_EQ(count(cr2, "material bonds"), 0u);
    EXPECT_EQ(count(cr2, "ytran_bondlength"), 1u);
}

TEST(Cr2Writer, LargestFigure)
{
    std::string text = "bondradius 0.1\n";
    for (int e = 0; e < 128; e++)
        text += "element E" + std::to_string(e) + " 1 2 3 0.5\n";
    for (int i = 0; i < 1024; i++)
        text += "atom A" + std::to_string(i) + " E" + std::to_string(i % 128) + " 1 2 1.5\n";
    load(text);
    std::string cr2 = cr2text();
    EXPECT_EQ(count(cr2, "\tgeomHandlerGeom 13 "), 1024u);
    EXPECT_EQ(count(cr2, "\taddChild    "), 1024u);
    EXPECT_EQ(count(cr2, "\tweld    "), 1024u);
    EXPECT_EQ(count(cr2, "\tmaterial "), 130u);
    EXPECT_NE(cr2.find("actor atom1023:1\n\t{\n\tname    A1023\n"), std::string::npos);
    EXPECT_NE(cr2.find("\tweld    atom1023:1 \n\t\t\t atom1022:1\n\tallowsBending 1 \n"), std::string::npos);
    EXPECT_EQ(count(objtext(), "\n"), 32u + 128 * 18 + 128 * 244);
}

TEST(ResourcePath, BelowTheRootAndElsewhere)
{
    char out[512];
    resourcepath(out, sizeof out, "/poser/kestrix/water.obj", "/poser");
    EXPECT_STREQ(out, ":kestrix:water.obj");
    resourcepath(out, sizeof out, "/poser/kestrix\\odd name.obj", "/poser");
    EXPECT_STREQ(out, ":kestrix:odd name.obj"); // every separator becomes a colon
#ifdef _WIN32
    resourcepath(out, sizeof out, "C:\\Poser\\kestrix\\Water.OBJ", "c:\\poser");
    EXPECT_STREQ(out, ":kestrix:Water.OBJ");
    resourcepath(out, sizeof out, "C:\\kestrix\\w.obj", "C:");
    EXPECT_STREQ(out, ":kestrix:w.obj");
#else
    // A backslash is part of a name here, not a separator: this is a sibling
    // folder of the Poser folder.
    resourcepath(out, sizeof out, "/u/Poser\\old/w.obj", "/u/Poser");
    EXPECT_STREQ(out, "/u/Poser\\old/w.obj");
    resourcepath(out, sizeof out, "/poser/kestrix/water.obj", "/Poser");
    EXPECT_STREQ(out, "/poser/kestrix/water.obj");
#endif
    // Not below the root: the full path, unchanged.
    resourcepath(out, sizeof out, "/elsewhere/kestrix/water.obj", "/poser");
    EXPECT_STREQ(out, "/elsewhere/kestrix/water.obj");
    resourcepath(out, sizeof out, "/poser2/water.obj", "/poser");
    EXPECT_STREQ(out, "/poser2/water.obj");
    resourcepath(out, sizeof out, "/poser", "/poser");
    EXPECT_STREQ(out, "/poser");
    resourcepath(out, sizeof out, "D:\\models\\w.obj", "C:\\Poser");
    EXPECT_STREQ(out, "D:\\models\\w.obj");
}
