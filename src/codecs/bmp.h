#pragma once
// BMP files: our own reader, for every layout Windows programs write.  Qt's
// reader differs on 16-bit files and draws damaged ones that this refuses.

#include "codecs/image_decode.h"
#include "codecs/page_raster.h"
#include "textfiles/bytes.h"

#include <optional>

namespace quillet {

struct BmpPicture {
    QImage image; // Format_RGB32, or Format_ARGB32 with an alpha mask
    int bitsPerPixel = 0; // as stored: 1, 4, 8, 16, 24 or 32
    int horizontalResolution = 0; // pixels per metre, as stored
    int verticalResolution = 0;
};

// Reads 1-, 4- and 8-bit palette files (also RLE4/RLE8), 16-, 24- and 32-bit
// files with or without bit-field masks, bottom-up or top-down, with any of
// the core, info and V2..V5 headers.  Nothing for a file it cannot read in
// full or whose size is out of bounds.
std::optional<BmpPicture> ReadBmp(ByteSpan bytes);

// The page as a bottom-up 24-bit file with the 40-byte information header,
// written by Qt.
std::optional<ByteArray> EncodeBmp(const PageRaster& page);

} // namespace quillet
