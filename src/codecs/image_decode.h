#pragma once
// Turning encoded picture bytes into upright QImages.  Every decoder refuses
// absurd declared sizes before allocating anything, never ends the process and
// gives a null image for data it cannot read completely.

#include "textfiles/bytes.h"

#include <QImage>

#include <cstddef>
#include <cstdint>

namespace quillet {

using ByteSpan = ByteView;

// Limits for any declared image size: a hostile header can claim gigapixels
// in a few bytes, and we would rather refuse the picture than the memory.
inline constexpr std::int64_t kMaxPictureSide = 30000;
inline constexpr std::int64_t kMaxPicturePixels = 250'000'000;
bool PictureSizeAllowed(std::int64_t width, std::int64_t height);
// No picture file larger than this is read: the largest picture allowed,
// stored uncompressed at 4 bytes a pixel, fits.
inline constexpr std::size_t kMaxPictureFileBytes = std::size_t(1) << 30;

enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, Icon, Cursor, Heif, Webp, Tiff };
PictureFormat SniffPictureFormat(ByteSpan bytes);

// Whether the file's header declares a size that the decoders refuse
// (PictureSizeAllowed, and HEIF's own pixel limit): why such a file gives
// no picture.  Reads the header only.
bool DeclaresRefusedSize(ByteSpan bytes);

struct DecodedPicture {
    QImage image;
    // The picture carried a colour profile that could not be used, so it
    // shows its numbers as stored.
    bool profileRefused = false;
};

// The whole picture, upright (EXIF orientation applied, or for HEIF and AVIF
// the file's own transformations) and in sRGB (its
// colour profile applied, see colour_profile.h), as Format_RGB32 or, when it
// has transparency, Format_ARGB32.  Null when it cannot be decoded; running
// out of memory throws std::bad_alloc, so that a good picture is never taken
// for a damaged one.  DecodePicture gives a null image then too.
DecodedPicture DecodeWholePicture(ByteSpan bytes);
QImage DecodePicture(ByteSpan bytes);

// The picture made smaller (or larger) by a per-mille factor on each side:
// exactly trunc(width × factor / 1000) × trunc(height × factor / 1000) of the
// upright picture, at least 1 × 1, converted to sRGB at that size.  JPEGs
// are decoded at a reduced size first when that saves work, and WebP scaled
// while decoding, so this is much faster than DecodePicture plus a resample
// for camera photos.  Memory running out throws std::bad_alloc, as for
// DecodeWholePicture.
DecodedPicture DecodeScaledPicture(ByteSpan bytes, int factorPerMille);
QImage DecodePictureScaled(ByteSpan bytes, int factorPerMille);

// The size a per-mille factor gives to one side.
int ScaledSide(int side, int factorPerMille);

} // namespace quillet
