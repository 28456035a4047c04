// HEIC, AVIF, WebP, TIFF and PNG files as phones, browsers and scanners
// write them, made by the formats' own encoders and read through the one
// entry point every surface uses.
#include "codecs/colour_profile.h"
#include "codecs/heif.h"
#include "codecs/image_decode.h"
#include "support/colour_test_profiles.h"
#include "support/phone_images.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quillet {
namespace {

using namespace quillet::testing;

const QImage& Quadrants()
{
    static const QImage picture = QuadrantPicture(64, 48);
    return picture;
}

struct FormatCase {
    const char* name;
    std::function<ByteArray()> make;
    PictureFormat format;
};

class PhoneFormats : public ::testing::TestWithParam<FormatCase> {};

// Every variant shows its picture upright, whole and in its colours: the
// file's own turn (irot, EXIF chunk, Orientation tag) applied exactly once.
TEST_P(PhoneFormats, DecodeUprightToTheirPicture)
{
    const ByteArray file = GetParam().make();
    ASSERT_FALSE(file.empty()) << "the encoder refused";
    EXPECT_EQ(SniffPictureFormat(file), GetParam().format);
    const DecodedPicture decoded = DecodeWholePicture(file);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_FALSE(decoded.profileRefused);
    EXPECT_EQ(decoded.image.size(), Quadrants().size());
    for (bool right : {false, true})
        for (bool bottom : {false, true})
            EXPECT_TRUE(ColoursClose(QuadrantColour(decoded.image, right, bottom),
                                     QuadrantColour(Quadrants(), right, bottom)))
                << std::hex << QuadrantColour(decoded.image, right, bottom) << " at " << right
                << bottom;
}

// Halved by the shrink rule's factor, to the exact size, still upright.
TEST_P(PhoneFormats, DecodeScaledToTheExactSize)
{
    const QImage half = DecodeScaledPicture(GetParam().make(), 500).image;
    ASSERT_EQ(half.size(), QSize(32, 24));
    EXPECT_TRUE(ColoursClose(QuadrantColour(half, true, false), kQuadrantTopRight));
}

// Cut short, or with its middle overwritten: no picture, and no crash.
TEST_P(PhoneFormats, DamagedFilesGiveNoPicture)
{
    const ByteArray file = GetParam().make();
    const ByteArray truncated(file.begin(), file.begin() + static_cast<long>(file.size() / 2));
    EXPECT_TRUE(DecodePicture(truncated).isNull());
    EXPECT_TRUE(DecodePicture(ByteArray(file.begin(), file.begin() + 12)).isNull());
    ByteArray scrambled = file;
    for (std::size_t i = scrambled.size() / 4; i < scrambled.size(); i += 3)
        scrambled[i] = static_cast<std::uint8_t>(scrambled[i] * 7 + 13);
    DecodePicture(scrambled); // may decode to something; must not crash
}

INSTANTIATE_TEST_SUITE_P(
    Variants, PhoneFormats,
    ::testing::Values(
        FormatCase{"Heic", [] { return MakeHeif(Quadrants()); }, PictureFormat::Heif},
        FormatCase{"Avif", [] { return MakeHeif(Quadrants(), {.avif = true}); },
                   PictureFormat::Heif},
        // iPhones store the turn in irot and repeat it in EXIF.
        FormatCase{"HeicIrotPlusExif6",
                   [] { return MakeHeif(Quadrants(), {.orientation = 6, .exifOrientation = 6}); },
                   PictureFormat::Heif},
        FormatCase{"AvifMirroredAndTurned",
                   [] { return MakeHeif(Quadrants(), {.avif = true, .orientation = 5}); },
                   PictureFormat::Heif},
        FormatCase{"Heic10Bit", [] { return MakeHeif(Quadrants(), {.bitDepth = 10}); },
                   PictureFormat::Heif},
        FormatCase{"Avif12Bit",
                   [] { return MakeHeif(Quadrants(), {.avif = true, .bitDepth = 12}); },
                   PictureFormat::Heif},
        FormatCase{"WebpLossy", [] { return MakeWebp(Quadrants()); }, PictureFormat::Webp},
        FormatCase{"WebpLosslessExif8",
                   [] { return MakeWebp(Quadrants(), {.lossless = true, .exifOrientation = 8}); },
                   PictureFormat::Webp},
        FormatCase{"WebpAnimationFirstFrame",
                   [] { return MakeWebp(Quadrants(), {.lossless = true, .frames = 3}); },
                   PictureFormat::Webp},
        FormatCase{"TiffRgb8Orientation6", [] { return MakeTiff(Quadrants(), {.orientation = 6}); },
                   PictureFormat::Tiff},
        FormatCase{"TiffRgb16Orientation3",
                   [] { return MakeTiff(Quadrants(), {.orientation = 3, .bitsPerSample = 16}); },
                   PictureFormat::Tiff},
        FormatCase{"TiffCmyk", [] { return MakeTiff(Quadrants(), {.cmyk = true}); },
                   PictureFormat::Tiff},
        FormatCase{"TiffTiledFirstOfTwoPages",
                   [] { return MakeTiff(Quadrants(), {.secondPage = true, .tiled = true}); },
                   PictureFormat::Tiff},
        FormatCase{"PngExif6",
                   [] {
                       return WithChunkAfterHeader(
                           MakePng(StoredForOrientation(Quadrants(), 6), PngKind::Rgb8), "eXIf",
                           ExifBlock(6));
                   },
                   PictureFormat::Png}),
    [](const auto& info) { return std::string(info.param.name); });

// Four colours inside both sRGB and Display P3, far enough from sRGB's
// edges that lossy coding keeps them apart.
QImage ModerateColours()
{
    QImage image(64, 48, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(200, 120, 80), qRgb(90, 160, 110), qRgb(70, 100, 180),
                             qRgb(180, 180, 60)};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, colours[(x >= 32) + 2 * (y >= 24)]);
    return image;
}

void ExpectShowsInSrgb(const ByteArray& file, const QImage& srgb, const QImage& stored)
{
    ASSERT_FALSE(file.empty());
    const DecodedPicture decoded = DecodeWholePicture(file);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_FALSE(decoded.profileRefused);
    bool storedDiffers = false;
    for (bool right : {false, true})
        for (bool bottom : {false, true}) {
            const QRgb want = QuadrantColour(srgb, right, bottom);
            storedDiffers |= !ColoursClose(QuadrantColour(stored, right, bottom), want, 12);
            EXPECT_TRUE(ColoursClose(QuadrantColour(decoded.image, right, bottom), want, 8))
                << std::hex << QuadrantColour(decoded.image, right, bottom) << " vs " << want;
        }
    ASSERT_TRUE(storedDiffers) << "the profile must matter for this picture";
}

// An nclx box naming Display P3 primaries: shown in sRGB, as an iPhone's
// wide-colour photo is meant to look.
TEST(PhoneFormatColours, DisplayP3HeicIsShownInSrgb)
{
    const QImage stored = StoredInProfile(ModerateColours(), DisplayP3Profile());
    ExpectShowsInSrgb(MakeHeif(stored, {.displayP3 = true}), ModerateColours(), stored);
}

struct ProfileCase {
    const char* name;
    std::function<ByteArray(const QImage& stored, const ByteArray& profile)> make;
};

class EmbeddedProfiles : public ::testing::TestWithParam<ProfileCase> {};

// HEIF colr prof, WebP ICCP and the TIFF ICC tag go the way a JPEG's does.
TEST_P(EmbeddedProfiles, AreAppliedToTheSamples)
{
    const QImage stored = StoredInProfile(ModerateColours(), AdobeRgbProfile());
    ExpectShowsInSrgb(GetParam().make(stored, AdobeRgbProfile()), ModerateColours(), stored);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, EmbeddedProfiles,
    ::testing::Values(ProfileCase{"Heic",
                                  [](const QImage& stored, const ByteArray& profile) {
                                      return MakeHeif(stored, {.iccProfile = profile});
                                  }},
                      ProfileCase{"Webp",
                                  [](const QImage& stored, const ByteArray& profile) {
                                      return MakeWebp(stored,
                                                      {.lossless = true, .iccProfile = profile});
                                  }},
                      ProfileCase{"Tiff",
                                  [](const QImage& stored, const ByteArray& profile) {
                                      return MakeTiff(stored, {.iccProfile = profile});
                                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// Scanners' CMYK with a profile goes through the profile, as a JPEG's does:
// this one gives red as blue.
TEST(PhoneFormatColours, CmykTiffUsesItsProfile)
{
    const QImage decoded = DecodePicture(
        MakeTiff(Quadrants(), {.cmyk = true, .iccProfile = RedBlueSwappingCmykProfile()}));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, false, false), kQuadrantBottomLeft));
    EXPECT_TRUE(ColoursClose(QuadrantColour(decoded, false, true), kQuadrantTopLeft));
}

// Every box of a four-byte type, overwritten from offset bytes after its type.
void Overwrite(ByteArray& file, const char* type, std::size_t offset, const ByteArray& bytes)
{
    int found = 0;
    for (auto at = std::search(file.begin(), file.end(), type, type + 4); at != file.end();
         at = std::search(at + 4, file.end(), type, type + 4), ++found)
        std::copy(bytes.begin(), bytes.end(), at + static_cast<long>(offset));
    ASSERT_GT(found, 0) << type;
}

TEST(PhoneFormatLimits, HeifWithoutAPrimaryImageGivesNoPicture)
{
    ByteArray file = MakeHeif(Quadrants());
    Overwrite(file, "pitm", 0, {'x', 'i', 't', 'm'});
    EXPECT_TRUE(DecodePicture(file).isNull());
    EXPECT_FALSE(DeclaresRefusedSize(file));
}

// A 200-megapixel phone photo's declared size (12240 × 16320): refused from
// its boxes, before anything is decoded.
TEST(PhoneFormatLimits, HugeHeifIsRefusedBeforeDecoding)
{
    ByteArray file = MakeHeif(Quadrants());
    Overwrite(file, "ispe", 8, {0, 0, 0x2F, 0xD0, 0, 0, 0x3F, 0xC0});
    ASSERT_EQ(HeifPictureSize(file), QSize(12240, 16320));
    EXPECT_TRUE(DeclaresRefusedSize(file));
    EXPECT_TRUE(DecodePicture(file).isNull());
    EXPECT_FALSE(DeclaresRefusedSize(MakeHeif(Quadrants())));
}

// Boxes declaring a thumbnail's size over a stream coded far larger: libheif
// decodes what the stream says, so the boxes' size checked against the
// limits must be the size that comes out.
TEST(PhoneFormatLimits, HeifCodedLargerThanItsBoxesSayIsDamaged)
{
    ByteArray file = MakeHeif(Quadrants());
    Overwrite(file, "ispe", 8, {0, 0, 0, 16, 0, 0, 0, 12});
    ASSERT_EQ(HeifPictureSize(file), QSize(16, 12));
    EXPECT_TRUE(DecodePicture(file).isNull());
    EXPECT_FALSE(DeclaresRefusedSize(file));
}

TEST(PhoneFormatLimits, TiffDeclaringGigapixelsIsRefused)
{
    ByteArray file = MakeTiff(Quadrants());
    // The first directory's width entry (tag 256) made a LONG of 100000;
    // the file is little-endian, as libtiff writes on this machine.
    ASSERT_EQ(file[0], 'I');
    const std::size_t directory =
        file[4] | file[5] << 8 | file[6] << 16 | std::size_t(file[7]) << 24;
    const int entries = file[directory] | file[directory + 1] << 8;
    bool patched = false;
    for (int i = 0; i < entries && !patched; ++i) {
        std::uint8_t* entry = file.data() + directory + 2 + 12 * i;
        if (entry[0] != 0 || entry[1] != 1)
            continue;
        const std::uint8_t wide[10] = {4, 0, 1, 0, 0, 0, 0xA0, 0x86, 0x01, 0};
        std::copy(wide, wide + 10, entry + 2);
        patched = true;
    }
    ASSERT_TRUE(patched);
    EXPECT_TRUE(DeclaresRefusedSize(file));
    EXPECT_TRUE(DecodePicture(file).isNull());
}

} // namespace
} // namespace quillet
