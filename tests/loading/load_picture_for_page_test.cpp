#include "codecs/image_decode.h"
#include "loading/load_picture_for_page.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace quillet::testing;

struct FactorCase {
    const char* name;
    const char* path;
    long long fileSize;
    int level;
    int factor; // 0: loads unchanged
};

class ShrinkFactor : public ::testing::TestWithParam<FactorCase> {};

TEST_P(ShrinkFactor, FollowsTheFileSizeRule)
{
    EXPECT_EQ(ShrinkFactorPerMille(GetParam().path, GetParam().fileSize, GetParam().level),
              GetParam().factor);
}

INSTANTIATE_TEST_SUITE_P(
    Page, ShrinkFactor,
    ::testing::Values(FactorCase{"FourTimesTheTargetHalvesEachSide", "a.jpg", 614400, 3, 500},
                      FactorCase{"ExactlyOnePointTwoTimesIsShrunk", "a.jpg", 61440, 1, 912},
                      FactorCase{"JustUnderOnePointTwoIsNot", "a.jpg", 61439, 1, 0},
                      FactorCase{"LevelZeroNeverShrinks", "a.jpg", 500000000, 0, 0},
                      FactorCase{"NegativeLevelNeverShrinks", "a.jpg", 500000000, -1, 0},
                      FactorCase{"LevelAboveFiveNeverShrinks", "a.jpg", 500000000, 6, 0},
                      FactorCase{"LowerCaseBmpIsLeftWhole", "photo.bmp", 5000000, 1, 0},
                      FactorCase{"UpperCaseBmpIsLeftWhole", "photo.BMP", 5000000, 5, 0},
                      FactorCase{"MixedCaseBmpIsShrunk", "photo.Bmp", 5000000, 5, 226},
                      FactorCase{"BmpInsideTheNameDoesNotCount", "photo.bmp.jpg", 5000000, 5, 226},
                      FactorCase{"LevelFiveTarget", "a.png", 256000 * 4, 5, 500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShrinkFactor, RatioIsKeptInSinglePrecision)
{
    // 61440 / 51200 = 1.2 is not exact in binary; as a float it lies just
    // above 1.2, which is why that size is shrunk.
    EXPECT_EQ(OversizeRatio(61440, 1), 1.2f);
    EXPECT_GT(static_cast<double>(OversizeRatio(61440, 1)), 1.2);
    EXPECT_EQ(OversizeRatio(614400, 3), 4.0f);
}

struct LoadCase {
    const char* name;
    const char* fileName;
    std::size_t fileSize; // the file is padded to this size
    int level;
    QSize expected;
};

class PagePictureLoading : public ::testing::TestWithParam<LoadCase> {};

ByteArray FileFor(const std::string& name)
{
    if (name.size() > 4
        && (name.substr(name.size() - 4) == ".bmp" || name.substr(name.size() - 4) == ".BMP"
            || name.substr(name.size() - 4) == ".Bmp"))
        return MakeBmp(QuadrantPicture(1300, 1300), BmpKind::Rgb24);
    if (name.size() > 4 && name.substr(name.size() - 4) == ".png")
        return MakePng(QuadrantPicture(800, 600), PngKind::Rgb8);
    return MakeJpeg(QuadrantPicture(800, 600));
}

TEST_P(PagePictureLoading, ReturnsThePictureAtTheSizeTheFactorGives)
{
    ScratchDir dir;
    const LoadCase& c = GetParam();
    const std::string path = dir.Path(c.fileName);
    const ByteArray file = FileFor(c.fileName);
    ASSERT_TRUE(WriteBytes(path, c.fileSize ? PaddedTo(file, c.fileSize) : file));
    const QImage image = DecodePictureForPage(path, c.level);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), c.expected);
    EXPECT_TRUE(ColoursClose(QuadrantColour(image, false, false), kQuadrantTopLeft));
    EXPECT_TRUE(ColoursClose(QuadrantColour(image, true, true), kQuadrantBottomRight));
    EXPECT_EQ(ReadBytes(path).size(), c.fileSize ? c.fileSize : file.size())
        << "the file is never changed";
}

INSTANTIATE_TEST_SUITE_P(
    Page, PagePictureLoading,
    ::testing::Values(LoadCase{"Level3At614400BytesIsHalved", "photo.jpg", 614400, 3, {400, 300}},
                      LoadCase{"Level1At61440BytesShrinksBy912", "photo.jpg", 61440, 1, {729, 547}},
                      LoadCase{"Level1At61439BytesIsUnchanged", "photo.jpg", 61439, 1, {800, 600}},
                      LoadCase{"Level0NeverShrinks", "photo.jpg", 5000000, 0, {800, 600}},
                      LoadCase{"UpperCaseBmpIsUnchanged", "photo.BMP", 0, 5, {1300, 1300}},
                      LoadCase{"LowerCaseBmpIsUnchanged", "photo.bmp", 0, 1, {1300, 1300}},
                      // 5070054 bytes at level 5: ratio 19.80, factor 224.
                      LoadCase{"MixedCaseBmpIsShrunk", "photo.Bmp", 0, 5, {291, 291}},
                      LoadCase{"PngIsShrunkAfterAFullDecode", "photo.png", 614400, 3, {400, 300}},
                      LoadCase{"SmallFileAtAnyLevelIsUnchanged", "photo.jpg", 0, 5, {800, 600}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PagePictureLoadingEdges, NothingToLoadGivesNoPicture)
{
    ScratchDir dir;
    EXPECT_TRUE(DecodePictureForPage("", 1).isNull());
    EXPECT_TRUE(DecodePictureForPage(dir.Path("missing.jpg"), 0).isNull());
    EXPECT_TRUE(DecodePictureForPage(dir.Path("missing.jpg"), 3).isNull());
    EXPECT_TRUE(DecodePictureForPage(dir.Root(), 3).isNull());
    // Large enough to take the shrink path, but not a picture.
    ASSERT_TRUE(WriteBytes(dir.Path("junk.jpg"), ByteArray(200000, 0x41)));
    EXPECT_TRUE(DecodePictureForPage(dir.Path("junk.jpg"), 1).isNull());
    // A JPEG cut off half way through, padded back to a shrinking size.
    const ByteArray photo = MakeJpeg(NoisyPhoto(400, 300));
    ByteArray cut(photo.begin(), photo.begin() + static_cast<std::ptrdiff_t>(photo.size() / 2));
    ASSERT_TRUE(WriteBytes(dir.Path("cut.jpg"), PaddedTo(cut, 150000)));
    EXPECT_TRUE(DecodePictureForPage(dir.Path("cut.jpg"), 1).isNull());
}

TEST(PagePictureLoadingEdges, CameraOrientationIsHonouredWhenShrinking)
{
    ScratchDir dir;
    const std::string path = dir.Path("upright.jpg");
    ASSERT_TRUE(WriteBytes(
        path, PaddedTo(MakeJpeg(QuadrantPicture(800, 600), {.exifOrientation = 6}), 614400)));
    const QImage picture = DecodePictureForPage(path, 3);
    EXPECT_EQ(picture.size(), QSize(400, 300));
    EXPECT_TRUE(ColoursClose(QuadrantColour(picture, true, false), kQuadrantTopRight));
}

TEST(PagePictureLoadingEdges, TransparentPartsOfAShrunkPictureArePaper)
{
    ScratchDir dir;
    QImage clear(300, 200, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const std::string path = dir.Path("clear.png");
    ASSERT_TRUE(WriteBytes(path, PaddedTo(MakePng(clear, PngKind::Rgba8), 614400)));
    const QImage picture = DecodePictureForPage(path, 3);
    ASSERT_FALSE(picture.isNull());
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.pixel(10, 10), qRgb(255, 255, 255));
}

TEST(PagePictureLoadingEdges, ShrunkPhotoLooksLikeTheWholePhotoShrunk)
{
    ScratchDir dir;
    const std::string path = dir.Path("noisy.jpg");
    ASSERT_TRUE(WriteBytes(
        path, PaddedTo(MakeJpeg(NoisyPhoto(1200, 900, 3), {.quality = 95}), 614400 * 2)));
    const QImage small = DecodePictureForPage(path, 2); // ratio 12: factor 288
    const QImage whole = DecodePictureForPage(path, 0);
    ASSERT_FALSE(whole.isNull());
    EXPECT_EQ(small.size(), QSize(345, 259));
    const QImage reference =
        whole.scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(MeanChannelDifference(small, reference), 6.0);
}

} // namespace
} // namespace quillet
