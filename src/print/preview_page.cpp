#include "print/preview_page.h"

#include "loading/miniature_cache.h"
#include "loading/picture_prefetch.h"
#include "print/canvas_page_surface.h"
#include "print/page_layout.h"
#include "print/page_loop.h"
#include "printing/canvas.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillet {
namespace {

// Miniatures from the cache, each just large enough for its cell.  The cells
// of a page are all one size, so the first request tells the size at which
// the rest of the page (entries first to end) is decoded ahead while the
// loop draws.
PictureSource CachedMiniatures(MiniatureCache& cache, const std::vector<std::string>& paths,
                               int first, int end)
{
    return [&cache, &paths, first, end, asked = false](int index,
                                                       QSize cellPixels) mutable -> SourcePicture {
        if (!asked) {
            asked = true;
            std::vector<std::pair<std::string, QSize>> wanted;
            for (int i = index + 1; i < end; ++i)
                if (!paths[i].empty())
                    wanted.emplace_back(paths[i], cellPixels);
            cache.Prefetch(wanted);
        }
        if (index < first || index >= end || paths[index].empty())
            return {};
        Miniature miniature = cache.Get(paths[index], cellPixels);
        return {std::move(miniature.image), miniature.loadedSize};
    };
}

} // namespace

int PreviewPageCount(const PageJob& job)
{
    return std::max(1, PageCount(static_cast<int>(job.pictures.paths.size()), job.settings.rows,
                                 job.settings.columns));
}

QImage RenderPreviewPage(const PageJob& job, const PageProgress& progress, MiniatureCache* pictures,
                         int page, qreal pixelRatio)
{
    const long long cells = CellsPerPage(job.settings.rows, job.settings.columns);
    page = std::clamp(page, 1, PreviewPageCount(job));
    const std::vector<std::string>& paths = job.pictures.paths;
    const auto total = static_cast<long long>(paths.size());
    // Only the page shown is loaded, nothing before or after it.
    const int first = static_cast<int>(std::min(total, (page - 1) * cells));
    const int end = static_cast<int>(std::min(total, page * cells));

    std::optional<PicturePrefetcher> prefetcher;
    PictureSource source;
    if (pictures) {
        source = CachedMiniatures(*pictures, paths, first, end);
    } else {
        // The prefetcher counts from the page's first picture.
        prefetcher.emplace(std::vector<std::string>(paths.begin() + first, paths.begin() + end),
                           job.settings.imageOptimization);
        source = [fromPage = PrefetchedPictures(*prefetcher), first](int index, QSize cell) {
            return fromPage(index - first, cell);
        };
    }

    Canvas canvas(0, 0, pixelRatio);
    CanvasPageSurface surface(canvas);
    RunPageLoop(job, PageLayout::Miniature(page), surface, source, progress);
    return UprightPage(canvas.Image(), job.settings.orientation);
}

} // namespace quillet
