#include "codecs/png.h"

#include "codecs/exif.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include <csetjmp>

#include <png.h>

namespace quillet {
namespace {

struct MemoryReader {
    ByteSpan bytes;
    std::size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t wanted)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (wanted > reader->bytes.size() - reader->position)
        png_error(png, "file ends early");
    std::memcpy(out, reader->bytes.data() + reader->position, wanted);
    reader->position += wanted;
}

// What ended a libpng run early.
struct PngErrors {
    bool outOfMemory = false;
};

// Reader and writer alike: errors jump back to the setjmp of the call that
// ran libpng, warnings are dropped.  libpng tells of memory running out only
// in its words ("Out of memory", "Insufficient memory").
void JumpOnError(png_structp png, png_const_charp message)
{
    if (message && std::strstr(message, "emory"))
        static_cast<PngErrors*>(png_get_error_ptr(png))->outOfMemory = true;
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp)
{}

enum class PngDirection { Read, Write };

// One libpng set-up for reading and for writing, destroyed on every way out.
template <PngDirection direction>
struct PngHandle {
    static constexpr bool kWrite = direction == PngDirection::Write;
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngErrors errors;

    PngHandle()
    {
        png = kWrite ? png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, JumpOnError,
                                               IgnoreWarning)
                     : png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors, JumpOnError,
                                              IgnoreWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~PngHandle()
    {
        if constexpr (kWrite)
            png_destroy_write_struct(&png, &info);
        else
            png_destroy_read_struct(&png, &info, nullptr);
    }
    PngHandle(const PngHandle&) = delete;
    PngHandle& operator=(const PngHandle&) = delete;
};
using PngReader = PngHandle<PngDirection::Read>;
using PngWriter = PngHandle<PngDirection::Write>;

// Whether a chunk of this type comes before the picture data.  libpng drops
// an iCCP chunk it finds wrong with no more than a warning; the file still
// had a profile, and an unusable one.
bool HasChunkBeforeData(ByteSpan bytes, const char* type)
{
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const std::size_t length = (std::size_t(bytes[at]) << 24)
                                   | (std::size_t(bytes[at + 1]) << 16)
                                   | (std::size_t(bytes[at + 2]) << 8) | bytes[at + 3];
        const unsigned char* name = bytes.data() + at + 4;
        if (std::memcmp(name, "IDAT", 4) == 0)
            return false;
        if (std::memcmp(name, type, 4) == 0)
            return true;
        if (length > bytes.size() - at - 8)
            return false;
        at += 12 + length;
    }
    return false;
}

// What the chunks libpng has read say about the colours.
PictureColours ColoursOf(png_structp png, png_infop info, ByteSpan bytes)
{
    PictureColours colours;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) && profile && length > 0)
        colours.iccProfile.assign(profile, profile + length);
    else if (HasChunkBeforeData(bytes, "iCCP"))
        colours.unusableProfile = true;
    int intent = 0;
    colours.srgb = png_get_sRGB(png, info, &intent) != 0;
    png_fixed_point gamma = 0;
    if (png_get_gAMA_fixed(png, info, &gamma) && gamma > 0)
        colours.gamma = gamma / 100000.0;
    Chromaticities c;
    if (png_get_cHRM(png, info, &c.whiteX, &c.whiteY, &c.redX, &c.redY, &c.greenX, &c.greenY,
                     &c.blueX, &c.blueY))
        colours.chromaticities = c;
    return colours;
}

// libpng's errors longjmp back into this frame, which owns nothing with a
// destructor: the image and the row table belong to the caller.
bool RunReader(PngReader& r, MemoryReader& source, PngDecoded& out, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(r.png)))
        return false;
    png_set_read_fn(r.png, &source, ReadFromMemory);
    // A wrong colour chunk costs the picture its colours, not the picture.
    png_set_benign_errors(r.png, 1);
    png_read_info(r.png, r.info);
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    if (!PictureSizeAllowed(width, height))
        return false;
    const int colourType = png_get_color_type(r.png, r.info);
    const bool alpha =
        (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(r.png, r.info, PNG_INFO_tRNS);

    out.colours = ColoursOf(r.png, r.info, source.bytes);

    // Everything becomes 8-bit B, G, R, A bytes: QImage's 32-bit pixels.
    // Samples are taken as stored (no gamma conversion here): the colour
    // chunks are applied later, at the size the picture is drawn.
    png_set_expand(r.png);
    png_set_scale_16(r.png);
    png_set_gray_to_rgb(r.png);
    png_set_bgr(r.png);
    if (!alpha)
        png_set_filler(r.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    if (png_get_rowbytes(r.png, r.info) != static_cast<png_size_t>(width) * 4)
        return false;

    out.image = QImage(static_cast<int>(width), static_cast<int>(height),
                       alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.image.isNull()) {
        r.errors.outOfMemory = true;
        return false;
    }
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = out.image.scanLine(static_cast<int>(y));
    png_read_image(r.png, rows.data());
    // eXIf may follow the picture data.
    png_read_end(r.png, r.info);
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(r.png, r.info, &exifSize, &exif) && exif)
        out.orientation = ExifBlockOrientation(ByteSpan(exif, exifSize));
    return true;
}

// Page files.

// Pages are large and mostly paper: a fast zlib level gives nearly the same
// file in a third of the time of the default.
constexpr int kPageCompressionLevel = 2;

void AppendToBuffer(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<ByteArray*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp)
{}

// libpng's errors longjmp back to here; the frame owns nothing with a
// destructor (rows and output belong to the caller).
bool RunWriter(PngWriter& w, const PageRaster& page, std::vector<png_bytep>& rows, ByteArray& out)
{
    if (setjmp(png_jmpbuf(w.png)))
        return false;
    png_set_write_fn(w.png, &out, AppendToBuffer, FlushNothing);
    png_set_compression_level(w.png, kPageCompressionLevel);
    png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(page.image.width()),
                 static_cast<png_uint_32>(page.image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (page.horizontalResolution > 0 && page.verticalResolution > 0)
        png_set_pHYs(w.png, w.info, static_cast<png_uint_32>(page.horizontalResolution),
                     static_cast<png_uint_32>(page.verticalResolution), PNG_RESOLUTION_METER);
    // Pages are sRGB, and say so.
    png_set_sRGB(w.png, w.info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(w.png, w.info);
    // Our rows are B, G, R, X bytes; libpng swaps and drops the filler.
    png_set_bgr(w.png);
    png_set_filler(w.png, 0, PNG_FILLER_AFTER);
    png_write_image(w.png, rows.data());
    png_write_end(w.png, w.info);
    return true;
}

} // namespace

PngDecoded DecodePng(ByteSpan bytes)
{
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return {};
    PngReader reader;
    if (!reader.png || !reader.info)
        return {};
    MemoryReader source{bytes};
    PngDecoded decoded;
    std::vector<png_bytep> rows;
    if (!RunReader(reader, source, decoded, rows)) {
        if (reader.errors.outOfMemory)
            throw std::bad_alloc();
        return {};
    }
    return decoded;
}

std::optional<ByteArray> EncodePng(const PageRaster& page)
{
    if (page.image.isNull())
        return std::nullopt;
    PngWriter writer;
    if (!writer.png || !writer.info)
        return std::nullopt;
    std::vector<png_bytep> rows(static_cast<std::size_t>(page.image.height()));
    for (int y = 0; y < page.image.height(); ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(page.image.constScanLine(y));
    ByteArray out;
    if (!RunWriter(writer, page, rows, out))
        return std::nullopt;
    return out;
}

} // namespace quillet
