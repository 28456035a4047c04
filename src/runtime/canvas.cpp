#include "runtime/canvas.h"

#include "runtime/bmp.h"
#include "runtime/fonts.h"
#include "runtime/image_decode.h"
#include "runtime/resample.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>

namespace quillet {
namespace {

constexpr int kPixelsPerMetreAt96Dpi = 3780;

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

int CanvasPixelSize(int points)
{
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

Canvas::Canvas(int width, int height)
{
    SetFont(FontSpec{});
    SetSize(width, height);
}

void Canvas::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    image_ = width > 0 && height > 0 ? QImage(width, height, QImage::Format_RGB32) : QImage();
    RebuildBackground();
    Clear();
}

void Canvas::SetFont(const FontSpec& font)
{
    fontSpec_ = font;
    font_ = MakeQFont(font);
    // Pixels, not points: a point size would follow the device's resolution.
    font_.setPixelSize(CanvasPixelSize(font.size));
}

void Canvas::SetBackgroundColor(QRgb color)
{
    backgroundColor_ = color | 0xFF000000u;
    RebuildBackground();
}

void Canvas::SetBackgroundPicture(const ByteArray& encodedPicture)
{
    backgroundPicture_ = encodedPicture.empty() ? QImage() : DecodePicture(encodedPicture);
    RebuildBackground();
}

void Canvas::SetBackgroundPictureMode(int mode)
{
    backgroundMode_ = std::clamp(mode, 0, 3);
    RebuildBackground();
}

void Canvas::RebuildBackground()
{
    // A plain colour is filled in where the canvas is cleared: a page-sized
    // copy of it would only take memory.
    if (image_.isNull() || backgroundPicture_.isNull()) {
        background_ = QImage();
        return;
    }
    background_ = QImage(image_.size(), QImage::Format_RGB32);
    background_.fill(backgroundColor_);
    QPainter painter(&background_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage& picture = backgroundPicture_;
    switch (backgroundMode_) {
    case kBackgroundTiled:
        painter.drawTiledPixmap(background_.rect(), QPixmap::fromImage(picture));
        break;
    case kBackgroundCentred: {
        QSize size = picture.size();
        if (size.width() > background_.width() || size.height() > background_.height())
            size = size.scaled(background_.size(), Qt::KeepAspectRatio);
        const QRect target((background_.width() - size.width()) / 2,
                           (background_.height() - size.height()) / 2, size.width(), size.height());
        painter.drawImage(target, ResampleToSize(picture, size.width(), size.height()));
        break;
    }
    case kBackgroundStretched: painter.drawImage(background_.rect(), picture); break;
    default: painter.drawImage(QPoint(0, 0), picture); break;
    }
}

void Canvas::Clear()
{
    if (image_.isNull())
        return;
    if (!background_.isNull()) {
        image_ = background_.copy();
        return;
    }
    // What was drawn may still be shared with a copy taken before (a page
    // being written): that copy keeps it, the canvas starts afresh.
    if (!image_.isDetached())
        image_ = QImage(image_.size(), QImage::Format_RGB32);
    image_.fill(backgroundColor_);
}

void Canvas::Clear(int x, int y, int width, int height)
{
    if (image_.isNull())
        return;
    const QRect area = QRect(x, y, width, height).intersected(image_.rect());
    if (area.isEmpty())
        return;
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (background_.isNull())
        painter.fillRect(area, QColor::fromRgb(backgroundColor_));
    else
        painter.drawImage(area.topLeft(), background_, area);
}

void Canvas::WriteTextAt(int x, int y, std::string_view text)
{
    if (image_.isNull() || text.empty())
        return;
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    painter.setPen(QColor::fromRgba(textColor_));
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

void Canvas::DrawPicture(PictureHandle picture, int x, int y, int width, int height)
{
    if (const QImage* source = PictureImage(picture))
        DrawImage(*source, x, y, width, height);
}

void Canvas::DrawImage(const QImage& picture, int x, int y, int width, int height)
{
    const QImage* source = &picture;
    if (source->isNull() || image_.isNull() || width <= 0 || height <= 0)
        return;
    QPainter painter(&image_);
    if (width <= source->width() && height <= source->height()) {
        // Qt's smooth filter only blends neighbours: large reductions would
        // sparkle, so shrink by area first and draw one to one.
        painter.drawImage(QPoint(x, y), ResampleToSize(*source, width, height));
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(x, y, width, height), *source);
}

ByteArray Canvas::ContentAsBmp() const
{
    return WriteBmp(image_, 24, kPixelsPerMetreAt96Dpi, kPixelsPerMetreAt96Dpi);
}

} // namespace quillet
