#include "textfiles/file_names.h"

#include "support/raw_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace quillet {
namespace {

using testing::kGbkPhotos;

struct ShownCase {
    const char* name;
    std::string path;
    std::string shown;
};

class DisplayPathTest : public ::testing::TestWithParam<ShownCase> {};

TEST_P(DisplayPathTest, ReadsEveryNameOnItsOwn)
{
    EXPECT_EQ(DisplayPath(GetParam().path), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DisplayPathTest,
    ::testing::Values(ShownCase{"Utf8AsItIs", "/home/安娜/照片.jpg", "/home/安娜/照片.jpg"},
                      ShownCase{"GbkFileInUtf8Folder", "/home/安娜/" + kGbkPhotos + ".jpg",
                                "/home/安娜/照片.jpg"},
                      ShownCase{"GbkFolders", "/" + kGbkPhotos + "/" + testing::kGbkSeaside + "/",
                                "/照片/海边/"},
                      ShownCase{"StrayByteMarked", "/a/\xFF.jpg", "/a/\xEF\xBF\xBD.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

struct AbsoluteCase {
    const char* name;
    const char* path;
    const char* absolute;
};

class AbsolutePathTest : public ::testing::TestWithParam<AbsoluteCase> {};

TEST_P(AbsolutePathTest, ResolvesDotsByName)
{
    EXPECT_EQ(AbsolutePath(GetParam().path), GetParam().absolute);
}

INSTANTIATE_TEST_SUITE_P(Paths, AbsolutePathTest,
                         ::testing::Values(AbsoluteCase{"Plain", "/a/b.jpg", "/a/b.jpg"},
                                           AbsoluteCase{"Dots", "/a/./b/../c.jpg", "/a/c.jpg"},
                                           AbsoluteCase{"DoubledSlashes", "//a//b/", "/a/b"},
                                           AbsoluteCase{"AboveTheRoot", "/../a", "/a"},
                                           AbsoluteCase{"Root", "/", "/"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AbsolutePath, RelativeToTheWorkingFolderKeepsTheBytes)
{
    testing::ScratchDir dir;
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.Root().c_str()), 0);
    const std::string absolute = AbsolutePath("./" + kGbkPhotos + "/a.jpg");
    ASSERT_EQ(chdir(previous), 0);
    std::free(previous);
    EXPECT_EQ(absolute, AbsolutePath(dir.Root()) + "/" + kGbkPhotos + "/a.jpg");
}

TEST(ExistingSpelling, FindsAFileNamedInGbkByItsChineseName)
{
    testing::ScratchDir dir;
    const std::string gbkFile = dir.Path(kGbkPhotos + ".jpg");
    ASSERT_TRUE(testing::WriteRawFile(gbkFile, {1, 2, 3}));
    EXPECT_EQ(ExistingSpelling(dir.Path("照片.jpg")), gbkFile);

    // A UTF-8 name that exists wins; a name that exists in neither spelling
    // stays as given.
    ASSERT_TRUE(testing::WriteRawFile(dir.Path("照片.jpg"), {1}));
    EXPECT_EQ(ExistingSpelling(dir.Path("照片.jpg")), dir.Path("照片.jpg"));
    EXPECT_EQ(ExistingSpelling(dir.Path("海边.jpg")), dir.Path("海边.jpg"));
}

} // namespace
} // namespace quillet
