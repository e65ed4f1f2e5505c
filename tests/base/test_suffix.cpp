// The one suffix rule: added when missing, swapped case-blind, never cut.
#include <gtest/gtest.h>

#include <string>

#include "base/suffix.h"

TEST(Suffix, SwapTable)
{
    struct row {
        const char *path, *want;
    } rows[] = {
        {"/a/water.krx", "/a/water.glb"},
        {"/a/WATER.KRX", "/a/WATER.glb"},
        {"water.Krx", "water.glb"},
        {"water", "water.glb"},
        {"water.txt", "water.txt.glb"},
        {".krx", ".glb"},
        {"krx", "krx.glb"},
        {"", ".glb"},
        {"a.krx.krx", "a.krx.glb"},
    };
    for (const row &r : rows) {
        char out[64];
        ASSERT_EQ(swapsuffix(out, sizeof out, r.path, ".krx", ".glb"), 1) << r.path;
        EXPECT_STREQ(out, r.want) << r.path;
    }
}

// Whatever suffix the file's name has, as the importer names its output;
// a dot in a folder's name or at the start of the file's is no suffix.
TEST(Suffix, SwapAnySuffixTable)
{
    struct row {
        const char *path, *want;
    } rows[] = {
        {"1abc.pdb", "1abc.krx"},   {"/d/caffeine.SDF", "/d/caffeine.krx"},
        {"a.b.c", "a.b.krx"},       {"file.", "file.krx"},
        {"noext", "noext.krx"},     {"/v1.2/noext", "/v1.2/noext.krx"},
        {".hidden", ".hidden.krx"}, {"/d/.hidden", "/d/.hidden.krx"},
        {"/d/..x", "/d/..krx"},     {"", ".krx"},
    };
    for (const row &r : rows) {
        char out[64];
        ASSERT_EQ(swapsuffix(out, sizeof out, r.path, nullptr, ".krx"), 1) << r.path;
        EXPECT_STREQ(out, r.want) << r.path;
    }
}

TEST(Suffix, SwapRefusesWhatDoesNotFit)
{
    char out[10];
    EXPECT_EQ(swapsuffix(out, sizeof out, "abcde.krx", ".krx", ".glb"), 1); // 9 characters and NUL
    EXPECT_STREQ(out, "abcde.glb");
    EXPECT_EQ(swapsuffix(out, sizeof out, "abcdef.krx", ".krx", ".glb"), 0);
}

TEST(Suffix, AddRefusesWhatDoesNotFit)
{
    char name[8] = "abc";
    EXPECT_EQ(addsuffix(name, sizeof name, ".cr2"), 1); // 7 characters and NUL
    EXPECT_STREQ(name, "abc.cr2");
    char longer[8] = "abcd";
    EXPECT_EQ(addsuffix(longer, sizeof longer, ".cr2"), 0);
    EXPECT_STREQ(longer, "abcd"); // unchanged, not cut
    char done[8] = "abcdefg";
    EXPECT_EQ(addsuffix(done, sizeof done, "FG"), 1); // already there, case ignored
}
