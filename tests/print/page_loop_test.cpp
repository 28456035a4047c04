// The page loop as the miniature uses it: one millimetre per canvas pixel,
// one page only, filled to a full page and numbered as it prints, landscape
// laid out wide; and the scaling of fonts and typed values that
// the three surfaces differ by.  Paper and page files are tested through
// their own surfaces (print_picture_pages_test, render_pages_test).
#include "print/canvas_page_surface.h"
#include "print/page_loop.h"

#include "printing/canvas.h"
#include "printing/fonts.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace quillet {
namespace {

constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kWhite = 0xFFFFFFFFu;

// The canvas surface, noting every text it writes.
class NotingSurface : public CanvasPageSurface {
public:
    using CanvasPageSurface::CanvasPageSurface;
    void WriteTextAt(int x, int y, std::string_view text) override
    {
        texts.emplace_back(text);
        CanvasPageSurface::WriteTextAt(x, y, text);
    }
    void SetFont(const FontSpec& font) override
    {
        lastFont = font;
        CanvasPageSurface::SetFont(font);
    }
    std::vector<std::string> texts;
    FontSpec lastFont;
};

// The settings window's first values, typed: A4, 5 x 5, margins 20/18/5/15.
TypedLayoutValues FirstTypedValues()
{
    TypedLayoutValues typed;
    typed.paperWidth = 210;
    typed.paperHeight = 297;
    typed.marginTop = 20;
    typed.marginBottom = 18;
    typed.marginLeft = 5;
    typed.marginRight = 15;
    typed.headerOffset = 11;
    typed.footerOffset = 14;
    typed.rows = 5;
    typed.columns = 5;
    typed.rowGap = 10;
    typed.columnGap = 10;
    typed.captionGap = 2;
    return typed;
}

struct MiniatureCase {
    std::string name;
    int pictures;
    int rows;
    int columns;
    double paperWidth;
    bool landscape;
    QSize laidOut; // the canvas as the page is drawn
    int picturesAsked;
    int page = 1; // the page drawn
    int firstAsked = 0;
    std::string header = "1/1"; // "&p/&a" expanded
};

void PrintTo(const MiniatureCase& c, std::ostream* os)
{
    *os << c.name;
}

class MiniaturePageTest : public ::testing::TestWithParam<MiniatureCase> {
protected:
    void SetUp() override { InstallFontSubstitutions(); }
};

TEST_P(MiniaturePageTest, DrawsOnePageFilledAndNumberedAsItPrints)
{
    const MiniatureCase& c = GetParam();
    TypedLayoutValues typed = FirstTypedValues();
    typed.rows = c.rows;
    typed.columns = c.columns;
    typed.paperWidth = c.paperWidth;
    typed.landscape = c.landscape;
    PageJob job;
    job.settings = MiniatureSettings(FirstConfirmedPrintSettings(), typed);
    job.pictures.paths.assign(c.pictures, "picture.jpg");
    job.pictures.captions.assign(c.pictures, "说明");
    job.headerTemplate = "&p/&a";

    std::vector<int> asked;
    const PictureSource pictures = [&asked](int index, QSize cell) {
        asked.push_back(index);
        EXPECT_GT(cell.width(), 0);
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(kBlue);
        return SourcePicture{image, image.size()};
    };
    int cells = -1;
    PageProgress progress;
    progress.started = [&cells](int count) { cells = count; };

    Canvas canvas;
    NotingSurface surface(canvas);
    const PageLoopResult result =
        RunPageLoop(job, PageLayout::Miniature(c.page), surface, pictures, progress);

    EXPECT_EQ(result.pageCount, 1);
    EXPECT_EQ(cells, c.rows * c.columns);
    EXPECT_EQ(static_cast<int>(asked.size()), c.picturesAsked);
    for (std::size_t i = 0; i < asked.size(); ++i)
        EXPECT_EQ(asked[i], c.firstAsked + static_cast<int>(i));
    ASSERT_FALSE(surface.texts.empty());
    EXPECT_EQ(surface.texts.front(), c.header);
    EXPECT_EQ(canvas.Image().size(), c.laidOut);
    EXPECT_EQ(UprightPage(canvas.Image(), job.settings.orientation).size(), QSize(210, 297));
    EXPECT_EQ(surface.lastFont.size, 2) << "9 pt captions draw at 2 pt";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MiniaturePageTest,
    ::testing::Values(
        MiniatureCase{"ThreePicturesOnTwoByTwo", 3, 2, 2, 210, false, {210, 297}, 3},
        MiniatureCase{
            "OnlyTheFirstPageOfThirty", 30, 5, 5, 210, false, {210, 297}, 25, 1, 0, "1/2"},
        MiniatureCase{"SecondPageOfThirty", 30, 5, 5, 210, false, {210, 297}, 5, 2, 25, "2/2"},
        MiniatureCase{
            "PastTheLastPageDrawsTheLast", 7, 2, 2, 210, false, {210, 297}, 3, 9, 4, "2/2"},
        MiniatureCase{"NoPicturesStillAPage", 0, 2, 3, 210, false, {210, 297}, 0},
        MiniatureCase{"WidthZeroIsA4", 1, 1, 1, 0, false, {210, 297}, 1},
        MiniatureCase{"LandscapeLaidOutWide", 4, 2, 2, 210, true, {297, 210}, 4}),
    [](const auto& info) { return info.param.name; });

// Natural size on the miniature: a picture pixel is 1 / 11.8 mm.
TEST(MiniaturePage, NaturalSizeIsPixelsDividedByElevenPointEight)
{
    TypedLayoutValues typed = FirstTypedValues();
    typed.rows = 1;
    typed.columns = 1;
    typed.fitMode = 4; // natural size, top-left
    PageJob job;
    job.settings = MiniatureSettings(FirstConfirmedPrintSettings(), typed);
    job.pictures.paths = {"tall.png"};
    const PictureSource pictures = [](int, QSize) {
        QImage small(12, 24, QImage::Format_RGB32); // what a cache of small pictures holds
        small.fill(kBlue);
        return SourcePicture{small, QSize(118, 236)};
    };
    Canvas canvas;
    CanvasPageSurface surface(canvas);
    RunPageLoop(job, PageLayout::Miniature(), surface, pictures, {});
    const QImage& page = canvas.Image();
    EXPECT_EQ(page.pixel(5 + 9, 20 + 19), kBlue);
    EXPECT_EQ(page.pixel(5 + 10, 20), kWhite);
    EXPECT_EQ(page.pixel(5, 20 + 20), kWhite);
}

struct FontCase {
    std::string name;
    FontScale scale;
    int points;
    int drawn;
};

void PrintTo(const FontCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScaledFontTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(ScaledFontTest, KeepsTheFaceAndCutsTheSizeTowardZero)
{
    const FontCase& c = GetParam();
    FontSpec font;
    font.name = "楷体";
    font.bold = 1;
    font.size = c.points;
    const FontSpec scaled = ScaledFont(font, c.scale);
    EXPECT_EQ(scaled.size, c.drawn);
    EXPECT_EQ(scaled.name, "楷体");
    EXPECT_EQ(scaled.bold, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ScaledFontTest,
    ::testing::Values(FontCase{"PrinterTakesPoints", FontScale::Points, 9, 9},
                      FontCase{"PageFileNinePoints", FontScale::TenthMillimetrePixels, 9, 23},
                      FontCase{"PageFileTwelvePoints", FontScale::TenthMillimetrePixels, 12, 31},
                      FontCase{"MiniatureNinePoints", FontScale::MillimetrePixels, 9, 2},
                      FontCase{"MiniatureTwelvePoints", FontScale::MillimetrePixels, 12, 3},
                      FontCase{"MiniatureThreePoints", FontScale::MillimetrePixels, 3, 0}),
    [](const auto& info) { return info.param.name; });

TEST(MiniatureSettings, WholeMillimetresAndGapsInTenthsDividedBeforeTheCut)
{
    TypedLayoutValues typed = FirstTypedValues();
    typed.paperWidth = 210.9;
    typed.marginLeft = -3.5;
    typed.rowGap = 5;
    typed.columnGap = 19;
    typed.captionGap = 10;
    typed.rows = 2.7;
    typed.landscape = true;
    PrintSettings record = FirstConfirmedPrintSettings();
    record.headerAlign = 2;
    record.imageOptimization = 0;
    const PrintSettings s = MiniatureSettings(record, typed);
    EXPECT_EQ(s.paperWidth, 210);
    EXPECT_EQ(s.marginLeft, -3) << "negative values are used as they are";
    EXPECT_EQ(s.rowGap, 0);
    EXPECT_EQ(s.columnGap, 1);
    EXPECT_EQ(s.captionGap, 1);
    EXPECT_EQ(s.rows, 2);
    EXPECT_EQ(s.orientation, 1);
    EXPECT_EQ(s.headerAlign, 2) << "alignments and fonts come from the record";
    EXPECT_EQ(s.imageOptimization, 1) << "miniature pictures always load at 50K";
}

} // namespace
} // namespace quillet
