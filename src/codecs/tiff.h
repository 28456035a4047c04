#pragma once
// TIFF files through libtiff.

#include "codecs/page_raster.h"

#include <optional>

namespace quillet {

// The page as an uncompressed 8-bit RGB TIFF with its resolution and an
// sRGB profile.
std::optional<ByteArray> EncodeTiff(const PageRaster& page);

} // namespace quillet
