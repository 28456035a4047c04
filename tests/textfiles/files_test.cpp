#include "textfiles/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

namespace quillet {
namespace {

std::string AsText(const ByteArray& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class FilesTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const
    {
        return folder_.path().toStdString() + "/" + name;
    }

    void MakeFile(const std::string& name, std::string_view content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
    }

    QTemporaryDir folder_;
};

TEST_F(FilesTest, MissingFileHasNoSizeAndNoBytes)
{
    EXPECT_FALSE(FileExists(Path("missing.jpg")));
    EXPECT_EQ(FileSize(Path("missing.jpg")), -1);
    EXPECT_TRUE(ReadRegularFile(Path("missing.jpg"), 100).bytes.empty());
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(FileSize(""), -1);
}

TEST_F(FilesTest, FolderExistsButIsNoFile)
{
    EXPECT_TRUE(FileExists(folder_.path().toStdString()));
    EXPECT_EQ(FileSize(folder_.path().toStdString()), -1);
    EXPECT_EQ(ReadRegularFile(folder_.path().toStdString(), 100).problem,
              FileReadProblem::NotAFile);
}

TEST_F(FilesTest, ReadsAWholeFile)
{
    MakeFile("页1.bmp", std::string_view("BM\0\1\2\xFF", 6));
    EXPECT_TRUE(FileExists(Path("页1.bmp")));
    EXPECT_EQ(FileSize(Path("页1.bmp")), 6);
    EXPECT_EQ(ReadRegularFile(Path("页1.bmp"), 100).bytes, (ByteArray{'B', 'M', 0, 1, 2, 0xFF}));
}

TEST_F(FilesTest, ReadsPartOfAFile)
{
    MakeFile("part.bin", "0123456789");
    const std::string path = Path("part.bin");
    EXPECT_EQ(AsText(ReadFilePart(path, 0, 4)), "0123");
    EXPECT_EQ(AsText(ReadFilePart(path, 8, 2)), "89");
    EXPECT_EQ(AsText(ReadFilePart(path, 6, 100)), "6789") << "fewer where the file ends";
    EXPECT_TRUE(ReadFilePart(path, 10, 5).empty());
    EXPECT_TRUE(ReadFilePart(path, 40, 5).empty());
    EXPECT_TRUE(ReadFilePart(path, -1, 5).empty());
    EXPECT_TRUE(ReadFilePart(Path("missing.bin"), 0, 5).empty());
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

// Inputs that once hung a job or ate its memory, made here and now: no read
// waits on a pipe, reads a device or goes past the size the file states.
struct HostileFile {
    const char* name;
    std::function<void(const std::string& path)> make;
    FileReadProblem problem;
    std::size_t bytes; // what ReadRegularFile gives
    std::size_t headerBytes; // what ReadFilePart gives of the first 4
};

class HostileFiles : public FilesTest, public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileFiles, AreReadWithinTheirStatedSizeOrRefused)
{
    const std::string path = Path("picture.jpg");
    GetParam().make(path);
    const BoundedFileRead read = ReadRegularFile(path, std::size_t(1) << 30);
    EXPECT_EQ(read.problem, GetParam().problem);
    EXPECT_EQ(read.bytes.size(), GetParam().bytes);
    EXPECT_EQ(ReadFilePart(path, 0, 4).size(), GetParam().headerBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostileFiles,
    ::testing::Values(
        HostileFile{"Missing", [](const std::string&) {}, FileReadProblem::Missing, 0, 0},
        HostileFile{"Ordinary",
                    [](const std::string& p) { std::ofstream(p, std::ios::binary) << "BM0123"; },
                    FileReadProblem::None, 6, 4},
        HostileFile{"PipeNobodyWritesTo",
                    [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
                    FileReadProblem::NotAFile, 0, 0},
        HostileFile{"LinkToADeviceWithoutEnd",
                    [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
                    FileReadProblem::NotAFile, 0, 0},
        // /proc files state 0 bytes and would give gigabytes.
        HostileFile{
            "LinkToProcPagemap",
            [](const std::string& p) { ASSERT_EQ(::symlink("/proc/self/pagemap", p.c_str()), 0); },
            FileReadProblem::Unreadable, 0, 0},
        HostileFile{
            "LinkToProcStatus",
            [](const std::string& p) { ASSERT_EQ(::symlink("/proc/self/status", p.c_str()), 0); },
            FileReadProblem::NotAFile, 0, 0},
        HostileFile{"SparseThreeGigabytes",
                    [](const std::string& p) {
                        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT, 0644);
                        ASSERT_GE(fd, 0);
                        ASSERT_EQ(::ftruncate(fd, off_t{3} << 30), 0);
                        ::close(fd);
                    },
                    FileReadProblem::TooLarge, 0, 4}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
