#pragma once
// The image box: a list of image objects, each one decoded picture with its
// own scale, laid over one another from the box's top-left corner.  Used off
// screen to scale a picture and hand it over as a 32-bit BMP.

#include "runtime/bytes.h"

#include <QImage>

#include <optional>
#include <vector>

namespace quillet {

class ImageBox {
public:
    ImageBox() = default;

    // Adds an empty object and returns its index (0, 1, ...).
    int CreateImageObject();
    int ImageObjectCount() const { return static_cast<int>(objects_.size()); }

    // Clears the object's image, then decodes the bytes into it; undecodable
    // data leaves it empty.  Pixels of the transparent colour, when given,
    // become see-through.  False for an unknown index or undecodable data.
    bool LoadImageData(int index, const ByteArray& encoded,
                       std::optional<QRgb> transparentColour = {});

    // Scale per mille on each side (1000 = natural size); a value ≤ 0 leaves
    // that side's scale unchanged.  The vertical scale defaults to the
    // horizontal one.
    void SetScale(int index, int horizontalPerMille, std::optional<int> verticalPerMille = {});

    // The object's size after scaling; 0 when empty or unknown.
    int ScaledWidth(int index) const;
    int ScaledHeight(int index) const;

    // The box's own area, which clips what is rendered.
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

    // That part of the box, clipped to its area, over the background, as a
    // 32-bit bottom-up BMP file image (54-byte header, 4 bytes per pixel).
    // Empty when nothing of the rectangle lies inside the box.
    ByteArray RenderRectangle(int x, int y, int width, int height,
                              QRgb background = 0xFFFFFFFFu) const;

    // The same, as an image rather than BMP bytes.
    QImage RenderImage(int x, int y, int width, int height, QRgb background = 0xFFFFFFFFu) const;

private:
    struct ImageObject {
        QImage image;
        int horizontalPerMille = 1000;
        int verticalPerMille = 1000;
    };
    const ImageObject* Find(int index) const;

    std::vector<ImageObject> objects_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace quillet
