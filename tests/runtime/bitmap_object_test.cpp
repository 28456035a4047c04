#include "runtime/bitmap_object.h"
#include "runtime/bmp.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace quillet::testing;

std::uint32_t U32(const ByteArray& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Every pixel distinct, so a turn that lands one row or column off is seen.
QImage Numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x >> 8) | (y >> 8) << 4));
    return image;
}

BitmapObject Loaded(const QImage& image, int bits = 24)
{
    BitmapObject bitmap;
    EXPECT_TRUE(bitmap.LoadFromBmp(WriteBmp(image, bits)));
    return bitmap;
}

TEST(BitmapObject, ResolutionFieldsAreWrittenIntoTheHeader)
{
    BitmapObject bitmap = Loaded(QuadrantPicture(30, 20));
    bitmap.SetHorizontalResolution(11811);
    bitmap.SetVerticalResolution(5906);
    const ByteArray bytes = bitmap.BmpBytes();
    EXPECT_EQ(U32(bytes, 38), 11811u);
    EXPECT_EQ(U32(bytes, 42), 5906u);
    const std::optional<BmpPicture> back = ReadBmp(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->image, QuadrantPicture(30, 20));
}

TEST(BitmapObject, BadBytesLeaveItAsItWas)
{
    BitmapObject bitmap = Loaded(QuadrantPicture(30, 20), 32);
    const ByteArray before = bitmap.BmpBytes();
    ByteArray truncated = before;
    truncated.resize(100);
    EXPECT_FALSE(bitmap.LoadFromBmp(truncated));
    EXPECT_FALSE(bitmap.LoadFromBmp({}));
    EXPECT_FALSE(bitmap.LoadFromBmp(MakeJpeg(QuadrantPicture(8, 8))));
    EXPECT_EQ(bitmap.BmpBytes(), before);
    EXPECT_EQ(bitmap.BitsPerPixel(), 32);
    EXPECT_TRUE(BitmapObject().BmpBytes().empty());
}

TEST(BitmapRotate, QuarterTurnOfALandscapePage)
{
    const QImage source = Numbered(2970, 2100);
    BitmapObject bitmap = Loaded(source);
    bitmap.SetHorizontalResolution(11811);
    const BitmapObject turned = bitmap.Rotate(90);
    ASSERT_EQ(turned.Width(), 2100);
    ASSERT_EQ(turned.Height(), 2970);
    EXPECT_EQ(turned.HorizontalResolution(), 11811);
    // The top row is the source's left column read bottom to top.
    for (int x = 0; x < 2100; ++x)
        ASSERT_EQ(turned.Image().pixel(x, 0), source.pixel(0, 2099 - x)) << x;
    // And in general: target (x, y) is source (y, H - 1 - x).
    for (int y = 0; y < 2970; y += 97)
        for (int x = 0; x < 2100; x += 89)
            ASSERT_EQ(turned.Image().pixel(x, y), source.pixel(y, 2099 - x));
}

struct TurnCase {
    const char* name;
    double angle;
    QSize size;
    // Where target (x, y) comes from, for a w × h source.
    QPoint (*from)(int x, int y, int w, int h);
};

class BitmapRightAngles : public ::testing::TestWithParam<TurnCase> {};

TEST_P(BitmapRightAngles, MapEveryPixelExactly)
{
    const QImage source = Numbered(7, 4);
    const BitmapObject turned = Loaded(source).Rotate(GetParam().angle);
    ASSERT_EQ(QSize(turned.Width(), turned.Height()), GetParam().size);
    for (int y = 0; y < turned.Height(); ++y)
        for (int x = 0; x < turned.Width(); ++x)
            ASSERT_EQ(turned.Image().pixel(x, y), source.pixel(GetParam().from(x, y, 7, 4)))
                << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Bitmap, BitmapRightAngles,
    ::testing::Values(
        TurnCase{"None", 0, {7, 4}, [](int x, int y, int, int) { return QPoint(x, y); }},
        TurnCase{
            "Clockwise", 90, {4, 7}, [](int x, int y, int, int h) { return QPoint(y, h - 1 - x); }},
        TurnCase{"HalfTurn",
                 180,
                 {7, 4},
                 [](int x, int y, int w, int h) { return QPoint(w - 1 - x, h - 1 - y); }},
        TurnCase{"AntiClockwise",
                 -90,
                 {4, 7},
                 [](int x, int y, int w, int) { return QPoint(w - 1 - y, x); }},
        TurnCase{"ThreeQuarters",
                 270,
                 {4, 7},
                 [](int x, int y, int w, int) { return QPoint(w - 1 - y, x); }},
        TurnCase{"FullTurnPlusOne",
                 450,
                 {4, 7},
                 [](int x, int y, int, int h) { return QPoint(y, h - 1 - x); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapRotate, OddAnglesGrowToTheBoundingBoxAndFillTheCorners)
{
    const BitmapObject turned = Loaded(QuadrantPicture(100, 100)).Rotate(45, qRgb(1, 2, 3));
    EXPECT_EQ(turned.Width(), 141);
    EXPECT_EQ(turned.Height(), 141);
    EXPECT_EQ(turned.Image().pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(turned.Image().pixel(140, 140), qRgb(1, 2, 3));
    // Clockwise by 45°: the top-left (red) quadrant now points straight up.
    EXPECT_EQ(turned.Image().pixel(70, 20), kQuadrantTopLeft);
    EXPECT_EQ(turned.Image().pixel(120, 70), kQuadrantTopRight);
    EXPECT_EQ(turned.Image().pixel(70, 120), kQuadrantBottomRight);
    EXPECT_EQ(turned.Image().pixel(20, 70), kQuadrantBottomLeft);
}

} // namespace
} // namespace quillet
