// The constant meshes and CR2 texts are checked against the rules they were
// made from: the sphere and cylinder formulas, the channel rows, and the
// values the writers pass. A swapped character anywhere in a template shows
// up as a whole-text mismatch below, not only as a wrong length.
#include "writers/BALL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const double PI = std::atan(1.0) * 4;

std::vector<std::string> splitLines(const char *text)
{
    std::vector<std::string> out;
    std::string cur;
    for (const char *p = text; *p; ++p) {
        if (*p == '\n') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (!cur.empty())
        out.push_back(cur + "<no line end>");
    return out;
}

// The conversion letters in order; any percent sign that is not %s or %g
// shows up as '?'.
std::string conversions(const char *text)
{
    std::string out;
    for (const char *p = text; *p; ++p) {
        if (*p != '%')
            continue;
        char c = p[1];
        out += (c == 's' || c == 'g') ? c : '?';
        if (c)
            ++p;
    }
    return out;
}

std::string fill(const char *format, ...)
{
    char buf[8192];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    EXPECT_GE(n, 0);
    EXPECT_LT(n, static_cast<int>(sizeof buf));
    return buf;
}

bool startsWith(const std::string &s, const std::string &head)
{
    return s.compare(0, head.size(), head) == 0;
}

bool endsWith(const std::string &s, const std::string &tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int countOf(const std::string &s, const std::string &what)
{
    int n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// %g as printf gives it, except that a value whose exact result is zero
// (but came out of sin/cos as a tiny remainder or -0) reads 0.
std::string g(double v)
{
    if (std::fabs(v) < 1e-12)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

double round6(double v)
{
    double r = std::round(v * 1e6) / 1e6;
    return r == 0 ? 0.0 : r;
}

// One channel row: channel line, display name, initValue, hidden,
// forceLimits, min, max, trackingScale, static, key value, staticValue
// (nullptr where the channel has none).
struct Row {
    const char *line, *name, *init, *hidden, *force, *min, *max, *track, *stat, *key, *sv;
};

// Marks the root's translateY, whose initValue comes as two lines.
const char *const TWO = "two";

std::string channel(const Row &r)
{
    std::string s;
    s += std::string("\t\t") + r.line + "\n";
    s += "\t\t\t{\n";
    s += std::string("\t\t\tname ") + r.name + "\n";
    if (r.init == TWO)
        s += "\t\t\tinitValue GetStringRes(1028,13)\n\t\t\tinitValue %g\n";
    else
        s += std::string("\t\t\tinitValue ") + r.init + "\n";
    s += std::string("\t\t\thidden ") + r.hidden + "\n";
    s += std::string("\t\t\tforceLimits ") + r.force + "\n";
    s += std::string("\t\t\tmin ") + r.min + "\n";
    s += std::string("\t\t\tmax ") + r.max + "\n";
    s += std::string("\t\t\ttrackingScale ") + r.track + "\n";
    s += "\t\t\tkeys\n";
    s += "\t\t\t\t{\n";
    s += std::string("\t\t\t\tstatic  ") + r.stat + "\n";
    s += std::string("\t\t\t\tk  0  ") + r.key + "\n";
    s += "\t\t\t\t}\n";
    s += "\t\t\tinterpStyleLocked 0\n";
    if (r.sv)
        s += std::string("\t\t\tstaticValue ") + r.sv + "\n";
    s += "\t\t\t}\n";
    return s;
}

std::string head(const char *ident, const char *name, const char *onoff, const char *parent)
{
    return std::string("actor ") + ident + "\n\t{\n\tname    " + name + "\n\t" + onoff +
           "\n\tbend 0\n\tdynamicsLock\t\t1\n\thidden\t\t0\n\taddToMenu\t1\n"
           "\tcastsShadow\t\t1\n\tincludeInDepthCue\t\t1\n\tparent " +
           parent + "\n\tchannels\n\t\t{\n";
}

std::string tail(const char *endPoint, const char *origin)
{
    return std::string("\t\t}\n\tendPoint ") + endPoint + "\n\torigin " + origin +
           "\n\torientation 0 0 0\n\tdisplayOrigin\t\t0\n\tdisplayMode USEPARENT\n"
           "\tcustomMaterial\t0\n\tlocked 0\n\t}\n";
}

const Row BODYROWS[] = {
    {"zOffsetA zOffset", "GetStringRes(1028,38)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"yOffsetA yOffset", "GetStringRes(1028,37)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"xOffsetA xOffset", "GetStringRes(1028,36)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"propagatingScale scale", "GetStringRes(1028,5)", "%g", "0", "0", "0.001", "100000", "0.004", "0", "%g",
     nullptr},
    {"propagatingScaleX xScale", "GetStringRes(1028,6)", "1", "0", "0", "0.001", "100000", "0.004", "0", "1",
     nullptr},
    {"propagatingScaleY yScale", "GetStringRes(1028,7)", "1", "0", "0", "0.001", "100000", "0.004", "0", "1",
     nullptr},
    {"propagatingScaleZ zScale", "GetStringRes(1028,8)", "1", "0", "0", "0.001", "100000", "0.004", "0", "1",
     nullptr},
    {"rotateY yrot", "yrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", nullptr},
    {"rotateX xrot", "xrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", nullptr},
    {"rotateZ zrot", "zrot", "0", "0", "0", "-100000", "100000", "1", "0", "0", nullptr},
    {"translateX xtran", "GetStringRes(1028,12)", "0", "0", "0", "-100000", "100000", "0.002", "0", "0",
     nullptr},
    {"translateY ytran", "GetStringRes(1028,13)", "0", "0", "0", "-100000", "100000", "0.002", "0", "0",
     nullptr},
    {"translateZ ztran", "GetStringRes(1028,14)", "0", "0", "0", "-100000", "100000", "0.002", "0", "0",
     nullptr},
    {"xOffsetB xTranB", "GetStringRes(1028,33)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"yOffsetB yTranB", "GetStringRes(1028,34)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"zOffsetB zTranB", "GetStringRes(1028,35)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
};

const Row ROOTROWS[] = {
    {"xOffsetA xOffset", "GetStringRes(1028,36)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"yOffsetA yOffset", "GetStringRes(1028,37)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"zOffsetA zOffset", "GetStringRes(1028,38)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"scale scale", "GetStringRes(1028,5)", "%g", "0", "0", "0.1", "100000", "0.004", "0", "%g", nullptr},
    {"scaleX xScale", "GetStringRes(1028,6)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"scaleY yScale", "GetStringRes(1028,7)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"scaleZ zScale", "GetStringRes(1028,8)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"rotateX xrot", "xrot", "0", "0", "0", "-360000", "360000", "1", "0", "0", nullptr},
    {"rotateY yrot", "yrot", "0", "0", "0", "-360000", "360000", "1", "0", "0", nullptr},
    {"rotateZ zrot", "zrot", "0", "0", "0", "0", "0", "1", "0", "0", nullptr},
    {"xOffsetB xTranB", "GetStringRes(1028,33)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"yOffsetB yTranB", "GetStringRes(1028,34)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"zOffsetB zTranB", "GetStringRes(1028,35)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"translateX xtran", "GetStringRes(1028,12)", "%g", "0", "0", "-100000", "100000", "0.001", "0", "%g",
     nullptr},
    {"translateY ytran", "ytran", TWO, "0", "0", "-100000", "100000", "0.001", "0", "%g", nullptr},
    {"translateZ ztran", "GetStringRes(1028,14)", "%g", "0", "0", "-100000", "100000", "0.001", "0", "%g",
     nullptr},
};

const Row ATOM3ROWS[] = {
    {"xOffsetA xOffset", "GetStringRes(1028,36)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"yOffsetA yOffset", "GetStringRes(1028,37)", "%g", "1", "0", "-100000", "100000", "0.004", "1", "0",
     "%g"},
    {"zOffsetA zOffset", "GetStringRes(1028,38)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"scale scale", "GetStringRes(1028,5)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"scaleX xScale", "GetStringRes(1028,6)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"scaleY yScale", "GetStringRes(1028,7)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"scaleZ zScale", "GetStringRes(1028,8)", "1", "0", "0", "0.1", "100000", "0.004", "0", "1", nullptr},
    {"rotateX xrot", "xrot_THETA", "%g", "0", "0", "-360000", "360000", "1", "0", "%g", nullptr},
    {"rotateY yrot", "yrot_PHI", "%g", "0", "0", "-360000", "360000", "1", "0", "%g", nullptr},
    {"rotateZ zrot", "zrot_leave_at_0", "0", "0", "0", "0", "0", "1", "0", "0", nullptr},
    {"xOffsetB xTranB", "GetStringRes(1028,33)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"yOffsetB yTranB", "GetStringRes(1028,34)", "%g", "1", "0", "-100000", "100000", "0.004", "1", "0",
     "%g"},
    {"zOffsetB zTranB", "GetStringRes(1028,35)", "0", "1", "0", "-100000", "100000", "0.004", "1", "0", "0"},
    {"translateX xtran", "GetStringRes(1028,12)", "0", "1", "0", "-100000", "100000", "0.001", "0", "0",
     nullptr},
    {"translateY ytran", "ytran_bondlength", "%g", "0", "0", "-100000", "100000", "0.001", "0", "%g",
     nullptr},
    {"translateZ ztran", "GetStringRes(1028,14)", "0", "1", "0", "-100000", "100000", "0.001", "0", "0",
     nullptr},
};

template <size_t N>
std::string channels(const Row (&rows)[N])
{
    std::string s;
    for (const Row &r : rows)
        s += channel(r);
    return s;
}

std::string morph(const char *name, const char *track, const std::vector<std::string> &deltas)
{
    std::string s;
    s += std::string("\t\ttargetGeom ") + name + "\n\t\t\t{\n\t\t\tname " + name + "\n";
    s += "\t\t\tinitValue %g\n\t\t\thidden 0\n\t\t\tforceLimits 4\n\t\t\tmin -100000\n\t\t\tmax 100000\n";
    s += std::string("\t\t\ttrackingScale ") + track + "\n";
    s += "\t\t\tkeys\n\t\t\t\t{\n\t\t\t\tstatic  0\n\t\t\t\tk  0  %g\n\t\t\t\t}\n\t\t\tinterpStyleLocked 0\n";
    s += "\t\t\tindexes " + std::to_string(deltas.size()) + "\n\t\t\tnumbDeltas 146\n";
    s += "\t\t\tdeltas \n\t\t\t\t{ \n";
    for (const std::string &d : deltas)
        s += "\t\t\t\t" + d + " \n";
    s += "\t\t\t\t} \n\t\t\t}\n";
    return s;
}

std::vector<std::string> thickerDeltas()
{
    std::vector<std::string> out;
    for (int v = 0; v < 32; ++v) {
        double a = 22.5 * (v % 16) * PI / 180;
        out.push_back("d " + std::to_string(v) + " " + g(-std::cos(a)) + " 0 " + g(-std::sin(a)));
    }
    return out;
}

std::vector<std::string> longerDeltas()
{
    std::vector<std::string> out;
    for (int v = 16; v < 32; ++v)
        out.push_back("d " + std::to_string(v) + " 0 -1 0");
    return out;
}

// The text of one channel of a (filled) template, from its channel line to
// its closing brace.
std::string channelOf(const std::string &text, const std::string &line)
{
    const std::string all = "\n" + text; // so the first line starts after a line end too
    size_t at = all.find("\n\t\t" + line + "\n");
    if (at == std::string::npos)
        return "<no channel " + line + ">";
    size_t end = all.find("\n\t\t\t}\n", at);
    if (end == std::string::npos)
        return "<unclosed channel " + line + ">";
    return all.substr(at + 1, end + 5 - at);
}

} // namespace

// ---------------------------------------------------------------- templates

TEST(BallTemplates, UnfilledLengths)
{
    EXPECT_EQ(std::strlen(ACTORBODY), 3923u);
    EXPECT_EQ(std::strlen(ACTORROOT), 3861u);
    EXPECT_EQ(std::strlen(ACTORATOM1), 144u);
    EXPECT_EQ(std::strlen(ACTORATOM2), 1681u);
    EXPECT_EQ(std::strlen(ACTORATOM3), 3716u);
    EXPECT_EQ(std::strlen(MATERIAL), 381u);
}

TEST(BallTemplates, PlaceholdersInOrder)
{
    EXPECT_EQ(conversions(ACTORBODY), "gg");
    EXPECT_EQ(conversions(ACTORROOT), "ssgggggggg");
    EXPECT_EQ(conversions(ACTORATOM1), "sss");
    EXPECT_EQ(conversions(ACTORATOM2), "gggg");
    EXPECT_EQ(conversions(ACTORATOM3), "gggggggggggg");
    EXPECT_EQ(conversions(MATERIAL), "sggg");
}

TEST(BallTemplates, BodyWholeText)
{
    std::string want = head("BODY:1", "GetStringRes(1024,1)", "off", "UNIVERSE") + channels(BODYROWS) +
                       tail("0 1 0", "0 0 0") + "\n";
    EXPECT_EQ(std::string(ACTORBODY), want);
}

TEST(BallTemplates, RootWholeText)
{
    std::string want = head("%s:1", "%s", "on", "BODY:1") + channels(ROOTROWS) + tail("0 0 0", "0 0 0");
    EXPECT_EQ(std::string(ACTORROOT), want);
}

TEST(BallTemplates, AtomHeadWholeText)
{
    EXPECT_STREQ(ACTORATOM1,
                 "actor %s:1\n\t{\n\tname    %s\n\ton\n\tbend 0\n\tdynamicsLock\t\t1\n\thidden\t\t0\n"
                 "\taddToMenu\t1\n\tcastsShadow\t\t1\n\tincludeInDepthCue\t\t1\n\tparent %s:1\n"
                 "\tchannels\n\t\t{\n");
    EXPECT_EQ(std::string(ACTORATOM1), head("%s:1", "%s", "on", "%s:1"));
}

TEST(BallTemplates, MorphTargetsWholeText)
{
    std::string want =
        morph("bond_longer", "5e-2", longerDeltas()) + morph("bond_thicker", "5e-02", thickerDeltas());
    EXPECT_EQ(std::string(ACTORATOM2), want);
}

TEST(BallTemplates, AtomChannelsWholeText)
{
    std::string want = channels(ATOM3ROWS) + tail("0 %g 0", "0 %g 0");
    EXPECT_EQ(std::string(ACTORATOM3), want);
}

TEST(BallTemplates, MaterialWholeText)
{
    EXPECT_STREQ(MATERIAL,
                 "\tmaterial %s\n\t\t{\n\t\tKdColor %g %g %g 1\n\t\tKaColor 0 0 0 1 \n"
                 "\t\tKsColor 0.99 0.99 0.99 1 \n\t\tTextureColor 1 1 1 1 \n\t\tNsExponent 100 \n"
                 "\t\ttMin 0 \n\t\ttMax 0 \n\t\ttExpo 0.6 \n\t\tbumpStrength 1 \n"
                 "\t\tksIgnoreTexture 0 \n\t\treflectThruLights 1 \n\t\treflectThruKd 0 \n"
                 "\t\ttextureMap NO_MAP\n\t\tbumpMap NO_MAP\n\t\treflectionMap NO_MAP\n"
                 "\t\ttransparencyMap NO_MAP\n\t\tReflectionColor 1 1 1 1 \n"
                 "\t\treflectionStrength 1 \n\t\t}\n");
}

TEST(BallTemplates, MaterialTrailingBlanks)
{
    std::vector<std::string> lines = splitLines(MATERIAL);
    ASSERT_EQ(lines.size(), 21u);
    int blanks = 0;
    for (const std::string &l : lines)
        if (!l.empty() && l.back() == ' ')
            ++blanks;
    EXPECT_EQ(blanks, 13);
    EXPECT_EQ(lines[3], "\t\tKaColor 0 0 0 1 ");
    EXPECT_EQ(lines[13], "\t\treflectThruKd 0 ");
    EXPECT_EQ(lines[14], "\t\ttextureMap NO_MAP");
    EXPECT_EQ(lines[18], "\t\tReflectionColor 1 1 1 1 ");
    EXPECT_EQ(lines[19], "\t\treflectionStrength 1 ");
    EXPECT_EQ(lines[2], "\t\tKdColor %g %g %g 1");
}

TEST(BallTemplates, NoOtherTrailingBlanks)
{
    // Only the morph targets' deltas block and the material carry them.
    for (const char *t : {ACTORBODY, ACTORROOT, ACTORATOM1, ACTORATOM3})
        for (const std::string &l : splitLines(t))
            EXPECT_FALSE(!l.empty() && l.back() == ' ') << l;
    int blanks = 0;
    for (const std::string &l : splitLines(ACTORATOM2))
        if (!l.empty() && l.back() == ' ')
            ++blanks;
    EXPECT_EQ(blanks, 2 * 3 + 16 + 32); // deltas, {, } per target plus the d lines
}

TEST(BallTemplates, StaticValueOnlyInOffsetChannels)
{
    for (const char *t : {ACTORBODY, ACTORROOT, ACTORATOM3}) {
        std::string type;
        int statics = 0, channelsSeen = 0;
        for (const std::string &l : splitLines(t)) {
            if (l.size() > 2 && l[0] == '\t' && l[1] == '\t' && l[2] != '\t' && l[2] != '{' && l[2] != '}') {
                type = l.substr(2, l.find(' ') - 2);
                ++channelsSeen;
            }
            if (startsWith(l, "\t\t\tstaticValue ")) {
                ++statics;
                EXPECT_NE(type.find("Offset"), std::string::npos) << type;
            }
        }
        EXPECT_EQ(channelsSeen, 16);
        EXPECT_EQ(statics, 6);
    }
    EXPECT_EQ(countOf(ACTORATOM2, "staticValue"), 0);
}

TEST(BallTemplates, KeyLines)
{
    // Two blanks around the frame number; %g keys exactly where values go.
    EXPECT_EQ(countOf(ACTORBODY, "\t\t\t\tk  0  %g\n"), 1);
    EXPECT_EQ(countOf(ACTORROOT, "\t\t\t\tk  0  %g\n"), 4);
    EXPECT_EQ(countOf(ACTORATOM2, "\t\t\t\tk  0  %g\n"), 2);
    EXPECT_EQ(countOf(ACTORATOM3, "\t\t\t\tk  0  %g\n"), 3);
    EXPECT_EQ(countOf(ACTORBODY, "\t\t\t\tstatic  1\n"), 6);
    EXPECT_EQ(countOf(ACTORBODY, "\t\t\t\tstatic  0\n"), 10);
    EXPECT_EQ(countOf(ACTORATOM2, "\t\t\t\tstatic  0\n"), 2);
    EXPECT_EQ(countOf(ACTORATOM3, "\t\t\t\tk  0  1\n"), 4);
}

TEST(BallTemplates, RootTranslateYHasTwoInitValues)
{
    EXPECT_EQ(channelOf(ACTORROOT, "translateY ytran"),
              "\t\ttranslateY ytran\n\t\t\t{\n\t\t\tname ytran\n"
              "\t\t\tinitValue GetStringRes(1028,13)\n\t\t\tinitValue %g\n"
              "\t\t\thidden 0\n\t\t\tforceLimits 0\n\t\t\tmin -100000\n\t\t\tmax 100000\n"
              "\t\t\ttrackingScale 0.001\n\t\t\tkeys\n\t\t\t\t{\n\t\t\t\tstatic  0\n"
              "\t\t\t\tk  0  %g\n\t\t\t\t}\n\t\t\tinterpStyleLocked 0\n\t\t\t}\n");
    EXPECT_EQ(countOf(ACTORROOT, "initValue"), 17);
    EXPECT_EQ(countOf(ACTORBODY, "initValue"), 16);
    EXPECT_EQ(countOf(ACTORATOM3, "initValue"), 16);
    EXPECT_TRUE(startsWith(channelOf(ACTORBODY, "translateY ytran"),
                           "\t\ttranslateY ytran\n\t\t\t{\n\t\t\tname GetStringRes(1028,13)\n"
                           "\t\t\tinitValue 0\n\t\t\thidden 0\n"));
}

TEST(BallTemplates, TrackingScaleSpelledTwoWays)
{
    EXPECT_NE(channelOf(ACTORATOM2, "targetGeom bond_longer").find("\t\t\ttrackingScale 5e-2\n"),
              std::string::npos);
    EXPECT_NE(channelOf(ACTORATOM2, "targetGeom bond_thicker").find("\t\t\ttrackingScale 5e-02\n"),
              std::string::npos);
}

TEST(BallTemplates, ThickerDeltasHaveNoNegativeZero)
{
    const std::string t = ACTORATOM2;
    EXPECT_NE(t.find("\t\t\t\td 0 -1 0 0 \n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\t\td 4 0 0 -1 \n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\t\td 8 1 0 0 \n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\t\td 12 0 0 1 \n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\t\td 16 -1 0 0 \n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\t\td 1 -0.92388 0 -0.382683 \n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\t\td 31 -0.92388 0 0.382683 \n"), std::string::npos);
    EXPECT_EQ(t.find("-0 "), std::string::npos);
    EXPECT_EQ(t.find("e-17"), std::string::npos);
    EXPECT_EQ(t.find("e-16"), std::string::npos);
    EXPECT_EQ(countOf(t, "\t\t\tnumbDeltas 146\n"), 2);
    EXPECT_NE(t.find("\t\t\tindexes 16\n"), std::string::npos);
    EXPECT_NE(t.find("\t\t\tindexes 32\n"), std::string::npos);
}

TEST(BallTemplates, BodyFilled)
{
    std::string s = fill(ACTORBODY, 0.01, 0.01);
    EXPECT_EQ(s.size(), std::strlen(ACTORBODY) - 4 + 8);
    EXPECT_TRUE(startsWith(s, "actor BODY:1\n\t{\n\tname    GetStringRes(1024,1)\n\toff\n\tbend 0\n"));
    EXPECT_TRUE(endsWith(s,
                         "\tendPoint 0 1 0\n\torigin 0 0 0\n\torientation 0 0 0\n"
                         "\tdisplayOrigin\t\t0\n\tdisplayMode USEPARENT\n\tcustomMaterial\t0\n"
                         "\tlocked 0\n\t}\n\n"));
    std::string scale = channelOf(s, "propagatingScale scale");
    EXPECT_NE(scale.find("\t\t\tinitValue 0.01\n"), std::string::npos);
    EXPECT_NE(scale.find("\t\t\t\tk  0  0.01\n"), std::string::npos);
    EXPECT_EQ(s.find('%'), std::string::npos);
}

TEST(BallTemplates, RootFilledInArgumentOrder)
{
    std::string s = fill(ACTORROOT, "atom0", "Oxygen_1", 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0);
    EXPECT_TRUE(startsWith(s, "actor atom0:1\n\t{\n\tname    Oxygen_1\n\ton\n"));
    EXPECT_NE(s.find("\tparent BODY:1\n"), std::string::npos);
    EXPECT_TRUE(endsWith(s,
                         "\tendPoint 0 0 0\n\torigin 0 0 0\n\torientation 0 0 0\n"
                         "\tdisplayOrigin\t\t0\n\tdisplayMode USEPARENT\n\tcustomMaterial\t0\n"
                         "\tlocked 0\n\t}\n"));
    EXPECT_FALSE(endsWith(s, "\n\n"));
    std::string c = channelOf(s, "scale scale");
    EXPECT_NE(c.find("\t\t\tinitValue 3\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  4\n"), std::string::npos);
    c = channelOf(s, "translateX xtran");
    EXPECT_NE(c.find("\t\t\tinitValue 5\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  6\n"), std::string::npos);
    c = channelOf(s, "translateY ytran");
    EXPECT_NE(c.find("\t\t\tinitValue GetStringRes(1028,13)\n\t\t\tinitValue 7\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  8\n"), std::string::npos);
    c = channelOf(s, "translateZ ztran");
    EXPECT_NE(c.find("\t\t\tinitValue 9\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  10\n"), std::string::npos);
    EXPECT_EQ(s.find('%'), std::string::npos);
}

TEST(BallTemplates, AtomHeadFilled)
{
    EXPECT_EQ(fill(ACTORATOM1, "atom2", "H_2", "atom0"), head("atom2:1", "H_2", "on", "atom0:1"));
}

TEST(BallTemplates, MorphTargetsFilled)
{
    std::string s = fill(ACTORATOM2, 2.5, 2.75, 0.125, 0.25);
    EXPECT_TRUE(startsWith(s,
                           "\t\ttargetGeom bond_longer\n\t\t\t{\n\t\t\tname bond_longer\n"
                           "\t\t\tinitValue 2.5\n"));
    EXPECT_TRUE(endsWith(s, "\t\t\t\td 31 -0.92388 0 0.382683 \n\t\t\t\t} \n\t\t\t}\n"));
    std::string c = channelOf(s, "targetGeom bond_longer");
    EXPECT_NE(c.find("\t\t\t\tk  0  2.75\n"), std::string::npos);
    c = channelOf(s, "targetGeom bond_thicker");
    EXPECT_NE(c.find("\t\t\tinitValue 0.125\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  0.25\n"), std::string::npos);
}

TEST(BallTemplates, AtomChannelsFilledInArgumentOrder)
{
    std::string s = fill(ACTORATOM3, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0, 12.0);
    EXPECT_TRUE(startsWith(s, "\t\txOffsetA xOffset\n\t\t\t{\n"));
    std::string c = channelOf(s, "yOffsetA yOffset");
    EXPECT_NE(c.find("\t\t\tinitValue 1\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\tstaticValue 2\n"), std::string::npos);
    c = channelOf(s, "rotateX xrot");
    EXPECT_NE(c.find("\t\t\tname xrot_THETA\n\t\t\tinitValue 3\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  4\n"), std::string::npos);
    c = channelOf(s, "rotateY yrot");
    EXPECT_NE(c.find("\t\t\tname yrot_PHI\n\t\t\tinitValue 5\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  6\n"), std::string::npos);
    c = channelOf(s, "yOffsetB yTranB");
    EXPECT_NE(c.find("\t\t\tinitValue 7\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\tstaticValue 8\n"), std::string::npos);
    c = channelOf(s, "translateY ytran");
    EXPECT_NE(c.find("\t\t\tname ytran_bondlength\n\t\t\tinitValue 9\n"), std::string::npos);
    EXPECT_NE(c.find("\t\t\t\tk  0  10\n"), std::string::npos);
    EXPECT_TRUE(endsWith(s,
                         "\t\t}\n\tendPoint 0 11 0\n\torigin 0 12 0\n\torientation 0 0 0\n"
                         "\tdisplayOrigin\t\t0\n\tdisplayMode USEPARENT\n\tcustomMaterial\t0\n"
                         "\tlocked 0\n\t}\n"));
    EXPECT_FALSE(endsWith(s, "\n\n"));
}

TEST(BallTemplates, AtomChannelsWithABond)
{
    double bondl = 2.5;
    std::string s =
        fill(ACTORATOM3, bondl, bondl, 90.0, 90.0, 45.0, 45.0, -bondl, -bondl, bondl, bondl, bondl, -bondl);
    EXPECT_NE(s.find("\tendPoint 0 2.5 0\n\torigin 0 -2.5 0\n"), std::string::npos);
    EXPECT_NE(channelOf(s, "yOffsetB yTranB").find("\t\t\tstaticValue -2.5\n"), std::string::npos);
    EXPECT_NE(channelOf(s, "rotateY yrot").find("\t\t\tinitValue 45\n"), std::string::npos);
}

TEST(BallTemplates, MaterialFilled)
{
    std::string s = fill(MATERIAL, "Preview", 0.9, 0.0, 0.0);
    EXPECT_TRUE(startsWith(s, "\tmaterial Preview\n\t\t{\n\t\tKdColor 0.9 0 0 1\n\t\tKaColor 0 0 0 1 \n"));
    EXPECT_TRUE(endsWith(s, "\t\tReflectionColor 1 1 1 1 \n\t\treflectionStrength 1 \n\t\t}\n"));
    s = fill(MATERIAL, "bonds", 255 / 256.0, 200 / 256.0, 128 / 256.0);
    EXPECT_NE(s.find("\t\tKdColor 0.996094 0.78125 0.5 1\n"), std::string::npos);
}

// -------------------------------------------------------------------- meshes

TEST(BallMesh, LineCounts)
{
    std::vector<std::string> v = splitLines(BONDVERTS);
    ASSERT_EQ(v.size(), 32u);
    for (const std::string &l : v)
        EXPECT_TRUE(startsWith(l, "v ")) << l;
    std::vector<std::string> f = splitLines(BONDFACES);
    ASSERT_EQ(f.size(), 16u);
    for (const std::string &l : f)
        EXPECT_TRUE(startsWith(l, "f ")) << l;
    std::vector<std::string> b = splitLines(BALLFACES);
    ASSERT_EQ(b.size(), 128u);
    for (const std::string &l : b)
        EXPECT_TRUE(startsWith(l, "f -")) << l;
}

TEST(BallMesh, BondVertsLieOnTheirRings)
{
    std::vector<std::string> lines = splitLines(BONDVERTS);
    ASSERT_EQ(lines.size(), 32u);
    for (int i = 0; i < 32; ++i) {
        const char *p = lines[i].c_str() + 2;
        char *end;
        double x = std::strtod(p, &end);
        double y = std::strtod(end, &end);
        double z = std::strtod(end, &end);
        EXPECT_EQ(*end, '\0') << lines[i];
        double a = (180 + 22.5 * (i % 16)) * PI / 180;
        EXPECT_NEAR(x, 1e-4 * std::cos(a), 1e-10) << lines[i];
        EXPECT_EQ(y, i < 16 ? 0.0 : -1e-4) << lines[i];
        EXPECT_NEAR(z, 1e-4 * std::sin(a), 1e-10) << lines[i];
    }
    EXPECT_EQ(lines[0], "v -1.0e-4 0 0");
    EXPECT_EQ(lines[1], "v -0.92388e-4 0 -0.382683e-4");
    EXPECT_EQ(lines[4], "v 0 0 -1.0e-4");
    EXPECT_EQ(lines[16], "v -1.0e-4 -1e-4 0");
    EXPECT_EQ(lines[20], "v 0 -1e-4 -1.0e-4");
    EXPECT_EQ(lines[31], "v -0.92388e-4 -1e-4 0.382683e-4");
}

TEST(BallMesh, BondFacesFollowFormula)
{
    // T(j) = 1 + j, B(j) = 17 + j; (B0, B15, T15, T0), (B15, B14, T14, T15), ...
    std::string want;
    for (int i = 0; i < 16; ++i) {
        int m = (16 - i) % 16, n = (m + 15) % 16;
        want += "f " + std::to_string(17 + m) + " " + std::to_string(17 + n) + " " + std::to_string(1 + n) +
                " " + std::to_string(1 + m) + "\n";
    }
    EXPECT_EQ(std::string(BONDFACES), want);
    std::vector<std::string> lines = splitLines(BONDFACES);
    EXPECT_EQ(lines.front(), "f 17 32 16 1");
    EXPECT_EQ(lines.back(), "f 18 17 1 2");
}

TEST(BallMesh, BallFacesFollowFormula)
{
    auto R = [](int k, int j) { return 1 + 16 * (k - 1) + (j % 16); };
    auto n = [](int p) { return " " + std::to_string(p - 114); };
    std::string want;
    for (int j = 0; j < 16; ++j)
        want += "f" + n(0) + n(R(1, j)) + n(R(1, j + 1)) + "\n";
    for (int k = 1; k <= 6; ++k)
        for (int j = 0; j < 16; ++j)
            want += "f" + n(R(k, j + 1)) + n(R(k, j)) + n(R(k + 1, j)) + n(R(k + 1, j + 1)) + "\n";
    for (int j = 0; j < 16; ++j)
        want += "f" + n(R(7, j + 1)) + n(R(7, j)) + n(113) + "\n";
    EXPECT_EQ(std::string(BALLFACES), want);
}

TEST(BallMesh, BallFacesSampleLines)
{
    std::vector<std::string> l = splitLines(BALLFACES);
    ASSERT_EQ(l.size(), 128u);
    EXPECT_EQ(l[0], "f -114 -113 -112");
    EXPECT_EQ(l[1], "f -114 -112 -111");
    EXPECT_EQ(l[15], "f -114 -98 -113");
    EXPECT_EQ(l[16], "f -112 -113 -97 -96");
    EXPECT_EQ(l[111], "f -33 -18 -2 -17");
    EXPECT_EQ(l[112], "f -16 -17 -1");
    EXPECT_EQ(l[127], "f -17 -2 -1");
}

TEST(BallMesh, BallVertsAreTheRoundedSphere)
{
    double want[114][3] = {{0, -1, 0}};
    for (int k = 1; k <= 7; ++k)
        for (int j = 0; j < 16; ++j) {
            double t = 22.5 * k * PI / 180, a = (157.5 + 22.5 * j) * PI / 180;
            double *w = want[1 + 16 * (k - 1) + j];
            w[0] = std::sin(t) * std::cos(a);
            w[1] = -std::cos(t);
            w[2] = std::sin(t) * std::sin(a);
        }
    want[113][0] = 0;
    want[113][1] = 1;
    want[113][2] = 0;
    for (int p = 0; p < 114; ++p)
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(BALLVERTS[p][c], round6(want[p][c]), 5e-7) << "point " << p << " axis " << c;
            // Stored to six decimals: nothing beyond them.
            EXPECT_NEAR(BALLVERTS[p][c] * 1e6, std::round(BALLVERTS[p][c] * 1e6), 1e-6)
                << "point " << p << " axis " << c;
        }
}

TEST(BallMesh, BallVertsNoNegativeZero)
{
    int zeros = 0;
    for (int p = 0; p < 114; ++p)
        for (int c = 0; c < 3; ++c)
            if (BALLVERTS[p][c] == 0) {
                ++zeros;
                EXPECT_FALSE(std::signbit(BALLVERTS[p][c])) << "point " << p << " axis " << c;
            }
    // Both poles (x and z), the equator's y, and x or z at four azimuths per ring.
    EXPECT_EQ(zeros, 4 + 16 + 7 * 4);
}

TEST(BallMesh, BallVertsTabledRows)
{
    struct {
        int p;
        double x, y, z;
    } rows[] = {
        {0, 0, -1, 0},
        {1, -0.353553, -0.92388, 0.146447},
        {2, -0.382683, -0.92388, 0},
        {3, -0.353553, -0.92388, -0.146447},
        {10, 0.382683, -0.92388, 0},
        {16, -0.270598, -0.92388, 0.270598},
        {17, -0.653281, -0.707107, 0.270598},
        {49, -0.92388, 0, 0.382683},
        {58, 1, 0, 0},
        {112, -0.270598, 0.92388, 0.270598},
        {113, 0, 1, 0},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(BALLVERTS[r.p][0], r.x) << "point " << r.p;
        EXPECT_EQ(BALLVERTS[r.p][1], r.y) << "point " << r.p;
        EXPECT_EQ(BALLVERTS[r.p][2], r.z) << "point " << r.p;
    }
}

TEST(BallMesh, BallVertsPrintAsStored)
{
    // With radius 1 and 2 the vertex lines come out as the writer's users see them.
    char buf[128];
    std::snprintf(buf, sizeof buf, "v %g %g %g", BALLVERTS[1][0], BALLVERTS[1][1], BALLVERTS[1][2]);
    EXPECT_STREQ(buf, "v -0.353553 -0.92388 0.146447");
    std::snprintf(buf, sizeof buf, "v %g %g %g", BALLVERTS[17][0] * 2, BALLVERTS[17][1] * 2,
                  BALLVERTS[17][2] * 2);
    EXPECT_STREQ(buf, "v -1.30656 -1.41421 0.541196");
    std::snprintf(buf, sizeof buf, "v %g %g %g", BALLVERTS[2][0] * 2, BALLVERTS[2][1] * 2,
                  BALLVERTS[2][2] * 2);
    EXPECT_STREQ(buf, "v -0.765366 -1.84776 0");
    std::snprintf(buf, sizeof buf, "v %g %g %g", BALLVERTS[1][0] * 2, BALLVERTS[1][1] * 2,
                  BALLVERTS[1][2] * 2);
    EXPECT_STREQ(buf, "v -0.707106 -1.84776 0.292894");
}
