// Printing through the CUPS queues that scripts/test-cups.sh sets up:
// QUILLET_FILE (generic PDF driver into one file, texts readable) and
// QUILLET_PDF (cups-pdf, texts as outlines, checked by rasterising).
// Skipped when no CUPS daemon answers or the queues are missing.
#include "print/print_picture_pages.h"
#include "printing/fonts.h"
#include "printing/printer_queries.h"
#include "printing/printer_unit.h"
#include "support/cups_queues.h"
#include "support/pdf_tools.h"
#include "support/print_test_helpers.h"
#include "textfiles/datetime.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace quillet {
namespace {

using testing::FileQueueOutput;
using testing::FindPdfWords;
using testing::kCupsPdfQueue;
using testing::kFileQueue;
using testing::PointsFromMillimetres;
using testing::QueueLock;
using testing::RunTool;
using testing::ThrowAwayQueue;
using testing::WaitUntilQueueEmpty;

class CupsPrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // ./test starts the daemon and asks for these tests; run by hand
        // without it they are skipped.
        const bool required = std::getenv("QUILLET_REQUIRE_CUPS") != nullptr;
        if (RunTool("lpstat", {"-r"}).find("scheduler is running") == std::string::npos) {
            if (required)
                FAIL() << "no CUPS daemon although ./test started one";
            GTEST_SKIP() << "no CUPS daemon; run scripts/test-cups.sh start";
        }
        const auto printers = InstalledPrinters();
        for (const char* queue : {kFileQueue, kCupsPdfQueue}) {
            if (std::find(printers.begin(), printers.end(), queue) == printers.end()) {
                if (required)
                    FAIL() << queue << " missing although ./test set it up";
                GTEST_SKIP() << queue << " missing; run scripts/test-cups.sh start";
            }
        }
        ASSERT_TRUE(dir_.isValid());
        InstallFontSubstitutions();
        PrintSettings& s = settings_;
        s = StartupPrintSettings();
        testing::UseAlbumTestSettings(s);
        s.headerAlign = 0;
        s.footerAlign = 2;
    }

    PageJob Album(int pictures)
    {
        PageJob job;
        job.settings = settings_;
        job.settings.rows = 2;
        job.settings.columns = 2;
        job.settings.rowGap = 20;
        job.settings.columnGap = 20;
        job.settings.captionGap = 0;
        job.settings.photoFitMode = 1;
        job.settings.headerOffset = 80;
        job.settings.footerOffset = 300; // clear of the queue's unprintable strip
        job.pictures.paths.assign(pictures,
                                  testing::WriteJpeg(dir_, "black.jpg", 400, 300, Qt::black));
        for (int i = 0; i < pictures; ++i)
            job.pictures.captions.push_back("Photo" + std::to_string(i + 1));
        job.clock = ClockReading{2010, 3, 5, 9, 5, 3};
        job.headerTemplate = "Album&p";
        job.footerTemplate = "Page&p/&a";
        return job;
    }

    PrintJobEnd Print(const PageJob& job, const PageProgress& progress = {})
    {
        PrinterUnit printer;
        return PrintPagesOnPrinter(printer, PrintTarget::Queue(job.settings.printerName), job,
                                   progress);
    }

    QTemporaryDir dir_;
    PrintSettings settings_;
};

TEST_F(CupsPrintingTest, KnowsWhichQueuesAreInstalledAndCupsDefault)
{
    EXPECT_TRUE(PrinterInstalled(kFileQueue));
    EXPECT_TRUE(PrinterInstalled(kCupsPdfQueue));
    EXPECT_FALSE(PrinterInstalled(""));
    EXPECT_FALSE(PrinterInstalled("QUILLET_NO_SUCH_QUEUE"));
    const std::string cupsDefault = RunTool("lpstat", {"-d"});
    if (cupsDefault.find("no system default") != std::string::npos)
        EXPECT_EQ(DefaultPrinterName(), "");
    else
        EXPECT_NE(cupsDefault.find(": " + DefaultPrinterName()), std::string::npos);
}

TEST_F(CupsPrintingTest, PaperFormsComeFromTheQueueInTenthsOfAMillimetre)
{
    const auto names = PaperFormNames(kFileQueue);
    ASSERT_FALSE(names.empty());
    ASSERT_NE(std::find(names.begin(), names.end(), "A4"), names.end());

    PaperForm form;
    ASSERT_TRUE(PaperFormSize(kFileQueue, "A4", form));
    EXPECT_EQ(form.width, 2100);
    EXPECT_EQ(form.height, 2970);
    for (int strip : {form.top, form.bottom, form.left, form.right}) {
        EXPECT_GE(strip, 0);
        EXPECT_LT(strip, 300);
    }
    if (std::find(names.begin(), names.end(), "Letter") != names.end()) {
        ASSERT_TRUE(PaperFormSize(kFileQueue, "Letter", form));
        EXPECT_EQ(form.width, 2159); // 215.9 mm
        EXPECT_EQ(form.height, 2794);
    }

    form.width = 7;
    EXPECT_FALSE(PaperFormSize(kFileQueue, "No such paper", form));
    EXPECT_EQ(form, PaperForm{});
    form.height = 7;
    EXPECT_FALSE(PaperFormSize(kFileQueue, "", form));
    EXPECT_EQ(form, PaperForm{});
}

TEST_F(CupsPrintingTest, AnAlbumPrintsThroughTheFileQueueWithItsTextsInPlace)
{
    const QueueLock lock;
    QFile::remove(QString::fromStdString(FileQueueOutput()));
    settings_.printerName = kFileQueue;
    settings_.defaultPrinterName = kCupsPdfQueue;
    const PrintJobEnd end = Print(Album(5));
    ASSERT_TRUE(end.handedOver) << end.error;
    EXPECT_GT(end.cupsJobId, 0);
    EXPECT_EQ(end.written, std::string(kFileQueue) + "-" + std::to_string(end.cupsJobId));
    ASSERT_TRUE(WaitUntilQueueEmpty(kFileQueue));

    const std::string output = FileQueueOutput();
    const auto info = testing::ReadPdfInfo(output);
    ASSERT_TRUE(info) << "nothing printed into " << output;
    EXPECT_EQ(info->pages, 2);
    EXPECT_NEAR(info->pageWidth, PointsFromMillimetres(210), 1);
    EXPECT_NEAR(info->pageHeight, PointsFromMillimetres(297), 1);

    const auto words = testing::ReadPdfWords(output);
    EXPECT_EQ(FindPdfWords(words, 1, "Album1").size(), 1u);
    EXPECT_EQ(FindPdfWords(words, 2, "Photo5").size(), 1u);
    const auto photo1 = FindPdfWords(words, 1, "Photo1");
    const auto photo2 = FindPdfWords(words, 1, "Photo2");
    ASSERT_EQ(photo1.size(), 1u);
    ASSERT_EQ(photo2.size(), 1u);
    // Centred in cells 940 wide: column 1 lies 960 tenths to the right.
    EXPECT_NEAR(photo2[0].xMin - photo1[0].xMin, PointsFromMillimetres(96), 0.6);
    EXPECT_NEAR(photo1[0].yMin, photo2[0].yMin, 0.1);
    // Positions count from the corner of the queue's printable area.
    PaperForm a4;
    ASSERT_TRUE(PaperFormSize(kFileQueue, "A4", a4));
    const auto album = FindPdfWords(words, 1, "Album1");
    ASSERT_EQ(album.size(), 1u);
    EXPECT_NEAR(album[0].xMin, PointsFromMillimetres((a4.left + 100) / 10.0), 0.6);
    EXPECT_NEAR(album[0].yMin, PointsFromMillimetres((a4.top + 80) / 10.0), 1.5);
    const auto footer = FindPdfWords(words, 2, "Page2/2");
    ASSERT_EQ(footer.size(), 1u);
    // Right-aligned on the margin: printable width 1900 from the left margin.
    EXPECT_NEAR(footer[0].xMax, PointsFromMillimetres((a4.left + 100 + 1900) / 10.0), 0.6);
    EXPECT_NEAR(footer[0].yMin, PointsFromMillimetres((a4.top + 2970 - 300) / 10.0), 1.5);

    const auto images = testing::ListPdfImages(output);
    EXPECT_EQ(images.size(), 5u);
}

TEST_F(CupsPrintingTest, AnAlbumPrintsThroughCupsPdf)
{
    const QueueLock lock;
    const QString outputDir = QDir::homePath() + "/PDF";
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    settings_.printerName = kCupsPdfQueue;
    ASSERT_TRUE(Print(Album(6)).handedOver);
    ASSERT_TRUE(WaitUntilQueueEmpty(kCupsPdfQueue));

    QFileInfo newest;
    for (const QFileInfo& file :
         QDir(outputDir).entryInfoList({"*.pdf"}, QDir::Files, QDir::Time)) {
        if (file.lastModified() >= started) {
            newest = file;
            break;
        }
    }
    ASSERT_TRUE(newest.exists()) << "cups-pdf wrote nothing into " << outputDir.toStdString();
    const std::string output = newest.absoluteFilePath().toStdString();
    const auto info = testing::ReadPdfInfo(output);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 2);

    // Page 2 holds two pictures in its top row and nothing below: the ink of
    // the lower half is only the footer line.
    const QImage page = testing::RasterisePdfPage(output, 2, 50);
    ASSERT_FALSE(page.isNull());
    const int w = page.width();
    const int h = page.height();
    const QRect topLeftCell = testing::InkBounds(page, QRect(0, 0, w / 2, h / 2));
    const QRect topRightCell = testing::InkBounds(page, QRect(w / 2, 0, w / 2, h / 2));
    const QRect lowerHalf = testing::InkBounds(page, QRect(0, h / 2, w, h / 2 - h / 10));
    EXPECT_GT(topLeftCell.width(), w / 3);
    EXPECT_GT(topRightCell.width(), w / 3);
    EXPECT_TRUE(lowerHalf.isNull());
    QFile::remove(newest.absoluteFilePath());
}

TEST_F(CupsPrintingTest, ACupsJobCannotStartOnAQueueThatIsGone)
{
    settings_.printerName = "QUILLET_NO_SUCH_QUEUE";
    EXPECT_FALSE(Print(Album(2)).handedOver);
}

// A queue that refuses jobs, or that is deleted while the job is drawn,
// refuses the document: the job is not handed over and CUPS says why.
TEST_F(CupsPrintingTest, ARefusingOrVanishedQueueDoesNotTakeTheJob)
{
    for (const bool deleteMidJob : {false, true}) {
        ThrowAwayQueue queue(dir_.filePath("refused.pdf").toStdString());
        ASSERT_TRUE(queue.Ready());
        settings_.printerName = queue.Name();
        PageProgress progress;
        if (deleteMidJob) {
            progress.advanced = [&queue](int done) {
                if (done == 1) {
                    EXPECT_TRUE(queue.Delete());
                }
            };
        } else {
            ASSERT_TRUE(queue.Reject());
        }
        const PrintJobEnd end = Print(Album(24), progress);
        EXPECT_FALSE(end.handedOver) << (deleteMidJob ? "deleted" : "rejecting");
        EXPECT_FALSE(end.error.empty());
        EXPECT_EQ(end.written, "");
    }
}

// CUPS holds a job for a stopped queue until it is started again: taken.
TEST_F(CupsPrintingTest, AStoppedQueueHoldsTheJobAndThatIsSuccess)
{
    ThrowAwayQueue queue(dir_.filePath("held.pdf").toStdString());
    ASSERT_TRUE(queue.Ready());
    ASSERT_TRUE(queue.Stop());
    settings_.printerName = queue.Name();
    const PrintJobEnd end = Print(Album(2));
    ASSERT_TRUE(end.handedOver) << end.error;
    EXPECT_NE(RunTool("lpstat", {"-o", QString::fromStdString(queue.Name())}).find(end.written),
              std::string::npos);
}

} // namespace
} // namespace quillet
