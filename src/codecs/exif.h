#pragma once
// EXIF orientation: cameras store photos as the sensor saw them and record
// how to turn them upright.

#include "codecs/image_decode.h"

namespace quillet {

// The orientation (1..8) in an APP1 segment's payload (starting "Exif\0\0");
// 1 when there is none or it cannot be read.
int ExifOrientation(ByteSpan app1Payload);

// The orientation in an EXIF block as PNG (eXIf), WebP (EXIF) and TIFF-based
// files store it: the TIFF structure alone, or after "Exif\0\0" as some
// writers put it.  1 when there is none or it cannot be read.
int ExifBlockOrientation(ByteSpan block);

// What a quick look at a photo wants from its EXIF block: how to turn it
// upright, and the small JPEG preview that cameras embed (stored in the same
// orientation as the photo itself).
struct ExifFacts {
    int orientation = 1;
    ByteArray thumbnail; // the embedded JPEG's bytes; empty when there is none
};
ExifFacts ReadExifFacts(ByteSpan app1Payload);

// The image turned upright for an orientation 1..8 (others: unchanged).
QImage ApplyExifOrientation(const QImage& image, int orientation);

// True for the orientations that swap width and height (5..8).
bool OrientationSwapsSides(int orientation);

} // namespace quillet
