// The miniature drawn from the miniature cache against the one drawn from
// pictures loaded exactly as page output loads them at level 1: the same
// page, cell for cell.

#include "loading/miniature_cache.h"
#include "print/preview_page.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace quillet {
namespace {

using testing::JpegOptions;
using testing::MakeJpeg;
using testing::MeanChannelDifference;
using testing::NoisyPhoto;
using testing::QuadrantPicture;
using testing::ScratchDir;
using testing::WriteBytes;

// Camera-like photos large enough for level 1 to shrink them, flat quadrant
// pictures that show any turn or mirror; half of them with an
// EXIF thumbnail as cameras write one, one turned by its EXIF orientation.
class PhotoAlbum {
public:
    PhotoAlbum()
    {
        for (int i = 0; i < 8; ++i) {
            // Natural sizes (level-1 pixels / 11.8) stay inside their cells.
            const QImage photo = i % 2 ? QuadrantPicture(400, 300) : NoisyPhoto(1600, 1200, i + 1);
            JpegOptions options;
            if (i % 4 < 2)
                options.exifThumbnail =
                    photo.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (i == 5)
                options.exifOrientation = 6;
            const std::string path = dir_.Path("photo-" + std::to_string(i) + ".jpg");
            if (!WriteBytes(path, MakeJpeg(photo, options)))
                std::abort();
            paths_.push_back(path);
        }
    }
    const std::vector<std::string>& Paths() const { return paths_; }

private:
    ScratchDir dir_;
    std::vector<std::string> paths_;
};

const PhotoAlbum& Album()
{
    static PhotoAlbum album;
    return album;
}

// The designed page in whole millimetres, as the settings window hands it.
PageJob DesignedJob(int fitMode, int landscape)
{
    PageJob job;
    PrintSettings& s = job.settings;
    s = StartupPrintSettings();
    s.paperWidth = 210;
    s.paperHeight = 297;
    s.marginTop = 20;
    s.marginBottom = 18;
    s.marginLeft = 5;
    s.marginRight = 15;
    s.headerOffset = 11;
    s.footerOffset = 14;
    s.rows = 5;
    s.columns = 5;
    s.rowGap = 1;
    s.columnGap = 1;
    s.captionFont.size = 20; // 5 pt on the miniature: a caption line to see
    s.headerAlign = 1;
    s.footerAlign = 2;
    s.photoFitMode = fitMode;
    s.orientation = landscape;
    s.imageOptimization = 1;
    for (int k = 0; k < 23; ++k) {
        job.pictures.paths.push_back(Album().Paths()[k % Album().Paths().size()]);
        job.pictures.captions.push_back("图" + std::to_string(k));
    }
    job.headerTemplate = "第&p页 共&a页";
    job.footerTemplate = "Quillet &p";
    return job;
}

struct AgreementCase {
    const char* testName;
    int fitMode;
    int landscape;
};

void PrintTo(const AgreementCase& row, std::ostream* os)
{
    *os << row.testName;
}

class MiniatureAgreement : public ::testing::TestWithParam<AgreementCase> {};

TEST_P(MiniatureAgreement, CachedMiniaturesDrawTheSamePageAsLevelOnePictures)
{
    const PageJob job = DesignedJob(GetParam().fitMode, GetParam().landscape);
    const QImage exact = RenderPreviewPage(job, {}, nullptr).convertToFormat(QImage::Format_RGB32);
    MiniatureCache cache;
    const QImage cached = RenderPreviewPage(job, {}, &cache).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(cached.size(), exact.size());
    ASSERT_EQ(exact.size(), QSize(210, 297));

    // Page corners of the layout, upright: the cells of the page as laid out,
    // mapped back through the turn for a landscape page.
    const bool wide = job.settings.orientation == 1;
    const double pageW = wide ? 297 : 210, pageH = wide ? 210 : 297;
    const double cellW = (pageW - 5 - 15 - 4) / 5, cellH = (pageH - 20 - 18 - 4) / 5;
    // Turned clockwise, a point (x, y) of the wide page lands at (pageH - 1 - y, x).
    auto upright = [&](QRect r) {
        return wide ? QRect(static_cast<int>(pageH) - r.bottom() - 1, r.left(), r.height(),
                            r.width())
                    : r;
    };
    for (int k = 0; k < 25; ++k) {
        const int r = k / 5, c = k % 5;
        const QRect cell(static_cast<int>(5 + c * (cellW + 1)),
                         static_cast<int>(20 + r * (cellH + 1)), static_cast<int>(cellW),
                         static_cast<int>(cellH));
        EXPECT_LE(MeanChannelDifference(exact.copy(upright(cell)), cached.copy(upright(cell))), 6.0)
            << "cell " << k;
        // The last rows of a cell hold its caption line only.
        const QRect caption(cell.left(), cell.bottom() - 4, cell.width(), 5);
        EXPECT_EQ(exact.copy(upright(caption)), cached.copy(upright(caption))) << "caption " << k;
    }
    // Header, footer and every caption stand in the same places: the text
    // rows outside the pictures agree pixel for pixel.
    auto band = [&](const QImage& page, int from, int to) {
        return wide ? page.copy(page.width() - to, 0, to - from, page.height())
                    : page.copy(0, from, page.width(), to - from);
    };
    EXPECT_EQ(band(exact, 0, 20), band(cached, 0, 20));
    EXPECT_EQ(band(exact, static_cast<int>(pageH) - 18, static_cast<int>(pageH)),
              band(cached, static_cast<int>(pageH) - 18, static_cast<int>(pageH)));
    EXPECT_LE(MeanChannelDifference(exact, cached), 3.0);
}

INSTANTIATE_TEST_SUITE_P(Preview, MiniatureAgreement,
                         ::testing::Values(AgreementCase{"ScaledCentred", 0, 0},
                                           AgreementCase{"FillCell", 1, 0},
                                           AgreementCase{"NaturalSizeCentred", 2, 0},
                                           AgreementCase{"ScaledNotCentred", 3, 0},
                                           AgreementCase{"LandscapeScaledCentred", 0, 1}),
                         [](const ::testing::TestParamInfo<AgreementCase>& info) {
                             return std::string(info.param.testName);
                         });

} // namespace
} // namespace quillet
