#pragma once
// JPEG decoding through libjpeg-turbo, with reduced-size decoding for pictures
// that are wanted smaller than they are.

#include "runtime/image_decode.h"

namespace quillet {

struct JpegDecoded {
    QImage image;          // as stored (not yet turned upright); null on failure
    int fullWidth = 0;     // size of the stored picture at full scale
    int fullHeight = 0;
    int orientation = 1;   // EXIF orientation 1..8 (1 when absent or odd)
};

// With factorPerMille below 1000 the picture is decoded at the smallest of
// libjpeg's 1/8 .. 8/8 scales whose output is still at least the target size
// (trunc(side × factor / 1000)); the caller resamples to the exact size.
// Baseline, progressive, greyscale and CMYK/YCCK files are read.  A file that
// ends early or breaks libjpeg's rules gives a null image.
JpegDecoded DecodeJpeg(ByteSpan bytes, int factorPerMille = 1000);

} // namespace quillet
