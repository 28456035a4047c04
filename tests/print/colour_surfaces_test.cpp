// A photo tagged Adobe RGB or Display P3 shows its true sRGB colours on
// every surface: a page file of each format that carries colour, the PDF
// the printer path writes, and the miniature from its cache (EXIF
// thumbnail included) and from the page loader.
#include "imageout/miniature_cache.h"
#include "print/preview_page.h"
#include "print/print_picture_pages.h"
#include "print/render_pages.h"
#include "runtime/printer_unit.h"
#include "support/colour_test_profiles.h"
#include "support/pdf_tools.h"
#include "support/print_test_helpers.h"
#include "support/test_images.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quillet {
namespace {

using namespace quillet::testing;

const QRgb kTruths[4] = {qRgb(200, 40, 40), qRgb(60, 170, 80), qRgb(90, 150, 220),
                         qRgb(225, 180, 150)};

// Four solid quadrants of known sRGB colours.
QImage Patches(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, kTruths[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)]);
    return image;
}

// The part of the page that is not paper: the one picture on it.
QImage Picture(const QImage& page)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    QRect ink;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (qGray(rgb.pixel(x, y)) < 245)
                ink |= QRect(x, y, 1, 1);
    return rgb.copy(ink);
}

int LargestStepFromTruth(const QImage& picture)
{
    int largest = 255;
    if (picture.width() < 8 || picture.height() < 8)
        return largest;
    largest = 0;
    for (int i = 0; i < 4; ++i) {
        const QRgb seen = QuadrantColour(picture, i % 2, i / 2);
        largest = std::max({largest, std::abs(qRed(seen) - qRed(kTruths[i])),
                            std::abs(qGreen(seen) - qGreen(kTruths[i])),
                            std::abs(qBlue(seen) - qBlue(kTruths[i]))});
    }
    return largest;
}

struct TaggedPhoto {
    const char* name;
    std::function<ByteArray()> profile;
};

class ColourSurfaces : public ::testing::TestWithParam<TaggedPhoto> {
protected:
    void SetUp() override
    {
        const ByteArray profile = GetParam().profile();
        const QImage stored = StoredInProfile(Patches(800, 600), profile);
        // A camera-style preview, stored in the photo's colours as cameras do.
        const QImage thumbnail = StoredInProfile(Patches(160, 120), profile);
        path_ = dir_.Path(std::string(GetParam().name) + ".jpg");
        ASSERT_TRUE(WriteBytes(
            path_,
            MakeJpeg(stored, {.quality = 95, .exifThumbnail = thumbnail, .iccProfile = profile})));
    }

    PageJob Job(int rows = 1, int columns = 1) const
    {
        PageJob job;
        job.settings = FirstConfirmedPrintSettings();
        job.settings.rows = rows;
        job.settings.columns = columns;
        job.settings.photoFitMode = 1;
        job.settings.imageOptimization = 0;
        job.pictures.paths = {path_};
        return job;
    }

    ScratchDir dir_;
    std::string path_;
};

TEST_P(ColourSurfaces, PageFilesShowTheTrueColours)
{
    for (int format : {2, 4, 5, 1}) {
        PageJob job = Job();
        job.settings.imageFormat = format;
        Canvas canvas;
        const RenderPagesResult result = RenderPagesOnCanvas(job, dir_.Root(), canvas, {});
        ASSERT_EQ(result.writtenFiles.size(), 1u);
        const QImage page(QString::fromStdString(result.writtenFiles[0]));
        EXPECT_LE(LargestStepFromTruth(Picture(page)), 3) << "format " << format;
    }
}

TEST_P(ColourSurfaces, ThePdfShowsTheTrueColours)
{
    const std::string pdf = dir_.Path("album.pdf");
    {
        const ScopedPdfDestination destination(pdf);
        PrinterUnit printer;
        ASSERT_EQ(PrintPagesOnPrinter(printer, Job(), {}), 1);
    }
    EXPECT_LE(LargestStepFromTruth(Picture(RasterisePdfPage(pdf, 1, 50))), 3);
}

TEST_P(ColourSurfaces, TheMiniatureShowsTheTrueColoursFromEverySource)
{
    PageJob job = Job(5, 5);
    job.settings.paperWidth = 210;
    job.settings.paperHeight = 297;
    job.settings.marginTop = 20;
    job.settings.marginBottom = 20;
    job.settings.marginLeft = 10;
    job.settings.marginRight = 10;
    job.settings.rowGap = 1;
    job.settings.columnGap = 1;
    job.settings.imageOptimization = 1;
    // The cache takes the EXIF thumbnail for so small a cell.
    MiniatureCache cache;
    EXPECT_LE(LargestStepFromTruth(Picture(RenderPreviewPage(job, {}, &cache))), 3);
    EXPECT_LE(LargestStepFromTruth(Picture(RenderPreviewPage(job, {}, nullptr))), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ColourSurfaces,
    ::testing::Values(TaggedPhoto{"adobe-rgb", [] { return AdobeRgbProfile(); }},
                      TaggedPhoto{"display-p3", [] { return DisplayP3Profile(); }}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::erase(name, '-');
        return name;
    });

} // namespace
} // namespace quillet
