// A photo tagged Adobe RGB or Display P3 shows its true sRGB colours on
// every surface: a page file of each format that carries colour, the PDF
// the printer path writes, and the miniature from its cache (EXIF
// thumbnail included) and from the page loader.
#include "loading/miniature_cache.h"
#include "print/preview_page.h"
#include "print/print_picture_pages.h"
#include "print/render_pages.h"
#include "printing/printer_unit.h"
#include "support/colour_test_profiles.h"
#include "support/pdf_tools.h"
#include "support/print_test_helpers.h"
#include "support/test_images.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace quillet {
namespace {

using namespace quillet::testing;

const QRgb kTruths[4] = {qRgb(200, 40, 40), qRgb(80, 160, 90), qRgb(90, 150, 220),
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

// The colour around the centre of quadrant i, rounded to the nearest level.
QRgb QuadrantMean(const QImage& picture, int i)
{
    const int cx = picture.width() * (i % 2 ? 3 : 1) / 4,
              cy = picture.height() * (i / 2 ? 3 : 1) / 4;
    const int reach = std::max(1, std::min(picture.width(), picture.height()) / 16);
    double r = 0, g = 0, b = 0, n = 0;
    for (int y = cy - reach; y <= cy + reach; ++y)
        for (int x = cx - reach; x <= cx + reach; ++x) {
            const QRgb c = picture.pixel(x, y);
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
            ++n;
        }
    return qRgb(static_cast<int>(std::lround(r / n)), static_cast<int>(std::lround(g / n)),
                static_cast<int>(std::lround(b / n)));
}

// The largest step of a channel between the quadrants of a picture and of
// the sRGB original drawn on the same surface (255 when there is hardly a
// picture).  Lossy surfaces (JPEG pages, the PDF's compressed pictures)
// move both alike; what is left is the conversion's own error.
int LargestStepFromOriginal(const QImage& picture, const QImage& original)
{
    if (picture.width() < 16 || picture.height() < 16 || original.size() != picture.size())
        return 255;
    int largest = 0;
    for (int i = 0; i < 4; ++i) {
        const QRgb seen = QuadrantMean(picture, i), meant = QuadrantMean(original, i);
        const int step =
            std::max({std::abs(qRed(seen) - qRed(meant)), std::abs(qGreen(seen) - qGreen(meant)),
                      std::abs(qBlue(seen) - qBlue(meant))});
        if (step > 3)
            ADD_FAILURE() << "quadrant " << i << " shows " << qRed(seen) << ", " << qGreen(seen)
                          << ", " << qBlue(seen) << " for " << qRed(meant) << ", " << qGreen(meant)
                          << ", " << qBlue(meant);
        largest = std::max(largest, step);
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
        // A camera-style preview, stored in the photo's colours as cameras do.
        tagged_ = dir_.Path(std::string(GetParam().name) + ".jpg");
        ASSERT_TRUE(WriteBytes(
            tagged_, MakeJpeg(StoredInProfile(Patches(800, 600), profile),
                              {.quality = 95,
                               .exifThumbnail = StoredInProfile(Patches(160, 120), profile),
                               .iccProfile = profile})));
        original_ = dir_.Path("srgb.jpg");
        ASSERT_TRUE(
            WriteBytes(original_, MakeJpeg(Patches(800, 600),
                                           {.quality = 95, .exifThumbnail = Patches(160, 120)})));
    }

    static PageJob Job(const std::string& path, int rows = 1, int columns = 1)
    {
        PageJob job;
        job.settings = FirstConfirmedPrintSettings();
        job.settings.rows = rows;
        job.settings.columns = columns;
        job.settings.photoFitMode = 1;
        job.settings.imageOptimization = 0;
        job.pictures.paths = {path};
        return job;
    }

    // The picture as a surface draws it, for the tagged photo and for its
    // sRGB original.
    template <typename Draw>
    std::pair<QImage, QImage> BothDrawnBy(Draw draw) const
    {
        return {Picture(draw(tagged_)), Picture(draw(original_))};
    }

    ScratchDir dir_;
    std::string tagged_;
    std::string original_;
};

TEST_P(ColourSurfaces, PageFilesShowTheTrueColours)
{
    for (int format : {2, 5, 1}) {
        const auto [tagged, original] = BothDrawnBy([&](const std::string& path) {
            PageJob job = Job(path);
            job.settings.imageFormat = format;
            Canvas canvas;
            const RenderPagesResult result = RenderPagesOnCanvas(job, dir_.Root(), canvas, {});
            return result.writtenFiles.size() == 1
                       ? QImage(QString::fromStdString(result.writtenFiles[0]))
                       : QImage();
        });
        EXPECT_LE(LargestStepFromOriginal(tagged, original), 3) << "format " << format;
        // Lossless page files keep the very colours the photo was made in.
        if (format != 2) {
            EXPECT_LE(LargestStepFromOriginal(tagged, Patches(tagged.width(), tagged.height())), 3)
                << "format " << format;
        }
    }
}

TEST_P(ColourSurfaces, ThePdfShowsTheTrueColours)
{
    const auto [tagged, original] = BothDrawnBy([&](const std::string& path) {
        const std::string pdf = path + ".pdf";
        {
            PrinterUnit printer;
            if (!PrintPagesOnPrinter(printer, PrintTarget::PdfFile(pdf), Job(path), {}).handedOver)
                return QImage();
        }
        return RasterisePdfPage(pdf, 1, 50);
    });
    EXPECT_LE(LargestStepFromOriginal(tagged, original), 3);
}

TEST_P(ColourSurfaces, TheMiniatureShowsTheTrueColoursFromEverySource)
{
    auto miniatureJob = [](const std::string& path) {
        PageJob job = Job(path, 5, 5);
        job.settings.paperWidth = 210;
        job.settings.paperHeight = 297;
        job.settings.marginTop = 20;
        job.settings.marginBottom = 20;
        job.settings.marginLeft = 10;
        job.settings.marginRight = 10;
        job.settings.rowGap = 1;
        job.settings.columnGap = 1;
        job.settings.imageOptimization = 1;
        return job;
    };
    // The cache takes the EXIF thumbnail for so small a cell; without one
    // the page loader's picture is drawn.
    MiniatureCache cache;
    const auto [fromCache, originalFromCache] = BothDrawnBy(
        [&](const std::string& path) { return RenderPreviewPage(miniatureJob(path), {}, &cache); });
    EXPECT_LE(LargestStepFromOriginal(fromCache, originalFromCache), 3);
    const auto [loaded, originalLoaded] = BothDrawnBy([&](const std::string& path) {
        return RenderPreviewPage(miniatureJob(path), {}, nullptr);
    });
    EXPECT_LE(LargestStepFromOriginal(loaded, originalLoaded), 3);
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
