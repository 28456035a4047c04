// libpng behind our error jumps: every colour type, depth and interlace.
#include "codecs/png.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quillet::DecodePng(quillet::ByteSpan(data, size));
    return 0;
}
