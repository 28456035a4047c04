#include "imageout/encode_image_file.h"

#include "imageout/page_encoders.h"

#include <QBuffer>
#include <QImageWriter>

#include <cmath>

namespace quillet {
namespace {

// Qt writes an opaque page as a bottom-up 24-bit file with the 40-byte
// information header.
std::optional<ByteArray> EncodeBmp(const PageRaster& page)
{
    QImage image = page.image;
    image.setDotsPerMeterX(page.horizontalResolution);
    image.setDotsPerMeterY(page.verticalResolution);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !QImageWriter(&buffer, "bmp").write(image))
        return std::nullopt;
    return ByteArray(bytes.begin(), bytes.end());
}

} // namespace

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
