#include "imageout/page_encoders.h"

#include "runtime/colour_profile.h"

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include <jerror.h>
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

void JpegCompressMessage(j_common_ptr)
{}

// Compressed bytes go straight into a ByteArray that grows by chunks.
// (libjpeg's own memory destination hands back its buffer only at the end,
// so after an error half-way the caller cannot tell which block to free.)
struct ByteArrayDestination {
    jpeg_destination_mgr base{};
    ByteArray bytes;
};

constexpr std::size_t kDestinationChunk = std::size_t(1) << 16;

ByteArrayDestination& DestinationOf(j_compress_ptr cinfo)
{
    return *static_cast<ByteArrayDestination*>(cinfo->client_data);
}

// Makes room for one more chunk after the bytes written so far; false when
// memory runs out (an exception must not cross libjpeg's C frames).
bool GrowDestination(ByteArrayDestination& d, std::size_t written)
{
    try {
        d.bytes.resize(written + kDestinationChunk);
    } catch (...) {
        return false;
    }
    d.base.next_output_byte = d.bytes.data() + written;
    d.base.free_in_buffer = kDestinationChunk;
    return true;
}

void InitDestination(j_compress_ptr cinfo)
{
    if (!GrowDestination(DestinationOf(cinfo), 0))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
}

boolean EmptyDestination(j_compress_ptr cinfo)
{
    // Called when the whole buffer is full.
    ByteArrayDestination& d = DestinationOf(cinfo);
    if (!GrowDestination(d, d.bytes.size()))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    ByteArrayDestination& d = DestinationOf(cinfo);
    d.bytes.resize(d.bytes.size() - d.base.free_in_buffer);
}

struct Compressor {
    jpeg_compress_struct info{};
    JpegErrorJump errors{};
    ByteArrayDestination destination;

    Compressor()
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = JpegCompressError;
        errors.base.output_message = JpegCompressMessage;
        destination.base.init_destination = InitDestination;
        destination.base.empty_output_buffer = EmptyDestination;
        destination.base.term_destination = TermDestination;
    }
    ~Compressor() { jpeg_destroy_compress(&info); }
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
    c.info.dest = &c.destination.base;
    c.info.client_data = &c.destination;
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
    // Pages are sRGB, and say so.
    const ByteArray& srgb = SrgbProfileBytes();
    jpeg_write_icc_profile(&c.info, srgb.data(), static_cast<unsigned>(srgb.size()));
    while (c.info.next_scanline < c.info.image_height) {
        // libjpeg only reads the rows it is given.
        auto* row =
            const_cast<JSAMPLE*>(page.image.constScanLine(static_cast<int>(c.info.next_scanline)));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace

std::optional<ByteArray> EncodeJpeg(const PageRaster& page, int quality)
{
    if (page.image.isNull() || page.image.width() > JPEG_MAX_DIMENSION
        || page.image.height() > JPEG_MAX_DIMENSION)
        return std::nullopt;
    Compressor c;
    if (!RunCompressor(c, page, quality) || c.destination.bytes.empty())
        return std::nullopt;
    return std::move(c.destination.bytes);
}

} // namespace quillet
