#include "codecs/page_encode.h"

#include "codecs/bmp.h"
#include "codecs/gif.h"
#include "codecs/jpeg.h"
#include "codecs/png.h"
#include "codecs/tiff.h"

#include <cmath>

namespace quillet {

double DotsPerInch(int pixelsPerMetre)
{
    const double dpi = pixelsPerMetre * 0.0254;
    const double whole = std::round(dpi);
    return std::abs(dpi - whole) < 0.01 ? whole : dpi;
}

std::optional<ByteArray> EncodePageImage(const QImage& page, int pixelsPerMetre, int format)
{
    if (page.isNull() || !IsImageFileFormat(format))
        return std::nullopt;
    // Pages are paper: whatever alpha a page carries is dropped, not blended.
    const PageRaster raster{page.convertToFormat(QImage::Format_RGB32), pixelsPerMetre,
                            pixelsPerMetre};
    switch (static_cast<ImageFileFormat>(format)) {
    case kImageFormatBmp: return EncodeBmp(raster);
    case kImageFormatJpeg: return EncodeJpeg(raster);
    case kImageFormatGif: return EncodeGif(raster);
    case kImageFormatTiff: return EncodeTiff(raster);
    case kImageFormatPng: return EncodePng(raster);
    }
    return std::nullopt;
}

} // namespace quillet
