// The glTF conversion job: its messages, the whole-or-nothing output and the
// refusal to replace a file without force.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "glbreader.h"
#include "job/KESTRIX.h"
#include "job/glbjob.h"
#include "model/model.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"
#include "base/version.h"

namespace {

class GlbJob : public ::testing::Test {
protected:
    std::string dir, krx, glb;

    void SetUp() override
    {
        scripted::clear();
        ASSERT_EQ(startup(), 1);
        dir = tempfolder();
        krx = dir + "/water.krx";
        glb = dir + "/water.glb";
        writefile(krx, readfile(testdata("golden/water.krx")));
    }

    std::vector<std::string> captions() { return scripted::captions(); }
};

} // namespace

TEST_F(GlbJob, ConvertsAndReports)
{
    ASSERT_EQ(convertGLB(krx.c_str(), glb.c_str(), 0, scripted::ui()), 1);
    glbfile f;
    ASSERT_EQ(readglb(readfile(glb), &f), "");
    EXPECT_EQ(f.json["asset"]["generator"].text, std::string("kestrix ") + KESTRIX_VERSION);
    EXPECT_EQ(f.json["scenes"][0]["name"].text, "water");
    EXPECT_EQ(f.json["nodes"].size(), 7u); // three atoms, two tips, the rig and the mesh
    ASSERT_EQ(scripted::messages.size(), 1u);
    EXPECT_EQ(scripted::messages[0].caption, "I have written to the .glb file");
    EXPECT_EQ(scripted::messages[0].text, glb);
    EXPECT_EQ(scripted::messages[0].type, static_cast<unsigned>(KMB_OK));
    // Nothing else in the folder: no temporary file, no Poser files.
    EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"water.glb", "water.krx"}));
    EXPECT_TRUE(scripted::dialogs.empty());
}

TEST_F(GlbJob, CoordinateModeGetsItsBondAngles)
{
    writefile(krx, readfile(testdata("golden/water_xyz.krx")));
    ASSERT_EQ(convertGLB(krx.c_str(), glb.c_str(), 0, scripted::ui()), 1);
    glbfile f;
    ASSERT_EQ(readglb(readfile(glb), &f), "");
    // Each hydrogen's joint turns -Z toward its atom: not the identity.
    EXPECT_NE(f.json["nodes"][1]["rotation"][3].number, 1.0);
    // The rig node stands below the root atom (0.5 -1 2) by half its
    // shortest bond.
    const jvalue &rig = f.json["nodes"][f.json["scenes"][0]["nodes"][0].integer()];
    EXPECT_FLOAT_EQ(rig["translation"][0].number, 0.5);
    EXPECT_FLOAT_EQ(rig["translation"][2].number, 2);
}

TEST_F(GlbJob, ReplacesAnExistingFileOnlyWithForce)
{
    writefile(glb, "old");
    EXPECT_EQ(convertGLB(krx.c_str(), glb.c_str(), 0, scripted::ui()), 0);
    EXPECT_EQ(readfile(glb), "old");
    EXPECT_EQ(captions(), std::vector<std::string>{"this file exists already (use --force to replace it)"});
    EXPECT_EQ(scripted::messages[0].text, glb);
    EXPECT_EQ(scripted::messages[0].type, static_cast<unsigned>(KMB_ICONWARNING));

    scripted::clear();
    ASSERT_EQ(convertGLB(krx.c_str(), glb.c_str(), 1, scripted::ui()), 1);
    EXPECT_EQ(readfile(glb).substr(0, 4), "glTF");
    EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"water.glb", "water.krx"}));
}

TEST_F(GlbJob, FailuresWriteNothing)
{
    struct failure {
        std::string text, caption, shown;
    } cases[] = {
        {"element O 1 1 1 1\n", "there are no atoms in this file", krx},
        {"element O 1 1 1 1\natom A X 0 0 0\n", "you did not declare this element", "X"},
        {"readxyz\nelement O 1 1 1 1\natom A O 0 0 0\natom B O 0 1e39 0\n", "this number is out of range",
         "B"},
        {"element E 1 1 1 1e40\natom A E 0 0 0\n", "this number is out of range", "E"},
    };
    for (const failure &c : cases) {
        SCOPED_TRACE(c.text);
        scripted::clear();
        writefile(krx, c.text);
        writefile(glb, "old");
        EXPECT_EQ(convertGLB(krx.c_str(), glb.c_str(), 1, scripted::ui()), 0);
        ASSERT_FALSE(scripted::messages.empty());
        EXPECT_EQ(scripted::messages.back().caption, c.caption);
        EXPECT_EQ(scripted::messages.back().text, c.shown);
        EXPECT_EQ(readfile(glb), "old");
        EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"water.glb", "water.krx"}));
    }
}

TEST_F(GlbJob, UnreadableDescriptionAndUnwritableFolder)
{
    std::string missing = dir + "/none.krx";
    EXPECT_EQ(convertGLB(missing.c_str(), glb.c_str(), 0, scripted::ui()), 0);
    EXPECT_EQ(captions(), std::vector<std::string>{"I can't open this file"});
    EXPECT_EQ(scripted::messages[0].text, missing);

    scripted::clear();
    std::string nowhere = dir + "/no/such/folder/water.glb";
    EXPECT_EQ(convertGLB(krx.c_str(), nowhere.c_str(), 0, scripted::ui()), 0);
    EXPECT_EQ(captions(), std::vector<std::string>{"I can't open this file"});
    EXPECT_EQ(scripted::messages[0].text, nowhere);

    // A name the output layer cannot hold is refused, not cut short.
    scripted::clear();
    std::string longname = dir + "/" + std::string(300, 'x') + ".glb";
    EXPECT_EQ(convertGLB(krx.c_str(), longname.c_str(), 0, scripted::ui()), 0);
    EXPECT_EQ(captions(), std::vector<std::string>{"I can't open this file"});
    EXPECT_EQ(listfolder(dir), std::vector<std::string>{"water.krx"});
}

TEST_F(GlbJob, FullDiskFailsAndKeepsTheOldFile)
{
    // 300 atoms make a file of about a megabyte: let it fail halfway.
    std::string big = "element E 1 1 1 1\natom A0 E 0 0 0\n";
    for (int i = 1; i < 300; i++)
        big += "atom A" + std::to_string(i) + " E 10 20 1\n";
    writefile(krx, big);
    writefile(glb, "old");
    EXPECT_EQ(failsonfulldisk(
                  100000, [&] { return convertGLB(krx.c_str(), glb.c_str(), 1, scripted::ui()); }, glb),
              1);
    EXPECT_EQ(readfile(glb), "old");
    EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"water.glb", "water.krx"}));
}

TEST_F(GlbJob, EachJobStartsFromAnEmptyModel)
{
    writefile(krx, readfile(testdata("golden/water.krx")));
    ASSERT_EQ(convertGLB(krx.c_str(), glb.c_str(), 0, scripted::ui()), 1);
    std::string other = dir + "/one.krx", otherglb = dir + "/one.glb";
    writefile(other, readfile(testdata("golden/one_atom.krx")));
    ASSERT_EQ(convertGLB(other.c_str(), otherglb.c_str(), 0, scripted::ui()), 1);
    glbfile f;
    ASSERT_EQ(readglb(readfile(otherglb), &f), "");
    EXPECT_EQ(f.json["nodes"].size(), 3u); // Ne1, the rig and the mesh
    EXPECT_EQ(f.json["materials"].size(), 1u);
    EXPECT_EQ(f.json["scenes"][0]["name"].text, "single");
}

TEST(GlbName, BesideTheDescription)
{
    char out[64];
    ASSERT_EQ(glbname(out, sizeof out, "/a/b/water.krx"), 1);
    EXPECT_STREQ(out, "/a/b/water.glb");
    ASSERT_EQ(glbname(out, sizeof out, "/a/b/WATER.KRX"), 1);
    EXPECT_STREQ(out, "/a/b/WATER.glb");
    ASSERT_EQ(glbname(out, sizeof out, "/a/b.krx/water"), 1);
    EXPECT_STREQ(out, "/a/b.krx/water.glb");
    ASSERT_EQ(glbname(out, sizeof out, "x.krx.krx"), 1);
    EXPECT_STREQ(out, "x.krx.glb");
    char small[8];
    EXPECT_EQ(glbname(small, sizeof small, "/a/water.krx"), 0);
}
