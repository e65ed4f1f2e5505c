// Frame annotations: what the reader takes as frames, what it drops with a
// console warning at the line (never a box), and that a description
// without them has one frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/frames.h"
#include "model/model.h"
#include "support/scripted_ui.h"
#include "support/testutil.h"

namespace {

const char WATER[] =
    "readxyz\n"
    "element O 1 2 3 0.3\n"
    "element H 1 2 3 0.2\n"
    "atom O1 O 0 0 0\n"
    "{ atom H1 H 0 0.757 0.586 }\n"
    "atom H2 H 0 -0.757 0.586\n";

struct framecase {
    std::string annotations;
    int frames;                        // kept
    std::vector<std::string> warnings; // caption: text, line
};

class frameannotations : public ::testing::TestWithParam<framecase> {};

TEST_P(frameannotations, TakenOrDroppedWithAWarningAtTheirLine)
{
    const framecase &c = GetParam();
    scripted::clear();
    ASSERT_EQ(readtext(WATER + c.annotations), 1);
    EXPECT_TRUE(scripted::messages.empty());
    EXPECT_EQ(framecount(), c.frames);
    std::vector<std::string> got;
    for (const recordedmessage &m : scripted::consolewarnings) {
        std::string text = m.text;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        got.push_back(m.caption + ": " + text);
    }
    ASSERT_EQ(got.size(), c.warnings.size());
    for (size_t i = 0; i < got.size(); i++)
        EXPECT_NE(got[i].find(c.warnings[i]), std::string::npos) << got[i];
}

const std::string F2 = "//@ frame 2\n//@ xyz O1 1 0 0 1 0.757 0.586 1 -0.757 0.586\n";

INSTANTIATE_TEST_SUITE_P(
    model, frameannotations,
    ::testing::Values(
        framecase{"", 1, {}}, framecase{F2, 2, {}},
        framecase{"//@ FRAME 2\n//@ xyz o1 1 0 0\n//@ XYZ h1 1 0.757 0.586 1 -0.757 0.586 // moved\n", 2, {}},
        framecase{F2 + "//@ frame 4\n//@ xyz O1 1 0 0 1 0.757 0.586 1 -0.757 0.586\n",
                  2,
                  {"this frame is out of turn"}},
        framecase{"//@ frame 2\n//@ xyz O1 1 0 0 1 0.757 0.586\n",
                  1,
                  {"this frame does not place every atom; the frame is dropped: //@ frame 2"}},
        framecase{"//@ frame 2\n//@ xyz Q1 1 0 0\n",
                  1,
                  {"these positions name an unknown atom", "this frame has a line that was ignored"}},
        framecase{"//@ frame 2\n//@ xyz O1 1 0 0 1 0.757 0.586 1 -0.757 0.586\n//@ xyz H2 1 0 0\n",
                  1,
                  {"place an atom a second time", "this frame has a line that was ignored"}},
        framecase{"//@ frame 2\n//@ xyz H2 1 0 0 2 2 2\n", 1, {"these positions are malformed", "ignored"}},
        framecase{"//@ frame 2\n//@ xyz O1 1 0 x 1 0.757 0.586 1 -0.757 0.586\n",
                  1,
                  {"these positions are malformed", "ignored"}},
        framecase{"//@ xyz O1 1 0 0\n", 1, {"before any \"//@ frame\" line"}}));

TEST(frameannotations, AFramePlacesItsAtomsInTableOrder)
{
    ASSERT_EQ(readtext(WATER + F2), 1);
    const float *p = framepositions(1);
    EXPECT_EQ(std::vector<float>(p, p + 9),
              (std::vector<float>{1, 0, 0, 1, 0.757f, 0.586f, 1, -0.757f, 0.586f}));
}

TEST(frameannotations, AnAngleDescriptionIgnoresItsFramesWithOneWarning)
{
    scripted::clear();
    ASSERT_EQ(
        readtext("element O 1 2 3 0.3\natom O1 O 0 0 0\natom O2 O 0 0 1\n//@ frame 2\n//@ xyz O1 0 0 0 0 "
                 "0 1\n//@ frame 3\n"),
        1);
    EXPECT_EQ(framecount(), 1);
    ASSERT_EQ(scripted::consolewarnings.size(), 1u);
    EXPECT_EQ(scripted::consolewarnings[0].caption,
              "frames need a description of coordinates (readxyz); they are ignored");
}

} // namespace
