#pragma once
// HEIF, AVIF, WebP and TIFF test pictures written by the formats' own
// libraries (libheif with x265 and libaom, libwebp and libwebpmux, libtiff),
// as phones, browsers and scanners would write them.

#include "textfiles/bytes.h"

#include <QImage>

namespace quillet::testing {

struct HeifOptions {
    bool avif = false; // AV1 through libaom instead of HEVC through x265
    int quality = 90;
    // irot/imir boxes for this EXIF-numbered orientation; 1: none.
    int orientation = 1;
    int exifOrientation = 0; // an Exif item repeating an orientation; 0: none
    bool displayP3 = false; // nclx: Display P3 primaries, sRGB transfer
    ByteArray iccProfile{}; // colr prof; empty: none
    int thumbnailSide = 0; // a thumbnail fitting this square; 0: none
    int bitDepth = 8; // 8, 10 or 12
};
// Empty when the encoder refuses.
ByteArray MakeHeif(const QImage& image, const HeifOptions& options = {});

struct WebpOptions {
    bool lossless = false;
    int exifOrientation = 0; // an EXIF chunk; 0: none
    ByteArray iccProfile{}; // an ICCP chunk; empty: none
    int frames = 1; // more than one: an animation of that many frames, each a
                    // shade darker than the picture
};
ByteArray MakeWebp(const QImage& image, const WebpOptions& options = {});

struct TiffOptions {
    int orientation = 0; // the Orientation tag; 0: none
    int bitsPerSample = 8; // 8 or 16
    bool cmyk = false; // naive inks (C = 255 - R ...), no black
    bool alpha = false;
    ByteArray iccProfile{};
    bool secondPage = false; // a black second page after the picture
    bool tiled = false;
};
ByteArray MakeTiff(const QImage& image, const TiffOptions& options = {});

// An EXIF block (TIFF structure, no "Exif" header) holding an orientation.
ByteArray ExifBlock(int orientation);

} // namespace quillet::testing
