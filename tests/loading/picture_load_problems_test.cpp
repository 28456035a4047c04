#include "loading/load_picture_for_page.h"
#include "loading/picture_load_problems.h"
#include "support/colour_test_profiles.h"
#include "support/raw_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <QImageWriter>

#include <fstream>
#include <functional>
#include <optional>

namespace quillet {
namespace {

using namespace quillet::testing;

void AppendBigEndian(ByteArray& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendChunk(ByteArray& png, const char* type, const ByteArray& data)
{
    AppendBigEndian(png, static_cast<std::uint32_t>(data.size()));
    ByteArray typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    AppendBigEndian(
        png, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A well-formed PNG header that declares a picture of the given size.
ByteArray PngDeclaring(std::uint32_t width, std::uint32_t height)
{
    ByteArray png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ByteArray header;
    AppendBigEndian(header, width);
    AppendBigEndian(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}); // no rows
    AppendChunk(png, "IEND", {});
    return png;
}

struct ProblemCase {
    const char* name;
    // Makes the file in the folder and gives its path.
    std::function<std::string(const ScratchDir&)> make;
    PictureLoadProblem expected;
};

class PictureLoadProblemTest : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(PictureLoadProblemTest, IsReportedWithItsReason)
{
    ScratchDir dir;
    const std::string path = GetParam().make(dir);
    std::optional<PictureLoadProblem> heard;
    std::string heardPath;
    {
        PictureLoadProblemWatch watch([&](const std::string& p, PictureLoadProblem problem) {
            heardPath = p;
            heard = problem;
        });
        EXPECT_TRUE(DecodePictureForPage(path, 3).isNull());
    }
    ASSERT_TRUE(heard.has_value());
    EXPECT_EQ(*heard, GetParam().expected);
    EXPECT_EQ(heardPath, path);

    // Nobody listens any more.
    heard.reset();
    DecodePictureForPage(path, 3);
    EXPECT_FALSE(heard.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureLoadProblemTest,
    ::testing::Values(ProblemCase{"Missing", [](const ScratchDir& d) { return d.Path("gone.jpg"); },
                                  PictureLoadProblem::Missing},
                      ProblemCase{"MissingFolder",
                                  [](const ScratchDir& d) { return d.Path("no/such/a.jpg"); },
                                  PictureLoadProblem::Missing},
                      ProblemCase{"Folder",
                                  [](const ScratchDir& d) {
                                      MakeRawFolder(d.Path("album.jpg"));
                                      return d.Path("album.jpg");
                                  },
                                  PictureLoadProblem::NotAFile},
                      ProblemCase{"NotAPicture",
                                  [](const ScratchDir& d) {
                                      WriteRawFile(d.Path("notes.jpg"), ByteArray(300, 'x'));
                                      return d.Path("notes.jpg");
                                  },
                                  PictureLoadProblem::Damaged},
                      ProblemCase{"EmptyFile",
                                  [](const ScratchDir& d) {
                                      WriteRawFile(d.Path("empty.gif"), {});
                                      return d.Path("empty.gif");
                                  },
                                  PictureLoadProblem::Damaged},
                      ProblemCase{"CutOffJpeg",
                                  [](const ScratchDir& d) {
                                      const ByteArray photo = MakeJpeg(NoisyPhoto(200, 150));
                                      WriteRawFile(d.Path("cut.jpg"),
                                                   ByteArray(photo.begin(), photo.begin() + 200));
                                      return d.Path("cut.jpg");
                                  },
                                  PictureLoadProblem::Damaged},
                      ProblemCase{"AbsurdDeclaredSize",
                                  [](const ScratchDir& d) {
                                      WriteRawFile(d.Path("huge.png"), PngDeclaring(40000, 40000));
                                      return d.Path("huge.png");
                                  },
                                  PictureLoadProblem::TooLarge},
                      // Once read whole: gigabytes of memory for a file of no blocks.
                      ProblemCase{"SparseFileBeyondTheCap",
                                  [](const ScratchDir& d) {
                                      const std::string path = d.Path("big.jpg");
                                      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
                                      EXPECT_EQ(::ftruncate(fd, off_t{3} << 30), 0);
                                      ::close(fd);
                                      return path;
                                  },
                                  PictureLoadProblem::FileTooLarge},
                      // Once the job waited for a writer for ever.
                      ProblemCase{"PipeNamedAsAPicture",
                                  [](const ScratchDir& d) {
                                      EXPECT_EQ(::mkfifo(d.Path("pipe.jpg").c_str(), 0644), 0);
                                      return d.Path("pipe.jpg");
                                  },
                                  PictureLoadProblem::NotAFile},
                      // Once read until memory ran out: it states 0 bytes, and
                      // gives none but in whole entries.
                      ProblemCase{"LinkToProcPagemap",
                                  [](const ScratchDir& d) {
                                      EXPECT_EQ(::symlink("/proc/self/pagemap",
                                                          d.Path("pagemap.jpg").c_str()),
                                                0);
                                      return d.Path("pagemap.jpg");
                                  },
                                  PictureLoadProblem::Unreadable}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureLoadProblem, UnreadableFileIsSaidToBeUnreadable)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    ScratchDir dir;
    const std::string path = dir.Path("locked.jpg");
    ASSERT_TRUE(WriteRawFile(path, MakeJpeg(NoisyPhoto(20, 20))));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    std::optional<PictureLoadProblem> heard;
    PictureLoadProblemWatch watch(
        [&](const std::string&, PictureLoadProblem problem) { heard = problem; });
    EXPECT_TRUE(DecodePictureForPage(path, 0).isNull());
    EXPECT_EQ(heard, PictureLoadProblem::Unreadable);
}

TEST(PictureLoadProblem, GbkNamedPictureLoadsByItsBytes)
{
    ScratchDir dir;
    ASSERT_TRUE(MakeRawFolder(dir.Path(kGbkSeaside)));
    const std::string path = dir.Path(kGbkSeaside + "/" + kGbkPhotos + ".jpg");
    ASSERT_TRUE(WriteRawFile(path, MakeJpeg(QuadrantPicture(80, 60))));
    bool complained = false;
    PictureLoadProblemWatch watch(
        [&](const std::string&, PictureLoadProblem) { complained = true; });
    const QImage picture = DecodePictureForPage(path, 0);
    ASSERT_EQ(picture.size(), QSize(80, 60));
    EXPECT_TRUE(ColoursClose(QuadrantColour(picture, false, false), kQuadrantTopLeft));
    EXPECT_TRUE(ColoursClose(QuadrantColour(picture, true, true), kQuadrantBottomRight));
    EXPECT_FALSE(complained);
}

// A photo whose profile cannot be used is still drawn, with its numbers as
// stored, and named; one with a good profile is not.
TEST(PictureLoadProblem, UnusableColourProfileIsNamedButThePictureLoads)
{
    ScratchDir dir;
    ByteArray cut = AdobeRgbProfile();
    cut.resize(cut.size() / 2);
    const std::string bad = dir.Path("cut-profile.jpg"), good = dir.Path("adobe-rgb.jpg");
    ASSERT_TRUE(WriteRawFile(bad, MakeJpeg(NoisyPhoto(200, 150), {.iccProfile = cut})));
    ASSERT_TRUE(
        WriteRawFile(good, MakeJpeg(NoisyPhoto(200, 150), {.iccProfile = AdobeRgbProfile()})));
    std::vector<std::pair<std::string, PictureLoadProblem>> heard;
    PictureLoadProblemWatch watch([&](const std::string& path, PictureLoadProblem problem) {
        heard.emplace_back(path, problem);
    });
    for (int level : {0, 1}) {
        EXPECT_FALSE(DecodePictureForPage(bad, level).isNull());
        EXPECT_FALSE(DecodePictureForPage(good, level).isNull());
    }
    const std::vector<std::pair<std::string, PictureLoadProblem>> expected(
        2, {bad, PictureLoadProblem::UnusableColourProfile});
    EXPECT_EQ(heard, expected);
}

// What the loader says of a good picture when the process may take only a
// little more memory than it holds (as under ulimit -v); in a child process,
// so that the limit binds nothing else.
std::optional<PictureLoadProblem> ProblemUnderMemoryLimit(const std::string& path)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit =
            pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{48} << 20);
        const rlimit memory{limit, limit};
        ::setrlimit(RLIMIT_AS, &memory);
        int heard = -1;
        {
            PictureLoadProblemWatch watch([&](const std::string&, PictureLoadProblem problem) {
                heard = static_cast<int>(problem);
            });
            if (!DecodePictureForPage(path, 0).isNull())
                heard = -2; // loaded after all: the limit was no limit
        }
        (void)!::write(channel[1], &heard, sizeof heard);
        ::_exit(0);
    }
    ::close(channel[1]);
    int heard = -1;
    const bool told = ::read(channel[0], &heard, sizeof heard) == sizeof heard;
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    if (!told || heard < 0)
        return std::nullopt;
    return static_cast<PictureLoadProblem>(heard);
}

struct MemoryCase {
    const char* name;
    const char* format;
    bool progressive;
};

class PictureBeyondTheMemory : public ::testing::TestWithParam<MemoryCase> {};

// Good photos were called damaged, or named nothing at all, when memory ran
// out: a user might throw them away.
TEST_P(PictureBeyondTheMemory, IsSaidToLackMemoryNotToBeDamaged)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer maps its shadow and its own allocator outside any limit on "
                    "the address space, so a limited child proves nothing here";
#endif
    ScratchDir dir;
    const std::string path = dir.Path(std::string("photo.") + GetParam().format);
    {
        QImage photo(5000, 3000, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QImageWriter writer(QString::fromStdString(path), GetParam().format);
        writer.setProgressiveScanWrite(GetParam().progressive);
        ASSERT_TRUE(writer.write(photo));
    }
    ASSERT_FALSE(DecodePictureForPage(path, 0).isNull()) << "a good picture without the limit";
    EXPECT_EQ(ProblemUnderMemoryLimit(path), PictureLoadProblem::OutOfMemory);
}

INSTANTIATE_TEST_SUITE_P(Formats, PictureBeyondTheMemory,
                         ::testing::Values(MemoryCase{"ProgressiveJpeg", "jpg", true},
                                           MemoryCase{"BaselineJpeg", "jpg", false},
                                           MemoryCase{"Png", "png", false},
                                           MemoryCase{"Bmp", "bmp", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
