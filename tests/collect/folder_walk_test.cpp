#include "collect/folder_walk.h"
#include "collect/pseudo_mounts.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace quillet {
namespace {

using testing::TempTree;

std::vector<FoundPicture> Walk(std::string_view parent, std::string_view name, bool subfolders,
                               FolderWalkResult* result = nullptr)
{
    std::vector<FoundPicture> found;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&found](const FoundPicture& picture) { found.push_back(picture); };
    const FolderWalkResult outcome = SearchFolder(parent, name, subfolders, callbacks);
    if (result)
        *result = outcome;
    return found;
}

std::vector<FoundPicture> WalkChosen(const std::string& folder, bool subfolders)
{
    std::vector<FoundPicture> found;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&found](const FoundPicture& picture) { found.push_back(picture); };
    WalkChosenFolder(folder, subfolders, callbacks);
    return found;
}

std::vector<std::string> Paths(const std::vector<FoundPicture>& found)
{
    std::vector<std::string> paths;
    for (const FoundPicture& picture : found)
        paths.push_back(picture.path);
    return paths;
}

const FoundPicture* FindByPath(const std::vector<FoundPicture>& found, const std::string& path)
{
    auto it = std::find_if(found.begin(), found.end(),
                           [&path](const FoundPicture& picture) { return picture.path == path; });
    return it == found.end() ? nullptr : &*it;
}

// --- start path ----------------------------------------------------------

struct StartCase {
    const char* name;
    const char* chosen;
    const char* parent;
    const char* folder;
};

class SearchStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(SearchStartTest, SplitsAtTheLastSlash)
{
    const SearchStart start = SplitSearchStart(GetParam().chosen);
    EXPECT_EQ(start.parentPath, GetParam().parent);
    EXPECT_EQ(start.folderName, GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SearchStartTest,
    ::testing::Values(StartCase{"TrailingSlash", "/home/anna/Photos/", "/home/anna", "Photos"},
                      StartCase{"NoTrailingSlash", "/home/anna/Photos", "/home/anna", "Photos"},
                      StartCase{"DoubledSlashes", "/home//anna//Photos//", "/home/anna", "Photos"},
                      StartCase{"Root", "/", "", ""},
                      StartCase{"NothingChosenIsTheRoot", "", "", ""},
                      StartCase{"TopLevelFolder", "/media/", "", "media"},
                      StartCase{"ChineseNames", "/home/安娜/照片/", "/home/安娜", "照片"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinFolderPath, GivesOneSlashBetweenAndAfter)
{
    EXPECT_EQ(JoinFolderPath("", ""), "/");
    EXPECT_EQ(JoinFolderPath("/a", "b"), "/a/b/");
    EXPECT_EQ(JoinFolderPath("/a/", "b"), "/a/b/");
    EXPECT_EQ(JoinFolderPath("/a///", "b"), "/a/b/");
    EXPECT_EQ(JoinFolderPath("/a", ""), "/a/");
}

// --- which files are pictures -------------------------------------------

struct NameCase {
    const char* name;
    const char* fileName;
    bool listed;
    const char* caption;
};

class PictureNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(PictureNameTest, IsListedWithItsCaption)
{
    TempTree tree;
    tree.File(std::string("album/") + GetParam().fileName);
    const auto found = Walk(tree.Root(), "album", false);
    if (!GetParam().listed) {
        EXPECT_TRUE(found.empty()) << found.front().path;
        return;
    }
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].number, 1);
    EXPECT_EQ(found[0].path, tree.Path("album/") + GetParam().fileName);
    EXPECT_EQ(found[0].category, "album");
    EXPECT_EQ(found[0].caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PictureNameTest,
    ::testing::Values(NameCase{"UpperJpg", "Photo.JPG", true, "Photo"},
                      NameCase{"MixedJpeg", "a.Jpeg", true, "a"},
                      NameCase{"UpperGif", "b.GIF", true, "b"},
                      NameCase{"Bmp", "scan.bmp", true, "scan"},
                      NameCase{"Png", "c.png", false, ""},
                      NameCase{"Tif", "d.tif", false, ""},
                      NameCase{"Jpe", "e.jpe", false, ""},
                      NameCase{"JpgInside", "f.jpg.txt", false, ""},
                      NameCase{"DotsInCaption", "trip.2009.jpg", true, "trip.2009"},
                      NameCase{"NoDotAtAll", "gif", true, ""},
                      NameCase{"HiddenFile", ".jpg", true, ""},
                      NameCase{"ChineseName", "长城 日出.jpg", true, "长城 日出"},
                      NameCase{"FullWidthExtension", "g.ＪＰＧ", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureName, FolderNamedLikeAPictureIsNoPicture)
{
    TempTree tree;
    tree.Folder("album/holiday.jpg");
    tree.File("album/holiday.jpg/inside.jpg");
    const auto found = Walk(tree.Root(), "album", false);
    EXPECT_TRUE(found.empty());
    const auto deep = Walk(tree.Root(), "album", true);
    ASSERT_EQ(deep.size(), 1u);
    EXPECT_EQ(deep[0].path, tree.Path("album/holiday.jpg/inside.jpg"));
    EXPECT_EQ(deep[0].category, "holiday.jpg");
}

// --- the walk ------------------------------------------------------------

TEST(FolderWalk, SubFoldersOnlyWhenAsked)
{
    TempTree tree;
    tree.File("top/own.jpg");
    tree.File("top/below/deeper.gif");
    EXPECT_EQ(Paths(WalkChosen(tree.Path("top/"), false)),
              std::vector<std::string>{tree.Path("top/own.jpg")});
    EXPECT_EQ(Paths(WalkChosen(tree.Path("top"), true)),
              (std::vector<std::string>{tree.Path("top/own.jpg"), tree.Path("top/below/deeper.gif")}));
}

TEST(FolderWalk, FilesInTheRootOfADriveHaveNoCategory)
{
    // A drive root is walked with an empty folder name (as "/" is).
    TempTree tree;
    tree.File("root.jpg");
    tree.File("Photos/p.jpg");
    const auto found = Walk(tree.Root(), "", true);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, tree.Path("root.jpg"));
    EXPECT_EQ(found[0].category, "");
    EXPECT_EQ(found[1].path, tree.Path("Photos/p.jpg"));
    EXPECT_EQ(found[1].category, "Photos");
}

TEST(FolderWalk, FoldersOfOneNameGiveOneCategory)
{
    TempTree tree;
    tree.File("a/相册/1.jpg");
    tree.File("b/相册/2.jpg");
    const auto found = WalkChosen(tree.Root(), true);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].category, "相册");
    EXPECT_EQ(found[1].category, "相册");
    EXPECT_NE(found[0].path, found[1].path);
}

TEST(FolderWalk, ChineseFolderAndFileNames)
{
    TempTree tree;
    tree.File("旅行/北京/故宫.jpg");
    const auto found = WalkChosen(tree.Path("旅行"), true);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, tree.Path("旅行/北京/故宫.jpg"));
    EXPECT_EQ(found[0].category, "北京");
    EXPECT_EQ(found[0].caption, "故宫");
}

// Pre-order, each folder's own pictures before its sub-folders, everything
// in the order the file system lists it.
void ExpectedOrder(const std::filesystem::path& folder, std::vector<std::string>& paths)
{
    std::vector<std::filesystem::path> subfolders;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_directory())
            subfolders.push_back(entry.path());
        else if (IsPictureExtension(SplitPictureName(entry.path().filename().string()).extension))
            paths.push_back(entry.path().string());
    }
    for (const auto& subfolder : subfolders)
        ExpectedOrder(subfolder, paths);
}

TEST(FolderWalk, NestedTreeIsWalkedDepthFirstFilesFirst)
{
    TempTree tree;
    for (const char* file : {"t/1.jpg", "t/a/2.jpg", "t/a/x/3.jpg", "t/a/x/4.bmp", "t/a/y/5.gif",
                             "t/b/6.jpg", "t/b/z/7.jpg", "t/8.jpeg", "t/c/note.txt", "t/a/9.jpg"})
        tree.File(file);
    tree.Folder("t/empty");

    std::vector<std::string> expected;
    ExpectedOrder(tree.Path("t"), expected);
    const auto found = WalkChosen(tree.Path("t"), true);
    EXPECT_EQ(Paths(found), expected);
    ASSERT_EQ(found.size(), 9u);
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i].number, static_cast<int>(i + 1));

    // Whatever the listing order, a folder's own pictures come before
    // anything of its sub-folders.
    auto position = [&found, &tree](const char* relative) {
        const auto paths = Paths(found);
        return std::find(paths.begin(), paths.end(), tree.Path(relative)) - paths.begin();
    };
    EXPECT_LT(position("t/1.jpg"), position("t/a/2.jpg"));
    EXPECT_LT(position("t/8.jpeg"), position("t/b/6.jpg"));
    EXPECT_LT(position("t/a/9.jpg"), position("t/a/x/3.jpg"));
    // And a sub-folder is finished before the next one starts.
    const bool aFirst = position("t/a/2.jpg") < position("t/b/6.jpg");
    for (const char* inA : {"t/a/x/3.jpg", "t/a/x/4.bmp", "t/a/y/5.gif"})
        EXPECT_EQ(position(inA) < position("t/b/6.jpg"), aFirst) << inA;
}

TEST(FolderWalk, StopBetweenFoldersKeepsWhatWasFound)
{
    TempTree tree;
    tree.File("s/own1.jpg");
    tree.File("s/own2.jpg");
    tree.File("s/sub1/a.jpg");
    tree.File("s/sub2/b.jpg");

    std::vector<FoundPicture> found;
    std::vector<std::string> entered;
    bool stop = false;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&found](const FoundPicture& picture) { found.push_back(picture); };
    callbacks.enteringFolder = [&](const std::string& folder) {
        entered.push_back(folder);
        // The stop button is pressed while the first sub-folder is entered.
        if (entered.size() == 2)
            stop = true;
    };
    callbacks.stopRequested = [&stop] { return stop; };
    const FolderWalkResult result = WalkChosenFolder(tree.Path("s"), true, callbacks);

    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.pictureCount, 2);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].category, "s");
    EXPECT_EQ(found[1].category, "s");
    EXPECT_EQ(entered.front(), tree.Path("s/"));
}

TEST(FolderWalk, StopRequestedBeforeStartFindsNothing)
{
    TempTree tree;
    tree.File("s/own.jpg");
    int calls = 0;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&calls](const FoundPicture&) { ++calls; };
    callbacks.stopRequested = [] { return true; };
    const FolderWalkResult result = WalkChosenFolder(tree.Path("s"), true, callbacks);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(calls, 0);
}

TEST(FolderWalk, VeryDeepTreeIsWalkedToTheBottom)
{
    TempTree tree;
    // One level at a time: create_directories gives up on such a path.
    std::string deep = "d";
    std::filesystem::create_directory(tree.Path(deep));
    for (int level = 0; level < 1000; ++level) {
        deep += "/d";
        std::filesystem::create_directory(tree.Path(deep));
    }
    tree.File(deep + "/bottom.jpg");
    const auto found = WalkChosen(tree.Path("d"), true);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, tree.Path(deep + "/bottom.jpg"));
}

TEST(FolderWalk, MissingFolderFindsNothing)
{
    TempTree tree;
    FolderWalkResult result;
    EXPECT_TRUE(Walk(tree.Root(), "not-there", true, &result).empty());
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.pictureCount, 0);
}

TEST(FolderWalk, LinkLoopEndsAndIsNotFollowed)
{
    TempTree tree;
    tree.File("loop/p.jpg");
    tree.File("loop/inner/q.jpg");
    tree.Link("loop/inner/back", "..");           // points above itself
    tree.Link("loop/self", tree.Path("loop"));    // absolute link to itself
    const auto found = WalkChosen(tree.Path("loop"), true);
    EXPECT_EQ(found.size(), 2u);
    EXPECT_NE(FindByPath(found, tree.Path("loop/p.jpg")), nullptr);
    EXPECT_NE(FindByPath(found, tree.Path("loop/inner/q.jpg")), nullptr);
}

TEST(FolderWalk, LinkToAPictureIsListedLinkToAFolderIsNot)
{
    TempTree tree;
    tree.File("real/p.jpg");
    std::filesystem::create_symlink(tree.Path("real/p.jpg"), tree.Path("real/alias.jpg"));
    tree.Folder("other");
    tree.Link("real/folder.jpg", tree.Path("other"));
    const auto found = WalkChosen(tree.Path("real"), true);
    EXPECT_EQ(found.size(), 2u);
    EXPECT_NE(FindByPath(found, tree.Path("real/alias.jpg")), nullptr);
    EXPECT_EQ(FindByPath(found, tree.Path("real/folder.jpg")), nullptr);
}

TEST(FolderWalk, SkippedMountPointsAreNotEntered)
{
    TempTree tree;
    tree.File("w/keep/a.jpg");
    tree.File("w/kernel/b.jpg");
    std::vector<std::string> entered;
    std::vector<FoundPicture> found;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&found](const FoundPicture& picture) { found.push_back(picture); };
    callbacks.enteringFolder = [&entered](const std::string& folder) { entered.push_back(folder); };
    const SearchStart start = SplitSearchStart(tree.Path("w"));
    SearchFolderSkipping(start.parentPath, start.folderName, true, callbacks,
                         {tree.Path("w/kernel")});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, tree.Path("w/keep/a.jpg"));
    EXPECT_EQ(std::count(entered.begin(), entered.end(), tree.Path("w/kernel/")), 0);

    // The folder the user chose is walked even when it is such a mount.
    found.clear();
    const SearchStart kernel = SplitSearchStart(tree.Path("w/kernel"));
    SearchFolderSkipping(kernel.parentPath, kernel.folderName, true, callbacks,
                         {tree.Path("w/kernel")});
    EXPECT_EQ(found.size(), 1u);
}

// --- pseudo file systems --------------------------------------------------

struct MountCase {
    const char* name;
    const char* type;
    const char* mountPoint;
    bool pseudo;
};

class PseudoFileSystemTest : public ::testing::TestWithParam<MountCase> {};

TEST_P(PseudoFileSystemTest, Classifies)
{
    EXPECT_EQ(IsPseudoFileSystem(GetParam().type, GetParam().mountPoint), GetParam().pseudo);
}

INSTANTIATE_TEST_SUITE_P(
    Mounts, PseudoFileSystemTest,
    ::testing::Values(MountCase{"Proc", "proc", "/proc", true},
                      MountCase{"Sysfs", "sysfs", "/sys", true},
                      MountCase{"Devices", "devtmpfs", "/dev", true},
                      MountCase{"Terminals", "devpts", "/dev/pts", true},
                      MountCase{"ControlGroups", "cgroup2", "/sys/fs/cgroup", true},
                      MountCase{"RunTmpfs", "tmpfs", "/run", true},
                      MountCase{"UserRunTmpfs", "tmpfs", "/run/user/1000", true},
                      MountCase{"SharedMemory", "tmpfs", "/dev/shm", true},
                      MountCase{"TmpTmpfs", "tmpfs", "/tmp", false},
                      MountCase{"RunnerLookalike", "tmpfs", "/runner", false},
                      MountCase{"Ext4Root", "ext4", "/", false},
                      MountCase{"UsbStick", "vfat", "/media/anna/CARD", false},
                      MountCase{"NetworkShare", "cifs", "/mnt/share", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PseudoMountPoints, ReadsTheKernelViewsOfThisMachine)
{
    const auto mounts = PseudoMountPoints();
    EXPECT_TRUE(mounts.contains("/proc"));
    EXPECT_TRUE(mounts.contains("/sys"));
    EXPECT_FALSE(mounts.contains("/"));
}

} // namespace
} // namespace quillet
