#include "codecs/tiff.h"

#include "codecs/colour_profile.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace quillet {
namespace {

// libtiff writes through these procedures into a growing byte array, so the
// file reaches the disk in one piece like every other format.
struct MemoryTiff {
    ByteArray bytes;
    std::size_t position = 0;
};

MemoryTiff& Stream(thandle_t handle)
{
    return *static_cast<MemoryTiff*>(handle);
}

tmsize_t TiffRead(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryTiff& s = Stream(handle);
    if (size <= 0 || s.position >= s.bytes.size())
        return 0;
    const std::size_t count = std::min(static_cast<std::size_t>(size), s.bytes.size() - s.position);
    std::memcpy(buffer, s.bytes.data() + s.position, count);
    s.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t TiffWrite(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryTiff& s = Stream(handle);
    if (size <= 0)
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
        base = s.bytes.size();
    s.position = base + static_cast<std::size_t>(offset);
    return static_cast<toff_t>(s.position);
}

int TiffClose(thandle_t)
{
    return 0;
}

toff_t TiffSize(thandle_t handle)
{
    return static_cast<toff_t>(Stream(handle).bytes.size());
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

std::optional<ByteArray> EncodeTiff(const PageRaster& page)
{
    if (page.image.isNull())
        return std::nullopt;
    MemoryTiff stream;
    {
        std::unique_ptr<TIFF, TiffRelease> tiff(TIFFClientOpen("page.tiff", "w", &stream, TiffRead,
                                                               TiffWrite, TiffSeek, TiffClose,
                                                               TiffSize, TiffMap, TiffUnmap));
        if (!tiff || !WritePage(tiff.get(), page))
            return std::nullopt;
    }
    return std::move(stream.bytes);
}

} // namespace quillet
