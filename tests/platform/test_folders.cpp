#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/folders.h"
#include "support/testutil.h"

namespace {
std::string full(const char *path)
{
    char out[4096];
    EXPECT_EQ(abspath(path, out, sizeof out), 1) << path;
    return out;
}
// An environment variable's value, "\x01" when it is unset, and back.
std::string saved(const char *name)
{
    const char *v = std::getenv(name);
    return v ? v : "\x01";
}

void restore(const char *name, const std::string &v)
{
    v == "\x01" ? unsetenv(name) : setenv(name, v.c_str(), 1);
}
} // namespace

TEST(Folders, FullPathsAreTidied)
{
    // The figure file compares the mesh's path with the Poser folder's by
    // their text, so "." and ".." must not survive.
    EXPECT_EQ(full("/a/b/../c/./d//"), "/a/c/d");
    EXPECT_EQ(full("//x///y/"), "/x/y");
    EXPECT_EQ(full("/.."), "/");
    EXPECT_EQ(full("/../a/.."), "/");
    EXPECT_EQ(full("/"), "/");
    EXPECT_EQ(full("/a/.hidden/..x"), "/a/.hidden/..x");
    char cwd[4096];
    ASSERT_EQ(currentdir(cwd, sizeof cwd), 1);
    EXPECT_EQ(full("x/../y"), std::string(cwd == std::string("/") ? "" : cwd) + "/y");
    EXPECT_EQ(full("."), std::string(cwd));
    char small[8];
    EXPECT_EQ(abspath("/a/very/long/path", small, sizeof small), 0);
}

TEST(Folders, UserSettingsFile)
{
    struct row {
        const char *xdg, *home; // null: unset
        const char *file;       // null: none
    } rows[] = {
        {"/cfg", "/home/u", "/cfg/kestrix/kestrix.ini"},
        {nullptr, "/home/u", "/home/u/.config/kestrix/kestrix.ini"},
        {"", "/home/u", "/home/u/.config/kestrix/kestrix.ini"},
        {"relative", "/home/u", "/home/u/.config/kestrix/kestrix.ini"}, // only an absolute one counts
        {nullptr, nullptr, nullptr},
        {nullptr, "relative", nullptr},
    };
    std::string xdg = saved("XDG_CONFIG_HOME"), home = saved("HOME");
    for (const row &r : rows) {
        r.xdg ? setenv("XDG_CONFIG_HOME", r.xdg, 1) : unsetenv("XDG_CONFIG_HOME");
        r.home ? setenv("HOME", r.home, 1) : unsetenv("HOME");
        char out[4096];
        int ok = usersettings(out, sizeof out);
        EXPECT_EQ(ok, r.file != nullptr) << (r.xdg ? r.xdg : "(unset)");
        if (ok && r.file) {
            EXPECT_EQ(std::string(out), r.file);
        }
    }
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    char small[10];
    EXPECT_EQ(usersettings(small, sizeof small), 0);
    restore("XDG_CONFIG_HOME", xdg);
    restore("HOME", home);
}

TEST(Folders, ParentsAreMade)
{
    std::string dir = tempfolder();
    EXPECT_EQ(makeparents((dir + "/a/b/c/kestrix.ini").c_str()), 1);
    EXPECT_TRUE(pathexists((dir + "/a/b/c").c_str()));
    EXPECT_FALSE(pathexists((dir + "/a/b/c/kestrix.ini").c_str()));
    EXPECT_EQ(makeparents((dir + "/a/b/c/kestrix.ini").c_str()), 1); // there already
    // A file where a folder must be.
    std::FILE *f = std::fopen((dir + "/file").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(makeparents((dir + "/file/x/kestrix.ini").c_str()), 0);
}
