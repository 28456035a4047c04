#include "codecs/image_decode.h"
#include "codecs/jpeg.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace quillet::testing;

QImage Decode(const ByteArray& bytes)
{
    return DecodePicture(bytes);
}

struct JpegVariant {
    const char* name;
    JpegOptions options;
};

class JpegVariants : public ::testing::TestWithParam<JpegVariant> {};

TEST_P(JpegVariants, DecodeToTheQuadrantsTheyWereMadeFrom)
{
    const QImage source = QuadrantPicture(96, 64);
    const QImage decoded = Decode(MakeJpeg(source, GetParam().options));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.size(), source.size());
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    for (bool right : {false, true}) {
        for (bool bottom : {false, true}) {
            QRgb expected = QuadrantColour(source, right, bottom);
            if (GetParam().options.greyscale)
                expected = qRgb(qGray(expected), qGray(expected), qGray(expected));
            EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, right, bottom), expected))
                << std::hex << QuadrantColour(decoded, right, bottom) << " vs " << expected;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegVariants,
                         ::testing::Values(JpegVariant{"Baseline", {}},
                                           JpegVariant{"Progressive", {.progressive = true}},
                                           JpegVariant{"Greyscale", {.greyscale = true}},
                                           JpegVariant{"InvertedCmyk", {.cmyk = true}},
                                           JpegVariant{"LowQuality", {.quality = 20}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Each EXIF orientation stores the photo turned or mirrored; decoding must
// give back the upright photo, corners in place.
class ExifOrientations : public ::testing::TestWithParam<int> {};

TEST_P(ExifOrientations, PhotoComesOutUpright)
{
    const QImage upright = QuadrantPicture(120, 80);
    const ByteArray file = MakeJpeg(upright, {.exifOrientation = GetParam()});
    for (int factor : {1000, 500}) {
        const QImage decoded =
            factor == 1000 ? DecodePicture(file) : DecodePictureScaled(file, factor);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(decoded.width(), 120 * factor / 1000);
        EXPECT_EQ(decoded.height(), 80 * factor / 1000);
        EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, false, false), kQuadrantTopLeft));
        EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, true, false), kQuadrantTopRight));
        EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, false, true), kQuadrantBottomLeft));
        EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, true, true), kQuadrantBottomRight));
    }
}

INSTANTIATE_TEST_SUITE_P(Jpeg, ExifOrientations, ::testing::Range(1, 9), [](const auto& info) {
    return "Orientation" + std::to_string(info.param);
});

TEST(ExifOrientation, FoundBehindAnXmpSegment)
{
    const QImage upright = QuadrantPicture(120, 80);
    const QImage decoded =
        DecodePicture(MakeJpeg(upright, {.exifOrientation = 6, .xmpBeforeExif = true}));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.size(), QSize(120, 80));
    EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, false, false), kQuadrantTopLeft));
    EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, true, true), kQuadrantBottomRight));
}

struct ScaleCase {
    const char* name;
    int factor;
    int decodedWidth; // the reduced size libjpeg decodes at before resampling
};

class JpegReducedDecoding : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(JpegReducedDecoding, PicksTheSmallestScaleThatCoversTheTarget)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(800, 600));
    const JpegDecoded reduced = DecodeJpeg(file, GetParam().factor);
    ASSERT_FALSE(reduced.image.isNull());
    EXPECT_EQ(reduced.fullWidth, 800);
    EXPECT_EQ(reduced.fullHeight, 600);
    EXPECT_EQ(reduced.image.width(), GetParam().decodedWidth);
    const QImage exact = DecodePictureScaled(file, GetParam().factor);
    EXPECT_EQ(exact.width(), 800 * GetParam().factor / 1000);
    EXPECT_EQ(exact.height(), 600 * GetParam().factor / 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Jpeg, JpegReducedDecoding,
    ::testing::Values(ScaleCase{"Half", 500, 400}, ScaleCase{"JustOverHalf", 510, 500},
                      ScaleCase{"Eighth", 125, 100}, ScaleCase{"BelowEighth", 60, 100},
                      ScaleCase{"Factor912", 912, 800}, ScaleCase{"Whole", 1000, 800}),
    [](const auto& info) { return std::string(info.param.name); });

struct CoverScaleCase {
    const char* name;
    QSize atLeast;
    int eighths; // the smallest scale whose output is at least that large
};

class JpegCoveringDecode : public ::testing::TestWithParam<CoverScaleCase> {};

TEST_P(JpegCoveringDecode, PicksTheSmallestScaleWhoseOutputCoversTheSize)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(800, 600));
    const JpegDecoded decoded =
        DecodeJpegCovering(file, GetParam().atLeast.width(), GetParam().atLeast.height());
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.scaleEighths, GetParam().eighths);
    EXPECT_EQ(decoded.image.size(),
              QSize(800 * GetParam().eighths / 8, 600 * GetParam().eighths / 8));
    EXPECT_EQ(QSize(decoded.fullWidth, decoded.fullHeight), QSize(800, 600));
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegCoveringDecode,
                         ::testing::Values(CoverScaleCase{"Tiny", {1, 1}, 1},
                                           CoverScaleCase{"ExactlyAnEighth", {100, 75}, 1},
                                           CoverScaleCase{"OnePixelWider", {101, 75}, 2},
                                           CoverScaleCase{"OnePixelTaller", {100, 76}, 2},
                                           CoverScaleCase{"HeightDecides", {10, 300}, 4},
                                           CoverScaleCase{"Whole", {800, 600}, 8},
                                           CoverScaleCase{"BeyondThePicture", {2000, 10}, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegHeader, ReadFromTheStartOfAFileAlone)
{
    const QImage thumbnail = QuadrantPicture(160, 120);
    const ByteArray file =
        MakeJpeg(NoisyPhoto(640, 480), {.exifOrientation = 6, .exifThumbnail = thumbnail});
    // The picture data starts after the markers; the header needs none of it.
    const ByteArray start(file.begin(),
                          file.begin() + static_cast<std::ptrdiff_t>(file.size() / 4));
    for (const ByteArray* bytes : {&file, &start}) {
        const std::optional<JpegHeader> header = ReadJpegHeader(*bytes);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(QSize(header->width, header->height), QSize(480, 640)) << "as stored";
        EXPECT_EQ(header->orientation, 6);
        const QImage embedded = DecodePicture(header->exifThumbnail);
        EXPECT_EQ(embedded.size(), QSize(120, 160)) << "stored turned like the photo";
    }
    EXPECT_TRUE(ReadJpegHeader(MakeJpeg(NoisyPhoto(64, 48)))->exifThumbnail.empty());
    // Cut inside the markers: no header rather than a guess.
    EXPECT_FALSE(ReadJpegHeader(ByteArray(file.begin(), file.begin() + 200)).has_value());
    EXPECT_FALSE(ReadJpegHeader({}).has_value());
}

TEST(JpegReducedDecodingQuality, MatchesAFullDecodeShrunkByArea)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(1200, 900, 7), {.quality = 95});
    const QImage fast = DecodePictureScaled(file, 300);
    const QImage full = DecodePicture(file);
    const QImage reference =
        full.scaled(fast.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ASSERT_EQ(fast.size(), QSize(360, 270));
    EXPECT_LT(MeanChannelDifference(fast, reference), 6.0);
}

TEST(JpegDamage, TruncatedFilesGiveNoPicture)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(200, 150));
    for (double kept : {0.0, 0.02, 0.3, 0.6, 0.95}) {
        ByteArray cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * kept));
        EXPECT_TRUE(Decode(cut).isNull()) << "kept " << kept;
    }
    // Without its end marker only: every pixel arrived, libjpeg still warns.
    ByteArray noEnd(file.begin(), file.end() - 2);
    EXPECT_TRUE(Decode(noEnd).isNull() || Decode(noEnd).size() == QSize(200, 150));
}

TEST(JpegDamage, CorruptedDataNeverCrashes)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(160, 120), {.progressive = true});
    for (std::size_t at = 2; at < file.size(); at += 37) {
        ByteArray broken = file;
        broken[at] ^= 0x5A;
        const QImage image = Decode(broken);
        if (!image.isNull()) {
            EXPECT_EQ(image.size(), QSize(160, 120));
        }
    }
}

// The frame header (SOF) carries the size; a hostile one claims more than any
// page could use.  Refused before libjpeg allocates the rows.
ByteArray WithDeclaredSize(ByteArray file, int width, int height)
{
    for (std::size_t i = 0; i + 8 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width);
            return file;
        }
    }
    ADD_FAILURE() << "no frame header";
    return file;
}

TEST(JpegLimits, GiganticDeclaredSizesAreRefused)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(64, 48));
    EXPECT_TRUE(Decode(WithDeclaredSize(file, 65000, 65000)).isNull());
    EXPECT_TRUE(Decode(WithDeclaredSize(file, 30001, 10)).isNull());
    EXPECT_TRUE(Decode(WithDeclaredSize(file, 20000, 20000)).isNull()); // 400 megapixels
    EXPECT_TRUE(DecodePictureScaled(WithDeclaredSize(file, 65000, 65000), 100).isNull());
}

TEST(JpegLimits, EndlessProgressiveScansAreRefused)
{
    const ByteArray file = MakeJpeg(NoisyPhoto(64, 48), {.progressive = true});
    ASSERT_FALSE(Decode(file).isNull());
    // Repeat the last scan (marker to end of entropy data) hundreds of times:
    // each repeat costs a pass over the picture and gains nothing.
    std::size_t lastScan = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA)
            lastScan = i;
    ASSERT_GT(lastScan, 0u);
    ByteArray hostile(file.begin(), file.end() - 2);
    const ByteArray scan(file.begin() + static_cast<std::ptrdiff_t>(lastScan), file.end() - 2);
    for (int i = 0; i < 600; ++i)
        hostile.insert(hostile.end(), scan.begin(), scan.end());
    hostile.push_back(0xFF);
    hostile.push_back(0xD9);
    EXPECT_TRUE(Decode(hostile).isNull());
    // A few repeats are still a picture (libjpeg only warns about them).
    ByteArray fewRepeats(file.begin(), file.end() - 2);
    for (int i = 0; i < 3; ++i)
        fewRepeats.insert(fewRepeats.end(), scan.begin(), scan.end());
    fewRepeats.push_back(0xFF);
    fewRepeats.push_back(0xD9);
    EXPECT_FALSE(Decode(fewRepeats).isNull());
}

TEST(PictureSizeLimit, AllowsUpToThirtyThousandASideAndQuarterGigapixel)
{
    EXPECT_TRUE(PictureSizeAllowed(30000, 8000));
    EXPECT_FALSE(PictureSizeAllowed(30001, 1));
    EXPECT_TRUE(PictureSizeAllowed(15811, 15811));
    EXPECT_FALSE(PictureSizeAllowed(15812, 15812));
    EXPECT_FALSE(PictureSizeAllowed(0, 10));
    EXPECT_FALSE(PictureSizeAllowed(10, -1));
}

} // namespace
} // namespace quillet
