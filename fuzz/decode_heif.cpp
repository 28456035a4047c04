// libheif (HEVC through libde265, AV1 through dav1d) behind our size limits,
// with the thumbnail path taken whenever the file has one.
#include "codecs/heif.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quillet::ByteSpan bytes(data, size);
    quillet::DecodeHeif(bytes, [](QSize, QSize) { return true; });
    quillet::DecodeHeif(bytes);
    return 0;
}
