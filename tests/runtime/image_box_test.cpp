#include "runtime/bmp.h"
#include "runtime/image_box.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace quillet::testing;

std::uint32_t U32(const ByteArray& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(ImageBox, ScaleSetsTheScaledSizeAndNonPositiveScalesAreIgnored)
{
    ImageBox box;
    const int index = box.CreateImageObject();
    ASSERT_TRUE(box.LoadImageData(index, MakePng(QuadrantPicture(1000, 800), PngKind::Rgb8)));
    EXPECT_EQ(box.ScaledWidth(index), 1000);
    box.SetScale(index, 500);
    EXPECT_EQ(box.ScaledWidth(index), 500);
    EXPECT_EQ(box.ScaledHeight(index), 400);
    box.SetScale(index, 0);
    box.SetScale(index, -20);
    EXPECT_EQ(box.ScaledWidth(index), 500);
    EXPECT_EQ(box.ScaledHeight(index), 400);
    box.SetScale(index, 250, 1000);
    EXPECT_EQ(box.ScaledWidth(index), 250);
    EXPECT_EQ(box.ScaledHeight(index), 800);
    box.SetScale(index, 0, 100);
    EXPECT_EQ(box.ScaledWidth(index), 250);
    EXPECT_EQ(box.ScaledHeight(index), 80);
}

TEST(ImageBox, UndecodableDataEmptiesTheObject)
{
    ImageBox box;
    const int index = box.CreateImageObject();
    ASSERT_TRUE(box.LoadImageData(index, MakeGif(QuadrantPicture(40, 30))));
    EXPECT_FALSE(box.LoadImageData(index, ByteArray{1, 2, 3}));
    EXPECT_EQ(box.ScaledWidth(index), 0);
    EXPECT_EQ(box.ScaledHeight(index), 0);
    EXPECT_EQ(box.ScaledWidth(7), 0);
    EXPECT_FALSE(box.LoadImageData(7, MakeGif(QuadrantPicture(4, 4))));
    box.SetSize(0, 0);
    EXPECT_TRUE(box.RenderRectangle(0, 0, 10, 10).empty());
}

TEST(ImageBox, RenderedRectangleIsTheHandOverBmp)
{
    ImageBox box;
    const int index = box.CreateImageObject();
    ASSERT_TRUE(box.LoadImageData(index, MakeBmp(QuadrantPicture(80, 60), BmpKind::Rgb24)));
    box.SetScale(index, 500);
    box.SetSize(box.ScaledWidth(index), box.ScaledHeight(index));
    const ByteArray bytes = box.RenderRectangle(0, 0, box.Width(), box.Height());
    ASSERT_EQ(bytes.size(), 40u * 30 * 4 + 54);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(U32(bytes, 2), 40u * 30 * 4 + 54);
    EXPECT_EQ(U32(bytes, 10), 54u);
    EXPECT_EQ(U32(bytes, 14), 40u);
    EXPECT_EQ(U32(bytes, 18), 40u);
    EXPECT_EQ(U32(bytes, 22), 30u);
    EXPECT_EQ(bytes[26], 1);
    EXPECT_EQ(bytes[28], 32);
    EXPECT_EQ(U32(bytes, 30), 0u);
    EXPECT_EQ(U32(bytes, 34), 40u * 30 * 4);
    // Bottom-up: the first stored pixel is the bottom-left one (blue).
    EXPECT_EQ(bytes[54], 0xFF);
    EXPECT_EQ(bytes[56], 0x00);
    const std::optional<BmpPicture> back = ReadBmp(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->image.pixel(5, 5), kQuadrantTopLeft);
    EXPECT_EQ(back->image.pixel(35, 25), kQuadrantBottomRight);
}

TEST(ImageBox, RenderingIsClippedToTheBox)
{
    ImageBox box;
    const int index = box.CreateImageObject();
    ASSERT_TRUE(box.LoadImageData(index, MakeBmp(QuadrantPicture(80, 60), BmpKind::Rgb24)));
    box.SetSize(50, 40);
    const QImage part = box.RenderImage(30, 20, 100, 100);
    ASSERT_EQ(part.size(), QSize(20, 20));
    EXPECT_EQ(part.pixel(0, 0), kQuadrantTopLeft);
    EXPECT_EQ(part.pixel(19, 19), kQuadrantBottomRight);
    EXPECT_TRUE(box.RenderRectangle(60, 0, 10, 10).empty());
}

TEST(ImageBox, TransparentColourShowsTheBackground)
{
    ImageBox box;
    const int index = box.CreateImageObject();
    ASSERT_TRUE(box.LoadImageData(index, MakePng(QuadrantPicture(20, 20), PngKind::Rgb8),
                                  kQuadrantTopLeft));
    box.SetSize(20, 20);
    const QImage image = box.RenderImage(0, 0, 20, 20, qRgb(9, 9, 9));
    EXPECT_EQ(image.pixel(2, 2), qRgb(9, 9, 9));
    EXPECT_EQ(image.pixel(17, 2), kQuadrantTopRight);
}

} // namespace
} // namespace quillet
