#pragma once
// The bitmap object: one page as a device-independent bitmap with its header
// fields, so that the page can be stamped with a print resolution and turned
// before it is written out.

#include "runtime/bytes.h"

#include <QImage>

namespace quillet {

class BitmapObject {
public:
    BitmapObject() = default;

    // Replaces the bitmap by the BMP file image in the bytes; bytes that do
    // not read leave the object as it was and give false.
    bool LoadFromBmp(const ByteArray& bytes);

    // The bitmap as the bytes of a BMP file (32 bits per pixel when it was
    // loaded from a 32-bit file, else 24); empty for an empty object.
    ByteArray BmpBytes() const;

    // Pixels per metre written into the header (11811 is 300 per inch).
    void SetHorizontalResolution(int pixelsPerMetre) { horizontalResolution_ = pixelsPerMetre; }
    void SetVerticalResolution(int pixelsPerMetre) { verticalResolution_ = pixelsPerMetre; }
    int HorizontalResolution() const { return horizontalResolution_; }
    int VerticalResolution() const { return verticalResolution_; }

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    int BitsPerPixel() const { return bitsPerPixel_; }
    bool IsEmpty() const { return image_.isNull(); }
    const QImage& Image() const { return image_; }

    // A new bitmap turned by the angle in degrees (+90 is a quarter turn
    // clockwise) whose size is the turned picture's bounding box.  Every
    // target pixel takes the nearest source pixel; corners outside the
    // source take the fill colour.  Resolution and depth are kept.
    BitmapObject Rotate(double angleDegrees, QRgb fill = 0xFFFFFFFFu) const;

private:
    QImage image_;
    int bitsPerPixel_ = 24;
    int horizontalResolution_ = 0;
    int verticalResolution_ = 0;
};

// The image turned as BitmapObject::Rotate turns it (same pixels, same size).
QImage RotatedImage(const QImage& image, double angleDegrees, QRgb fill = 0xFFFFFFFFu);

} // namespace quillet
