#include "codecs/tiff.h"

#include "codecs/colour_profile.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace quillet {
namespace {

// libtiff writes through these procedures into a growing byte array, so the
// file reaches the disk in one piece like every other format; it reads
// through them from the bytes of a picture file.
struct MemoryTiff {
    ByteArray bytes; // written
    std::optional<ByteSpan> source; // read, when set
    std::size_t position = 0;

    ByteSpan Contents() const { return source ? *source : ByteSpan(bytes); }
};

MemoryTiff& Stream(thandle_t handle)
{
    return *static_cast<MemoryTiff*>(handle);
}

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryTiff& s = Stream(handle);
    const ByteSpan contents = s.Contents();
    if (size <= 0 || s.position >= contents.size())
        return 0;
    const std::size_t count =
        std::min(static_cast<std::size_t>(size), contents.size() - s.position);
    std::memcpy(buffer, contents.data() + s.position, count);
    s.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t TiffWrite(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryTiff& s = Stream(handle);
    if (size <= 0 || s.source)
        return 0;
    const std::size_t count = static_cast<std::size_t>(size);
    if (s.position + count > s.bytes.size())
        s.bytes.resize(s.position + count);
    std::memcpy(s.bytes.data() + s.position, buffer, count);
    s.position += count;
    return size;
}

toff_t TiffSeek(thandle_t handle, toff_t offset, int whence)
{
    MemoryTiff& s = Stream(handle);
    std::size_t base = 0;
    if (whence == SEEK_CUR)
        base = s.position;
    else if (whence == SEEK_END)
        base = s.Contents().size();
    s.position = base + static_cast<std::size_t>(offset);
    return static_cast<toff_t>(s.position);
}

int TiffClose(thandle_t)
{
    return 0;
}

toff_t TiffSize(thandle_t handle)
{
    return static_cast<toff_t>(Stream(handle).Contents().size());
}

int TiffMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void TiffUnmap(thandle_t, void*, toff_t)
{}

struct TiffRelease {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffRelease>;

// Reading.

// A damaged file is reported by the null image; libtiff's own messages
// would only clutter stderr.
int Silent(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct OptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// No single buffer libtiff allocates for a picture it may decode is larger
// than the picture's pixels; a tag claiming more is hostile.
constexpr tmsize_t kMaxTiffAllocation = kMaxPicturePixels * 4;

TiffPtr OpenForReading(MemoryTiff& stream)
{
    const std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Silent, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Silent, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxTiffAllocation);
    return TiffPtr(TIFFClientOpenExt("picture.tiff", "rm", &stream, TiffRead, TiffWrite, TiffSeek,
                                     TiffClose, TiffSize, TiffMap, TiffUnmap, options.get()));
}

QSize StoredSize(TIFF* tiff)
{
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    constexpr std::uint32_t kLargest = std::numeric_limits<int>::max();
    return QSize(static_cast<int>(std::min(width, kLargest)),
                 static_cast<int>(std::min(height, kLargest)));
}

// 8-bit CMYK in strips with a profile: converted with the profile, as a
// JPEG's would be.  Null when the file is not like that.
QImage ReadCmykWithProfile(TIFF* tiff, QSize size, const PictureColours& colours)
{
    std::uint16_t photometric = 0, samples = 0, bits = 0, planar = 0, inks = INKSET_CMYK;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inks);
    if (photometric != PHOTOMETRIC_SEPARATED || samples != 4 || bits != 8
        || planar != PLANARCONFIG_CONTIG || inks != INKSET_CMYK || TIFFIsTiled(tiff))
        return {};
    const std::unique_ptr<CmykToSrgb> convert = CmykToSrgb::Make(colours, false);
    if (!convert)
        return {};
    QImage image(size, QImage::Format_RGB32);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tiff)));
    if (image.isNull() || row.size() < static_cast<std::size_t>(size.width()) * 4)
        return {};
    for (int y = 0; y < size.height(); ++y) {
        if (TIFFReadScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0) < 0)
            return {};
        convert->ConvertRow(row.data(), reinterpret_cast<QRgb*>(image.scanLine(y)), size.width());
    }
    return image;
}

struct RgbaImageEnd {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

// Everything else through libtiff's RGBA reader, which brings every depth,
// palette and colour model to 8-bit RGBA.
QImage ReadRgba(TIFF* tiff, QSize size)
{
    char message[1024] = {};
    TIFFRGBAImage reader{};
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&reader, tiff, 1, message))
        return {};
    const std::unique_ptr<TIFFRGBAImage, RgbaImageEnd> end(&reader);
    // Rows as stored: turning the picture is left to the Orientation tag,
    // which libtiff would only half apply.
    reader.req_orientation = reader.orientation;
    const bool alpha = reader.alpha != 0;
    // libtiff's pixels are R, G, B, A bytes.
    QImage image(size, reader.alpha == EXTRASAMPLE_ASSOCALPHA
                           ? QImage::Format_RGBA8888_Premultiplied
                           : QImage::Format_RGBA8888);
    if (image.isNull() || image.bytesPerLine() != qsizetype(size.width()) * 4)
        return {};
    if (!TIFFRGBAImageGet(&reader, reinterpret_cast<std::uint32_t*>(image.bits()),
                          static_cast<std::uint32_t>(size.width()),
                          static_cast<std::uint32_t>(size.height())))
        return {};
    image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

bool WritePage(TIFF* tiff, const PageRaster& page)
{
    const auto width = static_cast<std::uint32_t>(page.image.width());
    const auto height = static_cast<std::uint32_t>(page.image.height());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    // Pages are sRGB, and say so.
    const ByteArray& srgb = SrgbProfileBytes();
    TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(srgb.size()), srgb.data());
    if (page.horizontalResolution > 0 && page.verticalResolution > 0) {
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION,
                     static_cast<float>(DotsPerInch(page.horizontalResolution)));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION,
                     static_cast<float>(DotsPerInch(page.verticalResolution)));
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        const auto* in =
            reinterpret_cast<const QRgb*>(page.image.constScanLine(static_cast<int>(y)));
        std::uint8_t* out = row.data();
        for (std::uint32_t x = 0; x < width; ++x) {
            *out++ = static_cast<std::uint8_t>(qRed(in[x]));
            *out++ = static_cast<std::uint8_t>(qGreen(in[x]));
            *out++ = static_cast<std::uint8_t>(qBlue(in[x]));
        }
        if (TIFFWriteScanline(tiff, row.data(), y, 0) < 0)
            return false;
    }
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace

TiffDecoded DecodeTiff(ByteSpan bytes)
{
    MemoryTiff stream{{}, bytes};
    const TiffPtr tiff = OpenForReading(stream);
    if (!tiff)
        return {};
    const QSize size = StoredSize(tiff.get());
    if (!PictureSizeAllowed(size.width(), size.height()))
        return {};
    TiffDecoded out;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    out.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    std::uint32_t profileSize = 0;
    const unsigned char* profile = nullptr;
    if (TIFFGetField(tiff.get(), TIFFTAG_ICCPROFILE, &profileSize, &profile) && profile)
        out.colours.iccProfile.assign(profile, profile + profileSize);
    out.image = ReadCmykWithProfile(tiff.get(), size, out.colours);
    if (!out.image.isNull()) {
        out.colours = {};
        return out;
    }
    out.image = ReadRgba(tiff.get(), size);
    if (out.image.isNull())
        return {};
    std::uint16_t photometric = 0;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    // A CMYK profile says nothing about the RGB that libtiff made of the inks.
    if (photometric == PHOTOMETRIC_SEPARATED && !out.colours.iccProfile.empty())
        out.colours = {.unusableProfile = true};
    return out;
}

std::optional<QSize> TiffPictureSize(ByteSpan bytes)
{
    MemoryTiff stream{{}, bytes};
    const TiffPtr tiff = OpenForReading(stream);
    if (!tiff)
        return std::nullopt;
    return StoredSize(tiff.get());
}

std::optional<ByteArray> EncodeTiff(const PageRaster& page)
{
    if (page.image.isNull())
        return std::nullopt;
    MemoryTiff stream;
    {
        TiffPtr tiff(TIFFClientOpen("page.tiff", "w", &stream, TiffRead, TiffWrite, TiffSeek,
                                    TiffClose, TiffSize, TiffMap, TiffUnmap));
        if (!tiff || !WritePage(tiff.get(), page))
            return std::nullopt;
    }
    return std::move(stream.bytes);
}

} // namespace quillet
