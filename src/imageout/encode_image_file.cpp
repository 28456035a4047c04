#include "imageout/encode_image_file.h"

#include "imageout/page_encoders.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>

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

std::optional<ByteArray> EncodeFormat(const QImage& image, int pixelsPerMetre, int format)
{
    // Pages are paper: whatever alpha a page carries is dropped, not blended.
    PageRaster page{image.convertToFormat(QImage::Format_RGB32), pixelsPerMetre, pixelsPerMetre};
    switch (format) {
    case kImageFormatBmp: return EncodeBmp(page);
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

bool EncodePageImage(const QImage& page, int pixelsPerMetre, const std::string& fileName,
                     int format)
{
    if (fileName.empty() || page.isNull() || format < kImageFormatBmp || format > kImageFormatPng)
        return false;
    const std::optional<ByteArray> encoded = EncodeFormat(page, pixelsPerMetre, format);
    return encoded && WriteWhole(fileName, *encoded);
}

} // namespace quillet
