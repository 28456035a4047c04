#include "print/canvas_page_surface.h"

#include <QTransform>

namespace quillet {

void CanvasPageSurface::BeginPages(int width, int height)
{
    canvas_.SetSize(width, height);
    canvas_.Clear();
}

void CanvasPageSurface::SetFont(const FontSpec& font)
{
    canvas_.SetFont(font);
}

int CanvasPageSurface::TextWidth(std::string_view text)
{
    return canvas_.TextWidth(text);
}

int CanvasPageSurface::TextHeight(std::string_view text)
{
    return canvas_.TextHeight(text);
}

void CanvasPageSurface::WriteTextAt(int x, int y, std::string_view text)
{
    canvas_.WriteTextAt(x, y, text);
}

void CanvasPageSurface::DrawPicture(const QImage& picture, const Rect& where)
{
    canvas_.DrawImage(picture, where.x, where.y, where.width, where.height);
}

QImage UprightPage(const QImage& page, int orientation)
{
    // A quarter turn clockwise, pixel for pixel.
    return orientation == 1 ? page.transformed(QTransform().rotate(90)) : page;
}

} // namespace quillet
