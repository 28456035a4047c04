#pragma once
// Writing a rendered page as an image file of the chosen format.

#include <QImage>

#include <string>

namespace quillet {

// Page file formats, as the settings number them.
enum ImageFileFormat : int {
    kImageFormatBmp = 1,
    kImageFormatJpeg = 2,
    kImageFormatGif = 3,
    kImageFormatTiff = 4,
    kImageFormatPng = 5,
};

// Writes the page to fileName as a 24-bit BMP, JPEG (quality 75), GIF
// (256-colour palette), TIFF or PNG file by format 1..5, stamped with
// pixelsPerMetre both ways where the format stores a resolution.  The file is
// written under a temporary name in the same folder and renamed into place,
// so a failure never leaves a partial file under the real name.  True only
// when the whole file was written; no page, any other format number or a
// write error give false and write nothing.
bool EncodePageImage(const QImage& page, int pixelsPerMetre, const std::string& fileName,
                     int format);

} // namespace quillet
