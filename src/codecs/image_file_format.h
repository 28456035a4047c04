#pragma once
// The page file formats by the numbers the settings record stores.

namespace quillet {

// Page file formats, as the settings number them.
enum ImageFileFormat : int {
    kImageFormatBmp = 1,
    kImageFormatJpeg = 2,
    kImageFormatGif = 3,
    kImageFormatTiff = 4,
    kImageFormatPng = 5,
};

// Whether the number names one of the five formats.
bool IsImageFileFormat(int format);

// The format a page file is written in: a number outside 1..5 writes JPEG.
ImageFileFormat PageFileFormat(int imageFormat);

// ".bmp", ".jpg", ".gif", ".tiff", ".png".
const char* ImageFileExtension(ImageFileFormat format);

} // namespace quillet
