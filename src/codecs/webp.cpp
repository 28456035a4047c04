#include "codecs/webp.h"

#include "codecs/exif.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>

namespace quillet {
namespace {

struct DemuxDelete {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};
using Demuxer = std::unique_ptr<WebPDemuxer, DemuxDelete>;

Demuxer Demux(ByteSpan bytes)
{
    const WebPData data{bytes.data(), bytes.size()};
    return Demuxer(WebPDemux(&data));
}

// The payload of the first chunk of this kind; empty when there is none.
ByteSpan Chunk(const WebPDemuxer* demux, const char* fourcc)
{
    WebPChunkIterator chunk{};
    if (!WebPDemuxGetChunk(demux, fourcc, 1, &chunk))
        return {};
    const ByteSpan payload(chunk.chunk.bytes, chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return payload;
}

// Decodes straight into the QImage's rows, scaled by libwebp when asked.
QImage DecodeFrame(ByteSpan frame, int factorPerMille)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)
        || WebPGetFeatures(frame.data(), frame.size(), &config.input) != VP8_STATUS_OK)
        return {};
    const int width = config.input.width, height = config.input.height;
    if (!PictureSizeAllowed(width, height))
        return {};
    QSize size(width, height);
    if (factorPerMille < 1000) {
        size = QSize(ScaledSide(width, factorPerMille), ScaledSide(height, factorPerMille));
        config.options.use_scaling = 1;
        config.options.scaled_width = size.width();
        config.options.scaled_height = size.height();
    }
    QImage image(size, config.input.has_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // B, G, R, A bytes, alpha not premultiplied: QImage's ARGB32 pixels (and
    // RGB32's, whose fourth byte libwebp sets to 255 for opaque pictures).
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.width = size.width();
    config.output.height = size.height();
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = static_cast<int>(image.bytesPerLine());
    config.output.u.RGBA.size = static_cast<std::size_t>(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(frame.data(), frame.size(), &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK ? image : QImage();
}

} // namespace

WebpDecoded DecodeWebp(ByteSpan bytes, int factorPerMille)
{
    const Demuxer demux = Demux(bytes);
    if (!demux)
        return {};
    // A still picture is its only frame; an animation is shown by its first.
    WebPIterator frame{};
    if (!WebPDemuxGetFrame(demux.get(), 1, &frame))
        return {};
    const ByteSpan fragment(frame.fragment.bytes, frame.fragment.size);
    WebPDemuxReleaseIterator(&frame);
    WebpDecoded out;
    out.image = DecodeFrame(fragment, factorPerMille);
    if (out.image.isNull())
        return {};
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    if (flags & EXIF_FLAG)
        out.orientation = ExifBlockOrientation(Chunk(demux.get(), "EXIF"));
    if (flags & ICCP_FLAG) {
        const ByteSpan profile = Chunk(demux.get(), "ICCP");
        out.colours.iccProfile.assign(profile.begin(), profile.end());
        out.colours.unusableProfile = profile.empty();
    }
    return out;
}

std::optional<QSize> WebpPictureSize(ByteSpan bytes)
{
    const Demuxer demux = Demux(bytes);
    if (!demux)
        return std::nullopt;
    return QSize(static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH)),
                 static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT)));
}

} // namespace quillet
