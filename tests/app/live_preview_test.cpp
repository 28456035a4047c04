// The live preview, through the real settings window: the miniature's pixels
// are looked at after the window's own handlers asked for a redraw.

#include "app/globals.h"
#include "app/progress_window.h"
#include "app/settings_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_images.h"
#include "ui_settings_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace quillet {
namespace {

using testing::ColoursClose;
using testing::MakeJpeg;
using testing::ScratchDir;
using testing::WriteBytes;

const QRgb kRed = 0xFFE02020u;
const QRgb kBlue = 0xFF2040E0u;
const QRgb kWhite = 0xFFFFFFFFu;

bool IsWhite(QRgb colour)
{
    return qRed(colour) > 235 && qGreen(colour) > 235 && qBlue(colour) > 235;
}

class LivePreviewTest : public ::testing::Test {
protected:
    LivePreviewTest() : scope(dialogs) { ResetGlobals(); }
    ~LivePreviewTest() override
    {
        window.reset();
        CloseProgressWindow();
        ResetGlobals();
    }

    // count pictures of one colour (the first `redCount` red, the rest
    // blue), each with a caption when withCaptions.
    void MakeJob(int count, int redCount, bool withCaptions)
    {
        const std::string red = PictureFile("red", kRed);
        const std::string blue = PictureFile("blue", kBlue);
        for (int i = 0; i < count; ++i) {
            job.pictures.paths.push_back(i < redCount ? red : blue);
            if (withCaptions)
                job.pictures.captions.push_back("大大大");
        }
    }

    std::string PictureFile(const std::string& name, QRgb colour)
    {
        QImage image(120, 90, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = scratch.Path(name + ".jpg");
        EXPECT_TRUE(WriteBytes(path, MakeJpeg(image)));
        return path;
    }

    // Opens the window and waits for the miniature it draws on opening.
    void Open()
    {
        window = std::make_unique<SettingsWindow>(StartupPrintSettings(), job);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        for (int i = 0; i < 200 && window->PreviewPicture().isNull(); ++i)
            QTest::qWait(5);
    }

    QLabel* Canvas() { return ui().画板_预览; }
    QString PageNumber()
    {
        return Canvas()->findChild<QLabel*>(QStringLiteral("标签_预览页码"))->text();
    }

    // One notch of the mouse wheel over the canvas, towards the user (on)
    // or away (back).
    void Wheel(int notches)
    {
        const QPointF inside(120, 170);
        QWheelEvent wheel(inside, Canvas()->mapToGlobal(inside), QPoint(),
                          QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Canvas(), &wheel);
        QCoreApplication::processEvents();
    }

    Ui::SettingsWindow& ui() { return window->ui(); }

    // Sets the boxes, then asks for a redraw the way the window does when
    // the fit mode list changes.
    void Set(QLineEdit* box, const char* text) { box->setText(QString::fromUtf8(text)); }

    const QImage& Redraw()
    {
        QTest::mouseClick(ui().单选框_纵向打印->isChecked() ? ui().单选框_纵向打印
                                                            : ui().单选框_横向打印,
                          Qt::LeftButton);
        QCoreApplication::processEvents();
        return window->PreviewPicture();
    }

    // Fit mode 1 fills the picture box, so the box's colour is the picture's.
    void FillCells() { ui().组合框_照片打印方式->setCurrentIndex(1); }

    PreviewedJob job;
    ScratchDir scratch;
    ScriptedDialogProvider dialogs;
    ScopedDialogProvider scope;
    std::unique_ptr<SettingsWindow> window;
};

// Centre of cell (row, column) of the designed page: A4, margins 20/18/5/15,
// 1 mm gaps.
QPoint CellCentre(int rows, int columns, int row, int column)
{
    const double cellWidth = (190.0 - (columns - 1)) / columns;
    const double cellHeight = (259.0 - (rows - 1)) / rows;
    return QPoint(static_cast<int>(5 + column * (cellWidth + 1) + cellWidth / 2),
                  static_cast<int>(20 + row * (cellHeight + 1) + cellHeight / 3));
}

struct GridCase {
    const char* testName;
    int pictures;
    int redPictures;
    int rows;
    int columns;
};

void PrintTo(const GridCase& row, std::ostream* os)
{
    *os << row.testName;
}

class PreviewGridTest : public LivePreviewTest, public ::testing::WithParamInterface<GridCase> {};

TEST_P(PreviewGridTest, DrawsTheFirstPageOnlyAndLeavesMissingCellsEmpty)
{
    const GridCase& row = GetParam();
    MakeJob(row.pictures, row.redPictures, true);
    Open();
    FillCells();
    Set(ui().编辑框_行数, std::to_string(row.rows).c_str());
    Set(ui().编辑框_列数, std::to_string(row.columns).c_str());
    const QImage& page = Redraw();
    ASSERT_EQ(page.size(), QSize(210, 297));

    for (int k = 0; k < row.rows * row.columns; ++k) {
        const QRgb colour =
            page.pixel(CellCentre(row.rows, row.columns, k / row.columns, k % row.columns));
        if (k < row.pictures)
            EXPECT_TRUE(ColoursClose(colour, kRed)) << "cell " << k;
        else
            EXPECT_TRUE(IsWhite(colour)) << "cell " << k;
    }
    // Pictures after the first page appear nowhere.
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            ASSERT_FALSE(ColoursClose(page.pixel(x, y), kBlue, 60)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(LivePreview, PreviewGridTest,
                         ::testing::Values(GridCase{"ThreePicturesOnTwoByTwo", 3, 3, 2, 2},
                                           GridCase{"ThirtyPicturesOnFiveByFive", 30, 25, 5, 5}),
                         [](const ::testing::TestParamInfo<GridCase>& info) {
                             return std::string(info.param.testName);
                         });

TEST_F(LivePreviewTest, WithoutCaptionsThePictureFillsTheWholeCellHeight)
{
    // One cell from y 20 to 279; a caption line would take its last rows.
    MakeJob(1, 1, false);
    Open();
    FillCells();
    Set(ui().编辑框_行数, "1");
    Set(ui().编辑框_列数, "1");
    const QImage& page = Redraw();
    EXPECT_TRUE(ColoursClose(page.pixel(100, 277), kRed));

    job.pictures.captions = {"大"};
    Open();
    FillCells();
    Set(ui().编辑框_行数, "1");
    Set(ui().编辑框_列数, "1");
    const QImage& captioned = Redraw();
    EXPECT_TRUE(IsWhite(captioned.pixel(190, 277)));
    EXPECT_TRUE(ColoursClose(captioned.pixel(100, 270), kRed));
}

struct PageShape {
    const char* testName;
    const char* width;
    const char* height;
    bool landscape;
    QSize size;
};

void PrintTo(const PageShape& row, std::ostream* os)
{
    *os << row.testName;
}

class PreviewPageShapeTest : public LivePreviewTest,
                             public ::testing::WithParamInterface<PageShape> {};

TEST_P(PreviewPageShapeTest, KeepsTheUprightPaperShape)
{
    const PageShape& row = GetParam();
    MakeJob(1, 1, false);
    Open();
    FillCells();
    Set(ui().编辑框_宽度, row.width);
    Set(ui().编辑框_高度, row.height);
    Set(ui().编辑框_行数, "1");
    Set(ui().编辑框_列数, "1");
    // Only a top margin: where it ends up shows how the page was turned.
    for (QLineEdit* box : {ui().编辑框_下边距, ui().编辑框_左边距, ui().编辑框_右边距})
        Set(box, "0");
    Set(ui().编辑框_上边距, "30");
    if (row.landscape)
        ui().单选框_横向打印->setChecked(true);
    const QImage& page = Redraw();
    ASSERT_EQ(page.size(), row.size);
    const int w = page.width();
    const int h = page.height();
    if (row.landscape) {
        // Laid out wide, turned clockwise: the top margin is now the right
        // edge.
        EXPECT_TRUE(IsWhite(page.pixel(w - 10, h / 2)));
        EXPECT_TRUE(ColoursClose(page.pixel(10, h / 2), kRed));
        EXPECT_TRUE(ColoursClose(page.pixel(w / 2, 5), kRed));
    } else {
        EXPECT_TRUE(IsWhite(page.pixel(w / 2, 10)));
        EXPECT_TRUE(ColoursClose(page.pixel(w / 2, h - 10), kRed));
    }
}

INSTANTIATE_TEST_SUITE_P(
    LivePreview, PreviewPageShapeTest,
    ::testing::Values(PageShape{"Designed", "210", "297", false, {210, 297}},
                      PageShape{"ZeroWidthFallsBackToA4", "0", "150", false, {210, 297}},
                      PageShape{"CutToWholeMillimetres", "100.9", "150.5", false, {100, 150}},
                      PageShape{"LandscapeTurned", "210", "297", true, {210, 297}}),
    [](const ::testing::TestParamInfo<PageShape>& info) {
        return std::string(info.param.testName);
    });

TEST_F(LivePreviewTest, RowGapsInTenthsAreCutToWholeMillimetres)
{
    // Two rows of one picture each; the rows meet at y = 20 + (259 - gap) / 2.
    MakeJob(2, 2, false);
    Open();
    FillCells();
    Set(ui().编辑框_行数, "2");
    Set(ui().编辑框_列数, "1");
    Set(ui().编辑框_行间距, "5");
    const QImage& touching = Redraw();
    for (int y = 140; y < 160; ++y)
        EXPECT_TRUE(ColoursClose(touching.pixel(100, y), kRed)) << "y " << y;

    Set(ui().编辑框_行间距, "39");
    const QImage& apart = Redraw();
    int whiteRows = 0;
    for (int y = 140; y < 160; ++y)
        whiteRows += IsWhite(apart.pixel(100, y)) ? 1 : 0;
    EXPECT_EQ(whiteRows, 3);
}

// Height in pixels of the dark strokes in a band of rows.
int InkHeight(const QImage& page, int top, int bottom)
{
    int first = -1;
    int last = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 200) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

TEST_F(LivePreviewTest, CaptionFontsAreScaledToTheMiniature)
{
    MakeJob(1, 0, true);
    job.pictures.paths = {""}; // the caption of a missing picture still shows
    Open();
    Set(ui().编辑框_行数, "1");
    Set(ui().编辑框_列数, "1");
    // 9 pt draws at trunc(9 x 25.4 / 96) = 2 pt: at most a few pixels.
    const int small = InkHeight(Redraw(), 200, 290);
    EXPECT_GT(small, 0);
    EXPECT_LE(small, 4);

    // 40 pt draws at 10 pt, about 13 pixels.
    FontSpec large = window->Settings().captionFont;
    large.size = 40;
    dialogs.AnswerFontDialog(large);
    QTest::mouseClick(ui().按钮_字体, Qt::LeftButton);
    const int big = InkHeight(window->PreviewPicture(), 200, 290);
    EXPECT_GE(big, 8);
    EXPECT_LE(big, 16);
}

TEST_F(LivePreviewTest, HeaderAndFooterAreDrawnAsPageOneOfOne)
{
    MakeJob(1, 1, false);
    job.headerText = "&p/&a";
    job.footerText = "&p";
    Open();
    const QImage& page = Redraw();
    // Header line from 11 mm, footer line from 297 - 14 mm.
    EXPECT_GT(InkHeight(page, 11, 19), 0);
    EXPECT_GT(InkHeight(page, 283, 290), 0);
    EXPECT_EQ(InkHeight(page, 0, 11), 0);
}

TEST_F(LivePreviewTest, OnlyTheFooterAlignmentRedraws)
{
    MakeJob(1, 1, false);
    job.footerText = "F";
    Open();
    const qint64 first = Redraw().cacheKey();

    ui().组合框_页眉对齐->setCurrentIndex(0);
    EXPECT_EQ(window->PreviewPicture().cacheKey(), first);
    EXPECT_EQ(window->Settings().headerAlign, 0);

    ui().组合框_页脚对齐->setCurrentIndex(2);
    EXPECT_NE(window->PreviewPicture().cacheKey(), first);
    EXPECT_EQ(window->Settings().footerAlign, 2);
}

TEST_F(LivePreviewTest, UntickedLivePreviewLeavesTheMiniatureUntouched)
{
    MakeJob(1, 1, false);
    Open();
    const qint64 first = Redraw().cacheKey();
    ui().选择框_实时预览->setChecked(false);
    Set(ui().编辑框_行数, "2");
    Redraw();
    ui().组合框_页脚对齐->setCurrentIndex(0);
    EXPECT_EQ(window->PreviewPicture().cacheKey(), first);
}

TEST_F(LivePreviewTest, CancelOnTheProgressWindowStopsTheRedraw)
{
    MakeJob(25, 25, false);
    Open();
    FillCells();
    // The first window events the redraw lets run press cancel.
    QTimer::singleShot(0, [] {
        if (ProgressWindow* progress = LoadedProgressWindow())
            progress->findChild<QPushButton*>(QStringLiteral("按钮_取消打印"))->click();
    });
    const QImage& page = Redraw();
    EXPECT_TRUE(ColoursClose(page.pixel(CellCentre(5, 5, 0, 0)), kRed));
    EXPECT_TRUE(IsWhite(page.pixel(CellCentre(5, 5, 4, 4))));
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
    EXPECT_FALSE(window->PreviewBusy());
}

TEST_F(LivePreviewTest, TheMiniatureIsThereAsSoonAsTheWindowOpens)
{
    MakeJob(1, 1, false);
    Open();
    ASSERT_EQ(window->PreviewPicture().size(), QSize(210, 297));
    EXPECT_FALSE(IsWhite(window->PreviewPicture().pixel(CellCentre(5, 5, 0, 0))));
    EXPECT_EQ(PageNumber(), QStringLiteral("第1页/共1页"));
    EXPECT_FALSE(window->PreviewBusy());
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
}

// Run once more as its own test under QT_SCALE_FACTOR=2: the miniature is
// drawn with the screen's pixels, not a millimetre image blown up, and the
// page keeps its millimetre layout.
TEST_F(LivePreviewTest, TheMiniatureIsDrawnAtTheScreensPixelRatio)
{
    MakeJob(1, 1, true);
    Open();
    const qreal ratio = window->devicePixelRatio();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        ASSERT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    FillCells();
    Set(ui().编辑框_行数, "1");
    Set(ui().编辑框_列数, "1");
    const QImage& page = Redraw();
    ASSERT_EQ(page.devicePixelRatio(), ratio);
    ASSERT_EQ(page.size(), QSize(210, 297) * ratio);
    EXPECT_EQ(Canvas()->pixmap().devicePixelRatio(), ratio);

    // The one cell starts at the left margin, 5 mm in, on the device pixel.
    const int middle = static_cast<int>(150 * ratio);
    EXPECT_TRUE(IsWhite(page.pixel(static_cast<int>(5 * ratio) - 1, middle)));
    EXPECT_TRUE(ColoursClose(page.pixel(static_cast<int>(5 * ratio), middle), kRed));
    // The caption's strokes use single device pixels: a blown-up image
    // would hold only blocks of ratio × ratio equal pixels.
    int unlikeNeighbours = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x + 1 < page.width(); x += 2)
            unlikeNeighbours += page.pixel(x, y) != page.pixel(x + 1, y);
    EXPECT_GT(unlikeNeighbours, 0);

    // A landscape page is turned upright with its pixel ratio.
    QTest::mouseClick(ui().单选框_横向打印, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->PreviewPicture().devicePixelRatio(), ratio);
    EXPECT_EQ(window->PreviewPicture().deviceIndependentSize(), QSizeF(210, 297));
}

TEST_F(LivePreviewTest, WheelAndPageKeysTurnThroughTheJobsPages)
{
    // 25 red pictures fill page 1; pictures 26 to 30, blue, are page 2.
    MakeJob(30, 25, true);
    job.headerText = "第&p页/共&a页";
    Open();
    FillCells();
    EXPECT_EQ(PageNumber(), QStringLiteral("第1页/共2页"));
    // The click gives the canvas the focus (and a box leaving it redraws).
    QTest::mouseClick(Canvas(), Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), Canvas());

    Wheel(1);
    EXPECT_EQ(PageNumber(), QStringLiteral("第2页/共2页"));
    const QImage secondPage = window->PreviewPicture();
    for (int k = 0; k < 25; ++k) {
        const QRgb colour = secondPage.pixel(CellCentre(5, 5, k / 5, k % 5));
        if (k < 5)
            EXPECT_TRUE(ColoursClose(colour, kBlue)) << "cell " << k;
        else
            EXPECT_TRUE(IsWhite(colour)) << "cell " << k;
    }

    // Set QUILLET_SCREENSHOT to a PNG path (and run under Xvfb with
    // QT_QPA_PLATFORM=xcb) to keep a picture of the window on page 2.
    if (const char* shot = std::getenv("QUILLET_SCREENSHOT")) {
        QTest::qWait(300);
        QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(shot));
    }

    // Past the last page nothing is redrawn.
    Wheel(1);
    EXPECT_EQ(window->PreviewPicture().cacheKey(), secondPage.cacheKey());

    QTest::keyClick(Canvas(), Qt::Key_PageUp);
    EXPECT_EQ(PageNumber(), QStringLiteral("第1页/共2页"));
    EXPECT_TRUE(ColoursClose(window->PreviewPicture().pixel(CellCentre(5, 5, 4, 4)), kRed));
    QTest::keyClick(Canvas(), Qt::Key_PageDown);
    EXPECT_EQ(PageNumber(), QStringLiteral("第2页/共2页"));

    // A change of the layout shows the first page again: on 6 x 5 all 30
    // pictures are one page.
    Set(ui().编辑框_行数, "6");
    Redraw();
    EXPECT_EQ(PageNumber(), QStringLiteral("第1页/共1页"));
    Wheel(-1);
    EXPECT_EQ(PageNumber(), QStringLiteral("第1页/共1页"));
}

// The preview button hands the window its pictures padded with empty
// entries to a fixed length; only the pictures make pages.
struct PaddedJobCase {
    const char* testName;
    const char* rows;
    const char* columns;
    const char* firstPage;
    const char* lastPage;
};

void PrintTo(const PaddedJobCase& row, std::ostream* os)
{
    *os << row.testName;
}

class PaddedJobTest : public LivePreviewTest,
                      public ::testing::WithParamInterface<PaddedJobCase> {};

TEST_P(PaddedJobTest, PagesAreCountedFromThePicturesOnly)
{
    const PaddedJobCase& c = GetParam();
    MakeJob(13, 13, true);
    job.pictures.paths.resize(100);
    job.pictures.captions.resize(100);
    Open();
    Set(ui().编辑框_行数, c.rows);
    Set(ui().编辑框_列数, c.columns);
    Redraw();
    EXPECT_EQ(PageNumber(), QString::fromUtf8(c.firstPage));
    Wheel(20);
    EXPECT_EQ(PageNumber(), QString::fromUtf8(c.lastPage));
    EXPECT_FALSE(IsWhite(window->PreviewPicture().pixel(CellCentre(1, 1, 0, 0))));
}

INSTANTIATE_TEST_SUITE_P(
    LivePreview, PaddedJobTest,
    ::testing::Values(PaddedJobCase{"OnePageOfFiveByFive", "5", "5", "第1页/共1页", "第1页/共1页"},
                      PaddedJobCase{"OnePictureAPage", "1", "1", "第1页/共13页", "第13页/共13页"}),
    [](const auto& info) { return std::string(info.param.testName); });

// A hand holds a click for a moment; the box the focus left redraws the
// miniature meanwhile, and the click still takes effect.
TEST_F(LivePreviewTest, AHeldClickAfterTypingInABoxTakesEffect)
{
    MakeJob(25, 25, false);
    Open();
    QLineEdit* rows = ui().编辑框_行数;
    rows->setFocus(Qt::MouseFocusReason);
    Set(rows, "3");
    QRadioButton* landscape = ui().单选框_横向打印;
    const QPoint at = landscape->mapTo(window.get(), landscape->rect().center());
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
    QTest::qWait(200);
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
    for (int i = 0; i < 200 && (window->PreviewBusy() || ui().滑块条_行->value() != 12); ++i)
        QTest::qWait(10);

    EXPECT_TRUE(landscape->isChecked());
    EXPECT_EQ(ui().滑块条_行->value(), 12);
    EXPECT_EQ(window->PreviewPicture().size(), QSize(210, 297));
}

// Input for the window's controls waits until the miniature is done, then
// takes effect; nothing of it is lost.
TEST_F(LivePreviewTest, OkPressedDuringARedrawClosesTheWindowOnceItIsDone)
{
    MakeJob(25, 25, false);
    Open();
    QPushButton* ok = ui().按钮_确定;
    const QPoint at = ok->mapTo(window.get(), ok->rect().center());
    bool busyWhenPressed = false;
    QTimer::singleShot(0, [&] {
        busyWhenPressed = window->PreviewBusy();
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    });
    Redraw();
    for (int i = 0; i < 200 && window->isVisible(); ++i)
        QTest::qWait(10);

    EXPECT_TRUE(busyWhenPressed);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->Settings().confirmed, 1);
}

// Page keys pressed while a page is drawn are not dropped: the miniature
// goes on to the last page asked for, and a quick redraw shows no progress
// window over the controls.
TEST_F(LivePreviewTest, PageTurnsAskedForDuringARedrawAddUp)
{
    MakeJob(100, 0, false);
    Open();
    bool progressShown = true;
    QTimer::singleShot(0, [&] {
        const ProgressWindow* progress = LoadedProgressWindow();
        progressShown = progress && progress->isVisible();
        QTest::keyClick(Canvas(), Qt::Key_PageDown);
        QTest::keyClick(Canvas(), Qt::Key_PageDown);
    });
    Canvas()->setFocus();
    QTest::keyClick(Canvas(), Qt::Key_PageDown);
    EXPECT_EQ(PageNumber(), QStringLiteral("第4页/共4页"));
    EXPECT_FALSE(progressShown);
    EXPECT_FALSE(window->PreviewBusy());
}

TEST_F(LivePreviewTest, PagesDoNotTurnWhileLivePreviewIsOff)
{
    MakeJob(30, 25, false);
    Open();
    const qint64 first = window->PreviewPicture().cacheKey();
    ui().选择框_实时预览->setChecked(false);
    Wheel(1);
    EXPECT_EQ(PageNumber(), QStringLiteral("第1页/共2页"));
    EXPECT_EQ(window->PreviewPicture().cacheKey(), first);
}

} // namespace
} // namespace quillet
