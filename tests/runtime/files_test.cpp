#include "runtime/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <set>

namespace quillet {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const
    {
        return folder_.path().toStdString() + "/" + name;
    }

    void MakeFile(const std::string& name, std::string_view content) const
    {
        ASSERT_TRUE(WriteFile(Path(name), {ToByteArray(content)}));
    }

    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_.path().toStdString()))
            names.insert(entry.path().filename().string());
        return names;
    }

    QTemporaryDir folder_;
};

TEST_F(FilesTest, MissingFileHasNoSizeAndNoBytes)
{
    EXPECT_FALSE(FileExists(Path("missing.jpg")));
    EXPECT_EQ(FileSize(Path("missing.jpg")), -1);
    EXPECT_TRUE(ReadFile(Path("missing.jpg")).empty());
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(FileSize(""), -1);
}

TEST_F(FilesTest, FolderExistsButIsNoFile)
{
    EXPECT_TRUE(FileExists(folder_.path().toStdString()));
    EXPECT_EQ(FileSize(folder_.path().toStdString()), -1);
    EXPECT_TRUE(ReadFile(folder_.path().toStdString()).empty());
}

TEST_F(FilesTest, WritesPartsOneAfterAnotherAndReadsThemBack)
{
    const ByteArray head{'B', 'M'};
    const ByteArray body{0, 1, 2, 0xFF};
    ASSERT_TRUE(WriteFile(Path("页1.bmp"), {head, body, ByteArray{}}));
    EXPECT_TRUE(FileExists(Path("页1.bmp")));
    EXPECT_EQ(FileSize(Path("页1.bmp")), 6);
    EXPECT_EQ(ReadFile(Path("页1.bmp")), (ByteArray{'B', 'M', 0, 1, 2, 0xFF}));
}

TEST_F(FilesTest, ReadsPartOfAFile)
{
    MakeFile("part.bin", "0123456789");
    const std::string path = Path("part.bin");
    EXPECT_EQ(BytesToText(ReadFilePart(path, 0, 4)), "0123");
    EXPECT_EQ(BytesToText(ReadFilePart(path, 8, 2)), "89");
    EXPECT_EQ(BytesToText(ReadFilePart(path, 6, 100)), "6789") << "fewer where the file ends";
    EXPECT_TRUE(ReadFilePart(path, 10, 5).empty());
    EXPECT_TRUE(ReadFilePart(path, 40, 5).empty());
    EXPECT_TRUE(ReadFilePart(path, -1, 5).empty());
    EXPECT_TRUE(ReadFilePart(Path("missing.bin"), 0, 5).empty());
}

TEST_F(FilesTest, WritingReplacesALongerFileAndLeavesNoTemporary)
{
    MakeFile("a.txt", "a much longer old content");
    MakeFile("a.txt", "new");
    EXPECT_EQ(BytesToText(ReadFile(Path("a.txt"))), "new");
    EXPECT_EQ(Entries(), std::set<std::string>{"a.txt"});
}

TEST_F(FilesTest, EmptyWriteMakesEmptyFile)
{
    ASSERT_TRUE(WriteFile(Path("empty"), {}));
    EXPECT_EQ(FileSize(Path("empty")), 0);
}

TEST_F(FilesTest, WriteFailsQuietly)
{
    EXPECT_FALSE(WriteFile(Path("no/such/folder/x.txt"), {ToByteArray("x")}));
    ASSERT_TRUE(QDir(folder_.path()).mkdir("sub"));
    EXPECT_FALSE(WriteFile(Path("sub"), {ToByteArray("x")}));
    EXPECT_FALSE(WriteFile(Path("sub/"), {ToByteArray("x")}));
    EXPECT_FALSE(WriteFile("", {ToByteArray("x")}));
    EXPECT_EQ(Entries(), std::set<std::string>{"sub"});
}

TEST_F(FilesTest, FailedWriteKeepsTheOldFileWhole)
{
    MakeFile("page.bmp", "old page");
    // A file size limit makes the write fail half-way, as a full disk would.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFile(Path("page.bmp"), {BlankBytes(100000)});
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(BytesToText(ReadFile(Path("page.bmp"))), "old page");
    EXPECT_EQ(Entries(), std::set<std::string>{"page.bmp"});
}

TEST_F(FilesTest, NewFilesFollowTheUmaskAndOldFilesKeepTheirMode)
{
    const mode_t previous = ::umask(027);
    MakeFile("new.txt", "x");
    ::umask(previous);
    struct stat status {};
    ASSERT_EQ(::stat(Path("new.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);

    ASSERT_EQ(::chmod(Path("new.txt").c_str(), 0604), 0);
    MakeFile("new.txt", "y");
    ASSERT_EQ(::stat(Path("new.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0604u);
}

TEST_F(FilesTest, WritesThroughASymbolicLink)
{
    MakeFile("real.txt", "old");
    fs::create_symlink(Path("real.txt"), Path("link.txt"));
    MakeFile("link.txt", "new");
    EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(BytesToText(ReadFile(Path("real.txt"))), "new");
}

TEST_F(FilesTest, SizeBeyondFourGigabytesIsWhole)
{
    const std::string path = Path("big.bin");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const bool sized = ::ftruncate(fd, (off_t{5} << 30) + 7) == 0;
        ::close(fd);
        if (!sized)
            GTEST_SKIP() << "the file system cannot hold a sparse 5 GB file";
    }
    EXPECT_EQ(FileSize(path), (std::int64_t{5} << 30) + 7);
}

struct PatternCase {
    const char* name;
    std::string text;
    std::string pattern;
    bool matches;
};

class NamePatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(NamePatternTest, MatchesWildcards)
{
    EXPECT_EQ(MatchesNamePattern(GetParam().text, GetParam().pattern), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NamePatternTest,
    ::testing::Values(PatternCase{"StarDotStarTakesNamesWithoutDot", "README", "*.*", true},
                      PatternCase{"StarDotStarTakesDotNames", ".hidden", "*.*", true},
                      PatternCase{"Extension", "abc.jpg", "*.jpg", true},
                      PatternCase{"LongerExtension", "abc.jpeg", "*.jpg", false},
                      PatternCase{"CaseSensitive", "ABC.JPG", "*.jpg", false},
                      PatternCase{"QuestionIsOneCharacter", "中文.jpg", "??.jpg", true},
                      PatternCase{"QuestionIsNotOneByte", "中文.jpg", "??????.jpg", false},
                      PatternCase{"QuestionNeedsACharacter", "a.jpg", "?a.jpg", false},
                      PatternCase{"StarBacktracks", "abab", "*ab", true},
                      PatternCase{"SeveralStars", "abc", "a*b*c", true},
                      PatternCase{"StarMatchesNothing", "abc", "abc*", true},
                      PatternCase{"Exact", "b.txt", "b.txt", true},
                      PatternCase{"EmptyPattern", "a", "", false},
                      PatternCase{"BracketsAreLiteral", "[1].jpg", "[1].jpg", true}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder with one entry of every kind the attributes tell apart.
class FileSearchTest : public FilesTest {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.jpg", "b.txt", "noext", ".hidden", "ro.txt"})
            MakeFile(name, "x");
        ASSERT_EQ(::chmod(Path("ro.txt").c_str(), 0444), 0);
        fs::create_directory(Path("sub"));
        fs::create_directory(Path(".hiddendir"));
        fs::create_directory_symlink(Path("sub"), Path("linksub"));
        fs::create_symlink(Path("gone"), Path("dangling"));
        ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0644), 0);
    }

    // Every name the search yields, in order.
    std::vector<std::string> FindAll(const std::string& namePattern, std::optional<int> mask)
    {
        std::vector<std::string> names;
        FileSearch search;
        for (std::string name = search.FindFile(Path(namePattern), mask); !name.empty();
             name = search.FindFile("", mask))
            names.push_back(name);
        return names;
    }

    // The superuser may write anything, so nothing is read-only to it.
    static bool UserIsRestricted() { return ::geteuid() != 0; }
};

struct MaskCase {
    const char* name;
    std::string pattern;
    std::optional<int> mask;
    std::set<std::string> expected;
};

class FileSearchMaskTest : public FileSearchTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(FileSearchMaskTest, YieldsMatchingEntries)
{
    const std::vector<std::string> found = FindAll(GetParam().pattern, GetParam().mask);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), GetParam().expected);
    EXPECT_EQ(found.size(), GetParam().expected.size()) << "an entry came twice";
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileSearchMaskTest,
    ::testing::Values(
        MaskCase{"NoMaskTakesEverythingButFolders",
                 "*.*",
                 std::nullopt,
                 {"a.jpg", "b.txt", "noext", ".hidden", "ro.txt", "dangling", "pipe"}},
        MaskCase{"Folders", "*.*", 16, {".", "..", "sub", ".hiddendir", "linksub"}},
        MaskCase{"Hidden", "*.*", 2, {".hidden", ".hiddendir"}},
        MaskCase{"System", "*.*", 4, {"pipe", "dangling"}},
        MaskCase{"Archive", "*.*", 32, {"a.jpg", "b.txt", "noext", ".hidden", "ro.txt"}},
        MaskCase{"ArchiveOrReadOnly", "*.*", 33, {"a.jpg", "b.txt", "noext", ".hidden", "ro.txt"}},
        MaskCase{"Links", "*.*", kAttributeLink, {"linksub", "dangling"}},
        MaskCase{"ZeroTakesOnlyEntriesWithoutBits", "*.*", 0, {}},
        MaskCase{"ExtensionPattern", "*.jpg", std::nullopt, {"a.jpg"}},
        MaskCase{"QuestionPattern", "?.txt", std::nullopt, {"b.txt"}},
        MaskCase{"ExactName", "noext", std::nullopt, {"noext"}},
        MaskCase{"NoMatch", "*.gif", std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileSearchTest, DotEntriesComeFirst)
{
    const std::vector<std::string> folders = FindAll("*.*", kAttributeFolder);
    ASSERT_GE(folders.size(), 2u);
    EXPECT_EQ(folders[0], ".");
    EXPECT_EQ(folders[1], "..");
}

TEST_F(FileSearchTest, ReadOnlyIsWhatTheUserCannotWrite)
{
    const std::vector<std::string> readOnly = FindAll("*.*", kAttributeReadOnly);
    if (UserIsRestricted())
        EXPECT_EQ(readOnly, std::vector<std::string>{"ro.txt"});
    else
        EXPECT_TRUE(readOnly.empty());
}

TEST_F(FileSearchTest, TellsTheAttributesOfTheLastEntry)
{
    FileSearch search;
    ASSERT_EQ(search.FindFile(Path("linksub"), kAttributeFolder), "linksub");
    EXPECT_EQ(search.LastAttributes(), kAttributeFolder | kAttributeLink);
    ASSERT_EQ(search.FindFile(Path(".hidden")), ".hidden");
    EXPECT_EQ(search.LastAttributes(), kAttributeHidden | kAttributeArchive);
    ASSERT_EQ(search.FindFile(Path("sub"), kAttributeFolder), "sub");
    EXPECT_EQ(search.LastAttributes(), kAttributeFolder);
}

TEST_F(FileSearchTest, EachCallUsesItsOwnMask)
{
    FileSearch search;
    EXPECT_EQ(search.FindFile(Path("*.*"), kAttributeFolder), ".");
    const std::string next = search.FindFile("");
    EXPECT_FALSE(next.empty());
    EXPECT_EQ(search.LastAttributes() & kAttributeFolder, 0);
}

TEST_F(FileSearchTest, EndClosesTheSearch)
{
    FileSearch search;
    EXPECT_EQ(search.FindFile(Path("a.jpg")), "a.jpg");
    EXPECT_EQ(search.FindFile(""), "");
    EXPECT_EQ(search.FindFile(""), "");
}

TEST_F(FileSearchTest, NewPatternReplacesTheSearch)
{
    FileSearch search;
    EXPECT_EQ(search.FindFile(Path("*.*"), kAttributeFolder), ".");
    EXPECT_EQ(search.FindFile(Path("*.jpg")), "a.jpg");
    EXPECT_EQ(search.FindFile(""), "");
}

TEST_F(FileSearchTest, ClosedOrMissingFolderYieldsNothing)
{
    FileSearch search;
    EXPECT_EQ(search.FindFile(""), "");
    EXPECT_EQ(search.FindFile(Path("missing/*.*")), "");
    EXPECT_EQ(search.FindFile(Path("")), "");
    EXPECT_EQ(search.FindFile(Path("*.*"), kAttributeFolder), ".");
    search.Close();
    EXPECT_EQ(search.FindFile(""), "");
}

TEST(FileSearchRoot, HasNoDotEntries)
{
    FileSearch search;
    std::vector<std::string> names;
    for (std::string name = search.FindFile("/*.*", kAttributeFolder); !name.empty();
         name = search.FindFile("", kAttributeFolder))
        names.push_back(name);
    EXPECT_EQ(std::ranges::count(names, "."), 0);
    EXPECT_EQ(std::ranges::count(names, ".."), 0);
    EXPECT_EQ(std::ranges::count(names, "tmp"), 1);
}

} // namespace
} // namespace quillet
