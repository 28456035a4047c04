#include "codecs/image_file_format.h"

namespace quillet {

bool IsImageFileFormat(int format)
{
    return format >= kImageFormatBmp && format <= kImageFormatPng;
}

ImageFileFormat PageFileFormat(int imageFormat)
{
    return IsImageFileFormat(imageFormat) ? static_cast<ImageFileFormat>(imageFormat)
                                          : kImageFormatJpeg;
}

const char* ImageFileExtension(ImageFileFormat format)
{
    switch (format) {
    case kImageFormatBmp: return ".bmp";
    case kImageFormatGif: return ".gif";
    case kImageFormatTiff: return ".tiff";
    case kImageFormatPng: return ".png";
    case kImageFormatJpeg: break;
    }
    return ".jpg";
}

} // namespace quillet
