#pragma once
// The one page loop: lays out an album job's pages and draws them, header,
// pictures, captions and footer, on a page surface.  Paper, page files and
// the settings window's miniature all draw through it; how they differ is
// said once, in a PageLayout, and what they draw on is a PageSurface.
//
// Lengths are in the layout's unit (0.1 mm on paper and page files, 1 mm
// on the miniature) and are taken from the job's settings as they are.

#include "print/page_job.h"
#include "print/page_layout.h"
#include "printing/text_surface.h"

#include <QImage>
#include <QSize>

#include <functional>

namespace quillet {

struct FontSpec;
class PicturePrefetcher;

// How a settings font (points) becomes the font a surface draws with.
enum class FontScale {
    Points, // the surface takes points (the printer unit)
    TenthMillimetrePixels, // a canvas of 0.1 mm pixels: trunc(size × 2.6458)
    MillimetrePixels, // a canvas of 1 mm pixels: trunc(size / 96 × 25.4)
};

FontSpec ScaledFont(FontSpec font, FontScale scale);

enum class PageRange {
    AllPages,
    // The layout's filledPage only, numbered as the job prints it (page N of
    // the job's page count), its cells filled up to one full page with empty
    // ones (they draw their caption line, if any, empty).
    OnePageFilled,
};

// Everything in which the three surfaces lay a job out differently.
struct PageLayout {
    // 10 for 0.1 mm, 1 for 1 mm: a page without area is A4 in this unit.
    int unitsPerMillimetre = 10;
    CellPrecision precision = CellPrecision::SinglePrecision;
    CellOrigin origin = CellOrigin::PageCorner;
    NaturalScale naturalScale = NaturalScale::DevicePixels;
    FontScale fontScale = FontScale::TenthMillimetrePixels;
    PageRange pages = PageRange::AllPages;
    // With OnePageFilled: the page drawn, 1-based; one past the job's last
    // page draws its last page.
    int filledPage = 1;

    // 0.1 mm, whole cells from the margin corner of the printable area,
    // fonts in points, natural size one picture pixel per printer pixel.
    static PageLayout Paper();
    // 0.1 mm pixels, single-precision cells from the page corner, fonts
    // scaled to the pixels, natural size one picture pixel per page pixel.
    static PageLayout PageFiles();
    // 1 mm pixels, A4 as 210 × 297, single-precision cells from the page
    // corner, fonts scaled to the pixels, natural size pixels / 11.8, and
    // one page only (the first unless told), filled to a full page.
    static PageLayout Miniature(int page = 1);
};

// What the loop draws on.  Text is measured and written through the
// TextSurface part, in the surface's current font.
class PageSurface : public TextSurface {
public:
    // The job's pages are width × height units, as laid out (a landscape
    // page already wide).  Called once, before anything is drawn.
    virtual void BeginPages(int width, int height) = 0;
    virtual void SetFont(const FontSpec& font) = 0;
    // A picture's own pixels as units of the surface, one picture pixel per
    // device pixel; and a length in units as device pixels.
    virtual QSize UnitsFromDevicePixels(QSize pixels) const = 0;
    virtual QSize DevicePixelsFromUnits(QSize units) const = 0;
    // The picture stretched into the rectangle, nothing clipped.
    virtual void DrawPicture(const QImage& picture, const Rect& where) = 0;
    // The page is complete (its footer drawn).
    virtual void EndPage(int pageNumber) = 0;
};

// A picture as a source hands it to the loop.
struct SourcePicture {
    QImage image; // null: the cell stays empty (no file, no decode)
    QSize naturalPixels; // its own size, for the natural-size fit modes
};

// The picture of entry index of the job; cellPixels is the size of its box
// on the surface in device pixels, for a source that can decode smaller.
// Entries are asked for in increasing order, each at most once.
using PictureSource = std::function<SourcePicture(int index, QSize cellPixels)>;

// The pictures as a prefetcher decodes them ahead (DecodePictureForPage at
// its optimisation level); their natural size is the decoded size.  While
// a picture is still decoding, waiting is called every kWaitingInterval.
PictureSource PrefetchedPictures(PicturePrefetcher& prefetcher, std::function<void()> waiting = {});

struct PageLoopResult {
    int pageCount = 0; // pages begun
    bool cancelled = false;
};

// Lays the job out and draws its pages on the surface: for every page the
// header, then row by row the pictures placed by the fit mode with their
// captions, then the footer, then EndPage.  Progress counts cells; a cancel
// finishes the page in hand and ends the loop.  The loop never processes
// window messages: a progress callback that keeps a window alive does.
PageLoopResult RunPageLoop(const PageJob& job, const PageLayout& layout, PageSurface& surface,
                           const PictureSource& pictures, const PageProgress& progress);

} // namespace quillet
