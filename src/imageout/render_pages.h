#pragma once
// Rendering an album to image files: every page laid out on a canvas whose
// pixels are tenths of a millimetre of paper, then saved as one BMP, JPEG,
// GIF, TIFF or PNG file at 300 pixels per inch.

#include "app/picture_list.h"
#include "print/page_layout.h"
#include "runtime/canvas.h"
#include "runtime/picture.h"
#include "settings/print_settings.h"

#include <functional>
#include <string>
#include <vector>

namespace quillet {

struct ClockReading;

// The job, in the order the print driver hands it over.  Lengths in 0.1 mm.
struct RenderPagesInput {
    std::string folder;
    int paperWidth = 0;   // upright paper
    int paperHeight = 0;
    int placementMode = 0;
    int rows = 0;
    int columns = 0;
    int rowGap = 0;
    int columnGap = 0;
    int captionGap = 0;
    FontSpec captionFont;
    int marginTop = 0;
    int marginBottom = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int headerOffset = 0;
    int footerOffset = 0;
    int orientation = 0;  // 1 landscape
    int imageFormat = 0;  // 1 bmp, 2 jpg, 3 gif, 4 tiff, 5 png
    std::vector<std::string> paths;
    std::vector<float> aspectRatios;
    std::vector<std::string> captions;
    std::string headerTemplate;
    std::string footerTemplate;
};

// The job as the settings record and a picture list describe it.
RenderPagesInput RenderInputFromSettings(const PrintSettings& settings, std::string folder,
                                         const PictureList& pictures, std::string headerTemplate,
                                         std::string footerTemplate);

struct RenderPagesResult {
    int pageCount = 0;                      // pages laid out
    bool cancelled = false;
    std::vector<std::string> writtenFiles;  // in page order
    std::vector<std::string> failedFiles;   // pages that could not be written
    bool Succeeded() const { return failedFiles.empty(); }
};

// What the job reports while it runs (the progress window, or a terminal).
struct RenderPagesProgress {
    std::function<void(int pictureCount)> started;
    std::function<void(int picturesDone)> advanced;
    std::function<void(const std::string& fileName)> pageWritten;
    std::function<void(const std::string& fileName)> pageFailed;
    // Polled after every picture; true stops the job after the current page.
    std::function<bool()> cancelRequested;
};

// The page loop on the given canvas.  Reads imageOptimization, the header
// and footer fonts and alignments from the program's print settings.
RenderPagesResult RenderPagesOnCanvas(const RenderPagesInput& input, Canvas& canvas,
                                      const RenderPagesProgress& progress);

// The job as the print driver runs it: the progress window shown, its
// hidden canvas drawn on, its progress bar advanced after every picture and
// its cancel button honoured after the current page; closed at the end.
RenderPagesResult RenderPagesToImages(const RenderPagesInput& input);

// Fits a picture into its box on the canvas by the placement mode and
// releases the picture.  pixelUnits false measures the picture's natural
// size in miniature units (pixels / 11.8), as the live preview does.
void PlacePictureInCell(Canvas& canvas, PictureHandle picture, Rect box, float aspect, int mode,
                        bool pixelUnits);

// folder + "/" + yyyymmdd + "_" + hmmss + "_" + page, a doubled separator
// made one; the time without leading zeros.
std::string PageFileStem(const std::string& folder, const ClockReading& clock, int pageNumber);

// stem + extension, or stem + "_2", "_3", ... + extension when that name
// is taken: a page file never overwrites another.
std::string UnusedPageFileName(const std::string& stem, const std::string& extension);

// ".bmp", ".jpg", ".gif", ".tiff", ".png"; ".jpg" for any other number.
std::string PageFileExtension(int imageFormat);

} // namespace quillet
