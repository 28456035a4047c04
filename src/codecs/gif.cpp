#include "codecs/gif.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace quillet {
namespace {

struct MemoryReader {
    ByteSpan bytes;
    std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (wanted <= 0)
        return 0;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(wanted),
                                                    reader->bytes.size() - reader->position);
    std::memcpy(out, reader->bytes.data() + reader->position, count);
    reader->position += count;
    return static_cast<int>(count);
}

struct GifClose {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifFile = std::unique_ptr<GifFileType, GifClose>;

// Skips an extension's sub-blocks, picking up the transparent colour from a
// graphics control block on the way.  False when the file breaks off.
bool ReadExtension(GifFileType* gif, int& transparentIndex)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        GraphicsControlBlock control{};
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparentIndex = control.TransparentColor;
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) != GIF_OK)
            return false;
    }
    return true;
}

// Reads the rows of the current frame in file order: interlaced frames store
// every 8th row first, then the 4th, 2nd and odd ones.
bool ReadFrameRows(GifFileType* gif, int width, int height, std::vector<GifPixelType>& pixels)
{
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    auto row = [&](int y) {
        return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    };
    if (gif->Image.Interlace) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int y = kStart[pass]; y < height; y += kStep[pass]) {
                if (DGifGetLine(gif, row(y), width) != GIF_OK)
                    return false;
            }
        }
        return true;
    }
    for (int y = 0; y < height; ++y) {
        if (DGifGetLine(gif, row(y), width) != GIF_OK)
            return false;
    }
    return true;
}

// Page files.

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

QImage DecodeGif(ByteSpan bytes)
{
    if (bytes.size() < 13)
        return {};
    MemoryReader reader{bytes};
    int error = 0;
    GifFile gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif)
        return {};

    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK)
            return {};
        if (record == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif.get(), transparentIndex))
                return {};
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            return {}; // the file ends without a frame
        break;
    }
    if (DGifGetImageDesc(gif.get()) != GIF_OK)
        return {};

    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0 || !PictureSizeAllowed(frame.Width, frame.Height))
        return {};
    // Some writers leave the screen size at 0; the frame then is the picture.
    int screenWidth = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    int screenHeight = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    int left = frame.Left;
    int top = frame.Top;
    // A screen larger than any picture taken (65535 × 65535 would need 16 GB)
    // around a frame that is not: the frame alone is the picture.
    if (!PictureSizeAllowed(screenWidth, screenHeight)) {
        screenWidth = frame.Width;
        screenHeight = frame.Height;
        left = 0;
        top = 0;
    }
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours || !colours->Colors || colours->ColorCount <= 0)
        return {};

    std::vector<GifPixelType> pixels;
    if (!ReadFrameRows(gif.get(), frame.Width, frame.Height, pixels))
        return {};

    QImage image(screenWidth, screenHeight, QImage::Format_ARGB32);
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(Qt::transparent);
    bool anyTransparent = false;
    for (int y = 0; y < frame.Height; ++y) {
        const int targetY = top + y;
        if (targetY < 0 || targetY >= screenHeight)
            continue;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(targetY));
        const GifPixelType* in =
            pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width);
        for (int x = 0; x < frame.Width; ++x) {
            const int targetX = left + x;
            if (targetX < 0 || targetX >= screenWidth)
                continue;
            const int index = in[x];
            if (index == transparentIndex) {
                anyTransparent = true;
                continue;
            }
            if (index >= colours->ColorCount) {
                out[targetX] = qRgb(0, 0, 0);
                continue;
            }
            const GifColorType& c = colours->Colors[index];
            out[targetX] = qRgb(c.Red, c.Green, c.Blue);
        }
    }
    const bool coversScreen = left <= 0 && top <= 0 && left + frame.Width >= screenWidth
                              && top + frame.Height >= screenHeight;
    if (!anyTransparent && coversScreen)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

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
