#include "print/render_pages.h"

#include "imageout/encode_image_file.h"
#include "imageout/picture_prefetch.h"
#include "print/canvas_page_surface.h"
#include "print/header_footer.h"
#include "print/page_file_writer.h"

#include <sys/stat.h>

namespace quillet {
namespace {

bool NameTaken(const std::string& fileName)
{
    struct stat info {};
    return ::lstat(fileName.c_str(), &info) == 0;
}

// Every finished page goes to a file of its own in the folder, named by the
// clock when it is complete; the canvas is then cleared for the next page.
// A page is encoded and written while the next one is drawn; its outcome is
// reported, in page order, once the next page is complete or the job ends.
class PageFileSurface : public CanvasPageSurface {
public:
    PageFileSurface(Canvas& canvas, const PageJob& job, const std::string& folder,
                    const PageFileProgress& progress, RenderPagesResult& result)
        : CanvasPageSurface(canvas), job_(job), folder_(folder), progress_(progress),
          result_(result)
    {}

    void EndPage(int pageNumber) override
    {
        // One clock reading per page: the date and the time of a name always
        // belong together.
        const ClockReading clock = ReadClock();
        // The page before is on disk before this one is named.
        FinishPageBefore();
        const int format = job_.settings.imageFormat;
        writer_.Write(
            PageCanvas().Image(), job_.settings.orientation,
            UnusedPageFileName(PageFileStem(folder_, clock, pageNumber), PageFileExtension(format)),
            KnownFormat(format));
        PageCanvas().Clear();
    }

    // The page under way written and reported.
    void FinishPageBefore()
    {
        const std::optional<PageFileWriter::Outcome> page = writer_.Finish(progress_.waiting);
        if (!page)
            return;
        (page->written ? result_.writtenFiles : result_.failedFiles).push_back(page->fileName);
        if (const auto& report = page->written ? progress_.pageWritten : progress_.pageFailed)
            report(page->fileName);
    }

private:
    // A format number outside 1..5 writes JPEG, as its ".jpg" name says.
    static int KnownFormat(int imageFormat)
    {
        return imageFormat >= kImageFormatBmp && imageFormat <= kImageFormatPng ? imageFormat
                                                                                : kImageFormatJpeg;
    }

    const PageJob& job_;
    const std::string& folder_;
    const PageFileProgress& progress_;
    RenderPagesResult& result_;
    PageFileWriter writer_;
};

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

std::string UnusedPageFileName(const std::string& stem, const std::string& extension)
{
    std::string name = stem + extension;
    for (int n = 2; NameTaken(name); ++n)
        name = stem + "_" + std::to_string(n) + extension;
    return name;
}

RenderPagesResult RenderPagesOnCanvas(const PageJob& job, const std::string& folder, Canvas& canvas,
                                      const PageFileProgress& progress)
{
    RenderPagesResult result;
    PageFileSurface surface(canvas, job, folder, progress, result);
    // Decoding runs ahead on worker threads; the loop takes the pictures in
    // order, so what is drawn, the progress and the cancel stay as they were.
    PicturePrefetcher prefetcher(job.pictures.paths, job.settings.imageOptimization);
    const PageLoopResult loop =
        RunPageLoop(job, PageLayout::PageFiles(), surface,
                    PrefetchedPictures(prefetcher, progress.waiting), progress);
    surface.FinishPageBefore();
    result.pageCount = loop.pageCount;
    result.cancelled = loop.cancelled;
    return result;
}

} // namespace quillet
