// The loader as the program calls it: format sniffing, every decoder
// including Qt's icon and cursor reader, and the shrinking path.
#include "codecs/image_decode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quillet::ByteSpan bytes(data, size);
    const QImage image = quillet::DecodePicture(bytes);
    if (!image.isNull())
        quillet::DecodePictureScaled(bytes, 912);
    return 0;
}
