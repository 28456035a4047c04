// libjpeg-turbo behind our error manager: whole and reduced-scale decoding,
// with the EXIF orientation read from whatever APP1 segment the input holds;
// the header alone and the EXIF thumbnail it carries, as the preview reads them.
#include "codecs/image_decode.h"
#include "codecs/jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const quillet::ByteSpan bytes(data, size);
    const quillet::JpegDecoded whole = quillet::DecodeJpeg(bytes);
    if (!whole.image.isNull())
        quillet::DecodePictureScaled(bytes, 300);
    if (const auto header = quillet::ReadJpegHeader(bytes);
        header && !header->exifThumbnail.empty())
        quillet::DecodeJpegCovering(header->exifThumbnail, 40, 30);
    return 0;
}
