// The output layer on its own: what a commit does when something changes
// under an output's name just before it (placed exactly by the layer's test
// hook), pairs that fail half way, names that are no regular file, outputs
// of one batch that clash, modes, and the reasons given.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/outfile_system.h"
#include "support/testutil.h"

namespace {

std::function<void(const outfile *)> racer;
void runracer(const outfile *f)
{
    if (racer)
        racer(f);
}

// Writes text through the layer to target; returns the commit's result.
int writeout(const std::string &target, const std::string &text, int flags, outfile *f)
{
    if (!openout(f, target.c_str(), flags))
        return -1;
    std::fputs(text.c_str(), f->stream);
    int ok = closeout(f) && commitout(f);
    discardout(f);
    return ok;
}

struct racecase {
    const char *what;
    const char *before; // the file under the name at the start, or null
    int flags;
    std::function<void(const std::string &)> race; // done just before the commit
    int result;
    outerror error;
    const char *after; // the file under the name in the end ("<folder>", "<link>")
};

std::string kindof(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return "<none>";
    if (S_ISDIR(st.st_mode))
        return "<folder>";
    if (S_ISLNK(st.st_mode))
        return "<link>";
    return readfile(path);
}

} // namespace

TEST(Outfile, RacesAtTheCommit)
{
    auto appears = [](const std::string &t) { writefile(t, "appeared\n"); };
    auto folder = [](const std::string &t) {
        std::remove(t.c_str());
        mkdir(t.c_str(), 0777);
    };
    auto link = [](const std::string &t) {
        std::remove(t.c_str());
        writefile(t + ".victim", "victim\n");
        symlink((t + ".victim").c_str(), t.c_str());
    };
    auto goes = [](const std::string &t) { std::remove(t.c_str()); };
    const std::vector<racecase> cases = {
        {"nothing happens", nullptr, 0, nullptr, 1, OUT_FINE, "new\n"},
        {"a file appears, no replace", nullptr, 0, appears, 0, OUT_EXISTS, "appeared\n"},
        {"a file appears, replace", nullptr, OUT_REPLACE, appears, 1, OUT_FINE, "new\n"},
        {"a folder appears", "old\n", OUT_REPLACE, folder, 0, OUT_NOTREGULAR, "<folder>"},
        {"a link appears", "old\n", OUT_REPLACE, link, 0, OUT_NOTREGULAR, "<link>"},
        {"the old file goes", "old\n", OUT_REPLACE, goes, 1, OUT_FINE, "new\n"},
        {"the old file is replaced", "old\n", OUT_REPLACE, nullptr, 1, OUT_FINE, "new\n"},
    };
    for (const racecase &c : cases) {
        SCOPED_TRACE(c.what);
        std::string dir = tempfolder(), target = dir + "/out.obj";
        if (c.before)
            writefile(target, c.before);
        racer = [&](const outfile *) {
            if (c.race)
                c.race(target);
        };
        commithook = runracer;
        outfile f;
        int r = writeout(target, "new\n", c.flags, &f);
        commithook = nullptr;
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(f.error, c.error);
        EXPECT_EQ(kindof(target), c.after);
        if (c.race == nullptr || c.after != std::string("<link>"))
            continue;
        EXPECT_EQ(readfile(target + ".victim"), "victim\n");
    }
}

TEST(Outfile, NoTemporaryOrBackupIsLeft)
{
    std::string dir = tempfolder();
    writefile(dir + "/a.obj", "old\n");
    outfile f;
    EXPECT_EQ(writeout(dir + "/a.obj", "new\n", OUT_REPLACE, &f), 1);
    EXPECT_EQ(writeout(dir + "/b.obj", "new\n", 0, &f), 1);
    EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"a.obj", "b.obj"}));
}

// A bare name is written in the working folder, whose renames are flushed
// like any other folder's (the folder of "a.obj" is ".", not "").
TEST(Outfile, BareNameInTheWorkingFolder)
{
    std::string dir = tempfolder();
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    outfile f;
    int single = writeout("a.obj", "new\n", 0, &f);
    outfile first, second;
    int pair = openout(&first, "b.obj", 0) && openout(&second, "b.cr2", 0);
    if (pair) {
        std::fputs("one\n", first.stream);
        std::fputs("two\n", second.stream);
        const outfile *failed = nullptr;
        pair = closeout(&first) && closeout(&second) && commitpair(&first, &second, &failed);
    }
    discardout(&first);
    discardout(&second);
    ASSERT_EQ(chdir(here), 0);
    EXPECT_EQ(single, 1);
    EXPECT_EQ(pair, 1);
    EXPECT_EQ(listfolder(dir), (std::vector<std::string>{"a.obj", "b.cr2", "b.obj"}));
}

struct pairfail {
    const char *what;
    const char *firstbefore; // null: no file
};

TEST(Outfile, PairThatFailsHalfWayPutsTheFirstBack)
{
    for (const pairfail &c : {pairfail{"an old mesh", "old mesh\n"}, pairfail{"no mesh", nullptr}}) {
        SCOPED_TRACE(c.what);
        std::string dir = tempfolder(), mesh = dir + "/w.obj", figure = dir + "/w.cr2";
        if (c.firstbefore)
            writefile(mesh, c.firstbefore);
        outfile first, second;
        ASSERT_EQ(openout(&first, mesh.c_str(), OUT_REPLACE), 1);
        ASSERT_EQ(openout(&second, figure.c_str(), OUT_REPLACE), 1);
        std::fputs("new mesh\n", first.stream);
        std::fputs("new figure\n", second.stream);
        ASSERT_EQ(closeout(&first) && closeout(&second), 1);
        // The figure's name becomes a folder as its commit begins.
        racer = [&](const outfile *f) {
            if (f == &second)
                mkdir(figure.c_str(), 0777);
        };
        commithook = runracer;
        const outfile *failed = nullptr;
        EXPECT_EQ(commitpair(&first, &second, &failed), 0);
        commithook = nullptr;
        EXPECT_EQ(failed, &second);
        EXPECT_EQ(second.error, OUT_NOTREGULAR);
        discardout(&first);
        discardout(&second);
        EXPECT_EQ(kindof(mesh), c.firstbefore ? c.firstbefore : "<none>");
        std::vector<std::string> left = listfolder(dir);
        EXPECT_EQ(left, c.firstbefore ? (std::vector<std::string>{"w.cr2", "w.obj"})
                                      : (std::vector<std::string>{"w.cr2"}));
    }
}

// A set of three (the Poser pair and its pose file) that fails at its
// second or third output puts back every name moved before it.
TEST(Outfile, SetThatFailsPutsEveryEarlierNameBack)
{
    for (int failing : {1, 2}) {
        SCOPED_TRACE(failing);
        std::string dir = tempfolder();
        const std::string names[3] = {dir + "/w.obj", dir + "/w.cr2", dir + "/w.pz2"};
        writefile(names[0], "old mesh\n");
        outfile f[3];
        outfile *set[3] = {&f[0], &f[1], &f[2]};
        for (int i = 0; i < 3; i++) {
            ASSERT_EQ(openout(&f[i], names[i].c_str(), OUT_REPLACE), 1);
            std::fputs("new\n", f[i].stream);
            ASSERT_EQ(closeout(&f[i]), 1);
        }
        racer = [&](const outfile *o) {
            if (o == &f[failing])
                mkdir(names[failing].c_str(), 0777);
        };
        commithook = runracer;
        const outfile *failed = nullptr;
        EXPECT_EQ(commitset(set, 3, &failed), 0);
        commithook = nullptr;
        EXPECT_EQ(failed, &f[failing]);
        for (outfile &o : f)
            discardout(&o);
        EXPECT_EQ(kindof(names[0]), "old mesh\n");
        EXPECT_EQ(kindof(names[1]), failing == 1 ? "<folder>" : "<none>");
        EXPECT_EQ(kindof(names[2]), failing == 2 ? "<folder>" : "<none>");
    }
}

struct namecase {
    const char *what;
    std::function<void(const std::string &, const std::string &)> make; // (name, folder)
    int flags;
    int result;
    outerror error;
};

TEST(Outfile, WhatANameMayBe)
{
    auto file = [](const std::string &n, const std::string &) { writefile(n, "old\n"); };
    auto folder = [](const std::string &n, const std::string &) { mkdir(n.c_str(), 0777); };
    auto fifo = [](const std::string &n, const std::string &) { mkfifo(n.c_str(), 0666); };
    auto device = [](const std::string &n, const std::string &) { symlink("/dev/null", n.c_str()); };
    auto dangling = [](const std::string &n, const std::string &d) {
        symlink((d + "/nothing").c_str(), n.c_str());
    };
    auto tofile = [](const std::string &n, const std::string &d) {
        writefile(d + "/real", "old\n");
        symlink("real", n.c_str());
    };
    const std::vector<namecase> cases = {
        {"nothing", nullptr, 0, 1, OUT_FINE},
        {"a file", file, 0, 0, OUT_EXISTS},
        {"a file, replace", file, OUT_REPLACE, 1, OUT_FINE},
        {"a folder", folder, OUT_REPLACE, 0, OUT_NOTREGULAR},
        {"a pipe", fifo, OUT_REPLACE, 0, OUT_NOTREGULAR},
        {"a link to a device", device, OUT_REPLACE, 0, OUT_NOTREGULAR},
        {"a link to nothing", dangling, 0, 0, OUT_DANGLING},
        {"a link to nothing, replace", dangling, OUT_REPLACE, 0, OUT_DANGLING},
        {"a link to a file", tofile, 0, 0, OUT_EXISTS},
        {"a link to a file, replace", tofile, OUT_REPLACE, 1, OUT_FINE},
    };
    for (const namecase &c : cases) {
        SCOPED_TRACE(c.what);
        std::string dir = tempfolder(), name = dir + "/out.glb";
        if (c.make)
            c.make(name, dir);
        outfile f;
        int r = openout(&f, name.c_str(), c.flags);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(f.error, c.error);
        if (r) {
            std::fputs("new\n", f.stream);
            EXPECT_EQ(closeout(&f) && commitout(&f), 1);
        }
        discardout(&f);
    }
    // A followed link stays a link; the file it leads to is replaced.
    std::string dir = tempfolder();
    writefile(dir + "/real", "old\n");
    symlink("real", (dir + "/link").c_str());
    outfile f;
    ASSERT_EQ(writeout(dir + "/link", "new\n", OUT_REPLACE, &f), 1);
    EXPECT_EQ(kindof(dir + "/link"), "<link>");
    EXPECT_EQ(readfile(dir + "/real"), "new\n");
}

TEST(Outfile, ReplacedFileKeepsItsMode)
{
    for (mode_t mode : {0600u, 0640u, 0755u, 0444u}) {
        std::string dir = tempfolder(), name = dir + "/f.obj";
        writefile(name, "old\n");
        chmod(name.c_str(), mode);
        outfile f;
        ASSERT_EQ(writeout(name, "new\n", OUT_REPLACE, &f), 1);
        struct stat st;
        ASSERT_EQ(stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
}

TEST(Outfile, OutputsOfOneBatchClash)
{
    std::string dir = tempfolder(), name = dir + "/water.cr2";
    outfile f, g;
    // Two outputs under way at once never share a file, batch or not.
    ASSERT_EQ(openout(&f, name.c_str(), OUT_REPLACE), 1);
    EXPECT_EQ(openout(&g, name.c_str(), OUT_REPLACE), 0);
    EXPECT_EQ(g.error, OUT_CLASH);
    discardout(&f);
    // Outside a batch a later job may replace an earlier one's file.
    EXPECT_EQ(writeout(name, "1\n", OUT_REPLACE, &f), 1);
    EXPECT_EQ(writeout(name, "2\n", OUT_REPLACE, &f), 1);
    // In a batch it may not, whatever name leads to it.
    beginbatch();
    EXPECT_EQ(writeout(name, "3\n", OUT_REPLACE, &f), 1);
    symlink(name.c_str(), (dir + "/other.cr2").c_str());
    EXPECT_EQ(claimedoutput((dir + "/other.cr2").c_str()), 1);
    EXPECT_EQ(writeout(dir + "/other.cr2", "4\n", OUT_REPLACE, &f), -1);
    EXPECT_EQ(f.error, OUT_CLASH);
    EXPECT_EQ(writeout(name, "4\n", OUT_REPLACE, &f), -1);
    // Settings are rewritten by every job: no clash.
    EXPECT_EQ(writeout(dir + "/kestrix.ini", "a\n", OUT_REPLACE | OUT_REWRITE, &f), 1);
    EXPECT_EQ(writeout(dir + "/kestrix.ini", "b\n", OUT_REPLACE | OUT_REWRITE, &f), 1);
    endbatch();
    EXPECT_EQ(readfile(name), "3\n");
}

struct reasoncase {
    const char *what;
    std::string target;
    const char *reason;
};

TEST(Outfile, ReasonsSayWhy)
{
    std::string dir = tempfolder();
    mkdir((dir + "/folder").c_str(), 0777);
    const std::vector<reasoncase> cases = {
        {"no such folder", dir + "/none/out.obj", "no such file or directory"},
        {"a name too long", dir + "/" + std::string(250, 'n') + ".obj", "file name too long"},
        {"a folder", dir + "/folder", "not a regular file"},
        {"a file there", dir + "/folder/../" + "exists", "a file of this name exists already"},
    };
    writefile(dir + "/exists", "x");
    for (const reasoncase &c : cases) {
        SCOPED_TRACE(c.what);
        outfile f;
        EXPECT_EQ(openout(&f, c.target.c_str(), 0), 0);
        EXPECT_STREQ(outreason(&f), c.reason);
    }
}

TEST(Outfile, SameFile)
{
    std::string dir = tempfolder();
    writefile(dir + "/a.krx", "x");
    symlink((dir + "/a.krx").c_str(), (dir + "/b.glb").c_str());
    EXPECT_EQ(samefile((dir + "/a.krx").c_str(), (dir + "/b.glb").c_str()), 1);
    EXPECT_EQ(samefile((dir + "/a.krx").c_str(), (dir + "/c.glb").c_str()), 0);
}
