// Page images read back from the files the renderer writes: where pictures,
// captions, header and footer stand, how pages are named, turned and stamped.
#include "print/render_pages.h"

#include "codecs/page_encode.h"
#include "print/header_footer.h"
#include "support/test_images.h"
#include "textfiles/datetime.h"

#include <QDir>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>

namespace quillet {
namespace {

using testing::ColoursClose;
using testing::ScratchDir;

constexpr QRgb kWhite = 0xFFFFFFFFu;

// Pure colours that survive JPEG at quality 75.
const QRgb kPalette[] = {0xFFFF0000u, 0xFF00A000u, 0xFF0000FFu, 0xFFFF00FFu, 0xFF00FFFFu,
                         0xFF808000u, 0xFF800080u, 0xFF008080u, 0xFFFF8000u, 0xFF000000u};

// A page-file job as these tests change it: the settings fields by their
// names, the picture lists, the templates and the folder the pages go to.
struct Album : PrintSettings {
    std::vector<std::string> paths;
    std::vector<float> aspectRatios;
    std::vector<std::string> captions;
    std::string headerTemplate;
    std::string footerTemplate;
    std::string folder;

    PageJob Job() const
    {
        // The clock stands still at 9:05:03 on 5 March 2026.
        const ClockReading still{2026, 3, 5, 9, 5, 3};
        return PageJob{*this,          PictureList{paths, aspectRatios, captions},
                       headerTemplate, footerTemplate,
                       still,          [still] { return still; }};
    }
};

Album AlbumOf(const PrintSettings& settings, const std::string& folder, const PictureList& list)
{
    Album album;
    static_cast<PrintSettings&>(album) = settings;
    album.paths = list.paths;
    album.aspectRatios = list.aspectRatios;
    album.captions = list.captions;
    album.folder = folder;
    return album;
}

class RenderPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings = FirstConfirmedPrintSettings();
        out = dir.Path("out");
        QDir().mkpath(QString::fromStdString(out));
    }

    // A solid picture per colour, as a PNG (small files are never shrunk).
    std::string Picture(int index, int width = 120, int height = 90)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(kPalette[index % 10]);
        const std::string path = dir.Path("p" + std::to_string(index) + "_" + std::to_string(width)
                                          + "x" + std::to_string(height) + ".png");
        image.save(QString::fromStdString(path), "PNG");
        return path;
    }

    Album Input(int pictures, int format = 5)
    {
        PictureList list;
        for (int i = 0; i < pictures; ++i)
            list.paths.push_back(Picture(i));
        PrintSettings s = settings;
        s.imageFormat = format;
        return AlbumOf(s, out, list);
    }

    static QImage Read(const std::string& file)
    {
        QImage image(QString::fromStdString(file));
        EXPECT_FALSE(image.isNull()) << file;
        return image.convertToFormat(QImage::Format_RGB32);
    }

    static RenderPagesResult Render(const Album& album, const PageFileProgress& progress = {})
    {
        Canvas canvas;
        return RenderPagesOnCanvas(album.Job(), album.folder, canvas, progress);
    }

    PrintSettings settings;
    ScratchDir dir;
    std::string out;
};

// The centre of a picture box on an A4 portrait page with the default margins.
QPoint BoxCentre(const Album& in, int row, int column, double captionLine = 0)
{
    const double cellW =
        (2100.0 - in.marginLeft - in.marginRight - (in.columns - 1) * in.columnGap) / in.columns;
    const double cellH =
        (2970.0 - in.marginTop - in.marginBottom - (in.rows - 1) * in.rowGap) / in.rows;
    return QPoint(int(in.marginLeft + column * (cellW + in.columnGap) + cellW / 2),
                  int(in.marginTop + row * (cellH + in.rowGap) + (cellH - captionLine) / 2));
}

TEST_F(RenderPagesTest, NinePicturesOnTwoByTwoGiveThreeNamedPagesInOrder)
{
    Album in = Input(9);
    in.rows = 2;
    in.columns = 2;
    RenderPagesResult r = Render(in);
    ASSERT_TRUE(r.Succeeded());
    EXPECT_EQ(r.pageCount, 3);
    ASSERT_EQ(r.writtenFiles.size(), 3u);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(r.writtenFiles[page - 1],
                  out + "/20260305_90503_" + std::to_string(page) + ".png");

    // Row by row, column by column: picture i sits in cell i % 4 of page i / 4.
    for (int i = 0; i < 9; ++i) {
        QImage page = Read(r.writtenFiles[i / 4]);
        EXPECT_EQ(page.size(), QSize(2100, 2970));
        const QPoint c = BoxCentre(in, (i % 4) / 2, i % 2);
        EXPECT_TRUE(ColoursClose(page.pixel(c), kPalette[i], 8)) << "picture " << i;
    }
    QImage last = Read(r.writtenFiles[2]);
    EXPECT_EQ(last.pixel(BoxCentre(in, 0, 1)), kWhite) << "the last page holds one picture only";
    EXPECT_EQ(last.pixel(BoxCentre(in, 1, 0)), kWhite);
}

TEST_F(RenderPagesTest, EachPageIsReportedInOrderOnceItsFileIsWhole)
{
    // Pages are written while the next one is drawn: a report must wait for
    // its file, and the reports keep the page order.
    for (int format : {1, 2, 5}) {
        Album in = Input(7, format);
        in.rows = 1;
        in.columns = 2;
        std::vector<std::string> reported;
        PageFileProgress progress;
        progress.pageWritten = [&](const std::string& file) {
            EXPECT_EQ(Read(file).size(), QSize(2100, 2970)) << file;
            reported.push_back(file);
        };
        const RenderPagesResult r = Render(in, progress);
        ASSERT_EQ(r.writtenFiles.size(), 4u) << "format " << format;
        EXPECT_EQ(reported, r.writtenFiles);
        for (int page = 1; page <= 4; ++page)
            EXPECT_EQ(r.writtenFiles[page - 1], out + "/20260305_90503_" + std::to_string(page)
                                                    + ImageFileExtension(PageFileFormat(format)));
    }
}

TEST_F(RenderPagesTest, RowsBelowOneLayOutFiveByFive)
{
    for (int rows : {0, -3}) {
        Album in = Input(26);
        in.rows = rows;
        in.columns = 2;
        RenderPagesResult r = Render(in);
        EXPECT_EQ(r.pageCount, 2) << "rows " << rows << ": 25 a page";
        ASSERT_EQ(r.writtenFiles.size(), 2u);
        in.rows = 5;
        in.columns = 5;
        QImage first = Read(r.writtenFiles[0]);
        EXPECT_TRUE(ColoursClose(first.pixel(BoxCentre(in, 4, 4)), kPalette[24 % 10], 8));
        for (const std::string& f : r.writtenFiles)
            ::unlink(f.c_str());
    }
}

TEST_F(RenderPagesTest, ProgressCountsPicturesAndCancelFinishesTheCurrentPage)
{
    Album in = Input(9);
    in.rows = 2;
    in.columns = 2;
    in.footerTemplate = "第&p页/共&a页";
    int maximum = -1;
    std::vector<int> done;
    PageFileProgress progress;
    progress.started = [&](int n) { maximum = n; };
    progress.advanced = [&](int i) { done.push_back(i); };
    progress.cancelRequested = [&] { return done.size() == 2; };
    RenderPagesResult r = Render(in, progress);
    EXPECT_EQ(maximum, 9);
    EXPECT_EQ(done, (std::vector<int>{1, 2}));
    EXPECT_TRUE(r.cancelled);
    ASSERT_EQ(r.writtenFiles.size(), 1u) << "only the page in progress is saved";
    QImage page = Read(r.writtenFiles[0]);
    EXPECT_TRUE(ColoursClose(page.pixel(BoxCentre(in, 0, 1)), kPalette[1], 8));
    EXPECT_EQ(page.pixel(BoxCentre(in, 1, 0)), kWhite);
    // The footer still stands on the cancelled page.
    QImage strip = page.copy(0, 2970 - 140, 2100, 60);
    EXPECT_LT(strip.convertToFormat(QImage::Format_Grayscale8).pixelColor(0, 0).value(), 256);
    bool inked = false;
    for (int y = 0; y < strip.height() && !inked; ++y)
        for (int x = 0; x < strip.width() && !inked; ++x)
            inked = qGray(strip.pixel(x, y)) < 128;
    EXPECT_TRUE(inked);
}

bool InkIn(const QImage& page, QRect area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(page.pixel(x, y)) < 100)
                return true;
    return false;
}

TEST_F(RenderPagesTest, CaptionsCentredWhenNarrowFlushLeftWhenWide)
{
    Album in = Input(2);
    in.rows = 2;
    in.columns = 2;
    in.captions = {"大", std::string(150, 'W')};
    RenderPagesResult r = Render(in);
    ASSERT_EQ(r.writtenFiles.size(), 1u);
    QImage page = Read(r.writtenFiles[0]);
    const int cellW = (1900 - 10) / 2;
    const int cellH = (2590 - 10) / 2;
    const int captionTop = 200 + cellH - 31;
    // Narrow: ink around the cell centre, none at its left edge.
    EXPECT_TRUE(InkIn(page, QRect(50 + cellW / 2 - 20, captionTop, 40, 31)));
    EXPECT_FALSE(InkIn(page, QRect(50, captionTop, 40, 31)));
    // Wide: starts at the second cell's left edge and runs past its right edge.
    const int secondCell = 50 + cellW + 10;
    EXPECT_TRUE(InkIn(page, QRect(secondCell, captionTop, 30, 31)));
    EXPECT_TRUE(InkIn(page, QRect(2100 - 150, captionTop, 140, 31))) << "not clipped at the cell";
}

TEST_F(RenderPagesTest, EmptyCaptionListGivesPicturesTheWholeCell)
{
    // A tall picture fills the box height: with captions the box is one
    // caption line shorter.
    PictureList list;
    list.paths = {Picture(2, 50, 400)};
    Album without = AlbumOf(settings, out, list);
    without.rows = 1;
    without.columns = 1;
    Album shortList = without;
    shortList.paths.push_back(Picture(3, 50, 400));
    shortList.captions = {"一"};
    RenderPagesResult a = Render(without);
    RenderPagesResult b = Render(shortList);
    ASSERT_EQ(a.writtenFiles.size(), 1u);
    ASSERT_EQ(b.writtenFiles.size(), 2u);
    QImage full = Read(a.writtenFiles[0]);
    QImage reserved = Read(b.writtenFiles[1]); // the picture without a caption text
    const int bottom = 2970 - 180 - 1;
    EXPECT_TRUE(ColoursClose(full.pixel(1000, bottom - 2), kPalette[2], 8));
    EXPECT_EQ(reserved.pixel(1000, bottom - 2), kWhite) << "the caption line stays reserved";
    EXPECT_TRUE(ColoursClose(reserved.pixel(1000, bottom - 40), kPalette[3], 8));
}

TEST_F(RenderPagesTest, ShortAspectListIsIgnoredAsAWhole)
{
    Album in = Input(2);
    in.rows = 1;
    in.columns = 2;
    in.photoFitMode = 3; // proportional, top-left: the ratio shows in the drawn width
    in.aspectRatios = {0.2f};
    RenderPagesResult r = Render(in);
    ASSERT_EQ(r.writtenFiles.size(), 1u);
    QImage page = Read(r.writtenFiles[0]);
    // Its own 4:3 shape: a 945-wide box is filled across, not a 0.2 sliver.
    EXPECT_TRUE(ColoursClose(page.pixel(50 + 900, 210), kPalette[0], 8));
}

TEST_F(RenderPagesTest, NaturalSizeSpillsOverItsNeighbours)
{
    PictureList list;
    list.paths = {Picture(4, 1200, 200)};
    Album in = AlbumOf(settings, out, list);
    in.rows = 2;
    in.columns = 2;
    in.photoFitMode = 4; // natural size, top-left
    RenderPagesResult r = Render(in);
    ASSERT_EQ(r.writtenFiles.size(), 1u);
    QImage page = Read(r.writtenFiles[0]);
    EXPECT_TRUE(ColoursClose(page.pixel(50 + 1190, 200 + 100), kPalette[4], 8))
        << "one picture pixel per 0.1 mm, beyond the 945-wide cell";
}

TEST_F(RenderPagesTest, LandscapePagesAreTurnedUprightClockwise)
{
    PictureList list;
    list.paths = {Picture(0)};
    PrintSettings s = settings;
    s.imageFormat = 2;
    s.orientation = 1;
    Album in = AlbumOf(s, out, list);
    in.rows = 1;
    in.columns = 2;
    RenderPagesResult r = Render(in);
    ASSERT_EQ(r.writtenFiles.size(), 1u);
    EXPECT_EQ(r.writtenFiles[0].substr(r.writtenFiles[0].size() - 4), ".jpg");
    QImage page = Read(r.writtenFiles[0]);
    ASSERT_EQ(page.size(), QSize(2100, 2970));
    // On the landscape canvas (2970 x 2100) the picture sits in the left
    // cell; turned clockwise, the canvas's left edge becomes the top edge.
    const int cellW = (2970 - 200 - 10) / 2;
    const QPoint landscape(50 + cellW / 2, 200 + (2100 - 380) / 2);
    const QPoint upright(2100 - 1 - landscape.y(), landscape.x());
    EXPECT_TRUE(ColoursClose(page.pixel(upright), kPalette[0], 24));
    EXPECT_EQ(page.dotsPerMeterX(), 10000);

    s.orientation = 0;
    RenderPagesResult portrait = Render(AlbumOf(s, out, list));
    ASSERT_EQ(portrait.writtenFiles.size(), 1u);
    EXPECT_EQ(Read(portrait.writtenFiles[0]).size(), QSize(2100, 2970));
}

TEST_F(RenderPagesTest, HeaderAndFooterStandAtTheirOffsets)
{
    Album in = Input(1);
    in.headerTemplate = "第&p页/共&a页";
    in.footerTemplate = "&Y-&M-&D";
    in.headerAlign = 0;
    in.footerAlign = 2;
    RenderPagesResult r = Render(in);
    ASSERT_EQ(r.writtenFiles.size(), 1u);
    QImage page = Read(r.writtenFiles[0]);
    // Header: left aligned at the left margin, top at 11 mm.
    EXPECT_TRUE(InkIn(page, QRect(50, 110, 200, 40)));
    EXPECT_FALSE(InkIn(page, QRect(0, 0, 2100, 105)));
    EXPECT_FALSE(InkIn(page, QRect(1200, 110, 800, 40))) << "left aligned";
    // Footer: right aligned against the right margin, top at 14 mm from the bottom.
    EXPECT_TRUE(InkIn(page, QRect(2100 - 150 - 150, 2970 - 140, 150, 40)));
    EXPECT_FALSE(InkIn(page, QRect(2100 - 149, 2970 - 140, 149, 40))) << "stops at the margin";
}

// One pixel per 0.1 mm: 10000 per metre, 254 per inch, in every format that
// stores a resolution, so a page printed at its stated size is its paper.
TEST_F(RenderPagesTest, EveryFormatCarriesTenThousandPixelsPerMetre)
{
    for (int format : {1, 2, 5}) {
        RenderPagesResult r = Render(Input(1, format));
        ASSERT_EQ(r.writtenFiles.size(), 1u) << format;
        QImageReader reader(QString::fromStdString(r.writtenFiles[0]));
        QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << r.writtenFiles[0];
        EXPECT_EQ(image.dotsPerMeterX(), 10000) << r.writtenFiles[0];
        EXPECT_EQ(image.dotsPerMeterY(), 10000) << r.writtenFiles[0];
    }
    RenderPagesResult tiff = Render(Input(1, 4));
    ASSERT_EQ(tiff.writtenFiles.size(), 1u);
    TIFF* file = TIFFOpen(tiff.writtenFiles[0].c_str(), "r");
    ASSERT_NE(file, nullptr);
    float x = 0;
    float y = 0;
    std::uint16_t unit = 0;
    EXPECT_EQ(TIFFGetField(file, TIFFTAG_XRESOLUTION, &x), 1);
    EXPECT_EQ(TIFFGetField(file, TIFFTAG_YRESOLUTION, &y), 1);
    EXPECT_EQ(TIFFGetField(file, TIFFTAG_RESOLUTIONUNIT, &unit), 1);
    TIFFClose(file);
    EXPECT_EQ(unit, RESUNIT_INCH);
    EXPECT_FLOAT_EQ(x, 254);
    EXPECT_FLOAT_EQ(y, 254);

    RenderPagesResult gif = Render(Input(1, 3));
    ASSERT_EQ(gif.writtenFiles.size(), 1u);
    struct stat info {};
    ASSERT_EQ(::stat(gif.writtenFiles[0].c_str(), &info), 0);
    EXPECT_GT(info.st_size, 1000);
}

// A canvas of one pixel per 0.1 mm grows with the square of the paper: a
// paper beyond A0 is refused before a canvas is made or a picture loaded.
TEST_F(RenderPagesTest, PaperBeyondTheCanvasLimitIsRefusedBeforeDrawing)
{
    EXPECT_TRUE(PageFileFits(8410, 11890)); // A0
    EXPECT_TRUE(PageFileFits(0, 0)); // A4
    EXPECT_FALSE(PageFileFits(8410, 11891));
    EXPECT_FALSE(PageFileFits(32768, 100));
    Album in = Input(3);
    in.paperWidth = 30000;
    in.paperHeight = 30000;
    int started = 0;
    PageFileProgress progress;
    progress.started = [&started](int) { ++started; };
    const RenderPagesResult r = Render(in, progress);
    EXPECT_TRUE(r.pageTooLarge);
    EXPECT_EQ(r.pageCount, 0);
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(QDir(QString::fromStdString(out)).isEmpty());
}

TEST_F(RenderPagesTest, PagesNeverOverwriteEachOther)
{
    // The clock stands still: two one-page jobs in the same second.
    RenderPagesResult first = Render(Input(1));
    RenderPagesResult second = Render(Input(1));
    ASSERT_EQ(first.writtenFiles.size(), 1u);
    ASSERT_EQ(second.writtenFiles.size(), 1u);
    EXPECT_EQ(first.writtenFiles[0], out + "/20260305_90503_1.png");
    EXPECT_EQ(second.writtenFiles[0], out + "/20260305_90503_1_2.png");
}

// On a full disk every later page failed too, each told again.
TEST_F(RenderPagesTest, TheFirstUnwritablePageIsNamedAndTheJobStops)
{
    // Root writes into folders without write permission, but not into /proc.
    const bool root = ::geteuid() == 0;
    const std::string folder = root ? std::string("/proc") : out;
    if (!root)
        ::chmod(out.c_str(), 0555);
    Album in = Input(9);
    in.folder = folder;
    in.rows = 1;
    in.columns = 1;
    std::vector<std::string> failed;
    PageFileProgress progress;
    progress.pageFailed = [&](const std::string& f) { failed.push_back(f); };
    RenderPagesResult r = Render(in, progress);
    if (!root)
        ::chmod(out.c_str(), 0755);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_FALSE(r.cancelled);
    ASSERT_EQ(r.failedFiles.size(), 1u);
    EXPECT_EQ(r.failedFiles[0], folder + "/20260305_90503_1.png");
    EXPECT_EQ(failed, r.failedFiles);
    EXPECT_TRUE(r.writtenFiles.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(out)).isEmpty());
}

TEST_F(RenderPagesTest, MissingFolderFailsEveryPage)
{
    Album in = Input(1);
    in.folder = dir.Path("does/not/exist");
    RenderPagesResult r = Render(in);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_EQ(r.failedFiles.size(), 1u);
    EXPECT_TRUE(r.writtenFiles.empty());
}

TEST_F(RenderPagesTest, EmptyListWritesNothingAndMissingPicturesLeaveBlankCells)
{
    RenderPagesResult none = Render(Input(0));
    EXPECT_EQ(none.pageCount, 0);
    EXPECT_TRUE(none.writtenFiles.empty());

    Album in = Input(1);
    in.paths = {dir.Path("missing.jpg")};
    in.captions = {"丢失"};
    RenderPagesResult r = Render(in);
    ASSERT_EQ(r.writtenFiles.size(), 1u);
}

TEST(PageFileNames, DateTimeAndPageWithoutLeadingZerosAndOneSeparator)
{
    ClockReading clock{2026, 1, 2, 0, 5, 3};
    EXPECT_EQ(PageFileStem("/tmp/out", clock, 7), "/tmp/out/20260102_503_7");
    EXPECT_EQ(PageFileStem("/", clock, 1), "/20260102_503_1");
    EXPECT_EQ(PageFileStem("/tmp/out/", ClockReading{2026, 12, 31, 23, 59, 59}, 12),
              "/tmp/out/20261231_235959_12");
    EXPECT_STREQ(ImageFileExtension(PageFileFormat(4)), ".tiff");
    EXPECT_STREQ(ImageFileExtension(PageFileFormat(9)), ".jpg");
}

} // namespace
} // namespace quillet
