#pragma once
// Printing one album job: pictures in a grid of equal cells on as many pages
// as needed, a caption under each, a header and a footer line on every page,
// through the progress window's printer unit.  Lengths are in 0.1 mm.

#include "runtime/picture.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

class PrinterUnit;

struct PrintPicturePagesInput {
    std::vector<std::string> paths;  // print order; one cell each
    int rows = 0;                    // below 1 (with columns) lays out 5 x 5
    int columns = 0;
    int rowGap = 0;
    int columnGap = 0;
    std::vector<float> aspectRatios; // ignored as a whole when shorter than paths
    std::vector<std::string> captions;
    std::optional<int> captionGap;
    std::optional<int> pageWidth;    // as laid out: swapped for landscape
    std::optional<int> pageHeight;   // both needed, else A4 portrait
    int fitMode = 0;
    std::string headerTemplate;
    std::string footerTemplate;
    int headerOffset = 0;
    int footerOffset = 0;
};

// Prints the job on the printer chosen in the program's print settings and
// returns 1, or returns 0 when the job could not start (no such printer, the
// printer or file refused it; nothing is printed then) or the finished
// document was not taken.  Says nothing to the user either way.  Cancelling
// through the progress window finishes the current page with its footer and
// ends the job normally (1).
int PrintPicturePages(const PrintPicturePagesInput& input);

// Draws the picture inside the box (x, y relative to the margin origin) by
// the fit mode; a missing or out-of-range mode is 0, a missing ratio or one
// below 0.001 keeps the picture's own shape.  No picture draws nothing.
void PlacePicture(PrinterUnit& printer, PictureHandle picture, int x, int y, int width,
                  int height, std::optional<float> ratio, std::optional<int> mode);

// The document name of a job started at minute:second: "4507_宽高：2100×2970，方向：0".
std::string PrintDocumentName(int minute, int second, int paperWidth, int paperHeight,
                              int orientation);

} // namespace quillet
