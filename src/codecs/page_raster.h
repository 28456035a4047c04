#pragma once
// A rendered page handed to the per-format encoders behind EncodePageImage
// (jpeg.h, png.h, gif.h, tiff.h).  Each returns the complete file in memory,
// or nothing when the library refused it.

#include "textfiles/bytes.h"

#include <QImage>

#include <optional>

namespace quillet {

struct PageRaster {
    QImage image; // Format_RGB32, opaque
    int horizontalResolution = 0;
    int verticalResolution = 0;
};

// Pixels per metre as dots per inch, made whole when it is within a hundredth
// of a whole number (11811 per metre is 300 per inch to everyone who reads it).
double DotsPerInch(int pixelsPerMetre);

} // namespace quillet
