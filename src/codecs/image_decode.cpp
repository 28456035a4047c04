#include "codecs/image_decode.h"

#include "codecs/bmp.h"
#include "codecs/exif.h"
#include "codecs/gif.h"
#include "codecs/icon.h"
#include "codecs/jpeg.h"
#include "codecs/png.h"
#include "codecs/resample.h"

#include <QtGlobal>

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

// A picture as its decoder gives it, before its colours are seen to.
struct Stored {
    QImage image;
    PictureColours colours;
};

Stored DecodeOther(ByteSpan bytes)
{
    switch (SniffPictureFormat(bytes)) {
    case PictureFormat::Png: {
        PngDecoded png = DecodePng(bytes);
        return {std::move(png.image), std::move(png.colours)};
    }
    case PictureFormat::Gif: return {DecodeGif(bytes), {}};
    case PictureFormat::Bmp: {
        std::optional<BmpPicture> bmp = ReadBmp(bytes);
        return {bmp ? std::move(bmp->image) : QImage(), {}};
    }
    case PictureFormat::Icon:
    case PictureFormat::Cursor: return {DecodeIconOrCursor(bytes, SniffPictureFormat(bytes)), {}};
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

// The image should have no other holder: converting it in place then copies
// nothing.
DecodedPicture InSrgb(QImage image, const PictureColours& colours)
{
    if (image.isNull())
        return {};
    const bool converted = ConvertToSrgb(image, colours);
    return {std::move(image), !converted};
}

} // namespace

DecodedPicture DecodeWholePicture(ByteSpan bytes)
{
    if (SniffPictureFormat(bytes) == PictureFormat::Jpeg) {
        JpegDecoded jpeg = DecodeJpeg(bytes);
        if (jpeg.image.isNull())
            return {};
        QImage upright =
            ApplyExifOrientation(std::exchange(jpeg.image, QImage()), jpeg.orientation);
        return InSrgb(std::move(upright), jpeg.colours);
    }
    Stored other = DecodeOther(bytes);
    return InSrgb(std::move(other.image), other.colours);
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
    if (SniffPictureFormat(bytes) == PictureFormat::Jpeg) {
        JpegDecoded jpeg = DecodeJpeg(bytes, factorPerMille);
        if (jpeg.image.isNull())
            return {};
        // The target is taken from the stored sides; turning upright
        // afterwards only swaps them.
        QImage exact = Resampled(std::exchange(jpeg.image, QImage()),
                                 ScaledSide(jpeg.fullWidth, factorPerMille),
                                 ScaledSide(jpeg.fullHeight, factorPerMille));
        QImage upright = ApplyExifOrientation(std::exchange(exact, QImage()), jpeg.orientation);
        return InSrgb(std::move(upright), jpeg.colours);
    }
    Stored full = DecodeOther(bytes);
    if (full.image.isNull())
        return {};
    const QSize size(ScaledSide(full.image.width(), factorPerMille),
                     ScaledSide(full.image.height(), factorPerMille));
    QImage exact = Resampled(std::exchange(full.image, QImage()), size.width(), size.height());
    return InSrgb(std::move(exact), full.colours);
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
