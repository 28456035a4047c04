#include "imageout/encode_image_file.h"

#include "imageout/page_encoders.h"
#include "runtime/bmp.h"

#include "runtime/pending_file.h"

#include <cmath>

namespace quillet {
namespace {

std::optional<ByteArray> EncodeFormat(const QImage& image, int bitsPerPixel,
                                      int horizontalResolution, int verticalResolution, int format)
{
    // Pages are paper: whatever alpha a BMP carries is dropped, not blended.
    PageRaster page{image.convertToFormat(QImage::Format_RGB32), horizontalResolution,
                    verticalResolution};
    switch (format) {
    case kImageFormatBmp: {
        ByteArray bytes = WriteBmp(page.image, bitsPerPixel == 32 ? 32 : 24,
                                   page.horizontalResolution, page.verticalResolution);
        if (bytes.empty())
            return std::nullopt;
        return bytes;
    }
    case kImageFormatJpeg: return EncodeJpeg(page);
    case kImageFormatGif: return EncodeGif(page);
    case kImageFormatTiff: return EncodeTiff(page);
    case kImageFormatPng: return EncodePng(page);
    default: return std::nullopt;
    }
}

// Written beside the target and renamed into place: a failed write leaves
// nothing under the real name.
bool WriteWhole(const std::string& fileName, const ByteArray& bytes)
{
    PendingFile file(fileName);
    return file.Write(bytes) && file.Replace();
}

} // namespace

double DotsPerInch(int pixelsPerMetre)
{
    const double dpi = pixelsPerMetre * 0.0254;
    const double whole = std::round(dpi);
    return std::abs(dpi - whole) < 0.01 ? whole : dpi;
}

bool EncodeImageFile(const ByteArray& bmpBytes, const std::string& fileName, int format)
{
    if (fileName.empty() || !IsImageFileFormat(format))
        return false;
    const std::optional<BmpPicture> bmp = ReadBmp(bmpBytes);
    if (!bmp)
        return false;
    const std::optional<ByteArray> encoded = EncodeFormat(
        bmp->image, bmp->bitsPerPixel, bmp->horizontalResolution, bmp->verticalResolution, format);
    return encoded && WriteWhole(fileName, *encoded);
}

std::optional<ByteArray> EncodePageImage(const QImage& page, int pixelsPerMetre, int format)
{
    if (page.isNull() || !IsImageFileFormat(format))
        return std::nullopt;
    return EncodeFormat(page, 24, pixelsPerMetre, pixelsPerMetre, format);
}

} // namespace quillet
