#include "printing/canvas.h"

#include "codecs/resample.h"
#include "printing/fonts.h"
#include "textfiles/convert.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>

namespace quillet {
int CanvasPixelSize(int points)
{
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

Canvas::Canvas(int width, int height, qreal pixelRatio) : pixelRatio_(pixelRatio)
{
    SetFont(FontSpec{});
    SetSize(width, height);
}

void Canvas::SetSize(int width, int height)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    image_ = QImage();
    if (width_ > 0 && height_ > 0) {
        image_ = QImage(QSize(width_, height_) * pixelRatio_, QImage::Format_RGB32);
        // A painter on the image then draws in units.
        image_.setDevicePixelRatio(pixelRatio_);
    }
    Clear();
}

void Canvas::SetFont(const FontSpec& font)
{
    fontSpec_ = font;
    font_ = MakeQFont(font);
    // Pixels, not points: a point size would follow the device's resolution.
    font_.setPixelSize(CanvasPixelSize(font.size));
}

void Canvas::Clear()
{
    if (image_.isNull())
        return;
    // What was drawn may still be shared with a copy taken before (a page
    // being written): that copy keeps it, the canvas starts afresh.
    if (!image_.isDetached()) {
        image_ = QImage(image_.size(), QImage::Format_RGB32);
        image_.setDevicePixelRatio(pixelRatio_);
    }
    image_.fill(Qt::white);
}

void Canvas::WriteTextAt(int x, int y, std::string_view text)
{
    if (image_.isNull() || text.empty())
        return;
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    painter.translate(x, y);
    // Escapement in tenths of a degree, counter-clockwise as fonts measure it.
    if (fontSpec_.angle != 0)
        painter.rotate(-fontSpec_.angle / 10.0);
    painter.drawText(QPoint(0, QFontMetrics(font_).ascent()), ToQString(text));
}

int Canvas::TextWidth(std::string_view text)
{
    return QFontMetrics(font_).horizontalAdvance(ToQString(text));
}

int Canvas::TextHeight(std::string_view)
{
    return QFontMetrics(font_).height();
}

void Canvas::DrawImage(const QImage& picture, int x, int y, int width, int height)
{
    const QImage* source = &picture;
    if (source->isNull() || image_.isNull() || width <= 0 || height <= 0)
        return;
    QPainter painter(&image_);
    const QSize pixels = QSize(width, height) * pixelRatio_;
    if (pixels.width() <= source->width() && pixels.height() <= source->height()) {
        // Qt's smooth filter only blends neighbours: large reductions would
        // sparkle, so shrink by area first and draw one to one.
        QImage shrunk = ResampleToSize(*source, pixels.width(), pixels.height());
        shrunk.setDevicePixelRatio(pixelRatio_);
        painter.drawImage(QPoint(x, y), shrunk);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(x, y, width, height), *source);
}

} // namespace quillet
