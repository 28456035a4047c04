#include "codecs/image_decode.h"

#include "codecs/bmp.h"
#include "codecs/exif.h"
#include "codecs/gif.h"
#include "codecs/heif.h"
#include "codecs/icon.h"
#include "codecs/jpeg.h"
#include "codecs/png.h"
#include "codecs/resample.h"
#include "codecs/tiff.h"
#include "codecs/webp.h"

#include <QBuffer>
#include <QImageReader>
#include <QtGlobal>

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace quillet {

// The decoders hand libjpeg and libpng QImage rows as BGRA bytes.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "32-bit pixels are written as B, G, R, A bytes");

bool PictureSizeAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide
           && width * height <= kMaxPicturePixels;
}

PictureFormat SniffPictureFormat(ByteSpan b)
{
    auto starts = [&](const char* magic) {
        const std::size_t n = std::strlen(magic);
        return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
    };
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return PictureFormat::Jpeg;
    if (starts("\x89PNG\r\n\x1a\n"))
        return PictureFormat::Png;
    if (starts("GIF87a") || starts("GIF89a"))
        return PictureFormat::Gif;
    if (starts("BM"))
        return PictureFormat::Bmp;
    if (b.size() >= 12 && starts("RIFF") && std::memcmp(b.data() + 8, "WEBP", 4) == 0)
        return PictureFormat::Webp;
    if (b.size() >= 4
        && (std::memcmp(b.data(), "II*\0", 4) == 0 || std::memcmp(b.data(), "MM\0*", 4) == 0))
        return PictureFormat::Tiff;
    // An ISO media file whose brands libheif knows: HEIC, HEIF, AVIF.
    if (b.size() >= 12 && std::memcmp(b.data() + 4, "ftyp", 4) == 0) {
        const heif_filetype_result heif =
            heif_check_filetype(b.data(), static_cast<int>(std::min<std::size_t>(b.size(), 4096)));
        if (heif == heif_filetype_yes_supported || heif == heif_filetype_yes_unsupported)
            return PictureFormat::Heif;
    }
    // ICO and CUR share a header: reserved 0, type 1 or 2, a non-zero count.
    if (b.size() >= 6 && b[0] == 0 && b[1] == 0 && b[3] == 0 && (b[4] | b[5]) != 0) {
        if (b[2] == 1)
            return PictureFormat::Icon;
        if (b[2] == 2)
            return PictureFormat::Cursor;
    }
    return PictureFormat::Unknown;
}

int ScaledSide(int side, int factorPerMille)
{
    const std::int64_t scaled = static_cast<std::int64_t>(side) * factorPerMille / 1000;
    // A sliver of a picture still shows as one pixel rather than vanishing.
    return static_cast<int>(std::max<std::int64_t>(1, scaled));
}

namespace {

// A picture as its decoder gives it, before it is turned upright and its
// colours are seen to.
struct Stored {
    QImage image;
    int orientation = 1;
    PictureColours colours;
};

Stored DecodeOther(ByteSpan bytes)
{
    switch (SniffPictureFormat(bytes)) {
    case PictureFormat::Png: {
        PngDecoded png = DecodePng(bytes);
        return {std::move(png.image), png.orientation, std::move(png.colours)};
    }
    case PictureFormat::Gif: return {DecodeGif(bytes), 1, {}};
    case PictureFormat::Bmp: {
        std::optional<BmpPicture> bmp = ReadBmp(bytes);
        return {bmp ? std::move(bmp->image) : QImage(), 1, {}};
    }
    case PictureFormat::Icon:
    case PictureFormat::Cursor:
        return {DecodeIconOrCursor(bytes, SniffPictureFormat(bytes)), 1, {}};
    case PictureFormat::Heif: {
        // Upright already: libheif applies the file's transformations.
        HeifDecoded heif = DecodeHeif(bytes);
        return {std::move(heif.image), 1, std::move(heif.colours)};
    }
    case PictureFormat::Webp: {
        WebpDecoded webp = DecodeWebp(bytes);
        return {std::move(webp.image), webp.orientation, std::move(webp.colours)};
    }
    case PictureFormat::Tiff: {
        TiffDecoded tiff = DecodeTiff(bytes);
        return {std::move(tiff.image), tiff.orientation, std::move(tiff.colours)};
    }
    default: return {};
    }
}

// Resampling a picture gives nothing only when memory runs out.
QImage Resampled(QImage image, int width, int height)
{
    QImage exact = ResampleToSize(std::move(image), width, height);
    if (exact.isNull())
        throw std::bad_alloc();
    return exact;
}

// Upright and in sRGB.  The image should have no other holder: converting
// it in place then copies nothing.
DecodedPicture Finish(QImage stored, int orientation, const PictureColours& colours)
{
    if (stored.isNull())
        return {};
    QImage image = ApplyExifOrientation(std::exchange(stored, QImage()), orientation);
    const bool converted = ConvertToSrgb(image, colours);
    return {std::move(image), !converted};
}

} // namespace

bool DeclaresRefusedSize(ByteSpan bytes)
{
    switch (SniffPictureFormat(bytes)) {
    case PictureFormat::Heif: {
        const std::optional<QSize> size = HeifPictureSize(bytes);
        return size && !HeifSizeAllowed(*size);
    }
    case PictureFormat::Webp: {
        const std::optional<QSize> size = WebpPictureSize(bytes);
        return size && !PictureSizeAllowed(size->width(), size->height());
    }
    case PictureFormat::Tiff: {
        const std::optional<QSize> size = TiffPictureSize(bytes);
        return size && !PictureSizeAllowed(size->width(), size->height());
    }
    default: break;
    }
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const QSize declared = QImageReader(&buffer).size();
    return declared.isValid() && !PictureSizeAllowed(declared.width(), declared.height());
}

DecodedPicture DecodeWholePicture(ByteSpan bytes)
{
    if (SniffPictureFormat(bytes) == PictureFormat::Jpeg) {
        JpegDecoded jpeg = DecodeJpeg(bytes);
        return Finish(std::exchange(jpeg.image, QImage()), jpeg.orientation, jpeg.colours);
    }
    Stored other = DecodeOther(bytes);
    return Finish(std::exchange(other.image, QImage()), other.orientation, other.colours);
}

QImage DecodePicture(ByteSpan bytes)
{
    try {
        return DecodeWholePicture(bytes).image;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

DecodedPicture DecodeScaledPicture(ByteSpan bytes, int factorPerMille)
{
    if (factorPerMille <= 0)
        return {};
    // Target sizes are taken from the stored sides; turning upright
    // afterwards only swaps them.
    switch (SniffPictureFormat(bytes)) {
    case PictureFormat::Jpeg: {
        JpegDecoded jpeg = DecodeJpeg(bytes, factorPerMille);
        if (jpeg.image.isNull())
            return {};
        QImage exact = Resampled(std::exchange(jpeg.image, QImage()),
                                 ScaledSide(jpeg.fullWidth, factorPerMille),
                                 ScaledSide(jpeg.fullHeight, factorPerMille));
        return Finish(std::move(exact), jpeg.orientation, jpeg.colours);
    }
    case PictureFormat::Webp:
        if (factorPerMille < 1000) {
            WebpDecoded webp = DecodeWebp(bytes, factorPerMille);
            return Finish(std::exchange(webp.image, QImage()), webp.orientation, webp.colours);
        }
        break;
    default: break;
    }
    Stored full = DecodeOther(bytes);
    if (full.image.isNull())
        return {};
    const QSize size(ScaledSide(full.image.width(), factorPerMille),
                     ScaledSide(full.image.height(), factorPerMille));
    QImage exact = Resampled(std::exchange(full.image, QImage()), size.width(), size.height());
    return Finish(std::move(exact), full.orientation, full.colours);
}

QImage DecodePictureScaled(ByteSpan bytes, int factorPerMille)
{
    try {
        return DecodeScaledPicture(bytes, factorPerMille).image;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace quillet
