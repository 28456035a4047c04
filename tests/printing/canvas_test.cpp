#include "printing/canvas.h"
#include "printing/fonts.h"
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

TEST_F(CanvasTest, PageSizedCanvasStartsWhite)
{
    Canvas canvas;
    canvas.SetSize(2100, 2970);
    EXPECT_EQ(canvas.Image().size(), QSize(2100, 2970));
    EXPECT_EQ(canvas.Image().pixel(1000, 1000), qRgb(255, 255, 255));
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

TEST_F(CanvasTest, DrawImageStretchesIntoTheRectangle)
{
    Canvas canvas(300, 200);
    const QImage picture = QuadrantPicture(40, 40);
    canvas.DrawImage(picture, 100, 50, 120, 60);
    const QImage& image = canvas.Image();
    EXPECT_EQ(image.pixel(99, 60), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(102, 52), kQuadrantTopLeft);
    EXPECT_EQ(image.pixel(217, 52), kQuadrantTopRight);
    EXPECT_EQ(image.pixel(102, 107), kQuadrantBottomLeft);
    EXPECT_EQ(image.pixel(217, 107), kQuadrantBottomRight);
    EXPECT_EQ(image.pixel(220, 60), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(150, 110), qRgb(255, 255, 255));
    // Shrinking works the same way.
    canvas.DrawImage(picture, 0, 0, 20, 10);
    EXPECT_EQ(image.pixel(2, 2), kQuadrantTopLeft);
    EXPECT_EQ(image.pixel(17, 7), kQuadrantBottomRight);
    // No picture, or an empty rectangle, draws nothing.
    const QImage before = canvas.Image();
    canvas.DrawImage(QImage(), 0, 0, 300, 200);
    canvas.DrawImage(picture, 0, 0, 0, 200);
    EXPECT_EQ(canvas.Image(), before);
}

} // namespace
} // namespace quillet
