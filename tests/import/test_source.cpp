// The input source: line ends of every kind, gzip read as plain text, and
// inputs that are no regular file refused by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "importtest.h"
#include "import/source.h"
#include "support/testutil.h"

using namespace importer;

namespace {

std::vector<std::string> linesread(linesource &in)
{
    std::vector<std::string> out;
    for (std::string line; in.next(line);)
        out.push_back(line);
    return out;
}

} // namespace

TEST(Source, LineEndsOfEveryKind)
{
    // A carriage return that ends one 64 KiB block and the line feed that
    // begins the next still make one line end.
    std::string split(65535, 'a');
    struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\xEF\xBB\xBF"
         "1\r\ncomment\r\nO 0 0 0\r\nlast",
         {"1", "comment", "O 0 0 0", "last"}},
        {"\n\r\n\r", {"", "", ""}},
        {"x\xEF\xBB\xBF\n", {"x\xEF\xBB\xBF"}},
        {"", {}},
        {split + "\r\nb", {split, "b"}},
        {split + "\r\rb", {split, "", "b"}},
    };
    for (const auto &c : cases) {
        std::unique_ptr<linesource> in = textsource("t", c.text);
        EXPECT_EQ(linesread(*in), c.lines) << c.text.substr(0, 40);
        EXPECT_FALSE(in->failed());
        EXPECT_EQ(in->lineno(), static_cast<int>(c.lines.size()));
    }
}

TEST(Source, GzipAndPlainFilesReadAlike)
{
    std::string dir = tempfolder();
    std::string text = readfile(sample("peptide.pdb"));
    writefile(dir + "/plain.pdb", text);
    gzipto(dir + "/packed.pdb.gz", text);
    std::unique_ptr<linesource> plain, packed;
    problem p;
    ASSERT_EQ(opensource(dir + "/plain.pdb", plain, p), 1) << p.detail;
    ASSERT_EQ(opensource(dir + "/packed.pdb.gz", packed, p), 1) << p.detail;
    std::vector<std::string> a = linesread(*plain), b = linesread(*packed);
    EXPECT_GT(a.size(), 100u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(packed->name(), dir + "/packed.pdb.gz");

    // A gzip stream cut short, and one whose data are broken, are read
    // errors, not a shorter molecule; zlib's reason is given without its
    // own name for the stream (a descriptor's number).
    std::string gz = readfile(dir + "/packed.pdb.gz");
    writefile(dir + "/cut.pdb.gz", gz.substr(0, gz.size() / 2));
    std::string broken = gz;
    for (size_t i = 20; i < 60; i++)
        broken[i] = static_cast<char>(broken[i] ^ 0x5A);
    writefile(dir + "/broken.pdb.gz", broken);
    struct {
        const char *name, *reason;
    } cases[] = {
        {"/cut.pdb.gz", "broken gzip data (unexpected end of file)"},
        {"/broken.pdb.gz", "broken gzip data (invalid bit length repeat)"},
    };
    for (const auto &c : cases) {
        std::unique_ptr<linesource> in;
        ASSERT_EQ(opensource(dir + c.name, in, p), 1);
        linesread(*in);
        EXPECT_TRUE(in->failed()) << c.name;
        EXPECT_EQ(in->why().what, "cannot read") << c.name;
        EXPECT_EQ(in->why().detail, dir + c.name + ": " + c.reason);
    }
}

TEST(Source, InputsThatAreNoRegularFileAreRefusedByName)
{
    std::string dir = tempfolder();
    ASSERT_EQ(mkfifo((dir + "/pipe.pdb").c_str(), 0600), 0);
    struct {
        std::string path, what, detail;
    } cases[] = {
        {dir + "/pipe.pdb", "not a file", dir + "/pipe.pdb is a FIFO (named pipe), not a molecule file"},
        {"/dev/null", "not a file", "/dev/null is a device, not a molecule file"},
        {dir, "not a file", dir + " is a folder, not a molecule file"},
        {dir + "/none.xyz", "cannot open", dir + "/none.xyz: No such file or directory"},
    };
    for (const auto &c : cases) {
        std::unique_ptr<linesource> in;
        problem p;
        // A FIFO without a writer would block an ordinary open for ever.
        EXPECT_EQ(opensource(c.path, in, p), 0) << c.path;
        EXPECT_EQ(p.what, c.what);
        EXPECT_EQ(p.detail, c.detail);
    }
}

TEST(Source, AnOverlongLineIsAReadErrorNamingItsLine)
{
    std::string text = "1\n" + std::string(linesource::LINEMAX + 1, 'x') + "\n";
    std::unique_ptr<linesource> in = textsource("t", text);
    EXPECT_EQ(linesread(*in).size(), 1u);
    ASSERT_TRUE(in->failed());
    EXPECT_EQ(in->why().what, "line too long");
    EXPECT_EQ(in->why().detail, "t:2: more than 1048576 characters");
}
