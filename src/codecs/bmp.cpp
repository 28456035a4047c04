#include "codecs/bmp.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

namespace quillet {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint16_t Read16(ByteSpan b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Read32(ByteSpan b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8)
           | (static_cast<std::uint32_t>(b[at + 2]) << 16)
           | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// One colour channel described by a bit-field mask, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m)
    {
        if (mask) {
            shift = std::countr_zero(mask);
            maximum = mask >> shift;
        }
    }
    int Extract(std::uint32_t pixel, int absent) const
    {
        if (!mask)
            return absent;
        return static_cast<int>(std::uint64_t{(pixel & mask) >> shift} * 255u / maximum);
    }
};

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, always positive
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    int xResolution = 0;
    int yResolution = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t paletteCount = 0;
    std::size_t pixelOffset = 0;
    Channel red, green, blue, alpha;
};

std::optional<Layout> ReadLayout(ByteSpan b)
{
    if (b.size() < kFileHeaderSize + 12 || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    Layout l;
    const std::uint32_t headerSize = Read32(b, 14);
    const std::size_t headerEnd = kFileHeaderSize + headerSize;
    if (headerSize < 12 || headerEnd > b.size())
        return std::nullopt;
    std::size_t masksEnd = headerEnd;
    if (headerSize == 12) {
        l.width = Read16(b, 18);
        l.height = Read16(b, 20);
        l.bitsPerPixel = Read16(b, 24);
        l.paletteEntrySize = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        l.width = static_cast<std::int32_t>(Read32(b, 18));
        const std::int64_t height = static_cast<std::int32_t>(Read32(b, 22));
        l.topDown = height < 0;
        l.height = height < 0 ? -height : height;
        l.bitsPerPixel = Read16(b, 28);
        l.compression = Read32(b, 30);
        l.xResolution = static_cast<std::int32_t>(Read32(b, 38));
        l.yResolution = static_cast<std::int32_t>(Read32(b, 42));
        l.paletteCount = Read32(b, 46);
        if (l.compression == kBitFields || l.compression == kAlphaBitFields) {
            // The masks live inside a V2+ header, or follow a plain one.
            const std::size_t maskCount = l.compression == kAlphaBitFields ? 4 : 3;
            const std::size_t masksAt = kFileHeaderSize + kInfoHeaderSize;
            if (headerSize == kInfoHeaderSize)
                masksEnd = masksAt + maskCount * 4;
            if (masksAt + maskCount * 4 > b.size())
                return std::nullopt;
            l.red = Channel(Read32(b, masksAt));
            l.green = Channel(Read32(b, masksAt + 4));
            l.blue = Channel(Read32(b, masksAt + 8));
            if (maskCount == 4 || headerSize >= 56)
                l.alpha = Channel(Read32(b, masksAt + 12));
        }
    } else {
        return std::nullopt;
    }

    if (l.width <= 0 || l.height <= 0 || !PictureSizeAllowed(l.width, l.height))
        return std::nullopt;
    switch (l.bitsPerPixel) {
    case 1:
    case 4:
    case 8:
        if (l.paletteCount == 0 || l.paletteCount > (1u << l.bitsPerPixel))
            l.paletteCount = std::size_t{1} << l.bitsPerPixel;
        break;
    case 16:
    case 24:
    case 32: l.paletteCount = 0; break;
    default: return std::nullopt;
    }

    const bool masked = l.compression == kBitFields || l.compression == kAlphaBitFields;
    if (masked && l.bitsPerPixel != 16 && l.bitsPerPixel != 32)
        return std::nullopt;
    if ((l.compression == kRle8 && l.bitsPerPixel != 8)
        || (l.compression == kRle4 && l.bitsPerPixel != 4))
        return std::nullopt;
    if (l.compression != kRgb && l.compression != kRle8 && l.compression != kRle4 && !masked)
        return std::nullopt;
    if (l.compression == kRgb && l.bitsPerPixel == 16) {
        l.red = Channel(0x7C00);
        l.green = Channel(0x03E0);
        l.blue = Channel(0x001F);
    }
    if (masked && (!l.red.mask || !l.green.mask || !l.blue.mask))
        return std::nullopt;

    l.paletteOffset = masksEnd;
    // A palette cut short by the pixel data is taken as far as it goes.
    const std::uint32_t dataOffset = Read32(b, 10);
    const std::size_t paletteEnd = l.paletteOffset + l.paletteCount * l.paletteEntrySize;
    l.pixelOffset =
        dataOffset >= l.paletteOffset && dataOffset < b.size() ? dataOffset : paletteEnd;
    if (l.pixelOffset < paletteEnd)
        l.paletteCount = (l.pixelOffset - l.paletteOffset) / l.paletteEntrySize;
    if (l.pixelOffset > b.size())
        return std::nullopt;
    return l;
}

std::vector<QRgb> ReadPalette(ByteSpan b, const Layout& l)
{
    std::vector<QRgb> palette(std::size_t{1} << std::min(l.bitsPerPixel, 8), qRgb(0, 0, 0));
    for (std::size_t i = 0; i < l.paletteCount && i < palette.size(); ++i) {
        const std::size_t at = l.paletteOffset + i * l.paletteEntrySize;
        palette[i] = qRgb(b[at + 2], b[at + 1], b[at]);
    }
    return palette;
}

QRgb* RowFor(QImage& image, const Layout& l, std::int64_t storedRow)
{
    const int y = static_cast<int>(l.topDown ? storedRow : l.height - 1 - storedRow);
    return reinterpret_cast<QRgb*>(image.scanLine(y));
}

std::size_t RowStride(const Layout& l)
{
    return static_cast<std::size_t>((l.width * l.bitsPerPixel + 31) / 32 * 4);
}

// Checked before the picture is allocated, so a short file claiming a large
// size costs nothing.
bool HoldsAllRows(ByteSpan b, const Layout& l)
{
    return b.size() - l.pixelOffset >= RowStride(l) * static_cast<std::size_t>(l.height);
}

bool ReadUncompressed(ByteSpan b, const Layout& l, QImage& image, bool& anyAlpha)
{
    const std::size_t stride = RowStride(l);
    if (!HoldsAllRows(b, l))
        return false;
    const std::vector<QRgb> palette = l.bitsPerPixel <= 8 ? ReadPalette(b, l) : std::vector<QRgb>{};
    const int width = static_cast<int>(l.width);
    for (std::int64_t row = 0; row < l.height; ++row) {
        const std::size_t rowAt = l.pixelOffset + static_cast<std::size_t>(row) * stride;
        const std::uint8_t* in = b.data() + rowAt;
        QRgb* out = RowFor(image, l, row);
        switch (l.bitsPerPixel) {
        case 1:
        case 4:
        case 8: {
            const int bits = l.bitsPerPixel;
            const int perByte = 8 / bits;
            const int mask = (1 << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                out[x] = palette[(in[x / perByte] >> shift) & mask];
            }
            break;
        }
        case 24:
            for (int x = 0; x < width; ++x, in += 3)
                out[x] = qRgb(in[2], in[1], in[0]);
            break;
        case 16:
        case 32: {
            const bool wide = l.bitsPerPixel == 32;
            for (int x = 0; x < width; ++x) {
                const std::size_t at = rowAt + static_cast<std::size_t>(x) * (wide ? 4 : 2);
                const std::uint32_t pixel = wide ? Read32(b, at) : Read16(b, at);
                if (wide && !l.red.mask) {
                    // Plain 32-bit rows are BGRX; the fourth byte is not alpha.
                    out[x] = 0xFF000000u | (pixel & 0x00FFFFFFu);
                    continue;
                }
                const int a = l.alpha.Extract(pixel, 255);
                anyAlpha = anyAlpha || a != 0;
                out[x] = qRgba(l.red.Extract(pixel, 0), l.green.Extract(pixel, 0),
                               l.blue.Extract(pixel, 0), a);
            }
            break;
        }
        default: return false;
        }
    }
    return true;
}

// Run-length data: pairs of (count, index), escapes for end of line, end of
// picture, a jump and literal runs.  Pixels never written stay colour 0.
bool ReadRunLength(ByteSpan b, const Layout& l, QImage& image)
{
    const std::vector<QRgb> palette = ReadPalette(b, l);
    const bool fourBit = l.compression == kRle4;
    image.fill(palette[0]);
    std::int64_t x = 0;
    std::int64_t row = 0;
    std::size_t at = l.pixelOffset;
    auto put = [&](int index) {
        if (x < l.width && row < l.height)
            RowFor(image, l, row)[x] = palette[static_cast<std::size_t>(index)];
        ++x;
    };
    while (at + 2 <= b.size()) {
        const int count = b[at];
        const int value = b[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(fourBit ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 2 > b.size())
                return false;
            x += b[at];
            row += b[at + 1];
            at += 2;
        } else {
            const std::size_t dataBytes =
                fourBit ? (static_cast<std::size_t>(value) + 1) / 2 : value;
            const std::size_t padded = (dataBytes + 1) & ~std::size_t{1};
            if (at + dataBytes > b.size())
                return false;
            for (int i = 0; i < value; ++i) {
                const std::uint8_t byte = b[at + static_cast<std::size_t>(fourBit ? i / 2 : i)];
                put(fourBit ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            at += std::min(padded, b.size() - at);
        }
        if (row >= l.height)
            return true;
    }
    return false; // the data broke off before the end-of-picture mark
}

} // namespace

std::optional<BmpPicture> ReadBmp(ByteSpan bytes)
{
    const std::optional<Layout> layout = ReadLayout(bytes);
    if (!layout)
        return std::nullopt;
    const Layout& l = *layout;
    const bool runLength = l.compression == kRle8 || l.compression == kRle4;
    if (!runLength && !HoldsAllRows(bytes, l))
        return std::nullopt;
    BmpPicture picture;
    picture.image =
        QImage(static_cast<int>(l.width), static_cast<int>(l.height), QImage::Format_ARGB32);
    if (picture.image.isNull())
        throw std::bad_alloc();
    bool anyAlpha = false;
    const bool ok = runLength ? ReadRunLength(bytes, l, picture.image)
                              : ReadUncompressed(bytes, l, picture.image, anyAlpha);
    if (!ok)
        return std::nullopt;
    if (l.alpha.mask && !anyAlpha) {
        // Writers that declare an alpha mask and leave it all zero mean an
        // opaque picture, not an invisible one.
        for (int y = 0; y < picture.image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.image.scanLine(y));
            for (int x = 0; x < picture.image.width(); ++x)
                row[x] |= 0xFF000000u;
        }
    }
    if (!l.alpha.mask || !anyAlpha)
        picture.image.reinterpretAsFormat(QImage::Format_RGB32);
    picture.bitsPerPixel = l.bitsPerPixel;
    picture.horizontalResolution = l.xResolution;
    picture.verticalResolution = l.yResolution;
    return picture;
}

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

} // namespace quillet
