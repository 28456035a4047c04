// Our own BMP reader: headers, palettes, masks and run-length data.
#include "runtime/bitmap_object.h"
#include "runtime/bmp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::optional<quillet::BmpPicture> bmp = quillet::ReadBmp(quillet::ByteSpan(data, size));
    if (bmp && bmp->image.width() * static_cast<long long>(bmp->image.height()) <= 4'000'000) {
        quillet::BitmapObject bitmap;
        bitmap.LoadFromBmp(quillet::ByteArray(data, data + size));
        bitmap.Rotate(33.0);
    }
    return 0;
}
