#include "codecs/jpeg.h"

#include "codecs/exif.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace quillet {
namespace {

// libjpeg reports fatal errors through error_exit, whose default ends the
// process.  We jump back to the decoder instead and count warnings, because a
// truncated file "succeeds" with grey fill and only a warning to show for it.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int warnings = 0;
    bool endedEarly = false;
    // Memory ran out, in libjpeg or for the picture: a good file must not be
    // called damaged for it.
    bool outOfMemory = false;
};

void JpegErrorExit(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JERR_OUT_OF_MEMORY)
        manager->outOfMemory = true;
    std::longjmp(manager->jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (level < 0) {
        ++manager->warnings;
        if (cinfo->err->msg_code == JWRN_JPEG_EOF)
            manager->endedEarly = true;
    }
}

void JpegOutputMessage(j_common_ptr)
{}

// The one error manager of every libjpeg object here, compressors included.
jpeg_error_mgr* UseErrorManager(JpegErrorManager& manager)
{
    jpeg_error_mgr* base = jpeg_std_error(&manager.base);
    base->error_exit = JpegErrorExit;
    base->emit_message = JpegEmitMessage;
    base->output_message = JpegOutputMessage;
    return base;
}

// A progressive file may hold thousands of tiny scans, each of which makes
// libjpeg pass over the whole coefficient buffer: a few kilobytes can cost
// minutes.  Real encoders write about ten.
constexpr int kMaxProgressiveScans = 500;

void JpegProgress(j_common_ptr cinfo)
{
    auto* info = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (info->input_scan_number > kMaxProgressiveScans)
        std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Owns the decompressor so that every way out, including the longjmp, ends
// with jpeg_destroy_decompress.
struct Decompressor {
    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    jpeg_progress_mgr progress{};

    Decompressor()
    {
        progress.progress_monitor = JpegProgress;
        info.err = UseErrorManager(errors);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The payload of the APP1 segment that holds the EXIF block, if any.  APP1
// also carries XMP, which some editors write before the EXIF block: only the
// segment that starts with the EXIF signature counts.
std::optional<ByteSpan> ExifSegment(const jpeg_decompress_struct& info)
{
    static constexpr unsigned char kExifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > sizeof kExifSignature
            && std::memcmp(m->data, kExifSignature, sizeof kExifSignature) == 0)
            return ByteSpan(m->data, m->data_length);
    }
    return std::nullopt;
}

bool HasIccSegment(const jpeg_decompress_struct& info)
{
    static constexpr unsigned char kIccSignature[] = {'I', 'C', 'C', '_', 'P', 'R',
                                                      'O', 'F', 'I', 'L', 'E', 0};
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 2 && m->data_length >= sizeof kIccSignature
            && std::memcmp(m->data, kIccSignature, sizeof kIccSignature) == 0)
            return true;
    }
    return false;
}

struct FreeWithFree {
    void operator()(JOCTET* data) const { std::free(data); }
};

// The ICC profile of the APP2 segments, joined in their sequence order.
// Segments that are missing, doubled or numbered wrongly make the profile
// unusable rather than absent, so that the picture is named.
PictureColours ColoursFromMarkers(jpeg_decompress_struct& info)
{
    PictureColours colours;
    JOCTET* data = nullptr;
    unsigned int length = 0;
    if (jpeg_read_icc_profile(&info, &data, &length)) {
        const std::unique_ptr<JOCTET, FreeWithFree> owned(data);
        colours.iccProfile.assign(data, data + length);
    } else if (HasIccSegment(info)) {
        colours.unusableProfile = true;
    }
    return colours;
}

int OrientationFromMarkers(const jpeg_decompress_struct& info)
{
    const std::optional<ByteSpan> exif = ExifSegment(info);
    return exif ? ExifOrientation(*exif) : 1;
}

// How large the decoded picture must at least be: a share of each side, or
// a size in pixels.
struct ScaleGoal {
    int factorPerMille = 1000;
    int minWidth = 0;
    int minHeight = 0;
};

// The smallest numerator n (of n/8) whose output still covers the target.
void ChooseScale(jpeg_decompress_struct& info, int targetWidth, int targetHeight)
{
    for (unsigned n = 1; n <= 8; ++n) {
        info.scale_num = n;
        info.scale_denom = 8;
        jpeg_calc_output_dimensions(&info);
        if (static_cast<int>(info.output_width) >= targetWidth
            && static_cast<int>(info.output_height) >= targetHeight)
            return;
    }
}

// Adobe writes CMYK inverted (0 = full ink); so does everything that copies
// Photoshop, which is every CMYK JPEG worth reading.
void CmykRowToRgb(const JSAMPLE* cmyk, QRgb* out, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Reads the markers up to the picture data.  A fatal error jumps to the
// caller's setjmp, so this is only called below one.
bool ReadHeader(Decompressor& d, ByteSpan bytes)
{
    jpeg_create_decompress(&d.info);
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&d.info, JPEG_APP0 + 2, 0xFFFF);
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK || d.errors.endedEarly)
        return false;
    return PictureSizeAllowed(d.info.image_width, d.info.image_height);
}

// What a CMYK decode needs besides the picture: a row of samples, and the
// conversion with the file's profile when it has a usable one.
struct CmykRows {
    std::vector<JSAMPLE> samples;
    std::unique_ptr<CmykToSrgb> toSrgb;

    void Convert(QRgb* out, int width, bool inverted) const
    {
        if (toSrgb)
            toSrgb->ConvertRow(samples.data(), out, width);
        else
            CmykRowToRgb(samples.data(), out, width, inverted);
    }
};

// Runs libjpeg up to the end of the picture.  The longjmp of a fatal error
// lands here; this frame owns no object with a destructor, so jumping out of
// the libjpeg calls below skips nothing (image and rows belong to the caller).
bool RunDecompressor(Decompressor& d, ByteSpan bytes, const ScaleGoal& goal, JpegDecoded& out,
                     CmykRows& cmykRows)
{
    if (setjmp(d.errors.jump))
        return false;

    if (!ReadHeader(d, bytes))
        return false;
    out.fullWidth = static_cast<int>(d.info.image_width);
    out.fullHeight = static_cast<int>(d.info.image_height);
    out.orientation = OrientationFromMarkers(d.info);
    out.colours = ColoursFromMarkers(d.info);

    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    if (goal.minWidth > 0 || goal.minHeight > 0)
        ChooseScale(d.info, std::max(goal.minWidth, 1), std::max(goal.minHeight, 1));
    else if (goal.factorPerMille > 0 && goal.factorPerMille < 1000)
        ChooseScale(d.info, ScaledSide(out.fullWidth, goal.factorPerMille),
                    ScaledSide(out.fullHeight, goal.factorPerMille));
    out.scaleEighths = static_cast<int>(d.info.scale_num * 8 / d.info.scale_denom);

    jpeg_start_decompress(&d.info);
    const int width = static_cast<int>(d.info.output_width);
    out.image = QImage(width, static_cast<int>(d.info.output_height), QImage::Format_RGB32);
    if (out.image.isNull()) {
        d.errors.outOfMemory = true;
        return false;
    }
    if (cmyk) {
        cmykRows.samples.resize(static_cast<std::size_t>(width) * 4);
        // Ink is converted row by row as it is decoded: the rows of a
        // resampled picture would no longer be ink.
        if (!out.colours.iccProfile.empty()) {
            cmykRows.toSrgb = CmykToSrgb::Make(out.colours, d.info.saw_Adobe_marker);
            out.colours = PictureColours();
            out.colours.unusableProfile = !cmykRows.toSrgb;
        }
    }

    while (d.info.output_scanline < d.info.output_height) {
        const int y = static_cast<int>(d.info.output_scanline);
        JSAMPROW row = cmyk ? cmykRows.samples.data() : out.image.scanLine(y);
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
        if (cmyk)
            cmykRows.Convert(reinterpret_cast<QRgb*>(out.image.scanLine(y)), width,
                             d.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&d.info);
    return !d.errors.endedEarly;
}

JpegDecoded Decode(ByteSpan bytes, const ScaleGoal& goal)
{
    JpegDecoded result;
    if (bytes.empty())
        return result;
    Decompressor d;
    CmykRows cmykRows;
    if (!RunDecompressor(d, bytes, goal, result, cmykRows)) {
        if (d.errors.outOfMemory)
            throw std::bad_alloc();
        result.image = QImage();
    }
    return result;
}

// Only libjpeg runs below this setjmp; the EXIF block is read afterwards,
// from the markers the decompressor keeps until it is destroyed.
bool RunHeaderReader(Decompressor& d, ByteSpan bytes)
{
    if (setjmp(d.errors.jump))
        return false;
    return ReadHeader(d, bytes);
}

// Page files.

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
    JpegErrorManager errors{};
    ByteArrayDestination destination;

    Compressor()
    {
        info.err = UseErrorManager(errors);
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

JpegDecoded DecodeJpeg(ByteSpan bytes, int factorPerMille)
{
    return Decode(bytes, ScaleGoal{.factorPerMille = factorPerMille});
}

JpegDecoded DecodeJpegCovering(ByteSpan bytes, int minWidth, int minHeight)
{
    return Decode(
        bytes, ScaleGoal{.minWidth = std::max(minWidth, 1), .minHeight = std::max(minHeight, 1)});
}

std::optional<JpegHeader> ReadJpegHeader(ByteSpan bytes)
{
    if (bytes.empty())
        return std::nullopt;
    Decompressor d;
    if (!RunHeaderReader(d, bytes))
        return std::nullopt;
    JpegHeader header;
    header.width = static_cast<int>(d.info.image_width);
    header.height = static_cast<int>(d.info.image_height);
    header.colours = ColoursFromMarkers(d.info);
    if (const std::optional<ByteSpan> exif = ExifSegment(d.info)) {
        ExifFacts facts = ReadExifFacts(*exif);
        header.orientation = facts.orientation;
        header.exifThumbnail = std::move(facts.thumbnail);
    }
    return header;
}

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
