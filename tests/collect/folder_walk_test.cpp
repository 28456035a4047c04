#include "collect/folder_walk.h"
#include "collect/mount_table.h"
#include "support/raw_files.h"
#include "support/scoped_locale.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
    ::testing::Values(
        NameCase{"UpperJpg", "Photo.JPG", true, "Photo"},
        NameCase{"MixedJpeg", "a.Jpeg", true, "a"}, NameCase{"UpperGif", "b.GIF", true, "b"},
        NameCase{"Bmp", "scan.bmp", true, "scan"}, NameCase{"Png", "c.png", true, "c"},
        NameCase{"Tif", "d.tif", true, "d"}, NameCase{"Tiff", "d2.TIFF", true, "d2"},
        NameCase{"Heic", "IMG_0001.HEIC", true, "IMG_0001"}, NameCase{"Heif", "h.heif", true, "h"},
        NameCase{"Avif", "i.Avif", true, "i"}, NameCase{"Webp", "j.webp", true, "j"},
        NameCase{"Heics", "k.heics", false, ""}, NameCase{"Jpe", "e.jpe", false, ""},
        NameCase{"JpgInside", "f.jpg.txt", false, ""},
        NameCase{"DotsInCaption", "trip.2009.jpg", true, "trip.2009"},
        NameCase{"NoDotAtAll", "gif", true, ""}, NameCase{"HiddenFile", ".jpg", true, ""},
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
    EXPECT_EQ(
        Paths(WalkChosen(tree.Path("top"), true)),
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

TEST(FolderWalk, NestedTreeIsWalkedDepthFirstFilesFirstInNameOrder)
{
    TempTree tree;
    for (const char* file : {"t/1.jpg", "t/a/2.jpg", "t/a/x/3.jpg", "t/a/x/4.bmp", "t/a/y/5.gif",
                             "t/b/6.jpg", "t/b/z/7.jpg", "t/8.jpeg", "t/c/note.txt", "t/a/9.jpg"})
        tree.File(file);
    tree.Folder("t/empty");

    const auto found = WalkChosen(tree.Path("t"), true);
    std::vector<std::string> expected;
    for (const char* file : {"t/1.jpg", "t/8.jpeg", "t/a/2.jpg", "t/a/9.jpg", "t/a/x/3.jpg",
                             "t/a/x/4.bmp", "t/a/y/5.gif", "t/b/6.jpg", "t/b/z/7.jpg"})
        expected.push_back(tree.Path(file));
    EXPECT_EQ(Paths(found), expected);
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i].number, static_cast<int>(i + 1));
}

// Names made in an order that no file system would list them in by chance.
TEST(FolderWalk, PicturesAndFoldersComeInNameOrderWhateverTheDiskOrder)
{
    const testing::ScopedDefaultLocale c(QLocale::c());
    TempTree tree;
    const std::vector<std::string> files = {"IMG_10.jpg", "b.jpg",     "照片002.jpg", "IMG_2.jpg",
                                            "Photo.jpg",  "photo.jpg", "照片001.jpg", "IMG_1.jpg"};
    for (const std::string& file : files)
        tree.File("album/" + file);
    for (const char* folder : {"day10", "Day2", "day1"})
        tree.File(std::string("album/") + folder + "/p.jpg");

    std::vector<std::string> captions;
    for (const FoundPicture& picture : WalkChosen(tree.Path("album"), true))
        captions.push_back(picture.category + "/" + picture.caption);
    EXPECT_EQ(captions,
              (std::vector<std::string>{"album/b", "album/IMG_1", "album/IMG_2", "album/IMG_10",
                                        "album/Photo", "album/photo", "album/照片001",
                                        "album/照片002", "day1/p", "Day2/p", "day10/p"}));
}

// Under zh_CN.UTF-8 folders come in pinyin order, as file managers there
// list them; the C locale orders them by code point.
TEST(FolderWalk, FoldersComeInTheOrderOfTheUsersLocale)
{
    TempTree tree;
    for (const char* folder : {"海边", "家人", "毕业", "春游"})
        tree.File(std::string("album/") + folder + "/p.jpg");
    auto categories = [&tree] {
        std::vector<std::string> found;
        for (const FoundPicture& picture : WalkChosen(tree.Path("album"), true))
            found.push_back(picture.category);
        return found;
    };
    {
        const testing::ScopedDefaultLocale zh(QLocale(QLocale::Chinese, QLocale::China));
        EXPECT_EQ(categories(), (std::vector<std::string>{"毕业", "春游", "海边", "家人"}));
    }
    const testing::ScopedDefaultLocale c(QLocale::c());
    EXPECT_EQ(categories(), (std::vector<std::string>{"家人", "春游", "毕业", "海边"}));
}

TEST(FolderWalk, GbkNamesKeepTheirBytesInThePathAndReadAsChinese)
{
    TempTree tree;
    const std::string folder = tree.Path(testing::kGbkSeaside);
    ASSERT_TRUE(testing::MakeRawFolder(folder));
    ASSERT_TRUE(testing::WriteRawFile(folder + "/" + testing::kGbkPhotos + "2.jpg", {}));
    ASSERT_TRUE(testing::WriteRawFile(folder + "/照片10.jpg", {}));

    const auto found = WalkChosen(tree.Root(), true);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, folder + "/" + testing::kGbkPhotos + "2.jpg");
    EXPECT_EQ(found[0].category, "海边");
    EXPECT_EQ(found[0].caption, "照片2");
    EXPECT_EQ(found[1].path, folder + "/照片10.jpg");
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
    tree.Link("loop/inner/back", ".."); // points above itself
    tree.Link("loop/self", tree.Path("loop")); // absolute link to itself
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

} // namespace
} // namespace quillet

namespace quillet {
namespace {

// What a walk told of the folders it could not read, and what it found.
struct WalkReport {
    int pictures = 0;
    int told = 0;
    int counted = 0;
    int lastReason = 0;
};

WalkReport WalkAndReport(const std::string& folder)
{
    WalkReport report;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&](const FoundPicture&) { ++report.pictures; };
    callbacks.folderUnreadable = [&](const std::string&, int reason) {
        ++report.told;
        report.lastReason = reason;
    };
    report.counted = WalkChosenFolder(folder, true, callbacks).unreadableFolders;
    return report;
}

// Root reads every folder: the walk runs in a child that has become nobody.
WalkReport WalkAsNobody(const std::string& folder)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(1);
        const WalkReport report = WalkAndReport(folder);
        (void)!::write(channel[1], &report, sizeof report);
        ::_exit(0);
    }
    ::close(channel[1]);
    WalkReport report;
    report.counted = -1;
    (void)!::read(channel[0], &report, sizeof report);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return report;
}

struct UnreadableCase {
    const char* name;
    const char* walked; // below the tree's root
    int pictures;
    int unreadable;
};

class UnreadableFolders : public ::testing::TestWithParam<UnreadableCase> {};

// A folder without read permission was skipped without a word.
TEST_P(UnreadableFolders, AreToldAndCounted)
{
    TempTree tree;
    tree.File("album/open/a.jpg");
    tree.File("album/locked/b.jpg");
    tree.File("album/locked/inner/c.jpg");
    ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(tree.Path("album/locked").c_str(), 0300), 0); // enter, not list
    const WalkReport report = WalkAsNobody(tree.Path(GetParam().walked));
    ::chmod(tree.Path("album/locked").c_str(), 0755);
    EXPECT_EQ(report.pictures, GetParam().pictures);
    EXPECT_EQ(report.told, GetParam().unreadable);
    EXPECT_EQ(report.counted, GetParam().unreadable);
    if (GetParam().unreadable > 0) {
        EXPECT_EQ(report.lastReason, EACCES);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UnreadableFolders,
                         ::testing::Values(UnreadableCase{"SubFolder", "album", 1, 1},
                                           UnreadableCase{"TopFolder", "album/locked", 0, 1},
                                           UnreadableCase{"NoneLocked", "album/open", 1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Makes `levels` folders, each in the one before, by handles, so that no
// call sees the whole path; removes them the same way.
class DeepTree {
public:
    DeepTree(const std::string& root, int levels) : root_(root), levels_(levels)
    {
        int at = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int i = 0; i < levels && at >= 0; ++i) {
            ::mkdirat(at, kName.c_str(), 0755);
            const int next = ::openat(at, kName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(at);
            at = next;
        }
        if (at >= 0) {
            ::close(::openat(at, "deep.jpg", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            ::close(at);
        }
    }
    ~DeepTree() { Remove(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), levels_); }
    DeepTree(const DeepTree&) = delete;
    DeepTree& operator=(const DeepTree&) = delete;

    inline static const std::string kName = std::string(200, 'd');

private:
    static void Remove(int at, int levels)
    {
        if (at < 0)
            return;
        if (levels == 0) {
            ::unlinkat(at, "deep.jpg", 0);
        } else {
            Remove(::openat(at, kName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), levels - 1);
            ::unlinkat(at, kName.c_str(), AT_REMOVEDIR);
        }
        ::close(at);
    }

    std::string root_;
    int levels_;
};

// A tree deeper than the system's path length limit was skipped without a
// word, pictures and all.
TEST(UnreadableFoldersPastThePathLimit, AreToldAndCounted)
{
    TempTree tree;
    tree.File("top.jpg");
    const DeepTree deep(tree.Root(), 30); // some 6000 bytes of path
    const WalkReport report = WalkAndReport(tree.Root());
    EXPECT_EQ(report.pictures, 1) << "top.jpg";
    EXPECT_EQ(report.told, 1);
    EXPECT_EQ(report.counted, 1);
    EXPECT_EQ(report.lastReason, ENAMETOOLONG);
}

} // namespace
} // namespace quillet
