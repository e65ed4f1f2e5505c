// The pose file of a figure with frames: applied to the figure, every frame
// puts every atom where the description's frame does. The atoms are rebuilt
// from the pose file's keys alone (the root's place, each atom's xrot, yrot
// and ytran), by the child's frame rule, each frame in turn.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/frames.h"
#include "model/model.h"
#include "support/kinematics.h"
#include "support/motionsamples.h"
#include "support/testutil.h"
#include "writers/poser/poser.h"

namespace {

// actor -> channel ("rotateX xrot") -> the keys' values, with their frame
// numbers checked to run 0, 1, 2, ... in every channel.
typedef std::map<std::string, std::map<std::string, std::vector<double>>> posekeys;

posekeys readpose(const std::string &text, std::string *fault)
{
    posekeys keys;
    std::istringstream in(text);
    std::string actor, channel;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string t; words >> t;)
            w.push_back(t);
        size_t tabs = line.find_first_not_of('\t');
        if (w.size() == 2 && w[0] == "actor")
            actor = w[1].substr(0, w[1].find(':'));
        else if (w.size() == 2 && tabs == 2)
            channel = w[0] + " " + w[1];
        else if (w.size() == 3 && w[0] == "k") {
            std::vector<double> &v = keys[actor][channel];
            if (std::stoi(w[1]) != static_cast<int>(v.size()))
                *fault = actor + " " + channel + ": key " + w[1] + " out of turn";
            v.push_back(std::stod(w[2]));
        }
    }
    return keys;
}

std::string posetext()
{
    FILE *f = std::tmpfile();
    writePZ2(f);
    std::string text = contents(f);
    std::fclose(f);
    return text;
}

class pose : public ::testing::TestWithParam<motioncase> {};

TEST_P(pose, EveryFrameOfThePosePutsEveryAtomWhereItsFrameDoes)
{
    const motioncase &c = GetParam();
    ASSERT_EQ(readframes(described(c.frames, c.branches, c.elements)), 1);
    const size_t F = c.frames.size();
    ASSERT_EQ(framecount(), static_cast<int>(F));
    std::vector<double> before;
    for (int n = 0; n < natoms; n++)
        before.insert(before.end(), {atoms[n].theta, atoms[n].phi, atoms[n].bondl, atoms[n].p.x, atoms[n].p.y,
                                     atoms[n].p.z});
    std::string text = posetext(), fault;
    // Writing leaves the model as frame 1 has it, for the figure file.
    for (int n = 0; n < natoms; n++)
        EXPECT_EQ(std::vector<double>(before.begin() + 6 * n, before.begin() + 6 * n + 6),
                  (std::vector<double>{atoms[n].theta, atoms[n].phi, atoms[n].bondl, atoms[n].p.x,
                                       atoms[n].p.y, atoms[n].p.z}));
    const std::string head = "{\n\nversion\n\t{\n\tnumber 4.01\n\t}\nactor atom0:1\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(text.size() - 5), "\t}\n}\n");
    posekeys keys = readpose(text, &fault);
    EXPECT_EQ(fault, "");
    ASSERT_EQ(keys.size(), static_cast<size_t>(natoms));

    std::vector<int> parent(static_cast<size_t>(natoms), -1);
    for (int n = 1; n < natoms; n++)
        parent[n] = static_cast<int>(atoms[n].parent - atoms);
    const std::map<std::string, std::vector<double>> &root = keys[atoms[0].shortname];
    EXPECT_EQ(root.size(), 3u) << "the root keys its place only";
    for (size_t k = 0; k < F; k++) {
        std::vector<double> theta(natoms), phi(natoms), bondl(natoms);
        for (int n = 1; n < natoms; n++) {
            std::map<std::string, std::vector<double>> &a = keys[atoms[n].shortname];
            ASSERT_EQ(a.size(), 4u) << atoms[n].shortname;
            for (auto &[channel, values] : a)
                ASSERT_EQ(values.size(), F) << atoms[n].shortname << " " << channel;
            theta[n] = a["rotateX xrot"][k];
            phi[n] = a["rotateY yrot"][k];
            bondl[n] = a["translateY ytran"][k];
            // The stretch morph keeps the bond cylinder closed.
            EXPECT_EQ(a["targetGeom bond_longer"][k], bondl[n]);
        }
        kinematics::vec r = {root.at("translateX xtran")[k], root.at("translateY ytran")[k],
                             root.at("translateZ ztran")[k]};
        std::vector<kinematics::vec> rebuilt = kinematics::positions(parent, theta, phi, bondl, r);
        for (int n = 0; n < natoms; n++) {
            const xyz &want = c.frames[k][n];
            EXPECT_LT(kinematics::distance(rebuilt[n], {want.x, want.y, want.z}), 1e-3)
                << c.what << " frame " << k << " atom " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(frames, pose, ::testing::ValuesIn(motioncases()));

// Without a bond drawn there is no stretch morph to key (the figure file
// has none).
TEST(pose, NoBondsNoStretchMorph)
{
    std::string text = described({ethane(0), ethane(60, 0.1)}, ETHANEBRANCHES, ETHANEELEMENTS);
    text.replace(text.find("bondradius 0.05"), 15, "bondradius 0");
    ASSERT_EQ(readframes(text), 1);
    std::string pz2 = posetext();
    EXPECT_EQ(pz2.find("bond_longer"), std::string::npos);
    EXPECT_NE(pz2.find("rotateX xrot"), std::string::npos);
}

} // namespace
