#pragma once
// Rendering an album to image files: every page laid out on a canvas whose
// pixels are tenths of a millimetre of paper, then saved as one BMP, JPEG,
// GIF, TIFF or PNG file at 300 pixels per inch.

#include "print/page_job.h"
#include "print/page_layout.h"
#include "runtime/canvas.h"
#include "runtime/datetime.h"

#include <functional>
#include <string>
#include <vector>

namespace quillet {

struct RenderPagesResult {
    int pageCount = 0; // pages laid out
    bool cancelled = false;
    std::vector<std::string> writtenFiles; // in page order
    std::vector<std::string> failedFiles; // pages that could not be written
    bool Succeeded() const { return failedFiles.empty(); }
};

// What a page-file job reports besides its progress.
struct PageFileProgress : PageProgress {
    std::function<void(const std::string& fileName)> pageWritten;
    std::function<void(const std::string& fileName)> pageFailed;
};

// The job's pages laid out on the canvas by the page loop, one canvas pixel
// per 0.1 mm, each written into folder as soon as it is complete; pictures
// decode ahead at the job's optimisation level.
RenderPagesResult RenderPagesOnCanvas(const PageJob& job, const std::string& folder, Canvas& canvas,
                                      const PageFileProgress& progress);

// folder + "/" + yyyymmdd + "_" + hmmss + "_" + page, a doubled separator
// made one; the time without leading zeros.
std::string PageFileStem(const std::string& folder, const ClockReading& clock, int pageNumber);

// stem + extension, or stem + "_2", "_3", ... + extension when that name
// is taken: a page file never overwrites another.
std::string UnusedPageFileName(const std::string& stem, const std::string& extension);

// ".bmp", ".jpg", ".gif", ".tiff", ".png"; ".jpg" for any other number.
std::string PageFileExtension(int imageFormat);

} // namespace quillet
