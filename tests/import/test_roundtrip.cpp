// End to end: every sample (and every molecule file among the examples)
// through kestrix-import and then kestrix-cli; the atoms are rebuilt from
// the written figure file alone, from each atom actor's parent and its
// printed xrot_THETA, yrot_PHI and ytran_bondlength values, by the child's
// frame rule, and must land within 1e-4 Angstrom of the input positions.
//
// usage: kestrix_import_roundtrip KESTRIX_IMPORT KESTRIX_CLI SAMPLES EXAMPLES
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <unistd.h>

#include "import/elements.h"
#include "support/kinematics.h"
#include "import/krx.h"
#include "import/readers.h"
#include "import/text.h"

namespace fs = std::filesystem;
using namespace importer;

namespace {

std::string importtool, clitool, samples, examples;

struct actor {
    std::string name;                     // the atom's name
    std::string parent;                   // actor id of the parent, "BODY" for the root
    std::map<std::string, double> values; // channel display name -> initValue
    std::map<std::string, double> bytype; // channel type -> initValue
};

// The full actor definitions of a figure file (the second section, whose
// actors have a "name" line), by actor id.
std::map<std::string, actor> readcr2(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::map<std::string, actor> actors;
    std::string current, channel, channeltype;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 6, "actor ") == 0) {
            current = line.substr(6);
            current = current.substr(0, current.find(':'));
            channel.clear();
            continue;
        }
        if (line.compare(0, 6, "figure") == 0)
            current.clear();
        if (current.empty())
            continue;
        std::vector<std::string> w = words(line);
        if (w.empty())
            continue;
        size_t tabs = line.find_first_not_of('\t');
        if (tabs == 1 && w[0] == "name" && w.size() > 1)
            actors[current].name = w[1];
        else if (tabs == 1 && w[0] == "parent" && w.size() > 1)
            actors[current].parent = w[1].substr(0, w[1].find(':'));
        else if (tabs == 2 && w.size() == 2 && w[0] != "{" && w[0] != "}") {
            channeltype = w[0];
            channel.clear();
        } else if (tabs == 3 && w[0] == "name" && w.size() > 1)
            channel = w[1];
        else if (tabs == 3 && w[0] == "initValue" && w.size() > 1) {
            double v = 0;
            if (toreal(w[1], v)) { // the root's ytran has a text line first
                actors[current].values[channel] = v;
                actors[current].bytype[channeltype] = v;
            }
        }
    }
    return actors;
}

int runcommand(const std::string &command) { return std::system(command.c_str()); }

std::string quote(const std::string &s) { return "'" + s + "'"; }

void roundtrip(const std::string &input, const std::vector<std::string> &options, double &worst)
{
    SCOPED_TRACE(input);
    // The process's number too: every run draws the same rand() sequence, and
    // builds side by side ran into each other's folders.
    fs::path work = fs::temp_directory_path() /
                    ("kestrix-roundtrip-" + std::to_string(getpid()) + "-" + std::to_string(std::rand()));
    fs::remove_all(work);
    fs::create_directories(work / "poser");
    std::string krx = (work / "mol.krx").string();
    std::string opts;
    for (const std::string &o : options)
        opts += " " + o;
    ASSERT_EQ(
        runcommand(quote(importtool) + opts + " -o " + quote(krx) + " " + quote(input) + " >/dev/null 2>&1"),
        0);
    // kestrix-cli keeps its settings in the configuration folder given.
    ASSERT_EQ(runcommand("cd " + quote(work.string()) +
                         " && XDG_CONFIG_HOME=" + quote((work / "config").string()) + " " + quote(clitool) +
                         " --poser poser --force --quiet mol.krx"),
              0);
    std::map<std::string, actor> actors =
        readcr2((work / "poser/Runtime/Libraries/character/Molecules/mol.cr2").string());

    // The input as the importer's readers see it, by atom name.
    problem p;
    inmolecule m;
    selection sel;
    for (const std::string &o : options)
        sel.nohydrogens = sel.nohydrogens || o == "--no-hydrogens";
    ASSERT_EQ(readinput(input, m, sel, p), 1) << p.detail;
    std::vector<std::string> names = atomnames(m);
    std::map<std::string, kinematics::vec> expected;
    for (size_t i = 0; i < m.atoms.size(); i++)
        expected[names[i]] = {m.atoms[i].x, m.atoms[i].y, m.atoms[i].z};

    // Actors atom0, atom1, ... in file order, parents first.
    size_t n = 0;
    while (actors.count("atom" + std::to_string(n)))
        n++;
    ASSERT_EQ(n, m.atoms.size());
    std::map<std::string, int> indexof;
    std::vector<int> parent;
    std::vector<double> theta, phi, bondl;
    for (size_t i = 0; i < n; i++) {
        const actor &a = actors["atom" + std::to_string(i)];
        indexof["atom" + std::to_string(i)] = (int)i;
        if (i == 0) {
            ASSERT_EQ(a.parent, "BODY");
            parent.push_back(-1);
            theta.push_back(0);
            phi.push_back(0);
            bondl.push_back(0);
            continue;
        }
        ASSERT_EQ(indexof.count(a.parent), 1u) << "atom" << i << " parent " << a.parent;
        parent.push_back(indexof[a.parent]);
        ASSERT_EQ(a.values.count("xrot_THETA"), 1u);
        ASSERT_EQ(a.values.count("yrot_PHI"), 1u);
        ASSERT_EQ(a.values.count("ytran_bondlength"), 1u);
        theta.push_back(a.values.at("xrot_THETA"));
        phi.push_back(a.values.at("yrot_PHI"));
        bondl.push_back(a.values.at("ytran_bondlength"));
    }
    const actor &root = actors["atom0"];
    ASSERT_EQ(expected.count(root.name), 1u);
    kinematics::vec r = expected[root.name];
    // The root's place is printed with six digits too: within that.
    EXPECT_NEAR(root.bytype.at("translateX"), r.x, 5e-6 * std::max(1.0, std::fabs(r.x)));
    EXPECT_NEAR(root.bytype.at("translateY"), r.y, 5e-6 * std::max(1.0, std::fabs(r.y)));
    EXPECT_NEAR(root.bytype.at("translateZ"), r.z, 5e-6 * std::max(1.0, std::fabs(r.z)));

    std::vector<kinematics::vec> rebuilt = kinematics::positions(parent, theta, phi, bondl, r);
    for (size_t i = 0; i < n; i++) {
        const std::string &name = actors["atom" + std::to_string(i)].name;
        ASSERT_EQ(expected.count(name), 1u) << name;
        double d = kinematics::distance(rebuilt[i], expected[name]);
        worst = std::max(worst, d);
        // Angles printed with six digits turn a far atom by more: the bound
        // grows with its distance from the root beyond 10 Angstrom.
        EXPECT_LT(d, 1e-4 * std::max(1.0, kinematics::distance(expected[name], r) / 10)) << name;
    }
    fs::remove_all(work);
}

std::vector<std::string> moleculefiles(const std::string &dir)
{
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return out;
    for (const auto &e : fs::directory_iterator(dir)) {
        std::string path = e.path().string();
        if (formatof(path) != FORMAT_UNKNOWN && e.path().filename().string().rfind("malformed", 0) != 0)
            out.push_back(path);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The examples are descriptions. Those in coordinate mode whose elements
// are element symbols become XYZ files in dir: molecules to import.
std::vector<std::string> examplemolecules(const std::string &exampledir, const fs::path &dir)
{
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::is_directory(exampledir, ec))
        return out;
    std::vector<fs::path> krx;
    for (const auto &e : fs::directory_iterator(exampledir))
        if (e.path().extension() == ".krx")
            krx.push_back(e.path());
    std::sort(krx.begin(), krx.end());
    for (const fs::path &k : krx) {
        std::vector<std::string> lines;
        problem p;
        std::unique_ptr<linesource> in;
        if (!opensource(k.string(), in, p))
            continue;
        for (std::string line; in->next(line);)
            lines.push_back(line);
        bool coordinates = false, usable = true;
        std::string atomlines;
        int count = 0;
        for (const std::string &line : lines) {
            std::vector<std::string> w = words(line.substr(0, line.find("//")));
            if (!w.empty() && w[0] == "{")
                w.erase(w.begin());
            if (w.empty())
                continue;
            if (w[0] == "readxyz")
                coordinates = true;
            if (w[0] != "atom")
                continue;
            if (w.size() < 6 || elementnumber(w[2]) == 0) {
                usable = false;
                break;
            }
            atomlines += w[2] + " " + w[3] + " " + w[4] + " " + w[5] + "\n";
            count++;
        }
        if (!coordinates || !usable || count == 0)
            continue;
        std::string xyz = (dir / (k.stem().string() + ".xyz")).string();
        std::ofstream(xyz, std::ios::binary) << count << "\n" << k.filename().string() << "\n" << atomlines;
        out.push_back(xyz);
    }
    return out;
}

} // namespace

TEST(Roundtrip, EverySampleAndExample)
{
    // Named by the process: an unseeded rand() gives every run the same
    // folder, which a run in another build folder at the same time removes.
    fs::path dir = fs::temp_directory_path() / ("kestrix-examples-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::string> files = moleculefiles(samples);
    ASSERT_GE(files.size(), 6u);
    std::vector<std::string> more = examplemolecules(examples, dir);
    files.insert(files.end(), more.begin(), more.end());
    double worst = 0;
    for (const std::string &f : files) {
        roundtrip(f, {}, worst);
        roundtrip(f, {"--no-hydrogens"}, worst);
    }
    std::printf("%zu files (%zu from the examples), worst distance %.3g Angstrom\n", files.size(),
                more.size(), worst);
    fs::remove_all(dir);
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s KESTRIX_IMPORT KESTRIX_CLI SAMPLES EXAMPLES\n", argv[0]);
        return 2;
    }
    importtool = fs::absolute(argv[1]).string();
    clitool = fs::absolute(argv[2]).string();
    samples = argv[3];
    examples = argv[4];
    return RUN_ALL_TESTS();
}
