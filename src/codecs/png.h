#pragma once
// PNG decoding through libpng: palette, grey, 16-bit, alpha and interlaced
// files all come out as 8-bit BGRA.

#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"
#include "codecs/page_raster.h"

#include <optional>

namespace quillet {

struct PngDecoded {
    // Format_ARGB32 when the file can carry transparency, Format_RGB32
    // otherwise; null for anything libpng cannot read completely.
    QImage image;
    int orientation = 1; // the eXIf chunk's EXIF orientation, not yet applied
    // The iCCP, sRGB, gAMA and cHRM chunks; the samples are as stored.
    PictureColours colours;
};

PngDecoded DecodePng(ByteSpan bytes);

// The page as a file of this format (8-bit RGB, its resolution stamped, and
// marked sRGB where the format can say so).
std::optional<ByteArray> EncodePng(const PageRaster& page);

} // namespace quillet
