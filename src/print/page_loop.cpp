#include "print/page_loop.h"

#include "loading/picture_prefetch.h"
#include "print/header_footer.h"
#include "widgets/font_spec.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillet {
namespace {

// The job's per-picture lists, over `count` cells.  A ratio list shorter
// than the cells is dropped as a whole (every picture keeps its own shape,
// even those that had a ratio); missing captions are empty.
class CellLists {
public:
    CellLists(const PictureList& pictures, long long count)
        : pictures_(pictures),
          ratiosKept_(static_cast<long long>(pictures.aspectRatios.size()) >= count)
    {}
    float Ratio(int index) const { return ratiosKept_ ? pictures_.aspectRatios[index] : 0.0f; }
    const std::string& Caption(int index) const
    {
        static const std::string none;
        return index < static_cast<int>(pictures_.captions.size()) ? pictures_.captions[index]
                                                                   : none;
    }
    // Without any captions no caption line is reserved.
    bool ReserveCaptionLine() const { return !pictures_.captions.empty(); }

private:
    const PictureList& pictures_;
    bool ratiosKept_;
};

// The part's pixels, to the nearest pixel and at least one each way.  The
// whole picture is handed on as it is, without a copy.
QImage PixelsOf(const QImage& image, const PicturePart& part)
{
    if (part == PicturePart{})
        return image;
    const int width =
        std::clamp(static_cast<int>(std::lround(image.width() * part.width)), 1, image.width());
    const int height =
        std::clamp(static_cast<int>(std::lround(image.height() * part.height)), 1, image.height());
    const int left = std::clamp(static_cast<int>(std::lround(image.width() * part.left)), 0,
                                image.width() - width);
    const int top = std::clamp(static_cast<int>(std::lround(image.height() * part.top)), 0,
                               image.height() - height);
    return image.copy(left, top, width, height);
}

} // namespace

FontSpec ScaledFont(FontSpec font, FontScale scale)
{
    switch (scale) {
    case FontScale::Points: break;
    case FontScale::TenthMillimetrePixels: font.size = static_cast<int>(font.size * 2.6458); break;
    case FontScale::MillimetrePixels: font.size = static_cast<int>(font.size / 96.0 * 25.4); break;
    }
    return font;
}

PictureSource PrefetchedPictures(PicturePrefetcher& prefetcher, std::function<void()> waiting)
{
    return [&prefetcher, waiting = std::move(waiting)](int index, QSize) {
        QImage image = prefetcher.Take(index, waiting, kWaitingInterval);
        const QSize size = image.size();
        return SourcePicture{std::move(image), size};
    };
}

PageLayout PageLayout::Paper()
{
    PageLayout layout;
    layout.precision = CellPrecision::WholeUnits;
    layout.origin = CellOrigin::MarginCorner;
    layout.fontScale = FontScale::Points;
    return layout;
}

PageLayout PageLayout::PageFiles()
{
    return PageLayout{};
}

PageLayout PageLayout::Miniature(int page)
{
    PageLayout layout;
    layout.unitsPerMillimetre = 1;
    layout.naturalScale = NaturalScale::Miniature;
    layout.fontScale = FontScale::MillimetrePixels;
    layout.pages = PageRange::OnePageFilled;
    layout.filledPage = page;
    return layout;
}

PageLoopResult RunPageLoop(const PageJob& job, const PageLayout& layout, PageSurface& surface,
                           const PictureSource& pictures, const PageProgress& progress)
{
    const PrintSettings& s = job.settings;
    const int pictureCount = static_cast<int>(job.pictures.paths.size());
    const GridSize gridSize = NormaliseGrid(s.rows, s.columns);
    const bool onePageOnly = layout.pages == PageRange::OnePageFilled;

    // Cells walked: every picture, or one page's cells however many pictures
    // it holds.
    const long long cellsPerPage = CellsPerPage(s.rows, s.columns);
    const int pageCount = onePageOnly ? std::max(1, PageCount(pictureCount, s.rows, s.columns))
                                      : PageCount(pictureCount, s.rows, s.columns);
    const int shownPage = onePageOnly ? std::clamp(layout.filledPage, 1, pageCount) : 1;
    const long long firstCell = (shownPage - 1) * cellsPerPage;
    const int cellCount =
        onePageOnly
            ? static_cast<int>(std::min<long long>(cellsPerPage, std::numeric_limits<int>::max()))
            : pictureCount;

    const PaperSize paper = UsablePaper(s.paperWidth, s.paperHeight, layout.unitsPerMillimetre);
    int pageWidth = paper.width;
    int pageHeight = paper.height;
    if (s.orientation == 1)
        std::swap(pageWidth, pageHeight);

    const FontSpec captionFont = ScaledFont(s.captionFont, layout.fontScale);
    surface.SetFont(captionFont);
    double captionLineHeight = surface.TextHeight("大");
    surface.BeginPages(pageWidth, pageHeight);
    if (progress.started)
        progress.started(cellCount);

    const CellLists lists(
        job.pictures,
        std::max<long long>(pictureCount, onePageOnly ? shownPage * cellsPerPage : 0));
    const int captionGap = CaptionGapInForce(s.captionGap, captionLineHeight);
    if (!lists.ReserveCaptionLine())
        captionLineHeight = 0;

    PageGridSpec gridSpec;
    gridSpec.pageWidth = pageWidth;
    gridSpec.pageHeight = pageHeight;
    gridSpec.marginTop = s.marginTop;
    gridSpec.marginBottom = s.marginBottom;
    gridSpec.marginLeft = s.marginLeft;
    gridSpec.marginRight = s.marginRight;
    gridSpec.grid = gridSize;
    gridSpec.rowGap = s.rowGap;
    gridSpec.columnGap = s.columnGap;
    gridSpec.captionLineHeight = captionLineHeight;
    gridSpec.captionGap = captionGap;
    gridSpec.precision = layout.precision;
    gridSpec.origin = layout.origin;
    const PageGrid grid(gridSpec);
    const LineFrame frame = grid.HeaderFooterFrame(s.headerOffset, s.footerOffset);

    auto drawLine = [&](bool isHeader, int pageNumber) {
        const std::string& pageTemplate = isHeader ? job.headerTemplate : job.footerTemplate;
        if (pageTemplate.empty())
            return;
        surface.SetFont(ScaledFont(isHeader ? s.headerFont : s.footerFont, layout.fontScale));
        const HeaderFooterLine line = ExpandHeaderFooter(
            isHeader, surface, pageTemplate, pageNumber, pageCount, job.clock, frame.width,
            frame.height, frame.leftEdge, frame.rightEdge, frame.headerTop, frame.footerFromBottom,
            isHeader ? s.headerAlign : s.footerAlign);
        surface.WriteTextAt(line.x, line.y, line.text);
        surface.SetFont(captionFont);
    };

    auto drawPicture = [&](int index, const Rect& box) {
        if (index >= pictureCount)
            return; // a cell that fills the first page
        const SourcePicture picture =
            pictures(index, surface.DevicePixelsFromUnits(QSize(box.width, box.height)));
        if (picture.image.isNull())
            return;
        QSize natural = picture.naturalPixels;
        if (layout.naturalScale == NaturalScale::DevicePixels)
            natural = surface.UnitsFromDevicePixels(natural);
        else
            natural = QSize(NaturalLength(natural.width(), layout.naturalScale),
                            NaturalLength(natural.height(), layout.naturalScale));
        const float ratio = lists.Ratio(index);
        const std::optional<Rect> where =
            PicturePlacement(box, natural.width(), natural.height(), ratio, s.photoFitMode);
        if (!where)
            return;
        // What a cropping mode cuts off is never handed to the surface, so
        // no surface draws beyond the cell and no PDF carries hidden pixels.
        const PicturePart part =
            ShownPart(box, natural.width(), natural.height(), ratio, s.photoFitMode);
        surface.DrawPicture(PixelsOf(picture.image, part), *where);
    };

    PageLoopResult result;
    // firstCell lies below pictureCount whenever it is not 0.
    int index = static_cast<int>(firstCell);
    const int endCell = static_cast<int>(
        std::min<long long>(firstCell + cellCount, std::numeric_limits<int>::max()));
    while (index < endCell && !result.cancelled) {
        ++result.pageCount;
        const int pageNumber = shownPage - 1 + result.pageCount;
        drawLine(true, pageNumber);
        for (int row = 0; row < gridSize.rows && index < endCell && !result.cancelled; ++row) {
            for (int column = 0; column < gridSize.columns && index < endCell && !result.cancelled;
                 ++column) {
                drawPicture(index, grid.PictureBox(row, column));
                if (captionLineHeight > kLayoutTolerance) {
                    const std::string caption =
                        TextAPageCanShow(lists.Caption(index), pageWidth, pageHeight);
                    surface.WriteTextAt(grid.CaptionLeft(column, surface.TextWidth(caption)),
                                        grid.CaptionTop(row), caption);
                }
                ++index;
                if (progress.advanced)
                    progress.advanced(index - static_cast<int>(firstCell));
                // A cancel leaves the page in hand to be finished below.
                if (progress.cancelRequested && progress.cancelRequested())
                    result.cancelled = true;
            }
        }
        drawLine(false, pageNumber);
        surface.EndPage(pageNumber);
    }
    return result;
}

} // namespace quillet
