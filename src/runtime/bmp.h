#pragma once
// BMP files: our own reader (every layout Windows programs write) and writer
// (the 24- and 32-bit files our pages and scaled pictures are handed over in).

#include "runtime/bytes.h"
#include "runtime/image_decode.h"

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

// A bottom-up, uncompressed BMP file image with a 40-byte information header.
// bitsPerPixel is 24 or 32 (32 keeps the alpha of an ARGB32 image and writes
// 255 for opaque ones).  Empty for a null image.
ByteArray WriteBmp(const QImage& image, int bitsPerPixel, int horizontalResolution = 0,
                   int verticalResolution = 0);

} // namespace quillet
