#pragma once
// TIFF files through libtiff.

#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"
#include "codecs/page_raster.h"

#include <optional>

namespace quillet {

struct TiffDecoded {
    // The first page as stored (Orientation tag not yet applied), 8 bits a
    // sample whatever the file's depth: Format_RGB32, or Format_ARGB32 with
    // an alpha sample.  Null on failure.
    QImage image;
    int orientation = 1; // the Orientation tag, 1..8
    // The ICC tag; samples as stored.  CMYK files whose profile could be
    // used come out already converted and leave nothing here.
    PictureColours colours;
};

// The first page (directory) of the file: grey, palette, RGB, YCbCr, Lab,
// CMYK; 1 to 16 bits; strips or tiles; every compression libtiff reads.
TiffDecoded DecodeTiff(ByteSpan bytes);

// The first page's size as stored, from its tags alone.
std::optional<QSize> TiffPictureSize(ByteSpan bytes);

// The page as an uncompressed 8-bit RGB TIFF with its resolution and an
// sRGB profile.
std::optional<ByteArray> EncodeTiff(const PageRaster& page);

} // namespace quillet
