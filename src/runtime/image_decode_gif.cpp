#include "runtime/image_decode_gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
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
    if (!PictureSizeAllowed(screenWidth, screenHeight))
        return {};
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours || !colours->Colors || colours->ColorCount <= 0)
        return {};

    std::vector<GifPixelType> pixels;
    if (!ReadFrameRows(gif.get(), frame.Width, frame.Height, pixels))
        return {};

    QImage image(screenWidth, screenHeight, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    bool anyTransparent = false;
    for (int y = 0; y < frame.Height; ++y) {
        const int targetY = frame.Top + y;
        if (targetY < 0 || targetY >= screenHeight)
            continue;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(targetY));
        const GifPixelType* in =
            pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width);
        for (int x = 0; x < frame.Width; ++x) {
            const int targetX = frame.Left + x;
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
    const bool coversScreen = frame.Left <= 0 && frame.Top <= 0
                              && frame.Left + frame.Width >= screenWidth
                              && frame.Top + frame.Height >= screenHeight;
    if (!anyTransparent && coversScreen)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

} // namespace quillet
