#pragma once
// Encoding a rendered page as an image file of the chosen format.

#include "codecs/image_file_format.h"
#include "textfiles/bytes.h"

#include <QImage>

#include <optional>

namespace quillet {

// The page as a 24-bit BMP, JPEG (quality 75), GIF (256-colour palette),
// TIFF or PNG file by format, stamped with pixelsPerMetre both ways where the
// format stores a resolution; nothing for a null page or a number that names
// no format.
std::optional<ByteArray> EncodePageImage(const QImage& page, int pixelsPerMetre, int format);

} // namespace quillet
