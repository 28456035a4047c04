#include "print/render_pages.h"

#include "imageout/encode_image_file.h"
#include "imageout/picture_prefetch.h"
#include "print/header_footer.h"
#include "runtime/bitmap_object.h"
#include "runtime/window.h"

#include <sys/stat.h>

#include <cmath>

namespace quillet {
namespace {

constexpr int kPagePixelsPerMetre = 11811; // 300 per inch

// The canvas measures fonts at 96 per inch; a page pixel is 0.1 mm, so a
// size in points is scaled to keep its printed size.
FontSpec PageFont(FontSpec font)
{
    font.size = static_cast<int>(font.size * 2.6458);
    return font;
}

bool NameTaken(const std::string& fileName)
{
    struct stat info {};
    return ::lstat(fileName.c_str(), &info) == 0;
}

// Reads the canvas back, stamps the print resolution, turns landscape pages
// upright and writes the file.  True when the whole file was written.
bool SavePage(const Canvas& canvas, const std::string& fileName, int orientation, int imageFormat)
{
    BitmapObject page;
    if (!page.LoadFromBmp(canvas.ContentAsBmp()))
        return false;
    page.SetHorizontalResolution(kPagePixelsPerMetre);
    page.SetVerticalResolution(kPagePixelsPerMetre);
    if (orientation == 1)
        page = page.Rotate(90);
    const ByteArray bytes = page.BmpBytes();
    if (bytes.empty())
        return false;
    // BMP pages go through the encoder too: it writes them unchanged, under
    // a temporary name first, like every other format.
    const int format = imageFormat >= kImageFormatBmp && imageFormat <= kImageFormatPng
                           ? imageFormat
                           : kImageFormatJpeg;
    return EncodeImageFile(bytes, fileName, format);
}

} // namespace

std::string PageFileExtension(int imageFormat)
{
    switch (imageFormat) {
    case kImageFormatBmp: return ".bmp";
    case kImageFormatGif: return ".gif";
    case kImageFormatTiff: return ".tiff";
    case kImageFormatPng: return ".png";
    default: return ".jpg";
    }
}

std::string PageFileStem(const std::string& folder, const ClockReading& clock, int pageNumber)
{
    const long long date = clock.year * 10000LL + clock.month * 100 + clock.day;
    const long long time = clock.hour * 10000LL + clock.minute * 100 + clock.second;
    std::string stem = folder + "/" + std::to_string(date) + "_" + std::to_string(time) + "_" +
                       std::to_string(pageNumber);
    // A folder that already ends in "/" (the root, say) gives one separator.
    std::string reduced;
    reduced.reserve(stem.size());
    for (std::size_t i = 0; i < stem.size(); ++i) {
        if (stem[i] == '/' && i + 1 < stem.size() && stem[i + 1] == '/')
            continue;
        reduced.push_back(stem[i]);
    }
    return reduced;
}

std::string UnusedPageFileName(const std::string& stem, const std::string& extension)
{
    std::string name = stem + extension;
    for (int n = 2; NameTaken(name); ++n)
        name = stem + "_" + std::to_string(n) + extension;
    return name;
}

void PlacePictureInCell(Canvas& canvas, PictureHandle picture, Rect box, float aspect, int mode,
                        bool pixelUnits)
{
    if (picture == 0)
        return;
    const NaturalScale scale = pixelUnits ? NaturalScale::PixelPerUnit : NaturalScale::Miniature;
    const int width = NaturalLength(PictureWidth(picture), scale);
    const int height = NaturalLength(PictureHeight(picture), scale);
    if (std::optional<Rect> r = PicturePlacement(box, width, height, aspect, mode))
        canvas.DrawPicture(picture, r->x, r->y, r->width, r->height);
    FreePicture(picture);
}

RenderPagesResult RenderPagesOnCanvas(const PageJob& job, const std::string& folder,
                                      Canvas& canvas, const PageFileProgress& progress)
{
    RenderPagesResult result;
    const PrintSettings& in = job.settings;
    const int n = static_cast<int>(job.pictures.paths.size());

    int paperWidth = in.paperWidth;
    int paperHeight = in.paperHeight;
    if (paperWidth < 0.001 || paperHeight < 0.001) {
        paperWidth = 2100;
        paperHeight = 2970;
    }
    if (in.orientation == 1)
        std::swap(paperWidth, paperHeight);
    const int mode = in.photoFitMode >= 0 && in.photoFitMode <= 4 ? in.photoFitMode : 0;

    const FontSpec captionFont = PageFont(in.captionFont);
    canvas.SetFont(captionFont);
    float captionLineHeight = static_cast<float>(canvas.TextHeight("大"));
    canvas.SetSize(paperWidth, paperHeight);
    canvas.Clear();
    if (progress.started)
        progress.started(n);

    // A ratio list shorter than the pictures is ignored as a whole.
    const int captionGap = CaptionGapInForce(in.captionGap, captionLineHeight);
    const JobLists lists = PrepareJobLists(n, job.pictures.aspectRatios, job.pictures.captions);
    if (!lists.reservesCaptionLine)
        captionLineHeight = 0;

    PageGridSpec layout;
    layout.pageWidth = paperWidth;
    layout.pageHeight = paperHeight;
    layout.marginTop = in.marginTop;
    layout.marginBottom = in.marginBottom;
    layout.marginLeft = in.marginLeft;
    layout.marginRight = in.marginRight;
    layout.grid = NormaliseGrid(in.rows, in.columns);
    layout.rowGap = in.rowGap;
    layout.columnGap = in.columnGap;
    layout.captionLineHeight = captionLineHeight;
    layout.captionGap = captionGap;
    layout.precision = CellPrecision::SinglePrecision;
    layout.origin = CellOrigin::PageCorner;
    const PageGrid grid(layout);
    const int pageCount = PageCount(n, layout.grid);

    auto drawLine = [&](bool isHeader, int pageNumber) {
        const std::string& pageTemplate = isHeader ? job.headerTemplate : job.footerTemplate;
        if (pageTemplate.empty())
            return;
        canvas.SetFont(PageFont(isHeader ? in.headerFont : in.footerFont));
        HeaderFooterLine line = ExpandHeaderFooter(
            isHeader, canvas, pageTemplate, pageNumber, pageCount, canvas.Width(), canvas.Height(),
            in.marginLeft, in.marginRight, in.headerOffset, in.footerOffset,
            isHeader ? in.headerAlign : in.footerAlign);
        canvas.WriteTextAt(line.x, line.y, line.text);
        canvas.SetFont(captionFont);
    };

    // Decoding runs ahead on worker threads; the loop takes the pictures in
    // order, so what is drawn, the progress and the cancel stay as they were.
    PicturePrefetcher pictures(job.pictures.paths, in.imageOptimization);

    int index = 0;
    int pageNumber = 0;
    while (index < n) {
        ++pageNumber;
        drawLine(true, pageNumber);
        for (int row = 0; row < layout.grid.rows && index < n; ++row) {
            for (int column = 0; column < layout.grid.columns && index < n; ++column) {
                PictureHandle picture = AdoptPicture(pictures.Take(index));
                PlacePictureInCell(canvas, picture, grid.PictureBox(row, column), lists.ratios[index], mode,
                                   true);
                if (captionLineHeight > kLayoutTolerance) {
                    const int width = canvas.TextWidth(lists.captions[index]);
                    canvas.WriteTextAt(grid.CaptionLeft(column, width), grid.CaptionTop(row),
                                       lists.captions[index]);
                }
                ++index;
                if (progress.advanced)
                    progress.advanced(index);
                if (progress.cancelRequested && progress.cancelRequested()) {
                    result.cancelled = true;
                    index = n + 1;
                }
            }
        }
        drawLine(false, pageNumber);

        // One clock reading per page: the date and the time of a name always
        // belong together.
        const std::string name = UnusedPageFileName(PageFileStem(folder, ReadClock(), pageNumber),
                                                    PageFileExtension(in.imageFormat));
        if (SavePage(canvas, name, in.orientation, in.imageFormat)) {
            result.writtenFiles.push_back(name);
            if (progress.pageWritten)
                progress.pageWritten(name);
        } else {
            result.failedFiles.push_back(name);
            if (progress.pageFailed)
                progress.pageFailed(name);
        }
        ProcessPendingMessages();
        canvas.Clear();
    }
    result.pageCount = pageNumber;
    return result;
}

} // namespace quillet
