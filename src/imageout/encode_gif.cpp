#include "imageout/page_encoders.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <memory>
#include <vector>

namespace quillet {
namespace {

constexpr int kQuantizeSpeed = 8;

struct LiqAttrRelease {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct LiqImageRelease {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct LiqResultRelease {
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};
struct GifMapRelease {
    void operator()(ColorMapObject* p) const { GifFreeMapObject(p); }
};

int AppendGifBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<ByteArray*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

struct GifIndexedPage {
    std::vector<std::uint8_t> indices;
    std::unique_ptr<ColorMapObject, GifMapRelease> colours;
};

// libimagequant picks the 256 colours (dithered) that serve the page best;
// far better than a fixed web palette for photographs.
std::optional<GifIndexedPage> Quantize(const QImage& page)
{
    const QImage rgba = page.convertToFormat(QImage::Format_RGBA8888);
    std::unique_ptr<liq_attr, LiqAttrRelease> attr(liq_attr_create());
    if (!attr)
        return std::nullopt;
    // At the library's default speed a page full of noisy photos takes over
    // ten seconds to quantize; speed 8 takes about one with a palette that
    // dithering makes indistinguishable on paper.
    liq_set_speed(attr.get(), kQuantizeSpeed);
    std::unique_ptr<liq_image, LiqImageRelease> image(
        liq_image_create_rgba(attr.get(), rgba.constBits(), rgba.width(), rgba.height(), 0));
    if (!image)
        return std::nullopt;
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK || !raw)
        return std::nullopt;
    std::unique_ptr<liq_result, LiqResultRelease> result(raw);
    liq_set_dithering_level(result.get(), 1.0f);

    GifIndexedPage out;
    out.indices.resize(static_cast<std::size_t>(rgba.width())
                       * static_cast<std::size_t>(rgba.height()));
    if (liq_write_remapped_image(result.get(), image.get(), out.indices.data(), out.indices.size())
        != LIQ_OK)
        return std::nullopt;
    const liq_palette* palette = liq_get_palette(result.get());
    // GIF colour tables have a power-of-two length; the spare entries stay black.
    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    for (unsigned i = 0; i < palette->count && i < 256; ++i)
        colours[i] =
            GifColorType{palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
    out.colours.reset(GifMakeMapObject(256, colours.data()));
    if (!out.colours)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<ByteArray> EncodeGif(const PageRaster& page)
{
    constexpr int kGifMaxSide = 65535;
    if (page.image.isNull() || page.image.width() > kGifMaxSide
        || page.image.height() > kGifMaxSide)
        return std::nullopt;
    std::optional<GifIndexedPage> indexed = Quantize(page.image);
    if (!indexed)
        return std::nullopt;

    ByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGifBytes, &error);
    if (!gif)
        return std::nullopt;
    const int width = page.image.width();
    const int height = page.image.height();
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, indexed->colours.get()) == GIF_OK
              && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y) {
        GifPixelType* row =
            indexed->indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        ok = EGifPutLine(gif, row, width) == GIF_OK;
    }
    // Closing writes the trailer; it fails if that write fails.
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    if (!ok)
        return std::nullopt;
    return out;
}

} // namespace quillet
