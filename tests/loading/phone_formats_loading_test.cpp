// HEIC, AVIF, WebP and TIFF files through the loader the page and the
// miniature use: the shrink rule, the thumbnail shortcut and the reasons a
// file gives no picture.
#include "loading/load_picture_for_page.h"
#include "loading/miniature_source.h"
#include "loading/picture_load_problems.h"
#include "support/phone_images.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace quillet {
namespace {

using namespace quillet::testing;

struct ShrinkCase {
    const char* name;
    const char* fileName;
    std::function<ByteArray()> make;
};

class PhoneFormatShrinking : public ::testing::TestWithParam<ShrinkCase> {};

// 614400 bytes at level 3 halves each side, whatever the format.
TEST_P(PhoneFormatShrinking, FollowsTheFileSizeRule)
{
    ScratchDir dir;
    const std::string path = dir.Path(GetParam().fileName);
    ASSERT_TRUE(WriteBytes(path, PaddedTo(GetParam().make(), 614400)));
    const QImage picture = DecodePictureForPage(path, 3);
    ASSERT_EQ(picture.size(), QSize(400, 300));
    EXPECT_TRUE(ColoursClose(QuadrantColour(picture, true, false), kQuadrantTopRight));
    EXPECT_TRUE(ColoursClose(QuadrantColour(picture, false, true), kQuadrantBottomLeft));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PhoneFormatShrinking,
    ::testing::Values(
        ShrinkCase{"Heic", "IMG_0001.HEIC",
                   [] { return MakeHeif(QuadrantPicture(800, 600), {.orientation = 6}); }},
        ShrinkCase{"Avif", "a.avif",
                   [] { return MakeHeif(QuadrantPicture(800, 600), {.avif = true}); }},
        ShrinkCase{"Webp", "b.webp",
                   [] { return MakeWebp(QuadrantPicture(800, 600), {.exifOrientation = 6}); }},
        ShrinkCase{"Tiff", "scan.tif", [] { return MakeTiff(QuadrantPicture(800, 600)); }}),
    [](const auto& info) { return std::string(info.param.name); });

struct Heard {
    std::vector<std::pair<std::string, PictureLoadProblem>> problems;
    PictureLoadProblemWatch watch{[this](const std::string& path, PictureLoadProblem problem) {
        problems.emplace_back(path, problem);
    }};
};

TEST(PhoneFormatProblems, EachFileIsNamedWithItsReason)
{
    ScratchDir dir;
    ByteArray huge = MakeHeif(QuadrantPicture(64, 48));
    const char ispe[] = "ispe";
    const std::uint8_t size[] = {0, 0, 0x2F, 0xD0, 0, 0, 0x3F, 0xC0}; // 12240 × 16320
    for (auto at = std::search(huge.begin(), huge.end(), ispe, ispe + 4); at != huge.end();
         at = std::search(at + 4, huge.end(), ispe, ispe + 4))
        std::copy(size, size + 8, at + 8);
    const ByteArray heic = MakeHeif(QuadrantPicture(64, 48));
    const std::pair<const char*, ByteArray> files[] = {
        {"200mp.heic", huge},
        {"cut.heic", ByteArray(heic.begin(), heic.begin() + static_cast<long>(heic.size() / 2))},
        {"empty.webp", ByteArray()},
        {"cut.tiff", [] {
             const ByteArray tiff = MakeTiff(QuadrantPicture(64, 48));
             return ByteArray(tiff.begin(), tiff.begin() + static_cast<long>(tiff.size() / 3));
         }()}};
    Heard heard;
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteBytes(dir.Path(name), bytes));
        EXPECT_TRUE(DecodePictureForPage(dir.Path(name), 0).isNull()) << name;
    }
    const std::vector<std::pair<std::string, PictureLoadProblem>> expected = {
        {dir.Path("200mp.heic"), PictureLoadProblem::TooLarge},
        {dir.Path("cut.heic"), PictureLoadProblem::Damaged},
        {dir.Path("empty.webp"), PictureLoadProblem::Damaged},
        {dir.Path("cut.tiff"), PictureLoadProblem::Damaged}};
    EXPECT_EQ(heard.problems, expected);
}

// A phone's HEIC carries a small thumbnail: a miniature cell no larger
// takes it instead of decoding the photo; a larger cell gets the photo.
TEST(PhoneFormatMiniatures, HeicThumbnailServesCellsItCovers)
{
    ScratchDir dir;
    const std::string path = dir.Path("IMG_0002.HEIC");
    ASSERT_TRUE(WriteBytes(
        path, MakeHeif(QuadrantPicture(640, 480), {.orientation = 6, .thumbnailSide = 160})));
    const MiniatureSource small = LoadMiniatureSource(path, QSize(90, 120));
    EXPECT_EQ(small.fullSize, QSize(640, 480));
    EXPECT_EQ(small.image.size(), QSize(160, 120)) << "the thumbnail, upright";
    EXPECT_TRUE(ColoursClose(QuadrantColour(small.image, true, false), kQuadrantTopRight));
    const MiniatureSource large = LoadMiniatureSource(path, QSize(300, 400));
    EXPECT_EQ(large.image.size(), QSize(640, 480)) << "the photo";
    EXPECT_TRUE(ColoursClose(QuadrantColour(large.image, true, false), kQuadrantTopRight));
}

} // namespace
} // namespace quillet
