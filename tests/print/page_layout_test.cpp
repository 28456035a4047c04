// The album grid shared by the printer, the page images and the preview.
#include "print/page_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace quillet {
namespace {

TEST(TruncateLengthTest, CutsTowardZeroAndStaysDefinedOutsideTheIntRange)
{
    EXPECT_EQ(TruncateLength(2.9), 2);
    EXPECT_EQ(TruncateLength(-2.9), -2);
    EXPECT_EQ(TruncateLength(std::nan("")), 0);
    EXPECT_EQ(TruncateLength(1e300), INT_MAX);
    EXPECT_EQ(TruncateLength(-1e300), INT_MIN);
}

TEST(AtLeastTest, AllowsTheLayoutTolerance)
{
    EXPECT_TRUE(AtLeast(1.0, 1.0));
    EXPECT_TRUE(AtLeast(1.0 - 0.5e-7, 1.0));
    EXPECT_FALSE(AtLeast(1.0 - 2e-7, 1.0));
}

struct GridCase {
    std::string name;
    int rows;
    int columns;
    GridSize expected;
};

class NormaliseGridTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(NormaliseGridTest, GridsWithoutCellsBecomeFiveByFive)
{
    const GridCase& c = GetParam();
    EXPECT_EQ(NormaliseGrid(c.rows, c.columns), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Grids, NormaliseGridTest,
                         ::testing::Values(GridCase{"TwoByThreeKept", 2, 3, {2, 3}},
                                           GridCase{"OneByOneKept", 1, 1, {1, 1}},
                                           GridCase{"ZeroRows", 0, 3, {5, 5}},
                                           GridCase{"ZeroColumns", 4, 0, {5, 5}},
                                           // Two negatives would multiply to a positive cell count
                                           // whose loops never run: the job would never end.
                                           GridCase{"BothNegative", -1, -1, {5, 5}},
                                           GridCase{"NegativeColumns", 3, -2, {5, 5}}),
                         [](const auto& info) { return info.param.name; });

struct PageCountCase {
    std::string name;
    int pictures;
    GridSize grid;
    int pages;
};

class PageCountTest : public ::testing::TestWithParam<PageCountCase> {};

TEST_P(PageCountTest, CountsWholeAndPartialPages)
{
    const PageCountCase& c = GetParam();
    EXPECT_EQ(PageCount(c.pictures, c.grid.rows, c.grid.columns), c.pages);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PageCountTest,
    ::testing::Values(PageCountCase{"SevenOnTwoByTwo", 7, {2, 2}, 2},
                      PageCountCase{"EightOnTwoByTwo", 8, {2, 2}, 2},
                      PageCountCase{"NineOnTwoByTwo", 9, {2, 2}, 3},
                      PageCountCase{"OneOnFiveByFive", 1, {5, 5}, 1},
                      PageCountCase{"NoPictures", 0, {2, 2}, 0},
                      PageCountCase{"ThreeHundredOnThreeByFour", 300, {3, 4}, 25},
                      PageCountCase{"HugeGridWithoutOverflow", 7, {100000, 100000}, 1},
                      // A grid stored without cells is laid out, and counted, as 5 x 5.
                      PageCountCase{"ZeroRowsCountFiveByFive", 26, {0, 3}, 2},
                      PageCountCase{"NegativeColumnsCountFiveByFive", 25, {4, -1}, 1}),
    [](const auto& info) { return info.param.name; });

struct CaptionGapCase {
    std::string name;
    std::optional<int> gap;
    double lineHeight;
    int kept;
};

class CaptionGapTest : public ::testing::TestWithParam<CaptionGapCase> {};

TEST_P(CaptionGapTest, KeepsOnlyGapsBelowHalfALine)
{
    const CaptionGapCase& c = GetParam();
    EXPECT_EQ(CaptionGapInForce(c.gap, c.lineHeight), c.kept);
}

INSTANTIATE_TEST_SUITE_P(Gaps, CaptionGapTest,
                         ::testing::Values(CaptionGapCase{"NineteenAgainstForty", 19, 40, 19},
                                           CaptionGapCase{"TwentyAgainstForty", 20, 40, 0},
                                           CaptionGapCase{"TwentyAgainstThirty", 20, 30, 0},
                                           CaptionGapCase{"TenAgainstThirty", 10, 30, 10},
                                           CaptionGapCase{"NotGiven", std::nullopt, 40, 0},
                                           CaptionGapCase{"NegativeKept", -5, 40, -5},
                                           CaptionGapCase{"NoCaptionLine", 3, 0, 0}),
                         [](const auto& info) { return info.param.name; });

PageGridSpec PrinterA4Spec()
{
    PageGridSpec layout;
    layout.pageWidth = 2100;
    layout.pageHeight = 2970;
    layout.marginTop = 100;
    layout.marginBottom = 100;
    layout.marginLeft = 150;
    layout.marginRight = 50;
    layout.grid = {3, 2};
    layout.rowGap = 30;
    layout.columnGap = 20;
    layout.captionLineHeight = 40;
    layout.captionGap = 10;
    layout.precision = CellPrecision::WholeUnits;
    layout.origin = CellOrigin::MarginCorner;
    return layout;
}

TEST(PageGridTest, PrinterGridUsesWholeCellsFromTheMarginCorner)
{
    const PageGrid grid(PrinterA4Spec());
    EXPECT_EQ(grid.PrintableWidth(), 1900);
    EXPECT_EQ(grid.PrintableHeight(), 2770);
    EXPECT_EQ(grid.CellWidth(), 940); // (1900 - 20) / 2
    EXPECT_EQ(grid.CellHeight(), 903); // (2770 - 60) / 3 = 903.3
    EXPECT_EQ(grid.PictureBox(0, 0), (Rect{0, 0, 940, 863}));
    EXPECT_EQ(grid.PictureBox(2, 1), (Rect{960, 1866, 940, 863}));
    // Bottom of the picture box plus the gap.
    EXPECT_EQ(grid.CaptionTop(0), 873);
    EXPECT_EQ(grid.CaptionTop(2), 2 * 933 + 873);
}

struct CaptionLeftCase {
    std::string name;
    int textWidth;
    int left;
};

class CaptionLeftTest : public ::testing::TestWithParam<CaptionLeftCase> {};

TEST_P(CaptionLeftTest, CentresNarrowCaptionsAndAlignsWideOnesLeft)
{
    const PageGrid grid(PrinterA4Spec());
    EXPECT_EQ(grid.CaptionLeft(1, GetParam().textWidth), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Captions, CaptionLeftTest,
                         ::testing::Values(CaptionLeftCase{"Narrow", 100, 960 + 420},
                                           CaptionLeftCase{"OddRemainderCutDown", 101, 960 + 419},
                                           CaptionLeftCase{"OneNarrowerThanCell", 939, 960},
                                           CaptionLeftCase{"AsWideAsCell", 940, 960},
                                           CaptionLeftCase{"WiderThanCell", 2000, 960}),
                         [](const auto& info) { return info.param.name; });

PageGridSpec ThirdsSpec(CellPrecision precision, CellOrigin origin)
{
    PageGridSpec layout;
    layout.pageWidth = 120;
    layout.pageHeight = 100;
    layout.marginLeft = 10;
    layout.marginRight = 10;
    layout.marginTop = 5;
    layout.marginBottom = 5;
    layout.grid = {3, 3};
    layout.precision = precision;
    layout.origin = origin;
    return layout;
}

TEST(PageGridTest, SinglePrecisionCellsKeepTheirFractions)
{
    // Usable 100 x 90 in thirds: whole cells lose a third per column.
    const PageGrid whole(ThirdsSpec(CellPrecision::WholeUnits, CellOrigin::MarginCorner));
    const PageGrid single(ThirdsSpec(CellPrecision::SinglePrecision, CellOrigin::MarginCorner));
    EXPECT_EQ(whole.CellWidth(), 33);
    EXPECT_FLOAT_EQ(single.CellWidth(), 100.0f / 3);
    EXPECT_EQ(whole.PictureBox(0, 2).x, 66);
    EXPECT_EQ(single.PictureBox(0, 2).x, 66); // 66.67 cut
    EXPECT_EQ(single.PictureBox(0, 2).width, 33);
    // A caption 10 wide in column 2: 66 + 11.5 against 66.67 + 11.67.
    EXPECT_EQ(whole.CaptionLeft(2, 10), 77);
    EXPECT_EQ(single.CaptionLeft(2, 10), 78);
    // A 33-wide caption is narrower than 33.33 but as wide as 33.
    EXPECT_EQ(whole.CaptionLeft(0, 33), 0);
    EXPECT_EQ(single.CaptionLeft(0, 33), 0); // 0 + 0.17 cut
    EXPECT_EQ(single.CaptionLeft(1, 33), 33); // 33.33 + 0.17 cut
}

TEST(PageGridTest, PageCornerOriginStartsCellsAtTheMargins)
{
    const PageGrid margins(ThirdsSpec(CellPrecision::SinglePrecision, CellOrigin::MarginCorner));
    const PageGrid page(ThirdsSpec(CellPrecision::SinglePrecision, CellOrigin::PageCorner));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const Rect a = margins.PictureBox(row, column);
            const Rect b = page.PictureBox(row, column);
            EXPECT_EQ(b.x, TruncateLength(10 + margins.CellX(column))) << row << "," << column;
            EXPECT_EQ(b.y, 5 + a.y) << row << "," << column;
            EXPECT_EQ(b.width, a.width);
        }
        EXPECT_EQ(page.CaptionTop(row), 5 + margins.CaptionTop(row));
    }
}

TEST(PageGridTest, CaptionLineComesOffThePictureAndTheGapMovesTheCaption)
{
    PageGridSpec layout = ThirdsSpec(CellPrecision::SinglePrecision, CellOrigin::PageCorner);
    layout.rowGap = 6;
    layout.captionLineHeight = 4;
    // Usable height 90, cells (90 - 12) / 3 = 26.
    const PageGrid noGap(layout);
    layout.captionGap = 1;
    const PageGrid withGap(layout);
    EXPECT_EQ(noGap.PictureBox(1, 0).height, 22);
    EXPECT_EQ(noGap.PictureBox(1, 0).y, 5 + 32);
    EXPECT_EQ(noGap.CaptionTop(1), 5 + 2 * 32 - 6 - 4);
    EXPECT_EQ(withGap.CaptionTop(1), noGap.CaptionTop(1) + 1);
}

TEST(PageGridTest, ZeroRowsLayOutFiveByFive)
{
    PageGridSpec layout = PrinterA4Spec();
    layout.grid = {0, 2};
    const PageGrid grid(layout);
    EXPECT_EQ(grid.Grid(), (GridSize{5, 5}));
    EXPECT_EQ(grid.CellsPerPage(), 25);
    EXPECT_EQ(grid.CellWidth(), (1900 - 4 * 20) / 5);
}

TEST(PageGridTest, GapsLargerThanThePageGiveNegativeCellsWithoutFailing)
{
    PageGridSpec layout = PrinterA4Spec();
    layout.columnGap = 3000;
    const PageGrid grid(layout);
    EXPECT_LT(grid.CellWidth(), 0);
    EXPECT_LT(grid.PictureBox(0, 0).width, 0);
}

TEST(NaturalLengthTest, PreviewDividesByElevenPointEight)
{
    EXPECT_EQ(NaturalLength(118, NaturalScale::Miniature), 10);
    EXPECT_EQ(NaturalLength(117, NaturalScale::Miniature), 9);
    EXPECT_EQ(NaturalLength(11, NaturalScale::Miniature), 0);
    EXPECT_EQ(NaturalLength(117, NaturalScale::DevicePixels), 117);
}

struct PlacementCase {
    std::string name;
    int pictureWidth;
    int pictureHeight;
    float ratio;
    int mode;
    Rect expected;
};

class PicturePlacementTest : public ::testing::TestWithParam<PlacementCase> {};

constexpr Rect kBox{100, 200, 400, 300};

TEST_P(PicturePlacementTest, DrawsIntoTheComputedRectangle)
{
    const PlacementCase& c = GetParam();
    const std::optional<Rect> placed =
        PicturePlacement(kBox, c.pictureWidth, c.pictureHeight, c.ratio, c.mode);
    ASSERT_TRUE(placed.has_value());
    EXPECT_EQ(*placed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PicturePlacementTest,
    ::testing::Values(
        // A 2:1 picture in a 4:3 box: full width, centred vertically.
        PlacementCase{"ProportionalCentredWide", 800, 400, 0, 0, {100, 250, 400, 200}},
        // A 1:2 picture: full height, centred horizontally.
        PlacementCase{"ProportionalCentredTall", 300, 600, 0, 0, {225, 200, 150, 300}},
        PlacementCase{"FillBox", 300, 600, 0, 1, kBox},
        // 100 + (400 - 801) / 2 = -100.5 and 200 + (300 - 401) / 2 = 149.5.
        PlacementCase{"NaturalCentredSpills", 801, 401, 0, 2, {-100, 149, 801, 401}},
        PlacementCase{"NaturalCentredSmall", 41, 31, 0, 2, {279, 334, 41, 31}},
        PlacementCase{"ProportionalTopLeftWide", 800, 400, 0, 3, {100, 200, 400, 200}},
        PlacementCase{"ProportionalTopLeftTall", 300, 600, 0, 3, {100, 200, 150, 300}},
        PlacementCase{"NaturalTopLeft", 800, 400, 0, 4, {100, 200, 800, 400}},
        // Cropping covers the whole box, whatever the picture's shape.
        PlacementCase{"CoverCroppedWide", 800, 400, 0, 5, kBox},
        PlacementCase{"CoverCroppedTall", 300, 600, 0, 5, kBox},
        PlacementCase{"UnknownModeIsProportionalCentred", 800, 400, 0, 9, {100, 250, 400, 200}},
        PlacementCase{"ModeSixIsProportionalCentred", 800, 400, 0, 6, {100, 250, 400, 200}},
        PlacementCase{"NegativeModeIsProportionalCentred", 800, 400, 0, -1, {100, 250, 400, 200}},
        // A given ratio wins over the picture's own shape.
        PlacementCase{"GivenSquareRatio", 800, 400, 1.0f, 3, {100, 200, 300, 300}},
        PlacementCase{"RatioAtLimitUsed", 800, 400, 0.001f, 3, {100, 200, 0, 300}},
        PlacementCase{"RatioBelowLimitKeepsOwnShape", 800, 400, 0.0009f, 3, {100, 200, 400, 200}},
        // 4:3 exactly: the box is "at least as wide", the height stays.
        PlacementCase{"SameShapeAsBox", 40, 30, 0, 0, {100, 200, 400, 300}},
        // Proportions 1:3 in 400 x 300: width trunc(300 / 3) = 100.
        PlacementCase{"ThirdCutDown", 100, 300, 0, 0, {250, 200, 100, 300}}),
    [](const auto& info) { return info.param.name; });

TEST(PicturePlacementTest, ProportionalModesDrawNothingWithoutArea)
{
    EXPECT_FALSE(PicturePlacement(Rect{0, 0, 100, 0}, 50, 50, 0, 0));
    EXPECT_FALSE(PicturePlacement(Rect{0, 0, -10, 100}, 50, 50, 0, 3));
    EXPECT_FALSE(PicturePlacement(Rect{0, 0, 100, 100}, 0, 0, 0, 0));
    EXPECT_FALSE(PicturePlacement(Rect{0, 0, 100, 100}, 50, 0, 0, 3));
    EXPECT_FALSE(PicturePlacement(Rect{0, 0, 0, 100}, 50, 50, 0, 5));
    EXPECT_FALSE(PicturePlacement(Rect{0, 0, 100, 100}, 0, 50, 0, 5));
    // The natural-size and fill modes need no shape.
    EXPECT_EQ(PicturePlacement(Rect{0, 0, 100, 0}, 50, 50, 0, 4), (Rect{0, 0, 50, 50}));
    EXPECT_EQ(PicturePlacement(Rect{0, 0, 100, 0}, 50, 50, 0, 1), (Rect{0, 0, 100, 0}));
}

struct ShownPartCase {
    std::string name;
    int pictureWidth;
    int pictureHeight;
    float ratio;
    int mode;
    PicturePart expected;
};

class ShownPartTest : public ::testing::TestWithParam<ShownPartCase> {};

TEST_P(ShownPartTest, ShowsTheMiddleOfTheBoxsShape)
{
    const ShownPartCase& c = GetParam();
    const PicturePart part = ShownPart(kBox, c.pictureWidth, c.pictureHeight, c.ratio, c.mode);
    EXPECT_NEAR(part.left, c.expected.left, 1e-6);
    EXPECT_NEAR(part.top, c.expected.top, 1e-6);
    EXPECT_NEAR(part.width, c.expected.width, 1e-6);
    EXPECT_NEAR(part.height, c.expected.height, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ShownPartTest,
    ::testing::Values(
        // A 2:1 picture in the 4:3 box: its middle 4:3, two thirds of its width.
        ShownPartCase{"WidePictureLosesItsSides", 800, 400, 0, 5, {1.0 / 6, 0, 2.0 / 3, 1}},
        // A 1:2 picture: the middle 3/8 of its height.
        ShownPartCase{"TallPictureLosesTopAndBottom", 300, 600, 0, 5, {0, 5.0 / 16, 1, 3.0 / 8}},
        ShownPartCase{"SameShapeAsBoxShowsAll", 40, 30, 0, 5, {}},
        // A given square ratio: the picture is laid out square, then cut.
        ShownPartCase{"GivenRatioWins", 800, 400, 1.0f, 5, {0, 1.0 / 8, 1, 3.0 / 4}},
        ShownPartCase{"OtherModesShowAll", 800, 400, 0, 0, {}},
        ShownPartCase{"FillShowsAll", 800, 400, 0, 1, {}},
        ShownPartCase{"NaturalSizeShowsAll", 800, 400, 0, 2, {}}),
    [](const auto& info) { return info.param.name; });

TEST(PicturePlacementTest, ExtremelyWideShapeLeavesAFlatStrip)
{
    const std::optional<Rect> placed = PicturePlacement(Rect{0, 0, 100, 100}, 100000, 1, 0, 0);
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->height, 0);
    EXPECT_EQ(placed->width, 100);
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

struct ShownCase {
    const char* name;
    std::string caption;
    int pageWidth;
    int pageHeight;
    std::string shown;
};

class TextAPageCanShowTest : public ::testing::TestWithParam<ShownCase> {};

// A 50 MB caption took gigabytes to draw for the few characters a page shows.
TEST_P(TextAPageCanShowTest, KeepsWhatThePageCanShow)
{
    EXPECT_EQ(TextAPageCanShow(GetParam().caption, GetParam().pageWidth, GetParam().pageHeight),
              GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, TextAPageCanShowTest,
    ::testing::Values(ShownCase{"FitsWhole", "海边日落", 2100, 2970, "海边日落"},
                      ShownCase{"LongLineCut", "abcdef", 3, 10, "abc"},
                      ShownCase{"CharactersNotBytes", "海边日落", 2, 10, "海边"},
                      ShownCase{"LinesBelowThePageDropped", "a\nb\nc", 10, 2, "a\nb"},
                      ShownCase{"EachLineCutOnItsOwn", "abc\r\ndef\rgh", 2, 10, "ab\r\nde\rgh"},
                      ShownCase{"AMegabyteBecomesAPageWidth", std::string(1 << 20, 'x'), 2100, 2970,
                                std::string(2100, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
