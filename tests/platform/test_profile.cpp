#include <gtest/gtest.h>

#include <string>

#include "platform/profile.h"
#include "support/testutil.h"

namespace {
std::string get(const std::string &path, const char *section = "poserinfo", const char *key = "poseraddr")
{
    char buf[256];
    getprofile(section, key, "", buf, sizeof buf, path.c_str());
    return buf;
}
} // namespace

TEST(Profile, MissingFileOrKeyReadsAsDefault)
{
    std::string dir = tempfolder();
    EXPECT_EQ(get(dir + "/none.ini"), "");
    char buf[16];
    getprofile("poserinfo", "poseraddr", "c:", buf, sizeof buf, (dir + "/none.ini").c_str());
    EXPECT_STREQ(buf, "c:");
    writefile(dir + "/other.ini", "[other]\nposeraddr=x\n");
    EXPECT_EQ(get(dir + "/other.ini"), "");
}

TEST(Profile, ReadsWhatWindowsWrites)
{
    std::string dir = tempfolder(), ini = dir + "/kestrix.ini";
    writefile(ini, "[Other]\r\nkey=1\r\n\r\n[PoserInfo]\r\n  PoserAddr = C:\\Program Files\\Poser 4 \r\n");
    EXPECT_EQ(get(ini), "C:\\Program Files\\Poser 4");
    writefile(ini, "[poserinfo]\nposeraddr=\"/opt/poser\"\n");
    EXPECT_EQ(get(ini), "/opt/poser");
}

TEST(Profile, WritesAndKeepsEverythingElse)
{
    std::string dir = tempfolder(), ini = dir + "/kestrix.ini";
    ASSERT_EQ(writeprofile("poserinfo", "poseraddr", "/first", ini.c_str()), 1);
    EXPECT_EQ(readfile(ini), "[poserinfo]\nposeraddr=/first\n");
    EXPECT_EQ(get(ini), "/first");

    writefile(ini, "; comment\r\n[other]\r\nkey=1\r\n[poserinfo]\r\nmore=2\r\nposeraddr=old\r\n\r\n[last]\r\nx=y\r\n");
    ASSERT_EQ(writeprofile("poserinfo", "poseraddr", "C:\\Poser", ini.c_str()), 1);
    EXPECT_EQ(readfile(ini), "; comment\r\n[other]\r\nkey=1\r\n[poserinfo]\r\nmore=2\r\nposeraddr=C:\\Poser\r\n\r\n"
                             "[last]\r\nx=y\r\n");
    EXPECT_EQ(get(ini, "other", "key"), "1");

    writefile(ini, "[poserinfo]\nmore=2\n\n[last]\nx=y\n");
    ASSERT_EQ(writeprofile("poserinfo", "poseraddr", "/p", ini.c_str()), 1);
    EXPECT_EQ(readfile(ini), "[poserinfo]\nmore=2\nposeraddr=/p\n\n[last]\nx=y\n");
}
