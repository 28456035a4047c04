// Photo sheets (fit mode 5) on every surface: a photo of another shape than
// its cell covers the cell to its corners with its middle, what overflows
// is cut off at the cell's edges, and the gap between two cells and the
// margins stay white.  Page files, the PDF of the printer path and the
// miniature from its cache each draw the same two-cell page.
#include "loading/miniature_cache.h"
#include "print/preview_page.h"
#include "print/print_picture_pages.h"
#include "print/render_pages.h"
#include "printing/printer_unit.h"
#include "support/pdf_tools.h"
#include "support/test_images.h"

#include <QImage>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace quillet {
namespace {

using namespace quillet::testing;

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kGreen = 0xFF00C000u;
constexpr QRgb kBlue = 0xFF0000FFu;

// Three bands along the photo's long side: red, then a green middle of
// exactly the part a cell of the other shape shows (1/6 of the length for a
// 3:1 photo in a 1:2 cell), then blue.
QImage BandedPhoto(bool wide)
{
    const QSize size = wide ? QSize(1200, 400) : QSize(400, 1200);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int along = wide ? x : y;
            image.setPixel(x, y, along < 500 ? kRed : along < 700 ? kGreen : kBlue);
        }
    return image;
}

// Pages of 210 × 200 mm (or 200 × 210) with 10 mm margins and a 10 mm gap
// between two cells of 90 × 180 mm (or 180 × 90), no caption line.
struct SheetCase {
    const char* name;
    bool widePhoto; // a wide photo in tall cells, else a tall one in wide cells
};

void PrintTo(const SheetCase& c, std::ostream* os)
{
    *os << c.name;
}

enum class Surface { PageFile, Pdf, Miniature };

class PhotoSheet : public ::testing::TestWithParam<std::tuple<Surface, SheetCase>> {
protected:
    bool WidePhoto() const { return std::get<1>(GetParam()).widePhoto; }
    // Surface units per millimetre.
    int Units() const { return std::get<0>(GetParam()) == Surface::Miniature ? 1 : 10; }

    PageJob Job(const std::string& photo) const
    {
        const int u = Units();
        PageJob job;
        PrintSettings& s = job.settings;
        s = FirstConfirmedPrintSettings();
        s.paperWidth = (WidePhoto() ? 210 : 200) * u;
        s.paperHeight = (WidePhoto() ? 200 : 210) * u;
        s.marginTop = s.marginBottom = s.marginLeft = s.marginRight = 10 * u;
        s.rows = WidePhoto() ? 1 : 2;
        s.columns = WidePhoto() ? 2 : 1;
        s.rowGap = s.columnGap = 10 * u;
        s.photoFitMode = 5;
        s.imageOptimization = 0;
        s.imageFormat = 5; // PNG: the colours stay as drawn
        job.pictures.paths = {photo, photo};
        return job;
    }

    // The page as the surface draws it, one pixel per unit, upright.
    QImage Draw(const PageJob& job)
    {
        switch (std::get<0>(GetParam())) {
        case Surface::PageFile: {
            Canvas canvas;
            const RenderPagesResult result = RenderPagesOnCanvas(job, dir_.Root(), canvas, {});
            if (result.writtenFiles.size() != 1)
                return {};
            return QImage(QString::fromStdString(result.writtenFiles[0]));
        }
        case Surface::Pdf: {
            pdf_ = dir_.Path("sheet.pdf");
            PrinterUnit printer;
            if (!PrintPagesOnPrinter(printer, PrintTarget::PdfFile(pdf_), job, {}).handedOver)
                return {};
            return RasterisePdfPage(pdf_, 1, 254);
        }
        case Surface::Miniature: {
            MiniatureCache cache;
            return RenderPreviewPage(job, {}, &cache);
        }
        }
        return {};
    }

    ScratchDir dir_;
    std::string pdf_;
};

TEST_P(PhotoSheet, EachCellShowsThePhotosMiddleToItsCornersAndTheGapStaysWhite)
{
    const std::string photo = dir_.Path(WidePhoto() ? "wide.png" : "tall.png");
    ASSERT_TRUE(BandedPhoto(WidePhoto()).save(QString::fromStdString(photo), "PNG"));
    const QImage page = Draw(Job(photo)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());

    const int u = Units();
    const QSize cell = WidePhoto() ? QSize(90 * u, 180 * u) : QSize(180 * u, 90 * u);
    const QPoint step = WidePhoto() ? QPoint(100 * u, 0) : QPoint(0, 100 * u);
    // A pixel in from the edges on the miniature, two on 0.1 mm surfaces:
    // resampling may soften the outermost one.
    const int in = u == 1 ? 1 : 2;
    for (int i = 0; i < 2; ++i) {
        const QRect inner =
            QRect(QPoint(10 * u, 10 * u) + i * step, cell).adjusted(in, in, -in, -in);
        for (const QPoint p : {inner.topLeft(), inner.topRight(), inner.bottomLeft(),
                               inner.bottomRight(), inner.center()})
            EXPECT_TRUE(ColoursClose(page.pixel(p), kGreen, 60))
                << "cell " << i << " at " << p.x() << "," << p.y() << ": " << std::hex
                << page.pixel(p);
    }

    // The gap between the cells, a pixel clear of either edge.
    const QRect gap = WidePhoto() ? QRect(100 * u + 1, 10 * u, 10 * u - 2, 180 * u)
                                  : QRect(10 * u, 100 * u + 1, 180 * u, 10 * u - 2);
    int inkInGap = 0;
    for (int y = gap.top(); y <= gap.bottom(); ++y)
        for (int x = gap.left(); x <= gap.right(); ++x)
            inkInGap += qGray(page.pixel(x, y)) < 245;
    EXPECT_EQ(inkInGap, 0);

    // The red and blue ends are cut off, not drawn anywhere on the page.
    int overflow = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            overflow += ColoursClose(page.pixel(x, y), kRed, 80)
                        || ColoursClose(page.pixel(x, y), kBlue, 80);
    EXPECT_EQ(overflow, 0);

    // The printer is handed only the part it shows: no hidden pixels in the
    // PDF.
    if (std::get<0>(GetParam()) == Surface::Pdf) {
        const std::vector<PdfImage> images = ListPdfImages(pdf_);
        ASSERT_EQ(images.size(), 2u);
        for (const PdfImage& image : images)
            EXPECT_EQ(QSize(image.width, image.height),
                      WidePhoto() ? QSize(200, 400) : QSize(400, 200));
    }
}

std::string SheetName(const ::testing::TestParamInfo<std::tuple<Surface, SheetCase>>& info)
{
    static const char* const surfaces[] = {"PageFile", "Pdf", "Miniature"};
    return std::string(surfaces[static_cast<int>(std::get<0>(info.param))])
           + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(
    Surfaces, PhotoSheet,
    ::testing::Combine(::testing::Values(Surface::PageFile, Surface::Pdf, Surface::Miniature),
                       ::testing::Values(SheetCase{"WidePhotoInTallCells", true},
                                         SheetCase{"TallPhotoInWideCells", false})),
    SheetName);

} // namespace
} // namespace quillet
