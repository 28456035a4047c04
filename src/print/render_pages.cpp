#include "print/render_pages.h"

#include "imageout/encode_image_file.h"
#include "imageout/picture_prefetch.h"
#include "print/canvas_page_surface.h"
#include "print/header_footer.h"

#include "runtime/pending_file.h"

namespace quillet {
namespace {

// One pixel per 0.1 mm: 254 per inch.
constexpr int kPagePixelsPerMetre = 10000;

// Every finished page goes to a file of its own in the folder, named by the
// clock when it is saved and the page number; the canvas is then cleared for the next page.
class PageFileSurface : public CanvasPageSurface {
public:
    PageFileSurface(Canvas& canvas, const PageJob& job, const std::string& folder,
                    const PageFileProgress& progress, RenderPagesResult& result)
        : CanvasPageSurface(canvas), job_(job), folder_(folder), progress_(progress),
          result_(result)
    {}

    void EndPage(int pageNumber) override
    {
        const ImageFileFormat format = PageFileFormat(job_.settings.imageFormat);
        const std::string stem = PageFileStem(
            folder_, job_.pageFileClock ? job_.pageFileClock() : ReadClock(), pageNumber);
        const std::string extension = ImageFileExtension(format);
        const std::optional<ByteArray> bytes =
            EncodePageImage(UprightPage(PageCanvas().Image(), job_.settings.orientation),
                            kPagePixelsPerMetre, format);
        const std::optional<std::string> written =
            bytes ? WritePageFile(stem, extension, *bytes) : std::nullopt;
        const std::string name = written ? *written : stem + extension;
        (written ? result_.writtenFiles : result_.failedFiles).push_back(name);
        if (const auto& report = written ? progress_.pageWritten : progress_.pageFailed)
            report(name);
        PageCanvas().Clear();
    }

private:
    const PageJob& job_;
    const std::string& folder_;
    const PageFileProgress& progress_;
    RenderPagesResult& result_;
};

} // namespace
std::string PageFileStem(const std::string& folder, const ClockReading& clock, int pageNumber)
{
    const long long date = clock.year * 10000LL + clock.month * 100 + clock.day;
    const long long time = clock.hour * 10000LL + clock.minute * 100 + clock.second;
    std::string stem = folder + "/" + std::to_string(date) + "_" + std::to_string(time) + "_"
                       + std::to_string(pageNumber);
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

std::optional<std::string> WritePageFile(const std::string& stem, const std::string& extension,
                                         const ByteArray& bytes)
{
    const std::string first = stem + extension;
    PendingFile file(first);
    if (!file.Write(bytes))
        return std::nullopt;
    const auto placed = file.PlaceUnderFreeName(
        [&first](int number) { return PendingFile::NumberedName(first, number, '_'); });
    return placed ? std::optional<std::string>(placed->name) : std::nullopt;
}

bool PageFileFits(int paperWidth, int paperHeight)
{
    const PaperSize paper = UsablePaper(paperWidth, paperHeight, 10);
    return paper.width <= kMostPageFileSide && paper.height <= kMostPageFileSide
           && static_cast<long long>(paper.width) * paper.height <= kMostPageFilePixels;
}

std::string PageTooLargeText()
{
    return "纸张太大，页面文件最多1亿像素（A0，841×1189毫米）、每边最多32767像素（3276毫米）。";
}

RenderPagesResult RenderPagesOnCanvas(const PageJob& job, const std::string& folder, Canvas& canvas,
                                      const PageFileProgress& progress)
{
    RenderPagesResult result;
    if (!PageFileFits(job.settings.paperWidth, job.settings.paperHeight)) {
        result.pageTooLarge = true;
        return result;
    }
    PageFileSurface surface(canvas, job, folder, progress, result);
    // Decoding runs ahead on worker threads; the loop takes the pictures in
    // order, so what is drawn, the progress and the cancel stay as they were.
    PicturePrefetcher prefetcher(job.pictures.paths, job.settings.imageOptimization);
    const PageLoopResult loop = RunPageLoop(job, PageLayout::PageFiles(), surface,
                                            PrefetchedPictures(prefetcher), progress);
    result.pageCount = loop.pageCount;
    result.cancelled = loop.cancelled;
    return result;
}

} // namespace quillet
