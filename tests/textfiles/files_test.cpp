#include "textfiles/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

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

TEST_F(FilesTest, ReadsAWholeFile)
{
    MakeFile("页1.bmp", std::string_view("BM\0\1\2\xFF", 6));
    EXPECT_TRUE(FileExists(Path("页1.bmp")));
    EXPECT_EQ(FileSize(Path("页1.bmp")), 6);
    EXPECT_EQ(ReadFile(Path("页1.bmp")), (ByteArray{'B', 'M', 0, 1, 2, 0xFF}));
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

} // namespace
} // namespace quillet
