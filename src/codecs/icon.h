#pragma once
// Icons and cursors, read by Qt's ICO reader (largest entry).

#include "codecs/image_decode.h"

namespace quillet {

QImage DecodeIconOrCursor(ByteSpan bytes, PictureFormat format);

} // namespace quillet
