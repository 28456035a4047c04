#include "imageout/page_encoders.h"

#include <csetjmp>
#include <vector>

#include <png.h>

namespace quillet {
namespace {

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

void SilentWarning(png_structp, png_const_charp)
{}

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngWriter()
    {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, SilentWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
};

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
