// libjpeg-turbo behind our error manager: whole and reduced-scale decoding,
// with the EXIF orientation read from whatever APP1 segment the input holds.
#include "runtime/image_decode.h"
#include "runtime/image_decode_jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quillet::ByteSpan bytes(data, size);
    const quillet::JpegDecoded whole = quillet::DecodeJpeg(bytes);
    if (!whole.image.isNull())
        quillet::DecodePictureScaled(bytes, 300);
    return 0;
}
