#pragma once
// Rendering an album to image files: every page laid out on a canvas whose
// pixels are tenths of a millimetre of paper, then saved as one BMP, JPEG,
// GIF, TIFF or PNG file at 254 pixels per inch (10000 per metre), so that a
// page file printed at its stated size comes out at its paper size.

#include "print/page_job.h"
#include "print/page_layout.h"
#include "printing/canvas.h"
#include "textfiles/bytes.h"
#include "textfiles/datetime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

// One canvas pixel per 0.1 mm at 4 bytes a pixel: the largest page file
// canvas is A0 (8410 x 11890, 400 MB, some 1.2 GB at the peak with the
// upright copy and the encoder's buffers), and no side beyond what Qt's
// painter can address.  Larger paper is refused before anything is drawn;
// paper and PDF pages are not limited.
inline constexpr long long kMostPageFilePixels = 100'000'000;
inline constexpr int kMostPageFileSide = 32767;

// Whether a page of the paper (0.1 mm, A4 for a paper without area) fits.
bool PageFileFits(int paperWidth, int paperHeight);

// The limit as the user reads it, in the job's message and in --help.
std::string PageTooLargeText();

struct RenderPagesResult {
    int pageCount = 0; // pages laid out
    bool cancelled = false;
    bool pageTooLarge = false; // refused before drawing: nothing written
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
// decode ahead at the job's optimisation level.  Nothing is drawn when the
// page would not fit (PageFileFits), and the job stops at the first page
// that cannot be written.
RenderPagesResult RenderPagesOnCanvas(const PageJob& job, const std::string& folder, Canvas& canvas,
                                      const PageFileProgress& progress);

// folder + "/" + yyyymmdd + "_" + hmmss + "_" + page, a doubled separator
// made one; the time without leading zeros.
std::string PageFileStem(const std::string& folder, const ClockReading& clock, int pageNumber);

// The bytes written as stem + extension, or stem + "_2", "_3", ... +
// extension when that name is taken, each name claimed atomically: a page
// file never overwrites another file, not even one that another process
// writes at the same moment.  The name written, or nothing on a failure.
std::optional<std::string> WritePageFile(const std::string& stem, const std::string& extension,
                                         const ByteArray& bytes);

} // namespace quillet
