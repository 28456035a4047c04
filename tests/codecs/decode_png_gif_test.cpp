#include "codecs/gif.h"
#include "codecs/image_decode.h"
#include "codecs/png.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace quillet {
namespace {

using namespace quillet::testing;

// A few colours with a soft-edged translucent disc, for the alpha variants.
QImage TranslucentPicture()
{
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(qRgba(20, 120, 220, 255));
    for (int y = 0; y < 30; ++y)
        for (int x = 20; x < 40; ++x)
            image.setPixel(x, y, qRgba(250, 40, 10, 128));
    for (int x = 0; x < 10; ++x)
        image.setPixel(x, 0, qRgba(0, 0, 0, 0));
    return image;
}

QImage TwoColourPicture()
{
    QImage image(33, 17, QImage::Format_RGB32); // odd sizes: partial bytes and rows
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x)
            image.setPixel(x, y, (x / 3 + y / 2) % 2 ? qRgb(255, 255, 255) : qRgb(10, 20, 30));
    return image;
}

QImage Greyed(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb c = out.pixel(x, y);
            out.setPixel(x, y, qRgba(qGray(c), qGray(c), qGray(c), qAlpha(c)));
        }
    return out;
}

struct PngCase {
    const char* name;
    PngKind kind;
    bool interlaced;
};

class PngVariants : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngVariants, DecodeToTheirPixels)
{
    const PngKind kind = GetParam().kind;
    const bool alpha =
        kind == PngKind::GreyAlpha8 || kind == PngKind::Rgba8 || kind == PngKind::Rgba16;
    const bool grey =
        kind == PngKind::Grey8 || kind == PngKind::Grey16 || kind == PngKind::GreyAlpha8;
    QImage source =
        alpha ? TranslucentPicture()
              : (kind == PngKind::Palette1 ? TwoColourPicture() : QuadrantPicture(37, 23));
    const QImage decoded = DecodePng(MakePng(source, kind, GetParam().interlaced)).image;
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QImage expected = grey ? Greyed(source) : source.convertToFormat(decoded.format());
    // Lossless: only 16-bit rounding may differ.
    EXPECT_LT(MeanChannelDifference(decoded, expected), 1.0);
}

INSTANTIATE_TEST_SUITE_P(Png, PngVariants,
                         ::testing::Values(PngCase{"Palette1", PngKind::Palette1, false},
                                           PngCase{"Palette4", PngKind::Palette4, false},
                                           PngCase{"Palette8", PngKind::Palette8, false},
                                           PngCase{"Grey8", PngKind::Grey8, false},
                                           PngCase{"Grey16", PngKind::Grey16, false},
                                           PngCase{"GreyAlpha8", PngKind::GreyAlpha8, false},
                                           PngCase{"Rgb8", PngKind::Rgb8, false},
                                           PngCase{"Rgb16", PngKind::Rgb16, false},
                                           PngCase{"Rgba8", PngKind::Rgba8, false},
                                           PngCase{"Rgba16", PngKind::Rgba16, false},
                                           PngCase{"InterlacedRgb8", PngKind::Rgb8, true},
                                           PngCase{"InterlacedPalette4", PngKind::Palette4, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PngDamage, TruncatedAndCorruptedFilesGiveNoPictureOrAWholeOne)
{
    const ByteArray file = MakePng(NoisyPhoto(64, 48), PngKind::Rgb8);
    for (double kept : {0.0, 0.1, 0.5, 0.9}) {
        const ByteArray cut(file.begin(),
                            file.begin() + static_cast<std::ptrdiff_t>(file.size() * kept));
        EXPECT_TRUE(DecodePicture(cut).isNull()) << "kept " << kept;
    }
    for (std::size_t at = 8; at < file.size(); at += 41) {
        ByteArray broken = file;
        broken[at] ^= 0x33;
        const QImage image = DecodePicture(broken);
        if (!image.isNull()) {
            EXPECT_EQ(image.size(), QSize(64, 48));
        }
    }
}

TEST(PngLimits, GiganticHeaderIsRefused)
{
    ByteArray file = MakePng(QuadrantPicture(8, 8), PngKind::Rgb8);
    // IHDR width at bytes 16..19; libpng checks the CRC, so turn that off by
    // rewriting it too.
    file[16] = 0x00;
    file[17] = 0x01;
    file[18] = 0x00;
    file[19] = 0x00; // 65536 wide
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 12; i < 29; ++i) {
        crc ^= file[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    for (int k = 0; k < 4; ++k)
        file[29 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
    EXPECT_TRUE(DecodePicture(file).isNull());
}

struct GifCase {
    const char* name;
    GifOptions options;
};

class GifVariants : public ::testing::TestWithParam<GifCase> {};

TEST_P(GifVariants, FirstFrameLandsOnTheScreen)
{
    const GifOptions& o = GetParam().options;
    const QImage source = QuadrantPicture(30, 21);
    const QImage decoded = DecodeGif(MakeGif(source, o));
    ASSERT_FALSE(decoded.isNull());
    const QSize screen(o.screenWidth ? o.screenWidth : 30, o.screenHeight ? o.screenHeight : 21);
    EXPECT_EQ(decoded.size(), screen);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 30; ++x) {
            const QRgb got = decoded.pixel(x + o.frameLeft, y + o.frameTop);
            // The quadrant colours are indexed in first-seen order: red is 0.
            const QRgb want = o.transparentIndex == 0 && source.pixel(x, y) == kQuadrantTopLeft
                                  ? 0u
                                  : source.pixel(x, y);
            ASSERT_EQ(got, want) << x << "," << y;
        }
    }
    const bool expectAlpha = o.transparentIndex >= 0 || screen != QSize(30, 21);
    EXPECT_EQ(decoded.hasAlphaChannel(), expectAlpha);
    if (screen != QSize(30, 21)) {
        EXPECT_EQ(qAlpha(decoded.pixel(0, 0)), 0) << "outside the frame is see-through";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gif, GifVariants,
    ::testing::Values(GifCase{"Plain", {}}, GifCase{"Interlaced", {.interlaced = true}},
                      GifCase{"TransparentColour", {.transparentIndex = 0}},
                      GifCase{
                          "FrameInsideALargerScreen",
                          {.screenWidth = 50, .screenHeight = 40, .frameLeft = 7, .frameTop = 11}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifDamage, TruncatedFilesGiveNoPicture)
{
    const ByteArray file = MakeGif(QuadrantPicture(64, 64), {.interlaced = true});
    for (std::size_t keep = 0; keep + 1 < file.size(); keep += 7) {
        const ByteArray cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep));
        EXPECT_TRUE(DecodePicture(cut).isNull()) << "kept " << keep;
    }
}

TEST(GifLimits, AGiganticScreenGivesTheFrameAlone)
{
    const QImage picture = QuadrantPicture(8, 8);
    ByteArray file = MakeGif(picture);
    file[6] = 0xFF;
    file[7] = 0xFF;
    file[8] = 0xFF;
    file[9] = 0xFF; // 65535 × 65535 logical screen: 16 GB that nobody could see
    const QImage decoded = DecodePicture(file);
    ASSERT_EQ(decoded.size(), picture.size());
    EXPECT_EQ(decoded.pixel(1, 1), picture.pixel(1, 1));
    EXPECT_EQ(decoded.pixel(6, 6), picture.pixel(6, 6));
}

} // namespace
} // namespace quillet
