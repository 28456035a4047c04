#pragma once
// GIF decoding through giflib: the first frame, interlaced or not, with its
// transparent colour, placed on the logical screen.

#include "codecs/image_decode.h"
#include "codecs/page_raster.h"

#include <optional>

namespace quillet {

// Format_ARGB32 when some pixel is transparent (a transparent colour, or a
// first frame smaller than the screen), Format_RGB32 otherwise; null when the
// file ends before the first frame is complete or cannot be read.  A screen
// too large to allocate around a frame that is not gives the frame alone.
QImage DecodeGif(ByteSpan bytes);

// The page as a file of this format (8-bit RGB, its resolution stamped, and
// marked sRGB where the format can say so).
std::optional<ByteArray> EncodeGif(const PageRaster& page);

} // namespace quillet
