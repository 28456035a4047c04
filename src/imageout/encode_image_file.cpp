#include "imageout/encode_image_file.h"

#include "imageout/page_encoders.h"
#include "runtime/bmp.h"

#include <QSaveFile>
#include <QString>

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

// QSaveFile writes a temporary file beside the target and renames it into
// place on commit, so a failed write leaves nothing under the real name.
bool WriteWhole(const std::string& fileName, const ByteArray& bytes)
{
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto written =
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
    if (fileName.empty() || format < kImageFormatBmp || format > kImageFormatPng)
        return false;
    const std::optional<BmpPicture> bmp = ReadBmp(bmpBytes);
    if (!bmp)
        return false;
    const std::optional<ByteArray> encoded = EncodeFormat(
        bmp->image, bmp->bitsPerPixel, bmp->horizontalResolution, bmp->verticalResolution, format);
    return encoded && WriteWhole(fileName, *encoded);
}

bool EncodePageImage(const QImage& page, int pixelsPerMetre, const std::string& fileName,
                     int format)
{
    if (fileName.empty() || page.isNull() || format < kImageFormatBmp || format > kImageFormatPng)
        return false;
    const std::optional<ByteArray> encoded =
        EncodeFormat(page, 24, pixelsPerMetre, pixelsPerMetre, format);
    return encoded && WriteWhole(fileName, *encoded);
}

} // namespace quillet
