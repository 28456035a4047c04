#pragma once
// Writing a rendered page (BMP bytes) as an image file of the chosen format.

#include "runtime/bytes.h"
#include "runtime/image_file_format.h"

#include <QImage>

#include <optional>
#include <string>

namespace quillet {

// Decodes the BMP bytes and writes them to fileName as a BMP, JPEG (quality
// 75), GIF (256-colour palette), TIFF or PNG file by format 1..5, keeping the
// BMP's resolution where the format stores one.  The file is written under a
// temporary name in the same folder and renamed into place, so a failure
// never leaves a partial file under the real name.  True only when the whole
// file was written; any other format number, undecodable bytes or a write
// error give false and write nothing.
bool EncodeImageFile(const ByteArray& bmpBytes, const std::string& fileName, int format);

// A rendered page held as an image, encoded as EncodeImageFile encodes the
// page's 24-bit BMP bytes stamped with pixelsPerMetre both ways, byte for
// byte, without making those bytes first; nothing for a null page or a
// number that names no format.
std::optional<ByteArray> EncodePageImage(const QImage& page, int pixelsPerMetre, int format);

} // namespace quillet
