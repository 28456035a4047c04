#include "print/preview_page.h"

#include "imageout/miniature_cache.h"
#include "imageout/picture_prefetch.h"
#include "print/canvas_page_surface.h"
#include "print/page_layout.h"
#include "print/page_loop.h"
#include "runtime/canvas.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillet {
namespace {

// Miniatures from the cache, each just large enough for its cell.  The cells
// of a page are all one size, so the first request tells the size at which
// the rest of the page is decoded ahead while the loop draws.
PictureSource CachedMiniatures(MiniatureCache& cache, const std::vector<std::string>& paths,
                               int cellCount)
{
    const int count = std::min(cellCount, static_cast<int>(paths.size()));
    return [&cache, &paths, count, asked = false](int index,
                                                  QSize cellPixels) mutable -> SourcePicture {
        if (!asked) {
            asked = true;
            std::vector<std::pair<std::string, QSize>> wanted;
            for (int i = index + 1; i < count; ++i)
                if (!paths[i].empty())
                    wanted.emplace_back(paths[i], cellPixels);
            cache.Prefetch(wanted);
        }
        if (index < 0 || index >= count || paths[index].empty())
            return {};
        Miniature miniature = cache.Get(paths[index], cellPixels);
        return {std::move(miniature.image), miniature.loadedSize};
    };
}

} // namespace

QImage RenderPreviewPage(const PageJob& job, const PageProgress& progress, MiniatureCache* pictures)
{
    const long long cells = CellsPerPage(job.settings.rows, job.settings.columns);
    // Only the first page is drawn; nothing after it is loaded.
    std::vector<std::string> firstPage = job.pictures.paths;
    if (static_cast<long long>(firstPage.size()) > cells)
        firstPage.resize(static_cast<std::size_t>(cells));

    std::optional<PicturePrefetcher> prefetcher;
    PictureSource source;
    if (pictures) {
        source = CachedMiniatures(*pictures, firstPage, static_cast<int>(firstPage.size()));
    } else {
        prefetcher.emplace(firstPage, job.settings.imageOptimization);
        source = PrefetchedPictures(*prefetcher);
    }

    Canvas canvas;
    CanvasPageSurface surface(canvas);
    RunPageLoop(job, PageLayout::Miniature(), surface, source, progress);
    return UprightPage(canvas.Image(), job.settings.orientation);
}

} // namespace quillet
