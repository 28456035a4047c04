#include "loading/miniature_cache.h"

#include "loading/load_picture_for_page.h"
#include "loading/miniature_source.h"
#include "support/colour_test_profiles.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace quillet {
namespace {

using namespace quillet::testing;

// The thumbnail shows the photo's quadrants in the opposite colours, so a
// miniature's colours tell which of the two it was made from.
QImage ThumbnailOf(const QImage& photo, QSize size)
{
    QImage thumbnail = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    thumbnail.invertPixels();
    return thumbnail;
}

QRgb Inverted(QRgb colour)
{
    return qRgb(255 - qRed(colour), 255 - qGreen(colour), 255 - qBlue(colour));
}

// A thumbnail as cameras pad one: the photo squeezed into the middle of a
// 160 × 120 frame, black bars above and below (or at the sides).
QImage PaddedThumbnail(const QImage& photo, QSize content)
{
    QImage framed(160, 120, QImage::Format_RGB32);
    framed.fill(Qt::black);
    QPainter painter(&framed);
    painter.drawImage(
        QRect(QPoint((160 - content.width()) / 2, (120 - content.height()) / 2), content),
        ThumbnailOf(photo, content));
    painter.end();
    return framed;
}

enum class Source { Thumbnail, Photo };

struct ThumbnailCase {
    const char* name;
    QSize photo;
    QImage (*thumbnail)(const QImage& photo);
    QSize need;
    Source expected;
};

class ThumbnailChoice : public ::testing::TestWithParam<ThumbnailCase> {
protected:
    ScratchDir dir;
};

TEST_P(ThumbnailChoice, TakesTheThumbnailOnlyWhenItShowsTheWholePhotoLargeEnough)
{
    const ThumbnailCase& c = GetParam();
    const QImage photo = QuadrantPicture(c.photo.width(), c.photo.height());
    const std::string path = dir.Path(std::string(c.name) + ".jpg");
    ASSERT_TRUE(WriteBytes(path, MakeJpeg(photo, {.exifThumbnail = c.thumbnail(photo)})));

    MiniatureCache cache;
    const Miniature got = cache.Get(path, c.need);
    ASSERT_FALSE(got.image.isNull());
    EXPECT_EQ(got.image.size(), CoverSize(c.photo, c.need)) << "as small as still covers the need";
    EXPECT_EQ(got.fullSize, c.photo);
    const QRgb topLeft = QuadrantColour(got.image, false, false);
    const QRgb expected =
        c.expected == Source::Thumbnail ? Inverted(kQuadrantTopLeft) : kQuadrantTopLeft;
    EXPECT_TRUE(ColoursClose(topLeft, expected)) << std::hex << topLeft << " vs " << expected;
}

INSTANTIATE_TEST_SUITE_P(Miniature, ThumbnailChoice,
                         ::testing::Values(ThumbnailCase{"thumb-fitting",
                                                         {640, 480},
                                                         [](const QImage& p) {
                                                             return ThumbnailOf(p, {160, 120});
                                                         },
                                                         {40, 50},
                                                         Source::Thumbnail},
                                           ThumbnailCase{"thumb-exactly-the-need",
                                                         {640, 480},
                                                         [](const QImage& p) {
                                                             return ThumbnailOf(p, {160, 120});
                                                         },
                                                         {160, 120},
                                                         Source::Thumbnail},
                                           ThumbnailCase{"thumb-rounded-side",
                                                         {600, 400},
                                                         [](const QImage& p) {
                                                             return ThumbnailOf(p, {160, 107});
                                                         },
                                                         {40, 50},
                                                         Source::Thumbnail},
                                           ThumbnailCase{"thumb-smaller-than-need",
                                                         {640, 480},
                                                         [](const QImage& p) {
                                                             return ThumbnailOf(p, {160, 120});
                                                         },
                                                         {200, 100},
                                                         Source::Photo},
                                           ThumbnailCase{"thumb-padded-for-wider-photo",
                                                         {720, 480},
                                                         [](const QImage& p) {
                                                             return PaddedThumbnail(p, {160, 107});
                                                         },
                                                         {40, 50},
                                                         Source::Photo},
                                           ThumbnailCase{"thumb-padded-same-proportions",
                                                         {640, 480},
                                                         [](const QImage& p) {
                                                             return PaddedThumbnail(p, {160, 96});
                                                         },
                                                         {40, 50},
                                                         Source::Photo},
                                           ThumbnailCase{"thumb-pillarboxed",
                                                         {640, 480},
                                                         [](const QImage& p) {
                                                             return PaddedThumbnail(p, {128, 120});
                                                         },
                                                         {40, 50},
                                                         Source::Photo},
                                           ThumbnailCase{"thumb-other-proportions",
                                                         {640, 480},
                                                         [](const QImage& p) {
                                                             return ThumbnailOf(p, {120, 120});
                                                         },
                                                         {40, 50},
                                                         Source::Photo},
                                           ThumbnailCase{"thumb-larger-than-photo",
                                                         {120, 90},
                                                         [](const QImage& p) {
                                                             return ThumbnailOf(p, {160, 120});
                                                         },
                                                         {40, 50},
                                                         Source::Photo}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

// Every orientation, from the thumbnail and from the photo itself: the
// miniature stands upright and its full size is the upright photo's.
class MiniatureOrientation : public ::testing::TestWithParam<int> {
protected:
    ScratchDir dir;
};

TEST_P(MiniatureOrientation, ThumbnailAndPhotoComeOutUpright)
{
    const QImage upright = QuadrantPicture(640, 480);
    const std::string path = dir.Path("turned.jpg");
    ASSERT_TRUE(
        WriteBytes(path, MakeJpeg(upright, {.exifOrientation = GetParam(),
                                            .exifThumbnail = ThumbnailOf(upright, {160, 120})})));
    for (const auto& [need, source] :
         {std::pair{QSize(60, 40), Source::Thumbnail}, {QSize(300, 200), Source::Photo}}) {
        MiniatureCache cache;
        const Miniature got = cache.Get(path, need);
        ASSERT_FALSE(got.image.isNull());
        EXPECT_EQ(got.fullSize, QSize(640, 480));
        EXPECT_EQ(got.image.size(), CoverSize({640, 480}, need));
        auto colour = [&](QRgb c) { return source == Source::Thumbnail ? Inverted(c) : c; };
        EXPECT_TRUE(ColoursClose(QuadrantColour(got.image, false, false), colour(kQuadrantTopLeft)))
            << need.width();
        EXPECT_TRUE(ColoursClose(QuadrantColour(got.image, true, false), colour(kQuadrantTopRight)))
            << need.width();
        EXPECT_TRUE(
            ColoursClose(QuadrantColour(got.image, false, true), colour(kQuadrantBottomLeft)))
            << need.width();
        EXPECT_TRUE(
            ColoursClose(QuadrantColour(got.image, true, true), colour(kQuadrantBottomRight)))
            << need.width();
    }
}

INSTANTIATE_TEST_SUITE_P(Miniature, MiniatureOrientation, ::testing::Range(1, 9),
                         [](const auto& info) {
                             return "Orientation" + std::to_string(info.param);
                         });

struct CoverCase {
    const char* name;
    QSize full;
    QSize need;
    QSize cover;
};

class CoverSizes : public ::testing::TestWithParam<CoverCase> {};

TEST_P(CoverSizes, SmallestWithTheProportionsThatCoversTheNeed)
{
    EXPECT_EQ(CoverSize(GetParam().full, GetParam().need), GetParam().cover);
}

INSTANTIATE_TEST_SUITE_P(
    Miniature, CoverSizes,
    ::testing::Values(CoverCase{"HeightDecides", {4000, 3000}, {40, 50}, {67, 50}},
                      CoverCase{"WidthDecides", {4000, 3000}, {80, 50}, {80, 60}},
                      CoverCase{"SameProportions", {4000, 3000}, {40, 30}, {40, 30}},
                      CoverCase{"RoundedUpToCover", {3000, 4000}, {10, 10}, {10, 14}},
                      CoverCase{"NeverLargerThanThePicture", {100, 50}, {300, 300}, {100, 50}},
                      CoverCase{"EmptyNeedIsOnePixel", {400, 300}, {0, 0}, {2, 1}},
                      CoverCase{"NoPicture", {0, 0}, {40, 40}, QSize()}),
    [](const auto& info) { return std::string(info.param.name); });

class MiniatureCacheTest : public ::testing::Test {
protected:
    std::string Photo(const std::string& name, const QImage& image, const JpegOptions& options = {})
    {
        const std::string path = dir.Path(name);
        EXPECT_TRUE(WriteBytes(path, MakeJpeg(image, options)));
        return path;
    }
    ScratchDir dir;
};

TEST_F(MiniatureCacheTest, AgreesWithThePictureThePageLoaderGives)
{
    // Large enough that the 50K level shrinks it, turned, and no thumbnail:
    // decoded at a reduced scale, it must still look like the level-1 picture
    // and report the size that picture has.
    const std::string path =
        Photo("noisy-turned.jpg", NoisyPhoto(1200, 900, 3), {.quality = 95, .exifOrientation = 6});
    const QImage page = DecodePictureForPage(path, 1);
    ASSERT_FALSE(page.isNull());
    ASSERT_LT(page.width(), 1200) << "the loader shrinks this file";

    MiniatureCache cache;
    const Miniature got = cache.Get(path, {45, 60});
    EXPECT_EQ(got.fullSize, QSize(1200, 900));
    EXPECT_EQ(got.loadedSize, page.size());
    ASSERT_EQ(got.image.size(), QSize(80, 60));
    const QImage reference =
        page.scaled(got.image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(MeanChannelDifference(got.image, reference.convertToFormat(QImage::Format_RGB32)),
              4.0);

    // A small file the loader leaves whole reports its own size.
    const std::string small = Photo("small.jpg", QuadrantPicture(64, 48), {.quality = 50});
    EXPECT_EQ(cache.Get(small, {10, 10}).loadedSize, QSize(64, 48));
}

TEST_F(MiniatureCacheTest, UnreadableFilesGiveNoPictureAndNeverCrash)
{
    const ByteArray whole =
        MakeJpeg(NoisyPhoto(400, 300), {.exifThumbnail = QuadrantPicture(160, 120)});
    const std::string truncated = dir.Path("truncated-with-thumb.jpg");
    ASSERT_TRUE(
        WriteBytes(truncated, ByteArray(whole.begin(),
                                        whole.begin() + static_cast<long>(whole.size() * 2 / 3))));
    const std::string garbage = dir.Path("garbage.jpg");
    ASSERT_TRUE(WriteBytes(garbage, ByteArray{0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x02, 0x12, 0x34}));
    const std::string empty = dir.Path("empty.jpg");
    ASSERT_TRUE(WriteBytes(empty, {}));

    MiniatureCache cache;
    for (const std::string& path :
         {truncated, garbage, empty, dir.Path("missing.jpg"), dir.Root(), std::string()}) {
        for (int round = 0; round < 2; ++round) { // the second answer comes from memory
            const Miniature got = cache.Get(path, {40, 50});
            EXPECT_TRUE(got.image.isNull()) << path;
            EXPECT_TRUE(got.fullSize.isEmpty()) << path;
        }
    }
    EXPECT_EQ(cache.BytesHeld(), 0u);
}

TEST_F(MiniatureCacheTest, KeepsPicturesBetweenRedrawsWhileTheyCoverTheNeed)
{
    const std::string path = Photo("kept.jpg", QuadrantPicture(640, 480));
    MiniatureCache cache;
    const Miniature first = cache.Get(path, {40, 30});
    // Replaced on disk: what comes back from memory is still the old picture.
    ASSERT_TRUE(WriteBytes(path, MakeJpeg(QuadrantPicture(640, 480).mirrored(true, false))));
    EXPECT_EQ(cache.Get(path, {40, 30}).image, first.image);
    const Miniature grown = cache.Get(path, {70, 50}); // a little larger cell: from memory
    EXPECT_EQ(grown.image.size(), QSize(70, 53));
    EXPECT_TRUE(ColoursClose(QuadrantColour(grown.image, false, false), kQuadrantTopLeft));
    const Miniature large = cache.Get(path, {200, 150}); // beyond what is held: read again
    EXPECT_TRUE(ColoursClose(QuadrantColour(large.image, false, false), kQuadrantTopRight));
}

TEST_F(MiniatureCacheTest, TheBudgetEvictsTheLeastRecentlyUsed)
{
    const QSize need(40, 30);
    std::vector<std::string> paths;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        paths.push_back(Photo(name, QuadrantPicture(640, 480)));

    std::size_t one = 0;
    {
        MiniatureCache measure;
        measure.Get(paths[0], need);
        one = measure.BytesHeld();
        ASSERT_GT(one, 0u);
    }
    MiniatureCache cache(2 * one);
    cache.Get(paths[0], need);
    cache.Get(paths[1], need);
    EXPECT_EQ(cache.BytesHeld(), 2 * one);
    cache.Get(paths[0], need); // a is now more recent than b
    cache.Get(paths[2], need);
    EXPECT_EQ(cache.BytesHeld(), 2 * one);

    // Which ones stayed shows when the files change underneath.
    for (const std::string& path : paths)
        ASSERT_TRUE(WriteBytes(path, MakeJpeg(QuadrantPicture(640, 480).mirrored(true, false))));
    EXPECT_TRUE(ColoursClose(QuadrantColour(cache.Get(paths[0], need).image, false, false),
                             kQuadrantTopLeft))
        << "a was kept";
    EXPECT_TRUE(ColoursClose(QuadrantColour(cache.Get(paths[1], need).image, false, false),
                             kQuadrantTopRight))
        << "b was evicted and read again";
    EXPECT_LE(cache.BytesHeld(), 2 * one);

    cache.Clear();
    EXPECT_EQ(cache.BytesHeld(), 0u);
    MiniatureCache tiny(one - 1);
    EXPECT_FALSE(tiny.Get(paths[0], need).image.isNull()) << "too large to keep, still handed out";
    EXPECT_EQ(tiny.BytesHeld(), 0u);
}

TEST_F(MiniatureCacheTest, PrefetchThenGetGivesWhatGetAloneGives)
{
    const QImage quadrants = QuadrantPicture(640, 480);
    const std::string png = dir.Path("photo.png");
    ASSERT_TRUE(WriteBytes(png, MakePng(quadrants, PngKind::Rgb8)));
    const std::vector<std::pair<std::string, QSize>> wanted = {
        {Photo("with-thumb.jpg", quadrants, {.exifThumbnail = ThumbnailOf(quadrants, {160, 120})}),
         {40, 50}},
        {Photo("no-thumb.jpg", NoisyPhoto(800, 600, 5)), {40, 50}},
        {Photo("turned-8.jpg", quadrants, {.exifOrientation = 8}), {50, 40}},
        {Photo("progressive.jpg", quadrants, {.progressive = true}), {33, 33}},
        {dir.Path("missing.jpg"), {40, 50}},
        {png, {40, 50}},
    };
    MiniatureCache alone;
    for (int round = 0; round < 3; ++round) {
        MiniatureCache ahead;
        ahead.Prefetch(wanted);
        for (const auto& [path, need] : wanted) {
            const Miniature expected = alone.Get(path, need);
            const Miniature got = ahead.Get(path, need);
            EXPECT_EQ(got.image, expected.image) << path;
            EXPECT_EQ(got.fullSize, expected.fullSize) << path;
            EXPECT_EQ(got.loadedSize, expected.loadedSize) << path;
        }
        EXPECT_EQ(ahead.BytesHeld(), alone.BytesHeld());
    }
    // A new Prefetch replaces the old queue; Clear and destruction with work
    // still queued neither hang nor keep anything.
    MiniatureCache busy;
    busy.Prefetch(wanted);
    busy.Prefetch({wanted.rbegin(), wanted.rend()});
    busy.Clear();
    EXPECT_EQ(busy.Get(wanted[1].first, {40, 50}).image,
              alone.Get(wanted[1].first, {40, 50}).image);
    busy.Prefetch(wanted);
}

// The camera's thumbnail is in the photo's colours: both sources of a
// tagged photo come out in sRGB.  The thumbnail is green and the photo red,
// so the colour seen also tells which source was drawn.
TEST(MiniatureSource, ThumbnailAndReducedPhotoBothTakeThePhotosProfile)
{
    ScratchDir dir;
    const ByteArray profile = AdobeRgbProfile();
    QImage red(800, 600, QImage::Format_RGB32);
    red.fill(qRgb(200, 40, 40));
    QImage green(160, 120, QImage::Format_RGB32);
    green.fill(qRgb(40, 160, 60));
    const std::string path = dir.Path("adobe-rgb-red.jpg");
    ASSERT_TRUE(WriteBytes(path, MakeJpeg(StoredInProfile(red, profile),
                                          {.quality = 95,
                                           .exifThumbnail = StoredInProfile(green, profile),
                                           .iccProfile = profile})));
    for (const auto& [need, expected] : {std::pair{QSize(40, 30), qRgb(40, 160, 60)},
                                         std::pair{QSize(400, 300), qRgb(200, 40, 40)}}) {
        const MiniatureSource source = LoadMiniatureSource(path, need);
        ASSERT_FALSE(source.image.isNull());
        const QRgb seen = source.image.pixel(source.image.width() / 2, source.image.height() / 2);
        EXPECT_TRUE(ColoursClose(seen, expected, 3)) << std::hex << seen;
    }
}

} // namespace
} // namespace quillet
