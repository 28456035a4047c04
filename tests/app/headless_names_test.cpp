// The command with names a Linux disk may hold: GBK file and folder names
// given as raw bytes on the command line and in tables, and pictures that
// cannot be loaded (or whose colour profile cannot be used) named on stderr.
#include "support/colour_test_profiles.h"
#include "support/output_lines.h"
#include "support/pdf_tools.h"
#include "support/raw_files.h"
#include "support/test_images.h"
#include "textfiles/convert.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

extern char** environ;

namespace quillet {
namespace {

using namespace quillet::testing;

struct RawRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string AsText(const ByteArray& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Runs the program with arguments passed as they are, byte for byte (Qt's
// process class would encode them as UTF-8 text).
RawRun QuilletRaw(const ScratchDir& dir, std::vector<std::string> args)
{
    const std::string outFile = dir.Path("stdout.txt");
    const std::string errFile = dir.Path("stderr.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);

    args.insert(args.begin(), QUILLET_EXECUTABLE);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    // No display: the command needs none.
    std::vector<char*> env;
    for (char** entry = environ; *entry; ++entry)
        if (!std::string_view(*entry).starts_with("DISPLAY=")
            && !std::string_view(*entry).starts_with("QT_QPA_PLATFORM="))
            env.push_back(*entry);
    env.push_back(nullptr);

    RawRun run;
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, QUILLET_EXECUTABLE, &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    if (spawned != 0)
        return run;
    int status = 0;
    waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = AsText(ReadBytes(outFile));
    run.err = AsText(ReadBytes(errFile));
    return run;
}

ByteArray Photo(QColor colour)
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(colour);
    return MakeJpeg(image);
}

bool IsRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

class HeadlessNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = dir.Path(kGbkSeaside);
        ASSERT_TRUE(MakeRawFolder(folder));
        picture = folder + "/" + kGbkPhotos + ".jpg";
        ASSERT_TRUE(WriteRawFile(picture, Photo(Qt::red)));
    }

    // The first page file a render wrote; the picture fills the middle of
    // a one-cell page.
    QImage FirstPage(const RawRun& run) const
    {
        const std::vector<std::string> files = testing::OutputLines(run.out);
        return files.empty() ? QImage() : QImage(QString::fromStdString(files.front()));
    }

    ScratchDir dir;
    std::string folder;
    std::string picture;
};

TEST_F(HeadlessNames, GbkFolderOnTheCommandLinePrintsThePictureWithItsChineseCaption)
{
    const std::string pdf = dir.Path("album.pdf");
    const RawRun run = QuilletRaw(
        dir, {"print", "--pdf", pdf, "--rows", "1", "--columns", "1", "--header", "&f", folder});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ListPdfImages(pdf).size(), 1u);
    const std::vector<PdfWord> words = ReadPdfWords(pdf);
    EXPECT_FALSE(FindPdfWords(words, 1, "照片").empty()) << "caption";
    EXPECT_FALSE(FindPdfWords(words, 1, "海边").empty()) << "category in the header";
}

TEST_F(HeadlessNames, GbkFileOnTheCommandLineIsRenderedWithItsPicture)
{
    const RawRun run = QuilletRaw(dir, {"render", "--out", dir.Path("pages"), "--format", "png",
                                        "--rows", "1", "--columns", "1", picture});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const QImage page = FirstPage(run);
    ASSERT_FALSE(page.isNull()) << run.out;
    EXPECT_TRUE(IsRed(page.pixel(page.width() / 2, page.height() / 2)));
}

TEST_F(HeadlessNames, TablesInGbkOrUtf8ReachAGbkNamedPicture)
{
    for (const bool gbkTable : {true, false}) {
        SCOPED_TRACE(gbkTable ? "GBK table" : "UTF-8 table");
        const std::string text =
            "图片名全称\t图片说明\r\n" + dir.Path("海边/照片.jpg") + "\t红\r\n";
        const std::string table = dir.Path("table.txt");
        ASSERT_TRUE(WriteRawFile(table, [&] {
            const std::string bytes = gbkTable ? ToGb18030FromUtf8(text) : text;
            return ByteArray(bytes.begin(), bytes.end());
        }()));
        const RawRun run = QuilletRaw(dir, {"render", "--out", dir.Path("pages"), "--format", "png",
                                            "--rows", "1", "--columns", "1", "--table", table});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const QImage page = FirstPage(run);
        ASSERT_FALSE(page.isNull()) << run.out;
        EXPECT_TRUE(IsRed(page.pixel(page.width() / 2, page.height() / 2)));
    }
}

TEST_F(HeadlessNames, PicturesThatCannotBeLoadedAreNamedOnceEachWithTheReason)
{
    ASSERT_TRUE(WriteRawFile(folder + "/broken.jpg", ByteArray(500, 'x')));
    ByteArray cutProfile = AdobeRgbProfile();
    cutProfile.resize(cutProfile.size() / 2);
    QImage red(160, 120, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(WriteRawFile(folder + "/cut.jpg", MakeJpeg(red, {.iccProfile = cutProfile})));
    const std::string table = dir.Path("table.txt");
    // A UTF-8 table naming the files in the GBK folder by their Chinese names.
    const std::string text = "图片名全称\r\n" + dir.Path("gone.jpg") + "\r\n"
                             + dir.Path("海边/broken.jpg") + "\r\n" + dir.Path("海边/照片.jpg")
                             + "\r\n" + dir.Path("海边/cut.jpg") + "\r\n" + dir.Path("gone.jpg")
                             + "\r\n";
    ASSERT_TRUE(WriteRawFile(table, ByteArray(text.begin(), text.end())));
    const RawRun run = QuilletRaw(dir, {"render", "--out", dir.Path("pages"), "--table", table});
    EXPECT_EQ(run.exitCode, 0) << "every page was written";
    EXPECT_EQ(testing::OutputLines(run.out).size(), 1u);
    EXPECT_EQ(testing::OutputLines(run.err),
              (std::vector<std::string>{
                  "无法载入图片 / could not load picture: " + dir.Path("gone.jpg")
                      + " (找不到文件 / no such file)",
                  "无法载入图片 / could not load picture: " + dir.Path("海边/broken.jpg")
                      + " (不是能读的图片或已损坏 / not a readable picture, or damaged)",
                  "图片颜色未转换 / picture colours not converted: " + dir.Path("海边/cut.jpg")
                      + " (颜色配置文件无法使用，按原样显示颜色 / colour profile unusable, colours "
                        "left as stored)"}));
}

} // namespace
} // namespace quillet
