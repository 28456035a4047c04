#pragma once
// WebP pictures through libwebp, with libwebpdemux for the chunks around
// the picture (ICCP, EXIF) and the first frame of an animation.

#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"

#include <optional>

namespace quillet {

struct WebpDecoded {
    // As stored (EXIF orientation not yet applied); Format_ARGB32 when the
    // picture has alpha, Format_RGB32 otherwise.  Null on failure.
    QImage image;
    int orientation = 1; // from the EXIF chunk, 1..8
    PictureColours colours; // the ICCP chunk; samples as stored
};

// With factorPerMille below 1000, libwebp scales while decoding to exactly
// trunc(side × factor / 1000) of the stored sides (at least 1).
WebpDecoded DecodeWebp(ByteSpan bytes, int factorPerMille = 1000);

// The canvas size the file declares (as stored), from its headers alone.
std::optional<QSize> WebpPictureSize(ByteSpan bytes);

} // namespace quillet
