#include <gtest/gtest.h>

#include <string>

#include "platform/folders.h"

namespace {
std::string full(const char *path)
{
    char out[4096];
    EXPECT_EQ(abspath(path, out, sizeof out), 1) << path;
    return out;
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
