#include "runtime/image_decode_png.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

void JumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp)
{}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngReader()
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~PngReader() { png_destroy_read_struct(&png, &info, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
};

// libpng's errors longjmp back into this frame, which owns nothing with a
// destructor: the image and the row table belong to the caller.
bool RunReader(PngReader& r, MemoryReader& source, QImage& image, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(r.png)))
        return false;
    png_set_read_fn(r.png, &source, ReadFromMemory);
    png_read_info(r.png, r.info);
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    if (!PictureSizeAllowed(width, height))
        return false;
    const int colourType = png_get_color_type(r.png, r.info);
    const bool alpha =
        (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(r.png, r.info, PNG_INFO_tRNS);

    // Everything becomes 8-bit B, G, R, A bytes: QImage's 32-bit pixels.
    // Samples are taken as stored (no gamma conversion), as viewers show them.
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

    image = QImage(static_cast<int>(width), static_cast<int>(height),
                   alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return false;
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.scanLine(static_cast<int>(y));
    png_read_image(r.png, rows.data());
    png_read_end(r.png, nullptr);
    return true;
}

} // namespace

QImage DecodePng(ByteSpan bytes)
{
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return {};
    PngReader reader;
    if (!reader.png || !reader.info)
        return {};
    MemoryReader source{bytes};
    QImage image;
    std::vector<png_bytep> rows;
    if (!RunReader(reader, source, image, rows))
        return {};
    return image;
}

} // namespace quillet
