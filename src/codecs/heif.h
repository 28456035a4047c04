#pragma once
// HEIF pictures through libheif: the HEIC photos of phones (HEVC, decoded by
// libde265) and AVIF (AV1, decoded by dav1d or libaom), one API for both.

#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"

#include <functional>
#include <optional>

namespace quillet {

// libheif holds a picture three times over while it converts it (its YCbCr
// planes, its RGB and our copy), so HEIF pictures are allowed fewer pixels
// than other formats: the largest phone photos (108 megapixels) still pass.
inline constexpr std::int64_t kMaxHeifPixels = 120'000'000;

struct HeifDecoded {
    // Upright: the file's own rotation, mirror and crop (irot, imir, clap)
    // applied, and EXIF orientation ignored, since it repeats them.
    // Format_RGB32 or, with an alpha plane, Format_ARGB32; 10- and 12-bit
    // pictures come down to 8 bits.  Null on failure.
    QImage image;
    QSize fullSize; // the primary image's upright size
    // The colr profile (prof or rICC), or an nclx description turned into
    // one; the samples are as stored.
    PictureColours colours;
};

// Decides from a thumbnail's upright size and the primary image's whether
// the thumbnail may stand in for the picture.
using HeifThumbnailChoice = std::function<bool(QSize thumbnail, QSize full)>;

// The primary image (of a sequence, the primary; of a grid, the whole), or
// the first thumbnail that takeThumbnail accepts.  Pictures larger than
// PictureSizeAllowed or kMaxHeifPixels are refused before decoding.
HeifDecoded DecodeHeif(ByteSpan bytes, const HeifThumbnailChoice& takeThumbnail = {});

// The primary image's upright size from the file's boxes alone; nothing
// when libheif cannot read them or the file has no primary image.
std::optional<QSize> HeifPictureSize(ByteSpan bytes);

bool HeifSizeAllowed(QSize size);

} // namespace quillet
