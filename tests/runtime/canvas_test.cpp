#include "runtime/bmp.h"
#include "runtime/canvas.h"
#include "runtime/fonts.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace quillet::testing;

// The rectangle of pixels that differ from white.
QRect InkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

FontSpec Font(int size, const char* name = "黑体")
{
    FontSpec font;
    font.size = size;
    font.name = name;
    return font;
}

class CanvasTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallFontSubstitutions(); }
};

TEST_F(CanvasTest, PageSizedCanvasGivesAPageSizedBmp)
{
    Canvas canvas;
    canvas.SetSize(2100, 2970);
    const std::optional<BmpPicture> bmp = ReadBmp(canvas.ContentAsBmp());
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->image.size(), QSize(2100, 2970));
    EXPECT_TRUE(bmp->bitsPerPixel == 24 || bmp->bitsPerPixel == 32);
    EXPECT_EQ(bmp->image.pixel(1000, 1000), qRgb(255, 255, 255));
}

TEST_F(CanvasTest, TextHangsBelowItsTopLeftCorner)
{
    Canvas canvas(400, 200);
    canvas.SetFont(Font(24));
    canvas.WriteTextAt(50, 60, "大字");
    const QRect ink = InkBounds(canvas.Image());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.top(), 60);
    EXPECT_LE(ink.top(), 60 + canvas.TextHeight("大") / 3);
    EXPECT_GE(ink.left(), 50);
    EXPECT_LE(ink.left(), 55);
    EXPECT_LE(ink.bottom(), 60 + canvas.TextHeight("大字"));
    EXPECT_LE(ink.right(), 50 + canvas.TextWidth("大字"));
}

TEST_F(CanvasTest, FontSizeIsPointsAtNinetySixPixelsPerInch)
{
    EXPECT_EQ(CanvasPixelSize(9), 12);
    EXPECT_EQ(CanvasPixelSize(72), 96);
    EXPECT_EQ(CanvasPixelSize(23), 31);
    EXPECT_EQ(CanvasPixelSize(0), 1);
    Canvas canvas(10, 10);
    canvas.SetFont(Font(72));
    EXPECT_EQ(canvas.QtFont().pixelSize(), 96);
    // The line height follows the pixel size, whatever the screen reports.
    EXPECT_GE(canvas.TextHeight("大"), 96);
    EXPECT_LE(canvas.TextHeight("大"), 96 * 3 / 2);
}

TEST_F(CanvasTest, TextWidthMeasuresTheWholeLine)
{
    Canvas canvas(10, 10);
    canvas.SetFont(Font(12));
    const int one = canvas.TextWidth("大");
    EXPECT_GT(one, 0);
    EXPECT_EQ(canvas.TextWidth("大大大大"), 4 * one);
    EXPECT_EQ(canvas.TextWidth(""), 0);
    const int narrow = canvas.TextWidth("第1页");
    canvas.SetFont(Font(24));
    EXPECT_GT(canvas.TextWidth("第1页"), narrow * 3 / 2);
}

TEST_F(CanvasTest, DrawPictureStretchesIntoTheRectangle)
{
    Canvas canvas(300, 200);
    const PictureHandle picture = AdoptPicture(QuadrantPicture(40, 40));
    canvas.DrawPicture(picture, 100, 50, 120, 60);
    const QImage& image = canvas.Image();
    EXPECT_EQ(image.pixel(99, 60), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(102, 52), kQuadrantTopLeft);
    EXPECT_EQ(image.pixel(217, 52), kQuadrantTopRight);
    EXPECT_EQ(image.pixel(102, 107), kQuadrantBottomLeft);
    EXPECT_EQ(image.pixel(217, 107), kQuadrantBottomRight);
    EXPECT_EQ(image.pixel(220, 60), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(150, 110), qRgb(255, 255, 255));
    // Shrinking works the same way.
    canvas.DrawPicture(picture, 0, 0, 20, 10);
    EXPECT_EQ(image.pixel(2, 2), kQuadrantTopLeft);
    EXPECT_EQ(image.pixel(17, 7), kQuadrantBottomRight);
    FreePicture(picture);
    // No picture, or an empty rectangle, draws nothing.
    const QImage before = canvas.Image();
    canvas.DrawPicture(picture, 0, 0, 300, 200);
    canvas.DrawPicture(0, 0, 0, 300, 200);
    EXPECT_EQ(canvas.Image(), before);
}

TEST_F(CanvasTest, ClearFillsOnlyItsRectangleWithTheBackground)
{
    Canvas canvas(100, 100);
    canvas.SetBackgroundColor(qRgb(0, 0, 0));
    canvas.Clear();
    canvas.SetBackgroundColor(qRgb(10, 20, 30));
    canvas.Clear(10, 10, 20, 20);
    EXPECT_EQ(canvas.Image().pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.Image().pixel(10, 10), qRgb(10, 20, 30));
    EXPECT_EQ(canvas.Image().pixel(29, 29), qRgb(10, 20, 30));
    EXPECT_EQ(canvas.Image().pixel(30, 30), qRgb(0, 0, 0));
    canvas.Clear(90, 90, 500, 500); // clipped, not refused
    EXPECT_EQ(canvas.Image().pixel(99, 99), qRgb(10, 20, 30));
}

struct BackgroundCase {
    const char* name;
    int mode;
    QPoint redAt; // a pixel that must show the picture's top-left colour
    QPoint plainAt; // a pixel that must show the background colour
};

class CanvasBackground : public ::testing::TestWithParam<BackgroundCase> {};

TEST_P(CanvasBackground, PictureLiesAsItsModeSays)
{
    Canvas canvas(200, 100);
    canvas.SetBackgroundColor(qRgb(0, 0, 0));
    canvas.SetBackgroundPictureMode(GetParam().mode);
    canvas.SetBackgroundPicture(MakePng(QuadrantPicture(40, 40), PngKind::Rgb8));
    canvas.Clear();
    EXPECT_EQ(canvas.Image().pixel(GetParam().redAt), kQuadrantTopLeft);
    if (GetParam().plainAt.x() >= 0) {
        EXPECT_EQ(canvas.Image().pixel(GetParam().plainAt), qRgb(0, 0, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, CanvasBackground,
    ::testing::Values(BackgroundCase{"TopLeft", kBackgroundTopLeft, {5, 5}, {45, 45}},
                      BackgroundCase{"Tiled", kBackgroundTiled, {45, 45}, {-1, -1}},
                      BackgroundCase{"CentredNeverEnlarged", kBackgroundCentred, {82, 32}, {5, 5}},
                      BackgroundCase{"Stretched", kBackgroundStretched, {90, 40}, {-1, -1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CanvasTest, LargeBackgroundIsShrunkInProportionWhenCentred)
{
    Canvas canvas(100, 100);
    canvas.SetBackgroundColor(qRgb(0, 0, 0));
    canvas.SetBackgroundPictureMode(kBackgroundCentred);
    canvas.SetBackgroundPicture(MakeBmp(QuadrantPicture(400, 200), BmpKind::Rgb24));
    canvas.Clear();
    // 400 × 200 fits as 100 × 50, centred: rows 25..74.
    EXPECT_EQ(canvas.Image().pixel(50, 10), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.Image().pixel(10, 30), kQuadrantTopLeft);
    EXPECT_EQ(canvas.Image().pixel(90, 70), kQuadrantBottomRight);
    EXPECT_EQ(canvas.Image().pixel(50, 90), qRgb(0, 0, 0));
}

} // namespace
} // namespace quillet
