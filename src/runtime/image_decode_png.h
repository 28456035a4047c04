#pragma once
// PNG decoding through libpng: palette, grey, 16-bit, alpha and interlaced
// files all come out as 8-bit BGRA.

#include "runtime/colour_profile.h"
#include "runtime/image_decode.h"

namespace quillet {

struct PngDecoded {
    // Format_ARGB32 when the file can carry transparency, Format_RGB32
    // otherwise; null for anything libpng cannot read completely.
    QImage image;
    // The iCCP, sRGB, gAMA and cHRM chunks; the samples are as stored.
    PictureColours colours;
};

PngDecoded DecodePng(ByteSpan bytes);

} // namespace quillet
