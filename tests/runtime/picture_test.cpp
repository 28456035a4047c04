#include "runtime/picture.h"
#include "runtime/resample.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>

namespace quillet {
namespace {

using namespace quillet::testing;

// Frees whatever a test loaded, so a failing assertion leaks nothing into the
// next test's count.
struct Handles {
    std::vector<PictureHandle> taken;
    PictureHandle operator<<(PictureHandle h)
    {
        taken.push_back(h);
        return h;
    }
    ~Handles()
    {
        for (PictureHandle h : taken)
            FreePicture(h);
    }
};

ByteArray IconBytes(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return ByteArray(data.begin(), data.end());
}

struct FormatCase {
    const char* name;
    ByteArray (*make)(const QImage&);
};

class PictureFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PictureFormats, LoadFromFileAndFromBytesAlike)
{
    Handles handles;
    ScratchDir dir;
    const QImage source = QuadrantPicture(32, 24);
    const ByteArray bytes = GetParam().make(source);
    const std::string path = dir.Path(std::string("picture.") + GetParam().name);
    ASSERT_TRUE(WriteBytes(path, bytes));

    const PictureHandle fromFile = handles << LoadPicture(path);
    const PictureHandle fromBytes = handles << LoadPictureFromBytes(bytes);
    ASSERT_NE(fromFile, 0);
    ASSERT_NE(fromBytes, 0);
    EXPECT_NE(fromFile, fromBytes);
    EXPECT_EQ(PictureWidth(fromFile), 32);
    EXPECT_EQ(PictureHeight(fromFile), 24);
    const QImage* image = PictureImage(fromBytes);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->format() == QImage::Format_RGB32
                || image->format() == QImage::Format_ARGB32);
    EXPECT_TRUE(ColoursClose(QuadrantColour(*image, true, true), kQuadrantBottomRight));
}

ByteArray CursorBytes(const QImage& image)
{
    ByteArray bytes = IconBytes(image);
    bytes[2] = 2; // the same directory, typed as a cursor
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Picture, PictureFormats,
    ::testing::Values(FormatCase{"jpg", [](const QImage& i) { return MakeJpeg(i); }},
                      FormatCase{"png", [](const QImage& i) { return MakePng(i, PngKind::Rgb8); }},
                      FormatCase{"gif", [](const QImage& i) { return MakeGif(i); }},
                      FormatCase{"bmp", [](const QImage& i) { return MakeBmp(i, BmpKind::Rgb24); }},
                      FormatCase{"ico", IconBytes}, FormatCase{"cur", CursorBytes}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureHandles, NothingToLoadGivesZero)
{
    ScratchDir dir;
    const int held = HeldPictureCount();
    EXPECT_EQ(LoadPicture(""), 0);
    EXPECT_EQ(LoadPicture(dir.Path("missing.jpg")), 0);
    EXPECT_EQ(LoadPicture(dir.Root()), 0); // a folder
    ASSERT_TRUE(WriteBytes(dir.Path("empty.jpg"), {}));
    EXPECT_EQ(LoadPicture(dir.Path("empty.jpg")), 0);
    ASSERT_TRUE(WriteBytes(dir.Path("text.jpg"), ByteArray{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(LoadPicture(dir.Path("text.jpg")), 0);
    EXPECT_EQ(LoadPictureFromBytes({}), 0);
    EXPECT_EQ(AdoptPicture(QImage()), 0);
    EXPECT_EQ(HeldPictureCount(), held);
}

TEST(PictureHandles, FreeingTwiceOrFreeingStrangersIsHarmless)
{
    const int held = HeldPictureCount();
    const PictureHandle a = AdoptPicture(QuadrantPicture(4, 4));
    const PictureHandle b = AdoptPicture(QuadrantPicture(6, 2));
    EXPECT_EQ(HeldPictureCount(), held + 2);
    FreePicture(a);
    FreePicture(a);
    FreePicture(0);
    FreePicture(-5);
    FreePicture(b + 1000);
    EXPECT_EQ(HeldPictureCount(), held + 1);
    EXPECT_EQ(PictureWidth(a), 0);
    EXPECT_EQ(PictureImage(a), nullptr);
    EXPECT_EQ(PictureWidth(b), 6) << "freeing another handle must not touch this one";
    FreePicture(b);
    EXPECT_EQ(HeldPictureCount(), held);
    // Handles are never reused, so a stale one stays dead.
    const PictureHandle c = AdoptPicture(QuadrantPicture(4, 4));
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
    FreePicture(c);
}

struct ResampleCase {
    const char* name;
    QSize from;
    QSize to;
};

class ResampleSizes : public ::testing::TestWithParam<ResampleCase> {};

TEST_P(ResampleSizes, GiveExactlyTheSizeAndKeepAFlatColourFlat)
{
    QImage flat(GetParam().from, QImage::Format_RGB32);
    flat.fill(qRgb(12, 200, 99));
    const QImage out = ResampleToSize(flat, GetParam().to.width(), GetParam().to.height());
    ASSERT_EQ(out.size(), GetParam().to);
    EXPECT_EQ(out.format(), QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            ASSERT_EQ(out.pixel(x, y), qRgb(12, 200, 99)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Resample, ResampleSizes,
                         ::testing::Values(ResampleCase{"Half", {100, 80}, {50, 40}},
                                           ResampleCase{"Uneven", {1000, 7}, {333, 3}},
                                           ResampleCase{"ToOnePixel", {17, 9}, {1, 1}},
                                           ResampleCase{"Same", {10, 10}, {10, 10}},
                                           ResampleCase{"Enlarge", {10, 10}, {25, 13}},
                                           ResampleCase{"WiderButShorter", {10, 10}, {20, 5}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Resample, ShrinkingAveragesTheCoveredPixels)
{
    // Two columns and rows halved: each target pixel is the mean of a 2×2 block.
    QImage image(4, 2, QImage::Format_RGB32);
    const QRgb block[4][2] = {{qRgb(0, 0, 0), qRgb(200, 100, 40)},
                              {qRgb(100, 0, 0), qRgb(0, 100, 0)},
                              {qRgb(255, 255, 255), qRgb(255, 255, 255)},
                              {qRgb(1, 1, 1), qRgb(3, 3, 3)}};
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y)
            image.setPixel(x, y, block[x][y]);
    // Means to within one step of rounding.
    const QImage half = ResampleToSize(image, 2, 1);
    EXPECT_TRUE(ColoursClose(half.pixel(0, 0), qRgb(75, 50, 10), 1))
        << std::hex << half.pixel(0, 0);
    EXPECT_TRUE(ColoursClose(half.pixel(1, 0), qRgb(129, 129, 129), 1))
        << std::hex << half.pixel(1, 0);
    // A third of a pixel: 3 → 2 takes one whole pixel and half of the middle.
    QImage row(3, 1, QImage::Format_RGB32);
    row.setPixel(0, 0, qRgb(0, 0, 0));
    row.setPixel(1, 0, qRgb(90, 90, 90));
    row.setPixel(2, 0, qRgb(240, 240, 240));
    const QImage two = ResampleToSize(row, 2, 1);
    EXPECT_TRUE(ColoursClose(two.pixel(0, 0), qRgb(30, 30, 30), 1)) << std::hex << two.pixel(0, 0);
    EXPECT_TRUE(ColoursClose(two.pixel(1, 0), qRgb(190, 190, 190), 1))
        << std::hex << two.pixel(1, 0);
}

TEST(Resample, TransparentPixelsDoNotBleedTheirColour)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 0)); // invisible red
    image.setPixel(1, 0, qRgba(0, 0, 255, 255));
    const QImage one = ResampleToSize(image, 1, 1);
    EXPECT_EQ(one.format(), QImage::Format_ARGB32);
    const QRgb p = one.pixel(0, 0);
    EXPECT_NEAR(qAlpha(p), 128, 1);
    EXPECT_EQ(qRed(p), 0);
    EXPECT_EQ(qBlue(p), 255);
}

} // namespace
} // namespace quillet
