// The headless command as users run it: the real executable in a process of
// its own, its output files read back.
#include "app/headless_command.h"

#include "support/cups_queues.h"
#include "support/full_disk.h"
#include "support/output_lines.h"
#include "support/pdf_tools.h"
#include "support/test_images.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QProcess>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>

namespace quillet {
namespace {

using testing::ScratchDir;

struct CommandRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CommandRun Quillet(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM"); // the program sets its own
    process.setProcessEnvironment(env);
    process.start(QUILLET_EXECUTABLE, args);
    EXPECT_TRUE(process.waitForFinished(120000));
    return CommandRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                      process.readAllStandardOutput().toStdString(),
                      process.readAllStandardError().toStdString()};
}

class HeadlessCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        album = QString::fromStdString(dir.Path("相册"));
        QDir().mkpath(album + "/海边");
        for (int i = 0; i < 3; ++i)
            Save(album + QString("/a%1.jpg").arg(i), Qt::red);
        Save(album + "/海边/日落.jpg", Qt::blue);
        Save(album + "/海边/b.png", Qt::green); // a screenshot beside the photo
        out = QString::fromStdString(dir.Path("out"));
    }
    static void Save(const QString& path, QColor colour)
    {
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(path));
    }
    ScratchDir dir;
    QString album;
    QString out;
};

TEST_F(HeadlessCommand, RendersAFolderAndPrintsEveryPageItWrote)
{
    CommandRun run = Quillet({"render", "--out", out, "--rows", "1", "--columns", "2", "--format",
                              "png", "--header", "第&p页/共&a页", album});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    std::vector<std::string> files = testing::OutputLines(run.out);
    ASSERT_EQ(files.size(), 2u) << "three pictures, two a page; the sub-folder is not searched";
    for (const std::string& file : files) {
        QImage page(QString::fromStdString(file));
        EXPECT_EQ(page.size(), QSize(2100, 2970)) << file;
        EXPECT_EQ(QString::fromStdString(file).left(out.size()), out);
        EXPECT_TRUE(file.ends_with(".png"));
    }
}

TEST_F(HeadlessCommand, RecursiveByCategoryMakesAJobPerFolder)
{
    CommandRun run = Quillet({"render", "--out", out, "--recursive", "--by-category", album});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testing::OutputLines(run.out).size(), 2u) << "相册 and 海边: one page each";
}

TEST_F(HeadlessCommand, PrintsToPdfFilesNumberedPerJob)
{
    const QString pdf = QString::fromStdString(dir.Path("album.pdf"));
    CommandRun run = Quillet({"print", "--pdf", pdf, "--recursive", "--by-category", album});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> files = testing::OutputLines(run.out);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], dir.Path("album.pdf"));
    EXPECT_EQ(files[1], dir.Path("album-2.pdf"));
    for (const std::string& file : files)
        EXPECT_TRUE(QFile::exists(QString::fromStdString(file))) << file;
}

// An existing file is never replaced: the next free name is written and
// printed, and the file that was there stays as it was.
TEST_F(HeadlessCommand, PdfKeepsAnExistingFileAndWritesTheNextFreeName)
{
    const std::string pdf = dir.Path("album.pdf");
    ASSERT_TRUE(testing::WriteBytes(pdf, ByteArray{'k', 'e', 'p', 't'}));
    CommandRun run = Quillet({"print", "--pdf", QString::fromStdString(pdf), album});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testing::OutputLines(run.out), std::vector<std::string>{dir.Path("album-2.pdf")});
    EXPECT_EQ(testing::ReadBytes(pdf), (ByteArray{'k', 'e', 'p', 't'}));
    EXPECT_EQ(testing::ListPdfImages(dir.Path("album-2.pdf")).size(), 3u);
}

// --pdf naming one of the album's own photos: the photo is read as it was
// and the PDF goes beside it.
TEST_F(HeadlessCommand, PdfNamingAnInputPhotoWritesBesideIt)
{
    const std::string photo = album.toStdString() + "/a0.jpg";
    const ByteArray before = testing::ReadBytes(photo);
    CommandRun run = Quillet({"print", "--pdf", QString::fromStdString(photo), album});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string beside = album.toStdString() + "/a0-2.jpg";
    EXPECT_EQ(testing::OutputLines(run.out), std::vector<std::string>{beside});
    EXPECT_EQ(testing::ReadBytes(photo), before);
    EXPECT_EQ(testing::ListPdfImages(beside).size(), 3u) << "every photo drawn, a0.jpg too";
}

TEST_F(HeadlessCommand, PdfOnAFullDiskExitsOneAndKeepsTheGoodFile)
{
    // Room for the good file and not much more.
    const testing::SmallDisk disk(dir.Path("disk"), 8);
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::string pdf = disk.Path("album.pdf");
    const std::string good = "%PDF-1.4 a good album\n%%EOF\n";
    const ByteArray kept(good.begin(), good.end());
    ASSERT_TRUE(testing::WriteBytes(pdf, kept));

    CommandRun full = Quillet({"print", "--pdf", QString::fromStdString(pdf), album});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.out, "");
    EXPECT_NE(full.err.find("无法写入PDF文件"), std::string::npos) << full.err;
    EXPECT_EQ(testing::ReadBytes(pdf), kept);
    EXPECT_EQ(disk.EntryCount(), 1) << "no partial file is left";
}

// Two renders into one folder in the same seconds name their pages alike:
// each page claims its name, and a name taken gets the next one.
TEST_F(HeadlessCommand, TwoRendersAtOnceIntoOneFolderKeepEveryPage)
{
    const QString many = QString::fromStdString(dir.Path("many"));
    QDir().mkpath(many);
    for (int i = 0; i < 12; ++i)
        Save(many + QString("/p%1.jpg").arg(i), Qt::darkCyan);
    const QStringList args{"render", "--out", out, "--rows", "1", "--columns", "1", many};
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 2; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->start(QUILLET_EXECUTABLE, args);
    }
    std::set<std::string> listed;
    for (const auto& run : runs) {
        ASSERT_TRUE(run->waitForFinished(120000));
        EXPECT_EQ(run->exitCode(), 0);
        for (const std::string& file :
             testing::OutputLines(run->readAllStandardOutput().toStdString()))
            listed.insert(file);
    }
    EXPECT_EQ(listed.size(), 24u);
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 24);
}

TEST_F(HeadlessCommand, PageFilesBeyondTheCanvasLimitAreRefusedPaperIsNot)
{
    CommandRun huge = Quillet({"render", "--out", out, "--paper", "3000x3000", album});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_NE(huge.err.find("A0"), std::string::npos) << huge.err;
    EXPECT_FALSE(QDir(out).exists() && !QDir(out).isEmpty());

    const QString pdf = QString::fromStdString(dir.Path("huge.pdf"));
    CommandRun paper = Quillet({"print", "--pdf", pdf, "--paper", "3000x3000", album});
    EXPECT_EQ(paper.exitCode, 0) << paper.err;
    EXPECT_TRUE(QFile::exists(pdf));

    CommandRun help = Quillet({"--help"});
    EXPECT_NE(help.out.find("A0"), std::string::npos) << "the limit is stated";
}

TEST_F(HeadlessCommand, ReadsATableOfPictures)
{
    const std::string table = dir.Path("table.txt");
    const std::string text =
        "图片说明\t图片名全称\r\n第一张\t" + album.toStdString() + "/a0.jpg\r\n";
    ASSERT_TRUE(testing::WriteBytes(table, ByteArray(text.begin(), text.end())));
    CommandRun run = Quillet({"render", "--out", out, "--table", QString::fromStdString(table)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testing::OutputLines(run.out).size(), 1u);
}

TEST_F(HeadlessCommand, TableRowsWithoutAPathAreEmptyCellsAndAZeroByteEndsTheTable)
{
    const std::string table = dir.Path("table.txt");
    const std::string a = album.toStdString();
    const std::string text = "图片名全称\r\n" + a + "/a0.jpg\r\n\r\n" + a + "/a1.jpg\r\n"
                             + std::string(1, '\0') + a + "/a2.jpg\r\n";
    ASSERT_TRUE(testing::WriteBytes(table, ByteArray(text.begin(), text.end())));
    CommandRun run = Quillet({"render", "--out", out, "--rows", "1", "--columns", "1", "--table",
                              QString::fromStdString(table)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testing::OutputLines(run.out).size(), 3u) << "a0, the empty row, a1";
    EXPECT_NE(run.err.find("zero byte in line 5; the rest was not read"), std::string::npos)
        << run.err;
}

// /dev/zero never ends, a folder holds no text, a file beyond the limit is
// not held in memory, a read can fail: none is read, and each says why.
TEST_F(HeadlessCommand, TableThatCannotBeReadIsNamed)
{
    const std::string large = dir.Path("large.txt");
    ASSERT_EQ(::truncate(large.c_str(), 0), -1); // not there yet
    ASSERT_TRUE(testing::WriteBytes(large, ByteArray{'a'}));
    ASSERT_EQ(::truncate(large.c_str(), (std::int64_t{64} << 20) + 1), 0);
    const std::vector<std::pair<QString, std::string>> cases{
        {"/dev/zero", "(不是普通文件 / not a regular file)"},
        {album, "(不是普通文件 / not a regular file)"},
        {QString::fromStdString(large), "(超过 64 MB / larger than 64 MB)"},
        // Opens as a regular file and fails on the first read.
        {"/proc/self/mem", "(无法读取 / cannot be read)"}};
    for (const auto& [table, reason] : cases) {
        CommandRun run = Quillet({"render", "--out", out, "--table", table});
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.err, "quillet: 无法读取表格 / cannot read the table: " + table.toStdString()
                               + " " + reason + "\n");
    }
}

TEST_F(HeadlessCommand, UsageErrorsExitTwoWithAMessage)
{
    CommandRun noOut = Quillet({"render", album});
    EXPECT_EQ(noOut.exitCode, 2);
    EXPECT_NE(noOut.err.find("--out"), std::string::npos) << noOut.err;
    EXPECT_EQ(noOut.out, "");

    CommandRun missing = Quillet({"render", "--out", out, album + "/nowhere"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("nowhere"), std::string::npos) << missing.err;

    CommandRun noPrinter = Quillet({"print", "--printer", "NO_SUCH_QUEUE_X", album});
    EXPECT_EQ(noPrinter.exitCode, 2);
    EXPECT_NE(noPrinter.err.find("NO_SUCH_QUEUE_X"), std::string::npos) << noPrinter.err;

    CommandRun help = Quillet({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("用法"), std::string::npos);
}

TEST_F(HeadlessCommand, UnwritableOutputExitsOneAndNamesThePages)
{
    CommandRun run = Quillet({"render", "--out", "/proc", album});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("/proc/"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST_F(HeadlessCommand, AnEmptyFolderHasNothingToRender)
{
    QDir().mkpath(QString::fromStdString(dir.Path("empty")));
    CommandRun run = Quillet({"render", "--out", out, QString::fromStdString(dir.Path("empty"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no pictures"), std::string::npos) << run.err;
}

// A folder that could not be read was skipped and the job said it went well.
// Root reads every folder, so the command then runs as nobody.
TEST_F(HeadlessCommand, AFolderThatCannotBeReadIsNamedAndTheCommandExitsOne)
{
    QDir().mkpath(album + "/锁住");
    Save(album + "/锁住/c.jpg", Qt::yellow);
    ASSERT_EQ(::chmod(dir.Root().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((album + "/锁住").toUtf8().constData(), 0300), 0);
    QDir().mkpath(out);
    ASSERT_EQ(::chmod(out.toUtf8().constData(), 0777), 0);
    QProcess process;
    process.setChildProcessModifier([] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
    });
    process.start(QUILLET_EXECUTABLE, {"render", "--out", out, "--recursive", album});
    ASSERT_TRUE(process.waitForFinished(120000));
    ::chmod((album + "/锁住").toUtf8().constData(), 0755);
    const std::string err = process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitCode(), 1) << err;
    EXPECT_NE(err.find("cannot read the folder, its pictures are left out: " + album.toStdString()
                       + "/锁住/ ("),
              std::string::npos)
        << err;
    EXPECT_EQ(testing::OutputLines(process.readAllStandardOutput().toStdString()).size(), 1u)
        << "the pictures that could be read are on their page";
}

// A table under an unknown title, or in an encoding not recognised, printed
// blank pages and exited 0.
TEST_F(HeadlessCommand, ATableThatNamesNoPictureWritesNothing)
{
    const std::string table = dir.Path("list.txt");
    const std::string text = "某个标题\r\n" + album.toStdString() + "/a0.jpg\r\n";
    ASSERT_TRUE(testing::WriteBytes(table, ByteArray(text.begin(), text.end())));
    CommandRun run = Quillet({"render", "--out", out, "--table", QString::fromStdString(table)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "quillet: 表格没有一行写着图片路径 / no row of the table names a picture: "
                           + table + "\n");
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(HeadlessCommand, Print0EndsEachPathWithANul)
{
    const QString odd = album + "/新\n行";
    QDir().mkpath(odd);
    Save(odd + "/a.jpg", Qt::red);
    CommandRun run = Quillet(
        {"print", "--pdf", odd + "/album.pdf", "--print0", "--by-category", "--recursive", album});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, odd.toStdString() + "/album.pdf" + std::string(1, '\0') + odd.toStdString()
                           + "/album-2.pdf" + std::string(1, '\0') + odd.toStdString()
                           + "/album-3.pdf" + std::string(1, '\0'));
}

// kill -9 in the middle of writing left hidden temporaries of tens of
// megabytes that no later run removed.
TEST_F(HeadlessCommand, APdfRunKilledAtAnyMomentLeavesNoPartialFile)
{
    const QImage noisy = testing::NoisyPhoto(1600, 1200);
    const QString many = QString::fromStdString(dir.Path("many"));
    QDir().mkpath(many);
    ASSERT_TRUE(noisy.save(many + "/p00.jpg", "jpg", 95));
    for (int i = 1; i < 24; ++i)
        ASSERT_TRUE(
            QFile::copy(many + "/p00.jpg", many + QString("/p%1.jpg").arg(i, 2, 10, QChar('0'))));
    const QString pdfFolder = QString::fromStdString(dir.Path("pdf"));
    QDir().mkpath(pdfFolder);
    for (const int milliseconds : {150, 400, 900, 1600}) {
        QProcess process;
        process.start(QUILLET_EXECUTABLE, {"print", "--pdf", pdfFolder + "/album.pdf", "--rows",
                                           "1", "--columns", "1", "--optimize", "0", many});
        ASSERT_TRUE(process.waitForStarted());
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished();
        for (const QString& name : QDir(pdfFolder).entryList(QDir::Files | QDir::Hidden)) {
            EXPECT_FALSE(name.startsWith('.')) << name.toStdString() << " after " << milliseconds;
            // A visible file is a whole one.
            EXPECT_GT(testing::ListPdfImages(dir.Path("pdf/" + name.toStdString())).size(), 0u);
        }
    }
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

// `print --printer` on the driverless simulators: each job followed until
// the printer has it, the paper matched to what the printer offers.
struct PrinterCase {
    const char* name;
    const char* queue;
    const char* paper;
    int exitCode;
    const char* told; // in stderr; empty: nothing is checked there
    int arrivedWidth; // 0.1 mm of the document the printer received; 0: none
    int arrivedHeight;
};

void PrintTo(const PrinterCase& c, std::ostream* os)
{
    *os << c.name;
}

class PrintOnPrinter : public HeadlessCommand, public ::testing::WithParamInterface<PrinterCase> {};

TEST_P(PrintOnPrinter, TheJobArrivesAsThePrinterTakesItOrIsRefusedWithTheReason)
{
    const PrinterCase& c = GetParam();
    if (!std::getenv("QUILLET_REQUIRE_CUPS") && testing::RunTool("lpstat", {"-v", c.queue}).empty())
        GTEST_SKIP() << "no queue " << c.queue;
    const testing::QueueLock lock;
    const std::string printer = c.queue == std::string(testing::kPhotoQueue) ? "photo" : "office";
    const QDateTime started = QDateTime::currentDateTime();

    CommandRun run = Quillet({"print", "--printer", c.queue, "--paper", c.paper, album});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (*c.told) {
        EXPECT_NE(run.err.find(c.told), std::string::npos) << run.err;
    }
    const testing::RasterPage arrived = testing::NewestSimulatorDocument(printer, started);
    if (c.arrivedWidth == 0) {
        EXPECT_EQ(arrived.width, 0) << "nothing is sent for a paper the printer lacks";
        return;
    }
    EXPECT_NEAR(arrived.width, c.arrivedWidth, 10);
    EXPECT_NEAR(arrived.height, c.arrivedHeight, 10);
}

// The command's print reaches CUPS, or a PDF file, without a window: neither
// the progress window nor the printing status box.
TEST_F(HeadlessCommand, PrintShowsNoWindow)
{
    struct ShownWindows : QObject {
        int count = 0;
        bool eventFilter(QObject* object, QEvent* event) override
        {
            if (event->type() == QEvent::Show && object->isWidgetType())
                ++count;
            return false;
        }
    } shown;
    const testing::QueueLock lock;
    qApp->installEventFilter(&shown);
    const std::string pdf = dir.Path("album.pdf");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"print", "--pdf", pdf, album.toStdString()},
          std::vector<std::string>{"print", "--printer", testing::kFileQueue, "--no-wait",
                                   album.toStdString()}}) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunHeadlessCommand(args, out, err), 0) << err.str();
    }
    qApp->removeEventFilter(&shown);
    EXPECT_EQ(shown.count, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Simulators, PrintOnPrinter,
    ::testing::Values(PrinterCase{"AlbumOnA4", testing::kOfficeQueue, "210x297", 0, "", 2100, 2970},
                      PrinterCase{"PhotoPaperRefusedNamingThePapers", testing::kOfficeQueue,
                                  "102x152", 1, "A4", 0, 0},
                      PrinterCase{"PhotoPaperAs4x6", testing::kPhotoQueue, "102x152", 0, "", 1016,
                                  1524}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
