// Every generated picture variant goes through the format sniffing and the
// right decoder.  With QUILLET_FUZZ_SEED_DIR set, the same files become the
// seed corpora of the fuzz targets (scripts/fuzz.sh), one folder per target.
#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"
#include "support/colour_test_profiles.h"
#include "support/phone_images.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>

namespace quillet {
namespace {

using namespace quillet::testing;

struct Seed {
    std::string target;
    std::string name;
    ByteArray bytes;
};

std::vector<Seed> Seeds()
{
    const QImage quadrants = QuadrantPicture(48, 32);
    const QImage photo = NoisyPhoto(64, 48);
    std::vector<Seed> seeds;
    seeds.push_back({"jpeg", "baseline.jpg", MakeJpeg(photo)});
    seeds.push_back({"jpeg", "progressive.jpg", MakeJpeg(photo, {.progressive = true})});
    seeds.push_back({"jpeg", "grey.jpg", MakeJpeg(photo, {.greyscale = true})});
    seeds.push_back({"jpeg", "cmyk.jpg", MakeJpeg(quadrants, {.cmyk = true})});
    seeds.push_back({"jpeg", "exif6.jpg", MakeJpeg(quadrants, {.exifOrientation = 6})});
    seeds.push_back({"jpeg", "adobe-rgb.jpg", MakeJpeg(photo, {.iccProfile = AdobeRgbProfile()})});
    seeds.push_back({"jpeg", "grey-profile.jpg",
                     MakeJpeg(photo, {.greyscale = true, .iccProfile = GreyProfile(1.8)})});
    seeds.push_back(
        {"jpeg", "cmyk-profile.jpg",
         MakeJpeg(quadrants, {.cmyk = true, .iccProfile = RedBlueSwappingCmykProfile()})});
    seeds.push_back({"png", "display-p3.png",
                     MakePng(photo, PngKind::Rgb8, false, {.iccProfile = DisplayP3Profile()})});
    seeds.push_back({"png", "gamma-1.png", MakePng(photo, PngKind::Rgb8, false, {.gamma = 1.0})});
    seeds.push_back({"png", "palette4.png", MakePng(quadrants, PngKind::Palette4)});
    seeds.push_back({"png", "grey16.png", MakePng(quadrants, PngKind::Grey16)});
    seeds.push_back({"png", "rgba8-interlaced.png", MakePng(photo, PngKind::Rgba8, true)});
    seeds.push_back({"png", "rgb16.png", MakePng(photo, PngKind::Rgb16)});
    seeds.push_back({"gif", "plain.gif", MakeGif(quadrants)});
    seeds.push_back({"gif", "interlaced-transparent.gif",
                     MakeGif(quadrants, {.interlaced = true, .transparentIndex = 1})});
    seeds.push_back(
        {"gif", "offset-frame.gif",
         MakeGif(quadrants,
                 {.screenWidth = 60, .screenHeight = 40, .frameLeft = 5, .frameTop = 3})});
    seeds.push_back({"heif", "photo.heic", MakeHeif(photo, {.thumbnailSide = 16})});
    seeds.push_back(
        {"heif", "irot-exif.heic", MakeHeif(quadrants, {.orientation = 6, .exifOrientation = 6})});
    seeds.push_back({"heif", "p3.heic", MakeHeif(photo, {.displayP3 = true})});
    seeds.push_back({"heif", "12bit.avif", MakeHeif(quadrants, {.avif = true, .bitDepth = 12})});
    seeds.push_back({"webp", "lossy-exif.webp",
                     MakeWebp(photo, {.exifOrientation = 6, .iccProfile = AdobeRgbProfile()})});
    seeds.push_back({"webp", "lossless.webp", MakeWebp(quadrants, {.lossless = true})});
    seeds.push_back({"webp", "animation.webp", MakeWebp(quadrants, {.frames = 2})});
    seeds.push_back(
        {"tiff", "rgb16.tiff", MakeTiff(photo, {.orientation = 6, .bitsPerSample = 16})});
    seeds.push_back(
        {"tiff", "cmyk-profile.tiff",
         MakeTiff(quadrants, {.cmyk = true, .iccProfile = RedBlueSwappingCmykProfile()})});
    seeds.push_back({"tiff", "tiled-alpha.tiff", MakeTiff(photo, {.alpha = true, .tiled = true})});
    for (auto [kind, name] : {std::pair{BmpKind::Palette1, "palette1.bmp"},
                              {BmpKind::Palette4, "palette4.bmp"},
                              {BmpKind::Rle4, "rle4.bmp"},
                              {BmpKind::Rle8, "rle8.bmp"},
                              {BmpKind::BitFields565, "565.bmp"},
                              {BmpKind::BitFieldsArgb32, "argb-v5.bmp"},
                              {BmpKind::TopDown24, "top-down.bmp"},
                              {BmpKind::CoreHeader24, "core.bmp"}}) {
        const QImage& source = kind == BmpKind::Palette1 ? QuadrantPicture(2, 1) : quadrants;
        seeds.push_back({"bmp", name, MakeBmp(source, kind)});
    }
    return seeds;
}

TEST(DecoderSeeds, EveryVariantIsSniffedAndDecoded)
{
    const char* seedDir = std::getenv("QUILLET_FUZZ_SEED_DIR");
    for (const Seed& seed : Seeds()) {
        const QImage image = DecodePicture(seed.bytes);
        EXPECT_FALSE(image.isNull()) << seed.name;
        if (seedDir) {
            const QString folder =
                QString::fromUtf8(seedDir) + "/" + QString::fromStdString(seed.target);
            QDir().mkpath(folder);
            ASSERT_TRUE(WriteBytes((folder + "/" + QString::fromStdString(seed.name)).toStdString(),
                                   seed.bytes));
            const QString any = QString::fromUtf8(seedDir) + "/any";
            QDir().mkpath(any);
            ASSERT_TRUE(WriteBytes((any + "/" + QString::fromStdString(seed.name)).toStdString(),
                                   seed.bytes));
        }
    }
}

// The profiles alone, for the profile fuzz target.
TEST(DecoderSeeds, ProfilesAreUsable)
{
    const char* seedDir = std::getenv("QUILLET_FUZZ_SEED_DIR");
    const QString folder = QString::fromUtf8(seedDir ? seedDir : "") + "/profile";
    if (seedDir)
        QDir().mkpath(folder);
    const std::pair<const char*, ByteArray> profiles[] = {
        {"srgb.icc", SrgbProfileBytes()},
        {"adobe-rgb.icc", AdobeRgbProfile()},
        {"display-p3-tables.icc", DisplayP3Profile(256)},
        {"grey.icc", GreyProfile(2.2)},
        {"cmyk.icc", RedBlueSwappingCmykProfile()}};
    for (const auto& [name, profile] : profiles) {
        QImage picture = NoisyPhoto(8, 8);
        const bool cmyk = std::string(name) == "cmyk.icc";
        EXPECT_TRUE(cmyk ? CmykToSrgb::Make(PictureColours{.iccProfile = profile}, true) != nullptr
                         : ConvertToSrgb(picture, PictureColours{.iccProfile = profile}))
            << name;
        if (seedDir) {
            ASSERT_TRUE(WriteBytes((folder + "/" + name).toStdString(), profile));
        }
    }
}

TEST(DecoderSeeds, UnknownDataIsNotTakenForAPicture)
{
    EXPECT_EQ(SniffPictureFormat(ByteArray{'B'}), PictureFormat::Unknown);
    EXPECT_EQ(SniffPictureFormat(ByteArray{0xFF, 0xD8}), PictureFormat::Unknown);
    EXPECT_EQ(SniffPictureFormat(ByteArray{0, 0, 1, 0, 0, 0}),
              PictureFormat::Unknown); // icon with no entries
    EXPECT_EQ(SniffPictureFormat(ByteArray{0, 0, 2, 0, 1, 0}), PictureFormat::Cursor);
    EXPECT_TRUE(DecodePicture(ByteArray{'G', 'I', 'F', '8', '9', 'a'}).isNull());
    EXPECT_TRUE(DecodePicture(ByteArray{0, 0, 1, 0, 1, 0, 0, 0}).isNull());
    EXPECT_TRUE(DecodePictureScaled(ByteArray{}, 500).isNull());
}

TEST(ScaledDecoding, ASliverOfAPictureKeepsOnePixelRatherThanVanishing)
{
    // 3 × 40 at 100 per mille would be 0 × 4: a picture with no width.
    const QImage sliver = DecodePictureScaled(MakePng(QuadrantPicture(3, 40), PngKind::Rgb8), 100);
    ASSERT_FALSE(sliver.isNull());
    EXPECT_EQ(sliver.size(), QSize(1, 4));
    EXPECT_EQ(ScaledSide(1300, 224), 291);
    EXPECT_EQ(ScaledSide(9, 100), 1);
}

} // namespace
} // namespace quillet
