// An embedded colour profile as LittleCMS reads it behind our checks: the
// input is tried as the profile of an RGB picture and as the CMYK profile
// of an Adobe and a plain CMYK JPEG.
#include "codecs/colour_profile.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quillet::PictureColours colours;
    colours.iccProfile.assign(data, data + size);
    QImage picture(16, 4, QImage::Format_ARGB32);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y)
            picture.setPixel(x, y, qRgba(x * 16, y * 64, 255 - x * 16, 128));
    quillet::ConvertToSrgb(picture, colours);
    for (bool inverted : {true, false}) {
        if (const auto cmyk = quillet::CmykToSrgb::Make(colours, inverted)) {
            std::vector<unsigned char> ink(64);
            for (std::size_t i = 0; i < ink.size(); ++i)
                ink[i] = static_cast<unsigned char>(i * 4);
            std::vector<QRgb> row(16);
            cmyk->ConvertRow(ink.data(), row.data(), 16);
        }
    }
    return 0;
}
