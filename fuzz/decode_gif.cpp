// giflib's reader: first frame, extensions, interlacing, frames placed
// anywhere on (or off) the logical screen.
#include "codecs/gif.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quillet::DecodeGif(quillet::ByteSpan(data, size));
    return 0;
}
