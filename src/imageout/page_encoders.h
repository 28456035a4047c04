#pragma once
// The per-format encoders behind EncodePageImage.  Each takes a decoded page
// and its resolution (pixels per metre, 0 when unknown) and returns the
// complete file in memory, or nothing when the library refused it.

#include "runtime/bytes.h"

#include <QImage>

#include <optional>

namespace quillet {

struct PageRaster {
    QImage image; // Format_RGB32, opaque
    int horizontalResolution = 0;
    int verticalResolution = 0;
};

std::optional<ByteArray> EncodeJpeg(const PageRaster& page, int quality = 75);
std::optional<ByteArray> EncodePng(const PageRaster& page);
std::optional<ByteArray> EncodeGif(const PageRaster& page);
std::optional<ByteArray> EncodeTiff(const PageRaster& page);

// Pixels per metre as dots per inch, made whole when it is within a hundredth
// of a whole number (11811 per metre is 300 per inch to everyone who reads it).
double DotsPerInch(int pixelsPerMetre);

} // namespace quillet
