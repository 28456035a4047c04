// Tagged pictures of known sRGB colours decode to those colours; untagged
// ones decode exactly as stored; unusable colour descriptions leave the
// numbers as stored and say so.
#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"
#include "codecs/jpeg.h"
#include "codecs/lcms_handles.h"
#include "codecs/png.h"
#include "support/colour_test_profiles.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quillet {
namespace {

using namespace quillet::testing;

// Colours inside sRGB that Adobe RGB and Display P3 store with numbers
// plainly different from sRGB's.
const QRgb kRed = qRgb(200, 40, 40);
const QRgb kGreen = qRgb(80, 160, 90);
const QRgb kSky = qRgb(90, 150, 220);
const QRgb kSkin = qRgb(225, 180, 150);

// Four solid quadrants: kRed, kGreen, kSky, kSkin.
QImage Patches(int width = 96, int height = 64)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           y < height / 2 ? (x < width / 2 ? kRed : kGreen)
                                          : (x < width / 2 ? kSky : kSkin));
    return image;
}

int LargestStep(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The largest channel step between the quadrant centres of two pictures.
int LargestQuadrantStep(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (bool right : {false, true})
        for (bool bottom : {false, true})
            largest = std::max(largest, LargestStep(QuadrantColour(a, right, bottom),
                                                    QuadrantColour(b, right, bottom)));
    return largest;
}

struct TaggedCase {
    const char* name;
    std::function<ByteArray()> profile;
    bool png;
};

class TaggedPhotos : public ::testing::TestWithParam<TaggedCase> {};

TEST_P(TaggedPhotos, ComeBackInTheirSrgbColoursWholeAndShrunk)
{
    const ByteArray profile = GetParam().profile();
    const QImage stored = StoredInProfile(Patches(), profile);
    // Taken as they stand, the numbers would be visibly wrong.
    ASSERT_GT(LargestQuadrantStep(stored, Patches()), 10);
    const ByteArray file = GetParam().png
                               ? MakePng(stored, PngKind::Rgb8, false, {.iccProfile = profile})
                               : MakeJpeg(stored, {.quality = 95, .iccProfile = profile});
    const DecodedPicture whole = DecodeWholePicture(file);
    ASSERT_FALSE(whole.image.isNull());
    EXPECT_FALSE(whole.profileRefused);
    EXPECT_LE(LargestQuadrantStep(whole.image, Patches()), 3);
    const DecodedPicture half = DecodeScaledPicture(file, 500);
    ASSERT_EQ(half.image.size(), QSize(48, 32));
    EXPECT_LE(LargestQuadrantStep(half.image, Patches(48, 32)), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, TaggedPhotos,
    ::testing::Values(TaggedCase{"AdobeRgbJpeg", [] { return AdobeRgbProfile(); }, false},
                      TaggedCase{"DisplayP3Jpeg", [] { return DisplayP3Profile(); }, false},
                      // 180 KB of curve tables: three APP2 segments.
                      TaggedCase{"DisplayP3SplitOverSegments",
                                 [] { return DisplayP3Profile(30000); }, false},
                      TaggedCase{"AdobeRgbPng", [] { return AdobeRgbProfile(); }, true},
                      TaggedCase{"DisplayP3Png", [] { return DisplayP3Profile(); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourProfile, GreyJpegWithALinearProfileIsBrightenedToSrgb)
{
    QImage grey(32, 32, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    const QImage decoded = DecodePicture(
        MakeJpeg(grey, {.quality = 95, .greyscale = true, .iccProfile = GreyProfile(1.0)}));
    ASSERT_FALSE(decoded.isNull());
    // Half the light is 188 in sRGB.
    EXPECT_LE(LargestStep(decoded.pixel(16, 16), qRgb(188, 188, 188)), 3);
}

TEST(ColourProfile, CmykJpegIsConvertedWithItsOwnProfile)
{
    const QImage red = [] {
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(qRgb(220, 30, 30));
        return image;
    }();
    const QImage plain = DecodePicture(MakeJpeg(red, {.quality = 95, .cmyk = true}));
    EXPECT_LE(LargestStep(plain.pixel(16, 16), qRgb(220, 30, 30)), 6);
    const DecodedPicture swapped = DecodeWholePicture(
        MakeJpeg(red, {.quality = 95, .cmyk = true, .iccProfile = RedBlueSwappingCmykProfile()}));
    EXPECT_FALSE(swapped.profileRefused);
    EXPECT_LE(LargestStep(swapped.image.pixel(16, 16), qRgb(30, 30, 220)), 10);
}

// The PngSuite way: the same light written with different file gammas,
// each PNG saying its own in gAMA.  Colours are kept in the light half,
// where 8-bit samples at gamma 2.5 still hold them to a level.
class GammaSeries : public ::testing::TestWithParam<double> {};

TEST_P(GammaSeries, RendersAlikeAfterConversion)
{
    const double gamma = GetParam();
    const QRgb truths[4] = {qRgb(230, 200, 160), qRgb(170, 210, 240), qRgb(250, 250, 250),
                            qRgb(160, 170, 180)};
    QImage stored(64, 64, QImage::Format_RGB32);
    auto encode = [gamma](int srgb) {
        const double v = srgb / 255.0;
        const double light = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        return static_cast<int>(std::lround(255 * std::pow(light, gamma)));
    };
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb truth = truths[(y / 32) * 2 + x / 32];
            stored.setPixel(x, y,
                            qRgb(encode(qRed(truth)), encode(qGreen(truth)), encode(qBlue(truth))));
        }
    const DecodedPicture decoded =
        DecodeWholePicture(MakePng(stored, PngKind::Rgb8, false, {.gamma = gamma}));
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_FALSE(decoded.profileRefused);
    for (int i = 0; i < 4; ++i)
        EXPECT_LE(LargestStep(decoded.image.pixel(16 + (i % 2) * 32, 16 + (i / 2) * 32), truths[i]),
                  3)
            << "patch " << i;
}

INSTANTIATE_TEST_SUITE_P(FileGammas, GammaSeries,
                         ::testing::Values(0.35, 0.45, 0.55, 0.7, 1.0, 2.5), [](const auto& info) {
                             return "Gamma" + std::to_string(std::lround(info.param * 100));
                         });

TEST(ColourProfile, UntaggedAndSrgbPicturesKeepTheirNumbersExactly)
{
    const QImage photo = NoisyPhoto(80, 60);
    const ByteArray jpeg = MakeJpeg(photo);
    EXPECT_EQ(DecodePicture(jpeg), DecodeJpeg(jpeg).image);
    const QImage png = DecodePicture(MakePng(photo, PngKind::Rgb8));
    EXPECT_EQ(png, photo);
    EXPECT_EQ(DecodePicture(MakePng(photo, PngKind::Rgb8, false, {.srgb = true})), png);
}

// A profile that is damaged in a way no reader can miss: every tag's
// offset points far past the end.
ByteArray Garbled(ByteArray profile)
{
    const std::size_t tags = (std::size_t(profile[128]) << 24) | (std::size_t(profile[129]) << 16)
                             | (std::size_t(profile[130]) << 8) | profile[131];
    for (std::size_t i = 0; i < tags && 132 + i * 12 + 8 <= profile.size(); ++i)
        std::fill_n(profile.begin() + static_cast<long>(132 + i * 12 + 4), 4, 0x7F);
    return profile;
}

// An RGB profile whose tone curves give no light at all.
ByteArray Darkness()
{
    const cmsUInt16Number zeros[2] = {0, 0};
    const lcms::Curve curve(cmsBuildTabulatedToneCurve16(nullptr, 2, zeros));
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    return lcms::SavedProfile(lcms::Profile(cmsCreateRGBProfile(&white, &primaries, curves)));
}

ByteArray IccSegment(int sequence, int count, const ByteArray& part)
{
    ByteArray segment = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
    segment.push_back(static_cast<std::uint8_t>(sequence));
    segment.push_back(static_cast<std::uint8_t>(count));
    segment.insert(segment.end(), part.begin(), part.end());
    return segment;
}

struct UnusableCase {
    const char* name;
    // The file, and the same picture without any colour description.
    std::function<ByteArray(const QImage&)> tagged;
    std::function<ByteArray(const QImage&)> untagged;
};

class UnusableProfiles : public ::testing::TestWithParam<UnusableCase> {};

TEST_P(UnusableProfiles, LeaveThePictureAsStoredAndSaySo)
{
    const QImage stored = StoredInProfile(Patches(), AdobeRgbProfile());
    const ByteArray file = GetParam().tagged(stored);
    const DecodedPicture decoded = DecodeWholePicture(file);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_TRUE(decoded.profileRefused);
    EXPECT_EQ(decoded.image, DecodePicture(GetParam().untagged(stored)));
    EXPECT_TRUE(DecodeScaledPicture(file, 500).profileRefused);
}

auto Jpeg(std::function<JpegOptions()> options)
{
    return [options](const QImage& image) {
        JpegOptions o = options();
        o.quality = 95;
        return MakeJpeg(image, o);
    };
}

auto Png(std::function<PngColourChunks()> chunks)
{
    return [chunks](const QImage& image) { return MakePng(image, PngKind::Rgb8, false, chunks()); };
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableProfiles,
    ::testing::Values(
        UnusableCase{"TruncatedProfile", Jpeg([] {
                         ByteArray profile = AdobeRgbProfile();
                         profile.resize(profile.size() / 2);
                         return JpegOptions{.iccProfile = profile};
                     }),
                     Jpeg([] { return JpegOptions{}; })},
        UnusableCase{"CorruptProfile",
                     Jpeg([] { return JpegOptions{.iccProfile = Garbled(AdobeRgbProfile())}; }),
                     Jpeg([] { return JpegOptions{}; })},
        UnusableCase{"NotAProfileAtAll",
                     Jpeg([] { return JpegOptions{.iccProfile = ByteArray(3000, 0xA5)}; }),
                     Jpeg([] { return JpegOptions{}; })},
        UnusableCase{"ProfileThatTurnsWhiteBlack",
                     Jpeg([] { return JpegOptions{.iccProfile = Darkness()}; }),
                     Jpeg([] { return JpegOptions{}; })},
        UnusableCase{"CmykProfileOnAnRgbPhoto",
                     Jpeg([] { return JpegOptions{.iccProfile = RedBlueSwappingCmykProfile()}; }),
                     Jpeg([] { return JpegOptions{}; })},
        UnusableCase{"SecondOfTwoSegmentsMissing", Jpeg([] {
                         const ByteArray profile = AdobeRgbProfile();
                         const ByteArray half(profile.begin(),
                                              profile.begin()
                                                  + static_cast<long>(profile.size() / 2));
                         return JpegOptions{.rawApp2Segments = {IccSegment(1, 2, half)}};
                     }),
                     Jpeg([] { return JpegOptions{}; })},
        UnusableCase{"RgbProfileOnACmykPhoto", Jpeg([] {
                         return JpegOptions{.cmyk = true, .iccProfile = AdobeRgbProfile()};
                     }),
                     Jpeg([] { return JpegOptions{.cmyk = true}; })},
        UnusableCase{"CorruptPngChunk",
                     [](const QImage& image) {
                         return WithChunkAfterHeader(MakePng(image, PngKind::Rgb8), "iCCP",
                                                     IccpChunkData(Garbled(AdobeRgbProfile())));
                     },
                     Png([] { return PngColourChunks{}; })},
        UnusableCase{"AbsurdPngGamma", Png([] { return PngColourChunks{.gamma = 0.01}; }),
                     Png([] { return PngColourChunks{}; })}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ColourProfile, PageProfileIsTheSameSrgbEveryTime)
{
    const ByteArray& bytes = SrgbProfileBytes();
    ASSERT_GE(bytes.size(), 132u);
    const lcms::Profile profile(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    ASSERT_TRUE(profile);
    EXPECT_EQ(cmsGetColorSpace(profile.get()), cmsSigRgbData);
    // A picture tagged with it keeps its colours.
    const QImage photo = NoisyPhoto(40, 30);
    QImage tagged = photo;
    EXPECT_TRUE(ConvertToSrgb(tagged, PictureColours{.iccProfile = bytes}));
    EXPECT_LE(MeanChannelDifference(tagged, photo), 0.5);
}

} // namespace
} // namespace quillet
