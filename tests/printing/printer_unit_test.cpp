// The printer unit printing real PDF files: frame, fonts, lazy pages,
#include "printing/fonts.h"
#include "printing/printer_unit.h"
#include "support/full_disk.h"
#include "support/pdf_tools.h"
#include "support/print_test_helpers.h"
#include "support/test_images.h"
#include "widgets/printing_status_box.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <functional>
#include <ostream>
#include <string>

namespace quillet {
namespace {

using testing::FindPdfWords;
using testing::PointsFromMillimetres;

constexpr double kPointsPerDevicePixel = 72.0 / 600.0; // PDF jobs print at 600 dpi

using testing::Font;
using testing::InkBounds;
using testing::SolidImage;

// The printing-status box on screen, if any.
const PrintingStatusBox* ShownStatusBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (const auto* box = dynamic_cast<const PrintingStatusBox*>(widget);
            box && box->isVisible())
            return box;
    return nullptr;
}

// What the box's labels say, one line each.
QString LabelTexts(const QWidget& box)
{
    QStringList texts;
    for (const QLabel* label : box.findChildren<QLabel*>())
        texts << label->text();
    return texts.join('\n');
}

class PrinterUnitPdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallFontSubstitutions();
        ASSERT_TRUE(dir_.isValid());
        unit_.SetCoordinateUnit(kUnitTenthMillimetre);
        setup_.font = Font(9);
    }

    std::string PdfPath() const { return dir_.filePath("job.pdf").toStdString(); }

    PrintTarget Pdf() const { return PrintTarget::PdfFile(PdfPath(), 1, true); }
    bool StartA4()
    {
        return unit_.StartPrintJob(Pdf(), setup_, false, kPaperKindCustom, 0, 2100, 2970);
    }

    QTemporaryDir dir_;
    PrinterUnit unit_;
    PrintJobSetup setup_;
};

TEST(PrinterUnitPropertiesTest, FontHeightFollowsTheUnit)
{
    PrinterUnit unit;
    unit.SetFont(Font(9));
    unit.SetCoordinateUnit(kUnitTenthMillimetre);
    EXPECT_EQ(unit.FontCharacterHeight(), 31);
    unit.SetCoordinateUnit(kUnitHundredthMillimetre);
    EXPECT_EQ(unit.FontCharacterHeight(), 317);
    unit.SetCoordinateUnit(kUnitHundredthInch);
    EXPECT_EQ(unit.FontCharacterHeight(), 12); // 31.7 / 2.54
}

TEST(PrinterUnitPropertiesTest, WithoutAJobDrawingDoesNothingAndMeasuringGivesNoJobValues)
{
    PrinterUnit unit;
    unit.SetCoordinateUnit(kUnitTenthMillimetre);
    EXPECT_FALSE(unit.JobRunning());
    EXPECT_EQ(unit.TextWidth("相册"), 0);
    EXPECT_EQ(unit.TextHeight("大"), 0);
    EXPECT_EQ(unit.UnitsFromDevicePixelsX(640), 640);
    EXPECT_EQ(unit.UnitsFromDevicePixelsY(480), 480);
    EXPECT_FALSE(unit.NewPage());
    unit.WriteTextAt(0, 0, "x");
    unit.DrawImage(SolidImage(640, 480, Qt::red), 0, 0, 640, 480);
    unit.EndPrintJob();
    EXPECT_FALSE(unit.JobRunning());
}

TEST_F(PrinterUnitPdfTest, AJobThatCannotWriteItsFileDoesNotStart)
{
    EXPECT_FALSE(unit_.StartPrintJob(
        PrintTarget::PdfFile(dir_.filePath("missing/folder/job.pdf").toStdString()), setup_, false,
        kPaperKindCustom, 0, 2100, 2970));
    EXPECT_FALSE(unit_.JobRunning());
    EXPECT_EQ(unit_.TextWidth("相册"), 0);
    // The real reason, not a full disk.
    EXPECT_EQ(unit_.StartProblem(),
              std::string("文件无法写入 / could not be written: ") + std::strerror(ENOENT));
}

// The PDF engine does not tell of a failed write: on a full disk the good
// file that was there stays, no partial file is left, and the job says so.
TEST_F(PrinterUnitPdfTest, AFullDiskNeverReplacesAGoodPdf)
{
    const testing::SmallDisk disk(dir_.filePath("disk").toStdString());
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::string album = disk.Path("album.pdf");
    ASSERT_TRUE(unit_.StartPrintJob(PrintTarget::PdfFile(album), setup_, false, kPaperKindCustom, 0,
                                    2100, 2970));
    unit_.WriteTextAt(0, 0, "good");
    ASSERT_TRUE(unit_.EndPrintJob().handedOver);
    const ByteArray good = testing::ReadBytes(album);

    QImage noise(1200, 1200, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 256, (x * y) % 256, (x ^ y) % 256));
    for (const bool replace : {true, false}) {
        ASSERT_TRUE(unit_.StartPrintJob(PrintTarget::PdfFile(album, 1, replace), setup_, false,
                                        kPaperKindCustom, 0, 2100, 2970));
        unit_.DrawImage(noise, 0, 0, 1000, 1000);
        const PrintJobEnd end = unit_.EndPrintJob();
        EXPECT_FALSE(end.handedOver);
        EXPECT_EQ(end.written, "");
        EXPECT_EQ(testing::ReadBytes(album), good);
        EXPECT_EQ(disk.EntryCount(), 1);
    }
}

TEST_F(PrinterUnitPdfTest, PrintsOnTheCustomPaperAndNamesTheDocument)
{
    setup_.documentName = "4507_宽高：2100×2970，方向：0";
    ASSERT_TRUE(StartA4());
    unit_.WriteTextAt(0, 0, "x");
    unit_.EndPrintJob();
    const auto info = testing::ReadPdfInfo(PdfPath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 1);
    EXPECT_NEAR(info->pageWidth, PointsFromMillimetres(210), 0.5);
    EXPECT_NEAR(info->pageHeight, PointsFromMillimetres(297), 0.5);
    EXPECT_EQ(info->title, "4507_宽高：2100×2970，方向：0");
}

TEST_F(PrinterUnitPdfTest, AnUnnamedDocumentGetsTheUntitledName)
{
    ASSERT_TRUE(StartA4());
    unit_.EndPrintJob();
    const auto info = testing::ReadPdfInfo(PdfPath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->title, "未命名打印作业");
}

TEST_F(PrinterUnitPdfTest, LandscapeTurnsTheUprightPaper)
{
    ASSERT_TRUE(unit_.StartPrintJob(Pdf(), setup_, false, kPaperKindCustom, 1, 2100, 2970));
    unit_.EndPrintJob();
    const auto info = testing::ReadPdfInfo(PdfPath());
    ASSERT_TRUE(info);
    EXPECT_NEAR(info->pageWidth, PointsFromMillimetres(297), 0.5);
    EXPECT_NEAR(info->pageHeight, PointsFromMillimetres(210), 0.5);
}

struct PageSequenceCase {
    std::string name;
    std::function<void(PrinterUnit&)> steps;
    int pages;
};

void PrintTo(const PageSequenceCase& c, std::ostream* os)
{
    *os << c.name;
}

class LazyPagesTest : public PrinterUnitPdfTest,
                      public ::testing::WithParamInterface<PageSequenceCase> {};

TEST_P(LazyPagesTest, PagesOpenOnlyWhenDrawnOn)
{
    ASSERT_TRUE(StartA4());
    GetParam().steps(unit_);
    unit_.EndPrintJob();
    const auto info = testing::ReadPdfInfo(PdfPath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, GetParam().pages);
}

void Draw(PrinterUnit& unit)
{
    unit.WriteTextAt(100, 100, "页");
}

INSTANTIATE_TEST_SUITE_P(Sequences, LazyPagesTest,
                         ::testing::Values(PageSequenceCase{"StartThenEnd", [](PrinterUnit&) {}, 1},
                                           PageSequenceCase{"EndRightAfterNewPageAddsNoBlankPage",
                                                            [](PrinterUnit& u) {
                                                                Draw(u);
                                                                u.NewPage();
                                                            },
                                                            1},
                                           PageSequenceCase{"DrawingOpensTheNextPage",
                                                            [](PrinterUnit& u) {
                                                                Draw(u);
                                                                u.NewPage();
                                                                Draw(u);
                                                            },
                                                            2},
                                           PageSequenceCase{"NewPageTwiceGivesOneBlankPage",
                                                            [](PrinterUnit& u) {
                                                                Draw(u);
                                                                u.NewPage();
                                                                u.NewPage();
                                                                Draw(u);
                                                            },
                                                            3},
                                           PageSequenceCase{"NewPageTwiceAtTheEnd",
                                                            [](PrinterUnit& u) {
                                                                Draw(u);
                                                                u.NewPage();
                                                                u.NewPage();
                                                            },
                                                            2},
                                           PageSequenceCase{"ThreeNewPagesTwoBlanks",
                                                            [](PrinterUnit& u) {
                                                                Draw(u);
                                                                u.NewPage();
                                                                u.NewPage();
                                                                u.NewPage();
                                                                Draw(u);
                                                            },
                                                            4}),
                         [](const auto& info) { return info.param.name; });

TEST_F(PrinterUnitPdfTest, TextSitsAtItsPositionPlusTheMarginsAndLinesStepByHeightPlusTwoPixels)
{
    unit_.SetCoordinateUnit(kUnitDevicePixel);
    setup_.marginLeft = 118; // 5 mm at 600 dpi
    setup_.marginTop = 472; // 20 mm
    ASSERT_TRUE(StartA4());
    const int height = unit_.TextHeight("大");
    unit_.WriteTextAt(236, 236, "Alpha\r\nBeta\nGamma\rDelta");
    unit_.EndPrintJob();

    const auto words = testing::ReadPdfWords(PdfPath());
    const auto alpha = FindPdfWords(words, 1, "Alpha");
    const auto beta = FindPdfWords(words, 1, "Beta");
    const auto gamma = FindPdfWords(words, 1, "Gamma");
    const auto delta = FindPdfWords(words, 1, "Delta");
    ASSERT_EQ(alpha.size(), 1u);
    ASSERT_EQ(beta.size(), 1u);
    ASSERT_EQ(gamma.size(), 1u);
    ASSERT_EQ(delta.size(), 1u);
    EXPECT_NEAR(alpha[0].xMin, (236 + 118) * kPointsPerDevicePixel, 0.5);
    EXPECT_NEAR(beta[0].xMin, alpha[0].xMin, 0.05);
    EXPECT_NEAR(delta[0].xMin, alpha[0].xMin, 0.05);
    // The measured height is cut to whole pixels: the step lies within one
    // pixel above height + 2, and clearly away from height alone.
    const double step = (beta[0].yMin - alpha[0].yMin) / kPointsPerDevicePixel;
    EXPECT_GE(step, height + 2 - 0.05);
    EXPECT_LT(step, height + 3);
    EXPECT_NEAR(gamma[0].yMin - beta[0].yMin, beta[0].yMin - alpha[0].yMin, 0.05);
    EXPECT_NEAR(delta[0].yMin - gamma[0].yMin, beta[0].yMin - alpha[0].yMin, 0.05);
}

TEST_F(PrinterUnitPdfTest, TextTopIsTheGivenYInTenthsOfAMillimetre)
{
    setup_.marginLeft = 50;
    setup_.marginTop = 200;
    setup_.font = Font(20, "黑体");
    ASSERT_TRUE(StartA4());
    unit_.WriteTextAt(100, 200, "XXXX");
    unit_.EndPrintJob();
    // At 254 dpi one pixel is 0.1 mm.
    const QImage page = testing::RasterisePdfPage(PdfPath(), 1, 254);
    ASSERT_FALSE(page.isNull());
    const QRect ink = InkBounds(page);
    // Capital X starts close to the pen position and below the top of the
    // line by the internal leading only.
    EXPECT_NEAR(ink.left(), 150, 8);
    EXPECT_GE(ink.top(), 400);
    EXPECT_LT(ink.top(), 400 + unit_.FontCharacterHeight() / 2);
}

TEST_F(PrinterUnitPdfTest, MarginsShiftAPictureDrawnAtTheOrigin)
{
    setup_.marginLeft = 50;
    setup_.marginTop = 200;
    ASSERT_TRUE(StartA4());
    unit_.DrawImage(SolidImage(60, 40, Qt::black), 0, 0, 300, 200);
    unit_.EndPrintJob();
    const QImage page = testing::RasterisePdfPage(PdfPath(), 1, 254);
    ASSERT_FALSE(page.isNull());
    const QRect ink = InkBounds(page);
    EXPECT_NEAR(ink.left(), 50, 1);
    EXPECT_NEAR(ink.top(), 200, 1);
    EXPECT_NEAR(ink.width(), 300, 2);
    EXPECT_NEAR(ink.height(), 200, 2);
}

TEST_F(PrinterUnitPdfTest, DevicePixelsConvertToTheUnit)
{
    ASSERT_TRUE(StartA4());
    EXPECT_EQ(unit_.DeviceDpiX(), 600);
    EXPECT_EQ(unit_.UnitsFromDevicePixelsX(600), 254);
    EXPECT_EQ(unit_.UnitsFromDevicePixelsY(1200), 508);
    unit_.SetCoordinateUnit(kUnitDevicePixel);
    EXPECT_EQ(unit_.UnitsFromDevicePixelsX(600), 600);
    unit_.SetCoordinateUnit(kUnitHundredthInch);
    EXPECT_EQ(unit_.UnitsFromDevicePixelsX(600), 100);
    unit_.EndPrintJob();
}

TEST_F(PrinterUnitPdfTest, ALargePhotoIsResampledToTheCellItFills)
{
    ASSERT_TRUE(StartA4());
    // 40 x 30 mm: 945 x 709 px
    unit_.DrawImage(SolidImage(4000, 3000, Qt::darkGreen), 0, 0, 400, 300);
    // enlarged, never upsampled
    unit_.DrawImage(SolidImage(100, 80, Qt::darkBlue), 0, 1000, 400, 300);
    unit_.EndPrintJob();
    const auto images = testing::ListPdfImages(PdfPath());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_LE(images[0].width, 945);
    EXPECT_GE(images[0].width, 940);
    EXPECT_LE(images[0].height, 709);
    EXPECT_GE(images[0].height, 705);
    EXPECT_EQ(images[1].width, 100);
    EXPECT_EQ(images[1].height, 80);
}

TEST_F(PrinterUnitPdfTest, InvalidPicturesAndEmptyRectanglesDrawNothing)
{
    const QImage picture = SolidImage(50, 50, Qt::black);
    ASSERT_TRUE(StartA4());
    unit_.DrawImage(QImage(), 0, 0, 100, 100);
    unit_.DrawImage(picture, 0, 0, 0, 100);
    unit_.DrawImage(picture, 0, 0, 100, -100);
    unit_.EndPrintJob();
    EXPECT_TRUE(testing::ListPdfImages(PdfPath()).empty());
}

TEST_F(PrinterUnitPdfTest, StatusBoxNamesDocumentAndFollowsThePages)
{
    setup_.documentName = "相册";
    ASSERT_TRUE(unit_.StartPrintJob(Pdf(), setup_, true, kPaperKindCustom, 0, 2100, 2970));
    const PrintingStatusBox* box = ShownStatusBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(LabelTexts(*box).contains(QStringLiteral("文档：相册")));
    EXPECT_TRUE(LabelTexts(*box).contains(QStringLiteral("正在打印第 1 页")));
    unit_.NewPage();
    EXPECT_TRUE(LabelTexts(*box).contains(QStringLiteral("正在打印第 2 页")));
    unit_.EndPrintJob();
    EXPECT_EQ(ShownStatusBox(), nullptr);
}

TEST_F(PrinterUnitPdfTest, MeasuresTextInTenthsOfAMillimetre)
{
    ASSERT_TRUE(StartA4());
    const int one = unit_.TextWidth("大");
    const int four = unit_.TextWidth("大大大大");
    // A CJK character is about one em wide: 9 pt is 31.7 tenths.
    EXPECT_GE(one, 28);
    EXPECT_LE(one, 33);
    EXPECT_NEAR(four, 4 * one, 4);
    EXPECT_GE(unit_.TextHeight("大"), 31);
    EXPECT_LE(unit_.TextHeight("大"), 50);
    EXPECT_EQ(unit_.TextWidth(""), 0);
    unit_.EndPrintJob();
}

} // namespace
} // namespace quillet
