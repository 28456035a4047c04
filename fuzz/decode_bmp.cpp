// Our own BMP reader: headers, palettes, masks and run-length data.
#include "codecs/bmp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)quillet::ReadBmp(quillet::ByteSpan(data, size));
    return 0;
}
