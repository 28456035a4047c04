#include "imageout/page_encoders.h"

#include <csetjmp>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

namespace quillet {
namespace {

struct JpegErrorJump {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JpegCompressError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrorJump*>(cinfo->err)->jump, 1);
}

void JpegCompressMessage(j_common_ptr) {}

struct Compressor {
    jpeg_compress_struct info{};
    JpegErrorJump errors{};
    unsigned char* buffer = nullptr; // allocated by jpeg_mem_dest with malloc
    unsigned long size = 0;

    Compressor()
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = JpegCompressError;
        errors.base.output_message = JpegCompressMessage;
    }
    ~Compressor()
    {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

// The longjmp of a libjpeg error lands here; this frame owns nothing that
// needs a destructor.
bool RunCompressor(Compressor& c, const PageRaster& page, int quality)
{
    if (setjmp(c.errors.jump))
        return false;
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.buffer, &c.size);
    c.info.image_width = static_cast<JDIMENSION>(page.image.width());
    c.info.image_height = static_cast<JDIMENSION>(page.image.height());
    c.info.input_components = 4;
    c.info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    if (page.horizontalResolution > 0 && page.verticalResolution > 0) {
        c.info.density_unit = 1; // dots per inch
        c.info.X_density = static_cast<UINT16>(std::lround(DotsPerInch(page.horizontalResolution)));
        c.info.Y_density = static_cast<UINT16>(std::lround(DotsPerInch(page.verticalResolution)));
    }
    jpeg_start_compress(&c.info, TRUE);
    while (c.info.next_scanline < c.info.image_height) {
        // libjpeg only reads the rows it is given.
        auto* row = const_cast<JSAMPLE*>(page.image.constScanLine(static_cast<int>(c.info.next_scanline)));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace

std::optional<ByteArray> EncodeJpeg(const PageRaster& page, int quality)
{
    if (page.image.isNull() || page.image.width() > JPEG_MAX_DIMENSION || page.image.height() > JPEG_MAX_DIMENSION)
        return std::nullopt;
    Compressor c;
    if (!RunCompressor(c, page, quality) || !c.buffer)
        return std::nullopt;
    return ByteArray(c.buffer, c.buffer + c.size);
}

} // namespace quillet
