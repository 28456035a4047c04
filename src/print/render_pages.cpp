#include "print/render_pages.h"

#include "codecs/page_encode.h"
#include "loading/picture_prefetch.h"
#include "print/canvas_page_surface.h"
#include "print/header_footer.h"
#include "print/page_file_writer.h"

#include "textfiles/pending_file.h"

namespace quillet {
namespace {

// Every finished page goes to a file of its own in the folder, named by the
// clock when it is complete and the page number; the canvas is then cleared
// for the next page.  A page is encoded and written while the next one is
// drawn; its outcome is reported, in page order, once the next page is
// complete or the job ends.
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
        const ClockReading clock = job_.pageFileClock ? job_.pageFileClock() : ReadClock();
        // The page before is on disk before this one claims its name.
        FinishPageBefore();
        // Once a page could not be written the job stops: the pages after it
        // would fail the same way (a full disk), each told again.
        if (!result_.failedFiles.empty()) {
            PageCanvas().Clear();
            return;
        }
        const ImageFileFormat format = PageFileFormat(job_.settings.imageFormat);
        writer_.Write(PageCanvas().Image(), job_.settings.orientation,
                      PageFileStem(folder_, clock, pageNumber), ImageFileExtension(format), format);
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
    const PageJob& job_;
    const std::string& folder_;
    const PageFileProgress& progress_;
    RenderPagesResult& result_;
    PageFileWriter writer_;
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
    PageFileProgress loopProgress = progress;
    loopProgress.cancelRequested = [&] {
        return !result.failedFiles.empty()
               || (progress.cancelRequested && progress.cancelRequested());
    };
    const PageLoopResult loop =
        RunPageLoop(job, PageLayout::PageFiles(), surface,
                    PrefetchedPictures(prefetcher, progress.waiting), loopProgress);
    surface.FinishPageBefore();
    result.pageCount = loop.pageCount;
    result.cancelled = loop.cancelled && result.failedFiles.empty();
    return result;
}

} // namespace quillet
