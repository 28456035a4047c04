// libwebp and libwebpdemux: still, animated, scaled, EXIF and ICCP chunks.
#include "codecs/webp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quillet::ByteSpan bytes(data, size);
    quillet::DecodeWebp(bytes);
    quillet::DecodeWebp(bytes, 370);
    return 0;
}
