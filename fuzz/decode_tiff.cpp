// libtiff's first page through the RGBA reader or the CMYK profile path.
#include "codecs/tiff.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quillet::DecodeTiff(quillet::ByteSpan(data, size));
    return 0;
}
