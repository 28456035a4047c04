#pragma once
// The canvas: a retained drawing surface backed by an image, for page images,
// preview pages and the preview miniature.  It needs no window; a widget that
// shows one paints Image().

#include "runtime/bytes.h"
#include "runtime/font_spec.h"
#include "runtime/picture.h"
#include "runtime/text_surface.h"

#include <QFont>
#include <QImage>

#include <string_view>

namespace quillet {

// How the background picture is laid behind the drawing.
enum BackgroundPictureMode : int {
    kBackgroundTopLeft = 0, // natural size at the top-left corner
    kBackgroundTiled = 1,
    kBackgroundCentred = 2, // centred, shrunk in proportion when too large, never enlarged
    kBackgroundStretched = 3,
};

class Canvas : public TextSurface {
public:
    explicit Canvas(int width = 0, int height = 0);

    // A new size starts a fresh surface filled with the background.
    void SetSize(int width, int height);
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }

    // The font of text output and measurement.  Its size (points) becomes
    // pixels at 96 per inch on every machine, so page images do not depend
    // on the screen.
    void SetFont(const FontSpec& font);
    const FontSpec& Font() const { return fontSpec_; }
    const QFont& QtFont() const { return font_; }

    void SetTextColor(QRgb color) { textColor_ = color; }
    void SetBackgroundColor(QRgb color);
    QRgb BackgroundColor() const { return backgroundColor_; }

    // The encoded picture painted behind the drawing; empty bytes or bytes
    // that do not decode mean none.  What is drawn stays: the new background
    // shows where the canvas is cleared next.
    void SetBackgroundPicture(const ByteArray& encodedPicture);
    void SetBackgroundPictureMode(int mode);
    int BackgroundPictureMode() const { return backgroundMode_; }

    // Fills the whole canvas, or a rectangle of it, with the background.
    void Clear();
    void Clear(int x, int y, int width, int height);

    void WriteTextAt(int x, int y, std::string_view text) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    // Draws the picture stretched into the rectangle; no picture, or an empty
    // rectangle, draws nothing.
    void DrawPicture(PictureHandle picture, int x, int y, int width, int height);
    void DrawImage(const QImage& picture, int x, int y, int width, int height);

    // Everything drawn so far as the bytes of a 24-bit BMP file.
    ByteArray ContentAsBmp() const;

    const QImage& Image() const { return image_; }

private:
    void RebuildBackground();

    QImage image_;
    QImage background_; // the cleared look of the whole canvas; null for a plain colour
    QImage backgroundPicture_;
    int backgroundMode_ = kBackgroundTopLeft;
    QRgb backgroundColor_ = 0xFFFFFFFFu;
    QRgb textColor_ = 0xFF000000u;
    FontSpec fontSpec_;
    QFont font_;
};

// The canvas's rule for font sizes: points at 96 pixels per inch, rounded,
// at least one pixel.
int CanvasPixelSize(int points);

} // namespace quillet
