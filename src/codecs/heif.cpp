#include "codecs/heif.h"

#include <libheif/heif.h>

#include <memory>
#include <vector>

namespace quillet {
namespace {

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct NclxFree {
    void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

// The bytes must outlive the context: libheif reads them in place.
struct OpenedHeif {
    Context context;
    Handle primary;
};

std::optional<OpenedHeif> Open(ByteSpan bytes)
{
    OpenedHeif opened{Context(heif_context_alloc()), nullptr};
    if (!opened.context)
        return std::nullopt;
    heif_context_set_maximum_image_size_limit(opened.context.get(),
                                              static_cast<int>(kMaxPictureSide));
    if (heif_context_read_from_memory_without_copy(opened.context.get(), bytes.data(), bytes.size(),
                                                   nullptr)
            .code
        != heif_error_Ok)
        return std::nullopt;
    heif_image_handle* primary = nullptr;
    if (heif_context_get_primary_image_handle(opened.context.get(), &primary).code != heif_error_Ok
        || !primary)
        return std::nullopt;
    opened.primary.reset(primary);
    return opened;
}

QSize SizeOf(const heif_image_handle* handle)
{
    // libheif gives the size with the file's transformations applied.
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// The ITU-T H.273 transfer numbers with the curves of sRGB and BT.709
// cameras; others (PQ, HLG, linear) are high-dynamic-range or rare, and
// such pictures are shown as stored.
std::optional<ToneCurve> ToneCurveOf(heif_transfer_characteristics transfer)
{
    switch (transfer) {
    case heif_transfer_characteristic_IEC_61966_2_1:
    case heif_transfer_characteristic_unspecified: return ToneCurve::Srgb;
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit: return ToneCurve::Bt709;
    default: return std::nullopt;
    }
}

PictureColours FromNclx(const heif_color_profile_nclx& nclx)
{
    const std::optional<ToneCurve> tone = ToneCurveOf(nclx.transfer_characteristics);
    const bool srgbPrimaries = nclx.color_primaries == heif_color_primaries_ITU_R_BT_709_5
                               || nclx.color_primaries == heif_color_primaries_unspecified;
    if (!tone || (srgbPrimaries && *tone == ToneCurve::Srgb))
        return {};
    // libheif fills in the chromaticities its primaries number stands for.
    const Chromaticities c{nclx.color_primary_white_x, nclx.color_primary_white_y,
                           nclx.color_primary_red_x,   nclx.color_primary_red_y,
                           nclx.color_primary_green_x, nclx.color_primary_green_y,
                           nclx.color_primary_blue_x,  nclx.color_primary_blue_y};
    PictureColours colours;
    colours.iccProfile = RgbProfileBytes(c, *tone);
    colours.unusableProfile = colours.iccProfile.empty();
    return colours;
}

std::optional<PictureColours> ColoursOf(const heif_image_handle* handle)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        PictureColours colours;
        colours.iccProfile.resize(heif_image_handle_get_raw_color_profile_size(handle));
        if (heif_image_handle_get_raw_color_profile(handle, colours.iccProfile.data()).code
            != heif_error_Ok)
            colours = {.unusableProfile = true};
        return colours;
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx* nclx = nullptr;
        if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx)
            return PictureColours{};
        const std::unique_ptr<heif_color_profile_nclx, NclxFree> owned(nclx);
        return FromNclx(*nclx);
    }
    default: return std::nullopt;
    }
}

QImage ToQImage(const heif_image_handle* handle)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(
        heif_decoding_options_alloc());
    if (!options)
        return {};
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    if (heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get())
                .code
            != heif_error_Ok
        || !decoded)
        return {};
    const Image image(decoded);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    // libheif decodes the coded stream at the size the stream itself
    // declares, whatever the boxes checked against our limits said: a file
    // whose two sizes disagree is damaged, and would otherwise slip a
    // picture of any size past those limits.
    if (!plane || QSize(width, height) != SizeOf(handle)
        || heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
        return {};
    const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(decoded);
    const QImage view(plane, width, height, stride,
                      !alpha          ? QImage::Format_RGB888
                      : premultiplied ? QImage::Format_RGBA8888_Premultiplied
                                      : QImage::Format_RGBA8888);
    return view.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

// The first thumbnail the caller accepts.
Handle ChosenThumbnail(const heif_image_handle* primary, const HeifThumbnailChoice& take)
{
    const int count = take ? heif_image_handle_get_number_of_thumbnails(primary) : 0;
    if (count <= 0)
        return nullptr;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    for (heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &thumbnail).code != heif_error_Ok
            || !thumbnail)
            continue;
        Handle owned(thumbnail);
        if (take(SizeOf(thumbnail), SizeOf(primary)))
            return owned;
    }
    return nullptr;
}

} // namespace

bool HeifSizeAllowed(QSize size)
{
    return PictureSizeAllowed(size.width(), size.height())
           && std::int64_t(size.width()) * size.height() <= kMaxHeifPixels;
}

HeifDecoded DecodeHeif(ByteSpan bytes, const HeifThumbnailChoice& takeThumbnail)
{
    const std::optional<OpenedHeif> heif = Open(bytes);
    if (!heif)
        return {};
    HeifDecoded out;
    out.fullSize = SizeOf(heif->primary.get());
    const Handle thumbnail = ChosenThumbnail(heif->primary.get(), takeThumbnail);
    const heif_image_handle* source = thumbnail ? thumbnail.get() : heif->primary.get();
    if (!HeifSizeAllowed(SizeOf(source)))
        return {};
    out.image = ToQImage(source);
    if (out.image.isNull())
        return {};
    // A thumbnail without colours of its own shows the photo's.
    std::optional<PictureColours> colours = ColoursOf(source);
    if (!colours && thumbnail)
        colours = ColoursOf(heif->primary.get());
    out.colours = colours.value_or(PictureColours{});
    return out;
}

std::optional<QSize> HeifPictureSize(ByteSpan bytes)
{
    const std::optional<OpenedHeif> heif = Open(bytes);
    if (!heif)
        return std::nullopt;
    return SizeOf(heif->primary.get());
}

} // namespace quillet
