// Albums printed for real into PDF files through the progress window's
// printer unit, then read back with poppler.
#include "print/page_layout.h"
#include "print/print_picture_pages.h"
#include "printing/fonts.h"
#include "printing/printer_queries.h"
#include "printing/printer_unit.h"
#include "support/pdf_tools.h"
#include "support/print_test_helpers.h"
#include "textfiles/datetime.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace quillet {
namespace {

using testing::FindPdfWords;
using testing::PdfWord;
using testing::PointsFromMillimetres;

// Tenths of a millimetre to PDF points.
double Points(double tenths)
{
    return PointsFromMillimetres(tenths / 10.0);
}

class PrintPicturePagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        InstallFontSubstitutions();
        PrintSettings& s = settings_;
        s = StartupPrintSettings();
        testing::UseAlbumTestSettings(s);
        s.headerAlign = 1;
        s.footerAlign = 1;
        s.imageOptimization = 0;
    }

    std::string PdfPath() const { return dir_.filePath("album.pdf").toStdString(); }

    PageJob Album(int pictures, int rows, int columns)
    {
        const std::string path = testing::WriteJpeg(dir_, "black.jpg", 400, 300, Qt::black);
        PageJob job;
        job.settings = settings_;
        job.settings.rows = rows;
        job.settings.columns = columns;
        job.settings.rowGap = 20;
        job.settings.columnGap = 20;
        job.settings.captionGap = 0;
        job.settings.photoFitMode = 1;
        job.settings.headerOffset = 80;
        job.settings.footerOffset = 80;
        job.pictures.paths.assign(pictures, path);
        job.clock = ClockReading{2010, 3, 5, 9, 5, 3};
        return job;
    }

    // 1 when the PDF file was written, as the job's outcome says.
    int Print(const PageJob& job, const PageProgress& progress = {})
    {
        PrinterUnit printer;
        const PrintJobEnd end =
            PrintPagesOnPrinter(printer, PrintTarget::PdfFile(PdfPath(), 1, true), job, progress);
        return end.handedOver && end.written == PdfPath() ? 1 : 0;
    }

    int Pages() const
    {
        const auto info = testing::ReadPdfInfo(PdfPath());
        return info ? info->pages : -1;
    }

    std::vector<int> ImagesPerPage() const
    {
        std::vector<int> counts(std::max(Pages(), 0), 0);
        for (const auto& image : testing::ListPdfImages(PdfPath())) {
            if (image.page >= 1 && image.page <= int(counts.size()))
                ++counts[image.page - 1];
        }
        return counts;
    }

    // The caption line height of the job's font, measured on a PDF job of
    // the same unit.
    int CaptionLineHeight()
    {
        PrinterUnit unit;
        unit.SetCoordinateUnit(kUnitTenthMillimetre);
        PrintJobSetup setup;
        setup.font = settings_.captionFont;
        if (!unit.StartPrintJob(PrintTarget::PdfFile(dir_.filePath("measure.pdf").toStdString()),
                                setup, false, kPaperKindCustom, 0, 2100, 2970))
            return -1;
        const int height = unit.TextHeight("大");
        unit.EndPrintJob();
        return height;
    }

    QTemporaryDir dir_;
    PrintSettings settings_;
};

TEST_F(PrintPicturePagesTest, SevenPicturesOnTwoByTwoGiveTwoPagesCountedInTheHeader)
{
    PageJob job = Album(7, 2, 2);
    job.headerTemplate = "第&p页/共&a页";
    job.footerTemplate = "&Y-&M-&D &H:&F:&S";
    EXPECT_EQ(Print(job), 1);

    const auto info = testing::ReadPdfInfo(PdfPath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 2);
    // Started at 9:05:03.
    EXPECT_EQ(info->title, "503_宽高：2100×2970，方向：0");
    EXPECT_EQ(ImagesPerPage(), (std::vector<int>{4, 3}));
    const auto words = testing::ReadPdfWords(PdfPath());
    EXPECT_EQ(FindPdfWords(words, 1, "第1页/共2页").size(), 1u);
    EXPECT_EQ(FindPdfWords(words, 2, "第2页/共2页").size(), 1u);
    EXPECT_EQ(FindPdfWords(words, 2, "2010-3-5").size(), 1u);
    EXPECT_EQ(FindPdfWords(words, 2, "9:5:3").size(), 1u);
}

TEST_F(PrintPicturePagesTest, HeaderAndFooterSitAtTheirOffsetsCentredBetweenTheMargins)
{
    PageJob job = Album(1, 1, 1);
    job.settings.headerOffset = 300;
    job.settings.footerOffset = 250;
    job.headerTemplate = "Header&p";
    job.footerTemplate = "Footer&a";
    job.settings.marginLeft = 300; // printable 1700 wide from 300
    ASSERT_EQ(Print(job), 1);

    const auto words = testing::ReadPdfWords(PdfPath());
    const auto header = FindPdfWords(words, 1, "Header1");
    const auto footer = FindPdfWords(words, 1, "Footer1");
    ASSERT_EQ(header.size(), 1u);
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_NEAR((header[0].xMin + header[0].xMax) / 2, Points(300 + 1700 / 2), 1.0);
    EXPECT_NEAR((footer[0].xMin + footer[0].xMax) / 2, Points(300 + 1700 / 2), 1.0);
    // The line's top is at the offset from the paper's top; the footer's at
    // the offset above the paper's bottom.
    EXPECT_NEAR(header[0].yMin, Points(300), 1.5);
    EXPECT_NEAR(footer[0].yMin, Points(2970 - 250), 1.5);
}

TEST_F(PrintPicturePagesTest, EmptyCaptionListGivesPicturesTheWholeCell)
{
    // Pictures far larger than their cells reach the PDF resampled to the
    // cell, so their stored heights show the height of the picture box.
    const std::string big = testing::WriteJpeg(dir_, "big.jpg", 4000, 4000, Qt::black);
    PageJob job = Album(1, 2, 2);
    job.pictures.paths = {big};
    ASSERT_EQ(Print(job), 1);
    const auto withoutCaptions = testing::ListPdfImages(PdfPath());

    job.pictures.captions = {""};
    ASSERT_EQ(Print(job), 1);
    const auto withEmptyCaptions = testing::ListPdfImages(PdfPath());

    ASSERT_EQ(withoutCaptions.size(), 1u);
    ASSERT_EQ(withEmptyCaptions.size(), 1u);
    // Cell height (2670 - 20) / 2 = 1325 tenths = 3130 pixels at 600 dpi.
    EXPECT_NEAR(withoutCaptions[0].height, 1325 * 600 / 254.0, 2);
    const double captionLine = CaptionLineHeight() * 600 / 254.0;
    EXPECT_NEAR(withoutCaptions[0].height - withEmptyCaptions[0].height, captionLine, 3);
    EXPECT_EQ(withoutCaptions[0].width, withEmptyCaptions[0].width);
}

TEST_F(PrintPicturePagesTest, NarrowCaptionsAreCentredAndWideOnesStartAtTheCellEdge)
{
    PageJob job = Album(2, 1, 2);
    job.pictures.captions = {std::string(70, 'W'), "Narrow"};
    ASSERT_EQ(Print(job), 1);

    const auto words = testing::ReadPdfWords(PdfPath());
    const auto narrow = FindPdfWords(words, 1, "Narrow");
    const auto wide = FindPdfWords(words, 1, std::string(70, 'W'));
    ASSERT_EQ(narrow.size(), 1u);
    ASSERT_EQ(wide.size(), 1u);
    // Cells are (1900 - 20) / 2 = 940 wide: column 0 from 100, column 1 from 1060.
    EXPECT_NEAR((narrow[0].xMin + narrow[0].xMax) / 2, Points(100 + 960 + 470), 0.6);
    EXPECT_NEAR(wide[0].xMin, Points(100), 0.6);
    EXPECT_GT(wide[0].xMax, Points(100 + 940 + 20)); // runs on into the next cell, unclipped
}

TEST_F(PrintPicturePagesTest, CaptionGapBelowHalfALineMovesTheCaptionDown)
{
    const int line = CaptionLineHeight();
    ASSERT_GT(line, 10);
    auto captionTop = [&](int gap) {
        PageJob job = Album(1, 2, 1);
        job.pictures.captions = {"Caption"};
        job.settings.captionGap = gap;
        EXPECT_EQ(Print(job), 1);
        const auto found = FindPdfWords(testing::ReadPdfWords(PdfPath()), 1, "Caption");
        return found.size() == 1 ? found[0].yMin : -1.0;
    };
    const double none = captionTop(0);
    const int kept = (line - 1) / 2; // below half a line
    const int dropped = (line + 1) / 2; // half a line or more
    EXPECT_NEAR(captionTop(kept) - none, Points(kept), 0.1);
    EXPECT_NEAR(captionTop(dropped), none, 0.01);
    // Directly under the picture box: row 0 ends at cell height - line.
    const int cellHeight = (2670 - 20) / 2;
    EXPECT_NEAR(none, Points(150 + cellHeight - line), 1.5);
}

TEST_F(PrintPicturePagesTest, LandscapeLaysOutOnTheSwappedPageAndPrintsTheUprightPaperTurned)
{
    PageJob job = Album(3, 1, 3);
    job.settings.orientation = 1;
    job.pictures.captions = {"One", "Two", "Three"};
    job.settings.columnGap = 0;
    ASSERT_EQ(Print(job), 1);

    const auto info = testing::ReadPdfInfo(PdfPath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->title, "503_宽高：2100×2970，方向：1");
    EXPECT_NEAR(info->pageWidth, PointsFromMillimetres(297), 0.5);
    EXPECT_NEAR(info->pageHeight, PointsFromMillimetres(210), 0.5);
    // Three cells of (2970 - 200) / 3 = 923 across the long side.
    const auto three = FindPdfWords(testing::ReadPdfWords(PdfPath()), 1, "Three");
    ASSERT_EQ(three.size(), 1u);
    EXPECT_NEAR((three[0].xMin + three[0].xMax) / 2, Points(100 + 2 * 923 + 923 / 2.0), 0.6);
}

TEST_F(PrintPicturePagesTest, CancelDuringTheFirstPictureFinishesOnlyThatPage)
{
    PageJob job = Album(12, 2, 2);
    job.headerTemplate = "Head&p";
    job.footerTemplate = "Foot&p";
    int polls = 0;
    PageProgress progress;
    progress.cancelRequested = [&polls] { return ++polls >= 1; };
    EXPECT_EQ(Print(job, progress), 1);

    EXPECT_EQ(polls, 1) << "asked once, after the first picture";
    EXPECT_EQ(Pages(), 1);
    EXPECT_EQ(ImagesPerPage(), (std::vector<int>{1}));
    const auto words = testing::ReadPdfWords(PdfPath());
    EXPECT_EQ(FindPdfWords(words, 1, "Head1").size(), 1u);
    EXPECT_EQ(FindPdfWords(words, 1, "Foot1").size(), 1u);
}

TEST_F(PrintPicturePagesTest, AJobThatCannotStartReturnsZeroAndLoadsNoPicture)
{
    for (const PrintTarget& target :
         {PrintTarget::PdfFile(dir_.filePath("no/such/folder/album.pdf").toStdString()),
          PrintTarget::Queue("QUILLET_NO_SUCH_QUEUE")}) {
        PrinterUnit printer;
        int started = 0;
        PageProgress progress;
        progress.started = [&started](int) { ++started; };
        const PrintJobEnd end = PrintPagesOnPrinter(printer, target, Album(5, 2, 2), progress);
        EXPECT_FALSE(end.handedOver) << target.name;
        EXPECT_EQ(started, 0) << target.name;
    }
}

struct GridCase {
    std::string name;
    int rows;
    int columns;
    int pictures;
    int pages;
};

void PrintTo(const GridCase& c, std::ostream* os)
{
    *os << c.name;
}

class PrintGridTest : public PrintPicturePagesTest,
                      public ::testing::WithParamInterface<GridCase> {};

TEST_P(PrintGridTest, GridsWithoutCellsPrintFiveByFiveAndEnd)
{
    const GridCase& c = GetParam();
    ASSERT_EQ(Print(Album(c.pictures, c.rows, c.columns)), 1);
    EXPECT_EQ(Pages(), c.pages);
}

INSTANTIATE_TEST_SUITE_P(Grids, PrintGridTest,
                         ::testing::Values(GridCase{"ZeroRows", 0, 3, 26, 2},
                                           GridCase{"ZeroColumns", 2, 0, 25, 1},
                                           GridCase{"NegativeBoth", -1, -1, 30, 2},
                                           GridCase{"OneByOne", 1, 1, 3, 3}),
                         [](const auto& info) { return info.param.name; });

TEST_F(PrintPicturePagesTest, AMissingPictureLeavesItsCellEmptyButKeepsItsCaption)
{
    PageJob job = Album(2, 1, 2);
    job.pictures.paths[0] = dir_.filePath("missing.jpg").toStdString();
    job.pictures.captions = {"Gone", "Here"};
    ASSERT_EQ(Print(job), 1);
    EXPECT_EQ(ImagesPerPage(), (std::vector<int>{1}));
    const auto words = testing::ReadPdfWords(PdfPath());
    EXPECT_EQ(FindPdfWords(words, 1, "Gone").size(), 1u);
    EXPECT_EQ(FindPdfWords(words, 1, "Here").size(), 1u);
}

TEST_F(PrintPicturePagesTest, NoPicturesPrintNoPage)
{
    EXPECT_EQ(Print(Album(0, 2, 2)), 1);
}

struct FitCase {
    std::string name;
    int mode;
    float ratio;
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.name;
}

class FitModePrintTest : public PrintPicturePagesTest,
                         public ::testing::WithParamInterface<FitCase> {};

// One 1200 x 600 picture (508 x 254 tenths at 600 dpi) in a one-cell grid:
// the ink on the page is the rectangle the layout computes, shifted by the
// margins.
TEST_P(FitModePrintTest, PrintsThePictureIntoTheComputedRectangle)
{
    const FitCase& c = GetParam();
    PageJob job = Album(1, 1, 1);
    job.pictures.paths = {testing::WriteJpeg(dir_, "wide.jpg", 1200, 600, Qt::black)};
    job.pictures.aspectRatios = {c.ratio};
    job.settings.photoFitMode = c.mode;
    ASSERT_EQ(Print(job), 1);

    const Rect box{0, 0, 1900, 2670};
    const std::optional<Rect> expected = PicturePlacement(box, 508, 254, c.ratio, c.mode);
    ASSERT_TRUE(expected);
    const QImage page = testing::RasterisePdfPage(PdfPath(), 1, 254);
    ASSERT_FALSE(page.isNull());
    const QRect ink = testing::InkBounds(page);
    EXPECT_NEAR(ink.left(), 100 + expected->x, 2);
    EXPECT_NEAR(ink.top(), 150 + expected->y, 2);
    EXPECT_NEAR(ink.width(), expected->width, 2);
    EXPECT_NEAR(ink.height(), expected->height, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FitModePrintTest,
    ::testing::Values(FitCase{"ProportionalCentred", 0, 0.0f}, FitCase{"FillBox", 1, 0.0f},
                      FitCase{"NaturalCentred", 2, 0.0f}, FitCase{"ProportionalTopLeft", 3, 0.0f},
                      FitCase{"NaturalTopLeft", 4, 0.0f}, FitCase{"GivenSquareRatio", 3, 1.0f},
                      FitCase{"RatioBelowLimitKeepsOwnShape", 3, 0.0005f}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace quillet
