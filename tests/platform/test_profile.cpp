#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

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

    writefile(
        ini,
        "; comment\r\n[other]\r\nkey=1\r\n[poserinfo]\r\nmore=2\r\nposeraddr=old\r\n\r\n[last]\r\nx=y\r\n");
    ASSERT_EQ(writeprofile("poserinfo", "poseraddr", "C:\\Poser", ini.c_str()), 1);
    EXPECT_EQ(readfile(ini),
              "; comment\r\n[other]\r\nkey=1\r\n[poserinfo]\r\nmore=2\r\nposeraddr=C:\\Poser\r\n\r\n"
              "[last]\r\nx=y\r\n");
    EXPECT_EQ(get(ini, "other", "key"), "1");

    writefile(ini, "[poserinfo]\nmore=2\n\n[last]\nx=y\n");
    ASSERT_EQ(writeprofile("poserinfo", "poseraddr", "/p", ini.c_str()), 1);
    EXPECT_EQ(readfile(ini), "[poserinfo]\nmore=2\nposeraddr=/p\n\n[last]\nx=y\n");
}

struct valuecase {
    const char *what;
    const char *value;
    const char *line; // the key's line as stored; null: refused, the file as it was
};

TEST(Profile, ValuesReadBackAsWrittenOrAreRefused)
{
    const valuecase cases[] = {
        {"plain", "/opt/poser", "poseraddr=/opt/poser"},
        {"a trailing space", "/opt/poser ", "poseraddr=\"/opt/poser \""},
        {"a leading space", " poser", "poseraddr=\" poser\""},
        {"in quotes of its own", "\"/q\"", "poseraddr=\"\"/q\"\""},
        {"a quote at one end only", "'/q", "poseraddr=\"'/q\""},
        {"a space inside", "/opt/my poser", "poseraddr=/opt/my poser"},
        {"a line feed", "/a\n[evil]\nx=1", nullptr},
        {"a carriage return", "/a\rb", nullptr},
        {"an escape", "/a\x1b[2Jb", nullptr},
        {"a tab", "/a\tb", nullptr},
    };
    for (const valuecase &c : cases) {
        SCOPED_TRACE(c.what);
        std::string dir = tempfolder(), ini = dir + "/kestrix.ini";
        writefile(ini, "[poserinfo]\nposeraddr=/old\n");
        const char *why = nullptr;
        ASSERT_EQ(writeprofile("poserinfo", "poseraddr", c.value, ini.c_str(), &why), c.line ? 1 : 0);
        if (c.line) {
            EXPECT_EQ(readfile(ini), std::string("[poserinfo]\n") + c.line + "\n");
            EXPECT_EQ(get(ini), c.value);
        } else {
            EXPECT_STREQ(why, "the value holds a control character");
            EXPECT_EQ(readfile(ini), "[poserinfo]\nposeraddr=/old\n");
        }
    }
}

struct settingscase {
    const char *what;
    std::string before; // the file's bytes
    bool rewritten;     // the key is stored
    const char *why;    // the reason when it is not
};

TEST(Profile, AFileThatIsNoSettingsFileIsLeftAsItWas)
{
    const std::vector<settingscase> cases = {
        {"empty", "", true, nullptr},
        {"comments and blank lines", "; c\n# d\n\n[x]\nk=v\n", true, nullptr},
        {"NUL bytes", std::string("[x]\nk=\0v\n", 9), false, "not a settings file"},
        {"UTF-16", std::string("\xff\xfe[\0x\0]\0", 8), false, "not a settings file"},
        {"a line that is no key", "[x]\nthis is no key\n", false, "not a settings file"},
    };
    for (const settingscase &c : cases) {
        SCOPED_TRACE(c.what);
        std::string dir = tempfolder(), ini = dir + "/kestrix.ini";
        writefile(ini, c.before);
        const char *why = nullptr;
        EXPECT_EQ(writeprofile("poserinfo", "poseraddr", "/p", ini.c_str(), &why), c.rewritten ? 1 : 0);
        if (c.rewritten) {
            EXPECT_EQ(get(ini), "/p");
        } else {
            EXPECT_STREQ(why, c.why);
            EXPECT_EQ(readfile(ini), c.before);
        }
        EXPECT_EQ(listfolder(dir), std::vector<std::string>{"kestrix.ini"});
    }
}

TEST(Profile, AFolderIsNoSettingsFile)
{
    std::string dir = tempfolder(), ini = dir + "/kestrix.ini";
    mkdir(ini.c_str(), 0777);
    const char *why = nullptr;
    EXPECT_EQ(writeprofile("poserinfo", "poseraddr", "/p", ini.c_str(), &why), 0);
    EXPECT_NE(why, nullptr);
}

TEST(Profile, WrittenThroughALinkWithItsModeAndNoFixedTemporaryName)
{
    std::string dir = tempfolder(), ini = dir + "/kestrix.ini";
    writefile(dir + "/settings", "[other]\nkey=1\n");
    chmod((dir + "/settings").c_str(), 0600);
    symlink("settings", ini.c_str());
    // A link planted where an earlier version wrote its temporary file.
    writefile(dir + "/victim", "victim\n");
    symlink("victim", (ini + ".new").c_str());
    ASSERT_EQ(writeprofile("poserinfo", "poseraddr", "/p", ini.c_str()), 1);
    struct stat st;
    ASSERT_EQ(lstat(ini.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readfile(dir + "/settings"), "[other]\nkey=1\n[poserinfo]\nposeraddr=/p\n");
    ASSERT_EQ(stat((dir + "/settings").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(readfile(dir + "/victim"), "victim\n");
    EXPECT_EQ(listfolder(dir),
              (std::vector<std::string>{"kestrix.ini", "kestrix.ini.new", "settings", "victim"}));
}
