#pragma once
// A canvas as the page loop's surface: one canvas unit per unit of the
// layout (0.1 mm for page files, 1 mm for the miniature), measured at 96
// pixels per inch; its device pixels are the canvas's pixel ratio of them.  Pages are left on the
// canvas; a surface that puts them out (page files) does so in EndPage.

#include "print/page_loop.h"
#include "printing/canvas.h"

namespace quillet {

class CanvasPageSurface : public PageSurface {
public:
    explicit CanvasPageSurface(Canvas& canvas) : canvas_(canvas) {}

    void BeginPages(int width, int height) override;
    void SetFont(const FontSpec& font) override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    void WriteTextAt(int x, int y, std::string_view text) override;
    QSize UnitsFromDevicePixels(QSize pixels) const override
    {
        return pixels / canvas_.PixelRatio();
    }
    QSize DevicePixelsFromUnits(QSize units) const override { return units * canvas_.PixelRatio(); }
    void DrawPicture(const QImage& picture, const Rect& where) override;
    void EndPage(int) override {}

    Canvas& PageCanvas() { return canvas_; }

private:
    Canvas& canvas_;
};

// A page as it is put out: a landscape page (orientation 1), laid out wide,
// turned a quarter turn clockwise so that it stands upright; any other
// page as it is.
QImage UprightPage(const QImage& page, int orientation);

} // namespace quillet
