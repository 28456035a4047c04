#include "imageout/render_pages.h"

#include "app/globals.h"
#include "imageout/encode_image_file.h"
#include "imageout/picture_prefetch.h"
#include "print/header_footer.h"
#include "print/progress_window.h"
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

RenderPagesInput RenderInputFromSettings(const PrintSettings& s, std::string folder,
                                         const PictureList& pictures, std::string headerTemplate,
                                         std::string footerTemplate)
{
    RenderPagesInput input;
    input.folder = std::move(folder);
    input.paperWidth = s.paperWidth;
    input.paperHeight = s.paperHeight;
    input.placementMode = s.photoFitMode;
    input.rows = s.rows;
    input.columns = s.columns;
    input.rowGap = s.rowGap;
    input.columnGap = s.columnGap;
    input.captionGap = s.captionGap;
    input.captionFont = s.captionFont;
    input.marginTop = s.marginTop;
    input.marginBottom = s.marginBottom;
    input.marginLeft = s.marginLeft;
    input.marginRight = s.marginRight;
    input.headerOffset = s.headerOffset;
    input.footerOffset = s.footerOffset;
    input.orientation = s.orientation;
    input.imageFormat = s.imageFormat;
    input.paths = pictures.paths;
    input.aspectRatios = pictures.aspectRatios;
    input.captions = pictures.captions;
    input.headerTemplate = std::move(headerTemplate);
    input.footerTemplate = std::move(footerTemplate);
    return input;
}

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

RenderPagesResult RenderPagesOnCanvas(const RenderPagesInput& in, Canvas& canvas,
                                      const RenderPagesProgress& progress)
{
    RenderPagesResult result;
    const PrintSettings& settings = App().printSettings;
    const int n = static_cast<int>(in.paths.size());

    int paperWidth = in.paperWidth;
    int paperHeight = in.paperHeight;
    if (paperWidth < 0.001 || paperHeight < 0.001) {
        paperWidth = 2100;
        paperHeight = 2970;
    }
    if (in.orientation == 1)
        std::swap(paperWidth, paperHeight);
    const int mode = in.placementMode >= 0 && in.placementMode <= 4 ? in.placementMode : 0;

    const FontSpec captionFont = PageFont(in.captionFont);
    canvas.SetFont(captionFont);
    float captionLineHeight = static_cast<float>(canvas.TextHeight("大"));
    canvas.SetSize(paperWidth, paperHeight);
    canvas.Clear();
    if (progress.started)
        progress.started(n);

    // A ratio list shorter than the pictures is ignored as a whole.
    const int captionGap = CaptionGapInForce(in.captionGap, captionLineHeight);
    const JobLists lists = PrepareJobLists(n, in.aspectRatios, in.captions);
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

    auto drawLine = [&](bool isHeader, const std::string& pageTemplate, const FontSpec& font,
                        int pageNumber) {
        if (pageTemplate.empty())
            return;
        canvas.SetFont(PageFont(font));
        HeaderFooterLine line = ExpandHeaderFooter(isHeader, canvas, pageTemplate, pageNumber,
                                                   pageCount, canvas.Width(), canvas.Height(),
                                                   in.marginLeft, in.marginRight, in.headerOffset,
                                                   in.footerOffset);
        canvas.WriteTextAt(line.x, line.y, line.text);
        canvas.SetFont(captionFont);
    };

    // Decoding runs ahead on worker threads; the loop takes the pictures in
    // order, so what is drawn, the progress and the cancel stay as they were.
    PicturePrefetcher pictures(in.paths, settings.imageOptimization);

    int index = 0;
    int pageNumber = 0;
    while (index < n) {
        ++pageNumber;
        drawLine(true, in.headerTemplate, settings.headerFont, pageNumber);
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
        drawLine(false, in.footerTemplate, settings.footerFont, pageNumber);

        // One clock reading per page: the date and the time of a name always
        // belong together.
        const std::string name = UnusedPageFileName(PageFileStem(in.folder, ReadClock(), pageNumber),
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

RenderPagesResult RenderPagesToImages(const RenderPagesInput& input)
{
    App().CancelRequested = false;
    ProgressWindow& window = LoadProgressWindow();
    window.show();
    RenderPagesProgress progress;
    progress.started = [&window](int pictures) { window.SetProgressRange(0, pictures); };
    progress.advanced = [&window](int done) { window.SetProgress(done); };
    progress.cancelRequested = [] { return App().CancelRequested; };
    RenderPagesResult result = RenderPagesOnCanvas(input, window.画板_temp(), progress);

    ProcessPendingMessages();
    window.hide();
    CloseProgressWindow();
    ProcessPendingMessages();
    App().CancelRequested = false;
    return result;
}

} // namespace quillet
