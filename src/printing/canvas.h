#pragma once
// The canvas: a white drawing surface backed by an image, for page images
// and the preview miniature.  It needs no window; a widget that shows one
// paints Image().

#include "printing/text_surface.h"
#include "widgets/font_spec.h"

#include <QFont>
#include <QImage>

#include <string_view>

namespace quillet {

class Canvas : public TextSurface {
public:
    // Everything is drawn in width × height units; the image holds
    // pixelRatio pixels per unit (a dense screen's ratio), so that a widget
    // shows it sharp at the unit size.
    explicit Canvas(int width = 0, int height = 0, qreal pixelRatio = 1);

    // A new size starts a fresh white surface.
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    qreal PixelRatio() const { return pixelRatio_; }

    // The font of text output and measurement.  Its size (points) becomes
    // pixels at 96 per inch on every machine, so page images do not depend
    // on the screen.
    void SetFont(const FontSpec& font);

    // Fills the whole canvas with white.
    void Clear();

    void WriteTextAt(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    // Draws the picture stretched into the rectangle; no picture, or an empty
    // rectangle, draws nothing.
    void DrawImage(const QImage& picture, int x, int y, int width, int height);

    const QImage& Image() const { return image_; }

private:
    QImage image_;
    int width_ = 0;
    int height_ = 0;
    qreal pixelRatio_ = 1;
    FontSpec fontSpec_;
    QFont font_;
};

// The canvas's rule for font sizes: points at 96 pixels per inch, rounded,
// at least one pixel.
int CanvasPixelSize(int points);

} // namespace quillet
