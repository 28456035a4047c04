#pragma once
// GIF decoding through giflib: the first frame, interlaced or not, with its
// transparent colour, placed on the logical screen.

#include "runtime/image_decode.h"

namespace quillet {

// Format_ARGB32 when some pixel is transparent (a transparent colour, or a
// first frame smaller than the screen), Format_RGB32 otherwise; null when the
// file ends before the first frame is complete or cannot be read.
QImage DecodeGif(ByteSpan bytes);

} // namespace quillet
