#include "runtime/image_decode_png.h"

#include <png.h>

namespace quillet {
namespace {

// libpng's simplified reader does its own setjmp/longjmp and cleans up after
// itself on error; we only have to free it on the way out of the good path.
struct PngImageRelease {
    png_image& image;
    ~PngImageRelease() { png_image_free(&image); }
};

} // namespace

QImage DecodePng(ByteSpan bytes)
{
    if (bytes.size() < 8)
        return {};
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    PngImageRelease release{png};
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return {};
    if (!PictureSizeAllowed(png.width, png.height))
        return {};

    const bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    // BGRA bytes are QImage's 32-bit pixels on the little-endian machines we
    // run on; libpng expands palettes, grey and 16-bit samples for us.
    png.format = PNG_FORMAT_BGRA;
    QImage image(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    if (!png_image_finish_read(&png, nullptr, image.bits(), static_cast<png_int_32>(image.bytesPerLine()),
                               nullptr))
        return {};
    if (!alpha)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

} // namespace quillet
