#include "codecs/bmp.h"
#include "codecs/image_decode.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace quillet::testing;

QImage FewColours()
{
    QImage image(21, 13, QImage::Format_RGB32); // odd width: padded rows, partial bytes
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 21; ++x)
            image.setPixel(x, y, colours[(x / 4 + y / 3) % 4]);
    return image;
}

QImage TwoColours()
{
    QImage image = FewColours();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (x + y) % 3 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

struct BmpCase {
    const char* name;
    BmpKind kind;
    int bitsPerPixel;
    double tolerance; // mean per channel: 16-bit files keep 5 or 6 bits
};

class BmpVariants : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpVariants, ReadBackTheirPixels)
{
    const bool alpha = GetParam().kind == BmpKind::BitFieldsArgb32;
    QImage source = GetParam().kind == BmpKind::Palette1 ? TwoColours() : FewColours();
    if (alpha) {
        source = source.convertToFormat(QImage::Format_ARGB32);
        source.setPixel(0, 0, qRgba(10, 20, 30, 0));
        source.setPixel(1, 0, qRgba(200, 100, 50, 128));
    }
    const std::optional<BmpPicture> bmp = ReadBmp(MakeBmp(source, GetParam().kind));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->bitsPerPixel, GetParam().bitsPerPixel);
    EXPECT_EQ(bmp->image.hasAlphaChannel(), alpha);
    EXPECT_LE(MeanChannelDifference(bmp->image, source), GetParam().tolerance);
    if (GetParam().kind != BmpKind::CoreHeader24) {
        EXPECT_EQ(bmp->horizontalResolution, 2835);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpVariants,
    ::testing::Values(BmpCase{"Palette1", BmpKind::Palette1, 1, 0},
                      BmpCase{"Palette4", BmpKind::Palette4, 4, 0},
                      BmpCase{"Palette8", BmpKind::Palette8, 8, 0},
                      BmpCase{"Rle4", BmpKind::Rle4, 4, 0}, BmpCase{"Rle8", BmpKind::Rle8, 8, 0},
                      BmpCase{"Rgb555", BmpKind::Rgb555, 16, 4},
                      BmpCase{"BitFields565", BmpKind::BitFields565, 16, 4},
                      BmpCase{"Rgb24", BmpKind::Rgb24, 24, 0},
                      BmpCase{"Rgb32FourthByteIsNotAlpha", BmpKind::Rgb32, 32, 0},
                      BmpCase{"BitFieldsArgb32", BmpKind::BitFieldsArgb32, 32, 0},
                      BmpCase{"TopDown24", BmpKind::TopDown24, 24, 0},
                      BmpCase{"CoreHeader24", BmpKind::CoreHeader24, 24, 0},
                      BmpCase{"V5Header24", BmpKind::V5Header24, 24, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpDamage, TruncatedFilesGiveNothing)
{
    for (BmpKind kind : {BmpKind::Rgb24, BmpKind::Palette8, BmpKind::Rle8, BmpKind::Rle4,
                         BmpKind::BitFieldsArgb32}) {
        const ByteArray file = MakeBmp(FewColours(), kind);
        for (std::size_t keep = 0; keep < file.size(); keep += 5) {
            const ByteArray cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep));
            EXPECT_FALSE(ReadBmp(cut)) << "kind " << static_cast<int>(kind) << " kept " << keep;
        }
    }
}

TEST(BmpDamage, HostileHeaderFieldsNeverCrash)
{
    const ByteArray file = MakeBmp(FewColours(), BmpKind::Rle8);
    // Every header byte set to extreme values in turn.
    for (std::size_t at = 0; at < 60 && at < file.size(); ++at) {
        for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
            ByteArray broken = file;
            broken[at] = value;
            const std::optional<BmpPicture> bmp = ReadBmp(broken);
            if (bmp) {
                EXPECT_FALSE(bmp->image.isNull());
            }
        }
    }
}

ByteArray WithSize(ByteArray file, std::int32_t width, std::int32_t height)
{
    for (int i = 0; i < 4; ++i) {
        file[18 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (8 * i));
        file[22 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(height >> (8 * i));
    }
    return file;
}

TEST(BmpLimits, AbsurdDeclaredSizesAreRefused)
{
    const ByteArray file = MakeBmp(FewColours(), BmpKind::Rgb24);
    EXPECT_FALSE(ReadBmp(WithSize(file, 2000000000, 1)));
    EXPECT_FALSE(ReadBmp(WithSize(file, 25000, -25000)));
    EXPECT_FALSE(ReadBmp(WithSize(file, 1, INT32_MIN)));
    EXPECT_FALSE(ReadBmp(WithSize(file, -21, 13)));
    // Within limits but far more than the file holds: no picture either.
    EXPECT_FALSE(ReadBmp(WithSize(file, 10000, 10000)));
}

} // namespace
} // namespace quillet
