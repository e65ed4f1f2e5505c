#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/suffix.h"
#include "job/KESTRIX.h"
#include "job/chooser.h"
#include "model/model.h"
#include "platform/folders.h"
#include "platform/outfile_system.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

window const W = reinterpret_cast<window>(0x1234);

class Job : public ::testing::Test {
protected:
    std::string dir, poser, molecules, kestrix, krx;

    void SetUp() override
    {
        scripted::clear();
        ASSERT_EQ(startup(), 1);
        dir = tempfolder();
        std::snprintf(rootdir, sizeof rootdir, "%s", dir.c_str());
        poser = dir + "/poser";
        mkdir(poser.c_str(), 0777);
        molecules = poser + "/Runtime/Libraries/character/Molecules";
        kestrix = poser + "/kestrix";
        krx = dir + "/water.krx";
        writefile(krx, readfile(testdata("golden/water.krx")));
    }

    // Queues the three answers of a whole job.
    void answer(const std::string &cr2 = "", const std::string &obj = "")
    {
        scripted::answers.push_back({1, poser + "/Poser.exe"});
        scripted::answers.push_back({1, cr2.empty() ? molecules + "/water.cr2" : cr2});
        scripted::answers.push_back({1, obj.empty() ? kestrix + "/water.obj" : obj});
    }
};

} // namespace

TEST_F(Job, ConvertsWithEveryDialogAndMessage)
{
    answer();
    char before[4096], after[4096];
    ASSERT_EQ(currentdir(before, sizeof before), 1);
    ASSERT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 1);
    // The output folders are tested, not entered: relative paths the user
    // gives later still mean what they meant.
    ASSERT_EQ(currentdir(after, sizeof after), 1);
    EXPECT_STREQ(after, before);
    EXPECT_EQ(readfile(molecules + "/water.cr2"), readfile(testdata("golden/water.cr2")));
    EXPECT_EQ(readfile(kestrix + "/water.obj"), readfile(testdata("golden/water.obj")));
    EXPECT_EQ(listfolder(molecules), std::vector<std::string>{"water.cr2"}); // no temporary file left

    ASSERT_EQ(scripted::dialogs.size(), 3u);
    const recordeddialog &p = scripted::dialogs[0], &c = scripted::dialogs[1], &o = scripted::dialogs[2];
    EXPECT_EQ(p.title, "find any file in your Poser installation's root folder");
    EXPECT_EQ(p.initdir, "c:"); // nothing remembered yet
    EXPECT_EQ(p.entry, "");
    EXPECT_EQ(p.filter, filterall);
    EXPECT_EQ(p.write, 0);
    EXPECT_EQ(p.owner, W);
    EXPECT_EQ(c.title, "file to write Poser CR2 file to?");
    EXPECT_EQ(c.initdir, molecules);
    EXPECT_EQ(c.filter, filterCR2);
    EXPECT_EQ(c.write, 1);
    EXPECT_EQ(o.title, "file to write object geometry to?");
    EXPECT_EQ(o.initdir, kestrix);
    EXPECT_EQ(o.filter, filterOBJ);
    EXPECT_EQ(o.write, 1);

    ASSERT_EQ(scripted::messages.size(), 2u);
    const recordedmessage &confirm = scripted::messages[0], &report = scripted::messages[1];
    EXPECT_EQ(confirm.caption, "You say that your Poser installation is at");
    EXPECT_EQ(confirm.text, poser);
    EXPECT_EQ(confirm.owner, nullptr);
    EXPECT_EQ(confirm.type, 0u);
    EXPECT_EQ(report.caption, "I have written to the .OBJ file and the .CR2 file");
    EXPECT_EQ(report.text, kestrix + "/water.obj\n" + molecules + "/water.cr2");
    EXPECT_EQ(report.type, 0u);

    // The next job's Poser dialog opens in the confirmed folder.
    EXPECT_EQ(readfile(dir + "/kestrix.ini"), "[poserinfo]\nposeraddr=" + poser + "\n");
    scripted::clear();
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0); // cancelled
    ASSERT_EQ(scripted::dialogs.size(), 1u);
    EXPECT_EQ(scripted::dialogs[0].initdir, poser);
}

TEST_F(Job, PoserDialogFailures)
{
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    ASSERT_EQ(scripted::messages.size(), 1u);
    EXPECT_EQ(scripted::messages[0].caption, "Exiting");
    EXPECT_EQ(scripted::messages[0].text, "I need this information to be able to run.");
    EXPECT_EQ(scripted::messages[0].owner, W);
    EXPECT_EQ(scripted::messages[0].type, 0x30u);

    for (const char *chosen : {"Poser.exe", "/Poser.exe"}) {
        scripted::clear();
        scripted::answers.push_back({1, chosen});
        EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
        ASSERT_EQ(scripted::messages.size(), 1u);
        EXPECT_EQ(scripted::messages[0].caption, "This is not a valid file name. Exiting");
        EXPECT_EQ(scripted::messages[0].text, chosen);
        EXPECT_EQ(scripted::messages[0].owner, W);
    }
    EXPECT_FALSE(pathexists((dir + "/kestrix.ini").c_str()));
}

TEST_F(Job, OutputDialogsCancelledOrRefused)
{
    scripted::answers.push_back({1, poser + "/Poser.exe"});
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)),
              0); // the CR2 dialog is cancelled: no message of the job
    EXPECT_EQ(scripted::captions(), std::vector<std::string>{"You say that your Poser installation is at"});
    EXPECT_TRUE(pathexists((dir + "/kestrix.ini").c_str())); // already written
    EXPECT_TRUE(pathexists(molecules.c_str()));

    scripted::clear();
    scripted::answers.push_back({1, poser + "/Poser.exe"});
    scripted::answers.push_back({1, molecules + "/water.cr2"});
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0); // the OBJ dialog is cancelled
    EXPECT_EQ(scripted::messages.size(), 1u);
    EXPECT_TRUE(listfolder(molecules).empty());

    scripted::clear();
    answer(dir + "/missing/water.cr2");
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    ASSERT_EQ(scripted::messages.size(), 2u);
    EXPECT_EQ(scripted::messages[1].caption, "I can't open this file");
    EXPECT_EQ(scripted::messages[1].text, dir + "/missing/water.cr2");
    EXPECT_EQ(scripted::messages[1].owner, nullptr);
}

TEST_F(Job, FolderThatCannotBeMade)
{
    writefile(poser + "/Runtime", "a file in the way");
    scripted::answers.push_back({1, poser + "/Poser.exe"});
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    ASSERT_EQ(scripted::messages.size(), 2u);
    EXPECT_EQ(scripted::messages[1].caption, "this folder does not exist and I can't create it");
    EXPECT_EQ(scripted::messages[1].text, poser + "/Runtime");
    EXPECT_EQ(scripted::messages[1].owner, nullptr);
    EXPECT_EQ(scripted::messages[1].type, 0x30u);
}

TEST_F(Job, SuffixRules)
{
    char name[256];
    const char *cases[][2] = {{"x.CR2", "x.CR2"}, {"x", "x.cr2"}, {"x.cr", "x.cr.cr2"},
                              {"ab", "ab.cr2"},   {"", ".cr2"},   {"y.cr2", "y.cr2"}};
    for (auto &c : cases) {
        std::strcpy(name, c[0]);
        addsuffix(name, sizeof name, ".cr2");
        EXPECT_STREQ(name, c[1]);
    }
    answer(molecules + "/Big.CR2", kestrix + "/mesh");
    ASSERT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 1);
    EXPECT_TRUE(pathexists((molecules + "/Big.CR2").c_str()));
    EXPECT_TRUE(pathexists((kestrix + "/mesh.obj").c_str()));
    EXPECT_NE(readfile(molecules + "/Big.CR2").find("figureResFile :kestrix:mesh.obj\n"), std::string::npos);
}

TEST_F(Job, FailedConversionKeepsExistingFiles)
{
    mkdir((poser + "/Runtime").c_str(), 0777);
    mkdir((poser + "/Runtime/Libraries").c_str(), 0777);
    mkdir((poser + "/Runtime/Libraries/character").c_str(), 0777);
    mkdir(molecules.c_str(), 0777);
    mkdir(kestrix.c_str(), 0777);
    writefile(molecules + "/water.cr2", "the user's own figure\n");
    writefile(kestrix + "/water.obj", "the user's own mesh\n");
    writefile(krx, "element O 1 1 1 1\natom A Q 0 0 0\n");
    answer();
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    EXPECT_EQ(scripted::captions().back(), "you did not declare this element");
    EXPECT_EQ(readfile(molecules + "/water.cr2"), "the user's own figure\n");
    EXPECT_EQ(readfile(kestrix + "/water.obj"), "the user's own mesh\n");
    EXPECT_EQ(listfolder(molecules), std::vector<std::string>{"water.cr2"});
    EXPECT_EQ(listfolder(kestrix), std::vector<std::string>{"water.obj"});
}

// A name typed without its suffix is checked by the dialog as typed; the
// file the job then writes is asked about here. No brings the dialog back
// and the user's file stays as it was.
TEST_F(Job, NameWithoutSuffixAsksBeforeReplacing)
{
    struct row {
        const char *cr2, *obj;     // as typed, in their folders
        std::vector<int> replies;  // to the Yes/No questions
        size_t questions, dialogs; // asked in all
        const char *cr2after, *objafter;
    } rows[] = {
        {"water", "water.obj", {1}, 1, 3, nullptr, nullptr},
        {"water.cr2", "water", {1}, 1, 3, nullptr, nullptr},
        {"water", "water", {0, 1}, 2, 4, "the user's own figure\n", nullptr},
        {"other", "water", {1}, 1, 3, "the user's own figure\n", nullptr},
        {"water.cr2", "water.obj", {}, 0, 3, nullptr, nullptr},
    };
    for (const row &r : rows) {
        scripted::clear();
        mkdir((poser + "/Runtime").c_str(), 0777);
        mkdir((poser + "/Runtime/Libraries").c_str(), 0777);
        mkdir((poser + "/Runtime/Libraries/character").c_str(), 0777);
        mkdir(molecules.c_str(), 0777);
        mkdir(kestrix.c_str(), 0777);
        writefile(molecules + "/water.cr2", "the user's own figure\n");
        writefile(kestrix + "/water.obj", "the user's own mesh\n");
        unlink((molecules + "/other.cr2").c_str());
        answer(molecules + "/" + r.cr2, kestrix + "/" + r.obj);
        // After a No, the dialog comes back and the user picks another name.
        if (r.dialogs == 4)
            scripted::answers.insert(scripted::answers.begin() + 2, {1, molecules + "/fresh"});
        for (int y : r.replies)
            scripted::replies.push_back(y);
        ASSERT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 1) << r.cr2 << " " << r.obj;
        EXPECT_EQ(scripted::questions.size(), r.questions) << r.cr2;
        EXPECT_EQ(scripted::dialogs.size(), r.dialogs) << r.cr2;
        if (r.questions) {
            EXPECT_NE(scripted::questions[0].find("/water."), std::string::npos) << scripted::questions[0];
        }
        std::string cr2 = readfile(molecules + "/water.cr2"), obj = readfile(kestrix + "/water.obj");
        if (r.cr2after)
            EXPECT_TRUE(cr2 == r.cr2after) << r.cr2;
        else
            EXPECT_NE(cr2, "the user's own figure\n") << r.cr2;
        if (r.objafter)
            EXPECT_TRUE(obj == r.objafter) << r.obj;
        else
            EXPECT_NE(obj, "the user's own mesh\n") << r.obj;
    }
}

// A folder made where the figure file should go, just as its commit begins:
// the mesh is in place already, then the figure cannot be.
void folderatfigure(const outfile *f)
{
    if (std::string(f->target).size() > 4 &&
        std::string(f->target).substr(std::strlen(f->target) - 4) == ".cr2") {
        mkdir(f->real, 0777);
        writefile(std::string(f->real) + "/inside", "x");
    }
}

TEST_F(Job, FailedSecondMoveBringsTheFirstFileBack)
{
    mkdir((poser + "/Runtime").c_str(), 0777);
    mkdir((poser + "/Runtime/Libraries").c_str(), 0777);
    mkdir((poser + "/Runtime/Libraries/character").c_str(), 0777);
    mkdir(molecules.c_str(), 0777);
    mkdir(kestrix.c_str(), 0777);
    writefile(kestrix + "/water.obj", "the user's own mesh\n");
    answer();
    commithook = folderatfigure;
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    commithook = nullptr;
    EXPECT_EQ(scripted::captions().back(), "I can't write this file");
    EXPECT_EQ(scripted::messages.back().text, molecules + "/water.cr2");
    EXPECT_EQ(scripted::messages.back().reason, "not a regular file");
    EXPECT_EQ(readfile(kestrix + "/water.obj"), "the user's own mesh\n");
    EXPECT_EQ(listfolder(kestrix), std::vector<std::string>{"water.obj"});
    EXPECT_EQ(listfolder(molecules), std::vector<std::string>{"water.cr2"});

    // With no mesh there before, none is left behind.
    std::remove((kestrix + "/water.obj").c_str());
    scripted::clear();
    answer();
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    EXPECT_TRUE(listfolder(kestrix).empty());
}

TEST_F(Job, LongNames)
{
    // No room for the suffix: the name cannot be written as chosen.
    std::string base = dir + "/";
    std::string name = base + std::string(252 - base.size(), 'n') + ".cr";
    ASSERT_EQ(name.size(), 255u);
    answer(name);
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    EXPECT_EQ(scripted::captions().back(), "I can't open this file");
    EXPECT_EQ(scripted::messages.back().text, name);
    EXPECT_FALSE(pathexists(name.c_str()));

    // A file name of 250 characters (the longest most file systems take, less
    // a few) is written although a suffix for its temporary file would not fit.
    std::string top = tempfolder();
    std::string folder = top.substr(0, top.find('/', 1) + 1);
    std::string longest = folder + std::string(255 - folder.size() - 4, 'L') + ".cr2";
    ASSERT_LE(longest.size(), 255u);
    scripted::clear();
    answer(longest);
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 1)
        << (scripted::messages.empty() ? "" : scripted::messages.back().caption);
    EXPECT_EQ(readfile(longest), readfile(testdata("golden/water.cr2")));
    std::remove(longest.c_str());
}

TEST_F(Job, DescriptionRefusals)
{
    std::string missing = dir + "/missing.krx";
    EXPECT_EQ(readKRX(missing.c_str(), W, scripted::ui(W)), 0);
    ASSERT_EQ(scripted::messages.size(), 1u);
    EXPECT_EQ(scripted::messages[0].caption, "I can't open this file");
    EXPECT_EQ(scripted::messages[0].text, missing);
    EXPECT_TRUE(scripted::dialogs.empty());

    scripted::clear();
    writefile(krx, "// nothing but elements\nelement O 1 1 1 1\n");
    answer();
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    EXPECT_EQ(scripted::captions().back(), "there are no atoms in this file");
    EXPECT_EQ(scripted::messages.back().text, krx);
    EXPECT_TRUE(listfolder(molecules).empty());

    // Coordinates that overflow in the bond-angle pass would print "inf".
    scripted::clear();
    writefile(krx, "readxyz\nelement O 1 1 1 1\natom A O 1e308 0 0\natom B O -1e308 0 0\n");
    answer();
    EXPECT_EQ(readKRX(krx.c_str(), W, scripted::ui(W)), 0);
    EXPECT_EQ(scripted::captions().back(), "this number is out of range");
    EXPECT_EQ(scripted::messages.back().text, "B");
    EXPECT_TRUE(listfolder(kestrix).empty());
}

TEST_F(Job, FullDiskFailsWithoutPartialFiles)
{
    std::string big;
    for (int e = 0; e < 40; e++)
        big += "element E" + std::to_string(e) + " 1 1 1 1\n";
    big += "atom A E0 0 0 0\n";
    writefile(krx, big);
    // The OBJ file of 40 elements is about 400 kB: let it fail halfway.
    auto job = [&] {
        answer();
        return readKRX(krx.c_str(), W, scripted::ui(W));
    };
    EXPECT_EQ(failsonfulldisk(100000, job, kestrix + "/water.obj"), 1);
    EXPECT_TRUE(listfolder(kestrix).empty());
    EXPECT_TRUE(listfolder(molecules).empty());
}

namespace {

// A chooser that answers from fixed values and records what it was offered.
struct fixedchooser {
    std::string poserfile, cr2, obj;
    int replace = 0;
    std::vector<std::string> offered; // what each choice was offered, in order

    int give(char *file, const std::string &path)
    {
        std::snprintf(file, PATHSIZE, "%s", path.c_str());
        return !path.empty();
    }
    int poserfolder(char *file, const char *remembered)
    {
        offered.push_back(std::string("poser:") + remembered);
        return give(file, poserfile);
    }
    int cr2file(char *file, const char *folder, int *r)
    {
        offered.push_back(std::string("cr2:") + folder);
        *r = replace;
        return give(file, cr2);
    }
    int objfile(char *file, const char *folder, int *r)
    {
        offered.push_back(std::string("obj:") + folder);
        *r = replace;
        return give(file, obj);
    }
    chooser choices()
    {
        return chooser{
            this,
            [](void *s, char *f, const char *r) { return static_cast<fixedchooser *>(s)->poserfolder(f, r); },
            [](void *s, char *f, const char *d, int *r) {
                return static_cast<fixedchooser *>(s)->cr2file(f, d, r);
            },
            [](void *s, char *f, const char *d, int *r) {
                return static_cast<fixedchooser *>(s)->objfile(f, d, r);
            },
            nullptr,
            1,
        };
    }
};

// One conversion through the chooser c.
int convertwith(const std::string &krx, fixedchooser &c)
{
    chooser choices = c.choices();
    return readKRX(krx.c_str(), W, scripted::ui(W), choices);
}

} // namespace

TEST_F(Job, ChooserIsAskedInOrderWithTheRememberedFolder)
{
    fixedchooser c;
    c.poserfile = poser + "/Poser.exe";
    c.cr2 = molecules + "/water";
    c.obj = kestrix + "/water";
    ASSERT_EQ(convertwith(krx, c), 1);
    EXPECT_EQ(c.offered, (std::vector<std::string>{"poser:", "cr2:" + molecules, "obj:" + kestrix}));
    EXPECT_TRUE(scripted::dialogs.empty()); // no dialog behind the chooser's back
    EXPECT_EQ(readfile(molecules + "/water.cr2"), readfile(testdata("golden/water.cr2")));
    EXPECT_EQ(readfile(kestrix + "/water.obj"), readfile(testdata("golden/water.obj")));

    // The second job is offered the folder the first one confirmed.
    c.offered.clear();
    c.replace = 1;
    ASSERT_EQ(convertwith(krx, c), 1);
    EXPECT_EQ(c.offered.front(), "poser:" + poser);
}

TEST_F(Job, ChooserDecidesWhetherAFileIsReplaced)
{
    fixedchooser c;
    c.poserfile = poser + "/Poser.exe";
    c.cr2 = molecules + "/water.cr2";
    c.obj = kestrix + "/water.obj";
    c.replace = 1;
    ASSERT_EQ(convertwith(krx, c), 1); // makes the folders
    writefile(molecules + "/water.cr2", "mine");
    scripted::clear();
    c.offered.clear();
    c.replace = 0;
    EXPECT_EQ(convertwith(krx, c), 0);
    EXPECT_EQ(readfile(molecules + "/water.cr2"), "mine");
    EXPECT_EQ(scripted::captions().back(), "I can't open this file");
    EXPECT_EQ(c.offered.size(), 2u); // refused before the OBJ file is asked for

    scripted::clear();
    c.offered.clear();
    c.replace = 1;
    EXPECT_EQ(convertwith(krx, c), 1);
    EXPECT_EQ(readfile(molecules + "/water.cr2"), readfile(testdata("golden/water.cr2")));
}

TEST_F(Job, ChooserWithoutAPoserFolderEndsTheJob)
{
    fixedchooser c;
    EXPECT_EQ(convertwith(krx, c), 0);
    EXPECT_EQ(scripted::captions(), std::vector<std::string>{"Exiting"});
    EXPECT_EQ(scripted::messages[0].owner, W);
    EXPECT_EQ(c.offered.size(), 1u);
}
