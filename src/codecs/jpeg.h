#pragma once
// JPEG decoding through libjpeg-turbo, with reduced-size decoding for pictures
// that are wanted smaller than they are.

#include "codecs/colour_profile.h"
#include "codecs/image_decode.h"
#include "codecs/page_raster.h"

#include <optional>

namespace quillet {

struct JpegDecoded {
    QImage image; // as stored (not yet turned upright); null on failure
    int fullWidth = 0; // size of the stored picture at full scale
    int fullHeight = 0;
    int orientation = 1; // EXIF orientation 1..8 (1 when absent or odd)
    int scaleEighths = 8; // the image is fullWidth × scaleEighths / 8 (rounded up)
    // What turns the image into sRGB, left to the caller so that it can
    // convert after resampling.  CMYK files with a profile come out already
    // converted and leave nothing here.
    PictureColours colours;
};

// With factorPerMille below 1000 the picture is decoded at the smallest of
// libjpeg's 1/8 .. 8/8 scales whose output is still at least the target size
// (trunc(side × factor / 1000)); the caller resamples to the exact size.
// Baseline, progressive, greyscale and CMYK/YCCK files are read; an ICC
// profile split over several APP2 segments is joined.  A file that
// ends early or breaks libjpeg's rules gives a null image; running out of
// memory throws std::bad_alloc, as every decoder here does.
JpegDecoded DecodeJpeg(ByteSpan bytes, int factorPerMille = 1000);

// Decoded at the smallest of libjpeg's 1/8 .. 8/8 scales whose output is at
// least minWidth × minHeight of the stored picture (sides as stored, before
// any EXIF turn); at full size when no scale is that large.
JpegDecoded DecodeJpegCovering(ByteSpan bytes, int minWidth, int minHeight);

// What a JPEG's markers say, without decoding its pixels.
struct JpegHeader {
    int width = 0; // as stored
    int height = 0;
    int orientation = 1; // EXIF orientation 1..8
    ByteArray exifThumbnail; // the camera's embedded preview JPEG; empty when none
    PictureColours colours; // the photo's profile, which its thumbnail shares
};

// Reads the markers up to the start of the picture data, so the bytes may
// be just the beginning of a file.  Nothing when they end before that, break
// libjpeg's rules or declare a size the decoders refuse.
std::optional<JpegHeader> ReadJpegHeader(ByteSpan bytes);

// The page as a file of this format (8-bit RGB, its resolution stamped, and
// marked sRGB where the format can say so).
std::optional<ByteArray> EncodeJpeg(const PageRaster& page, int quality = 75);

} // namespace quillet
