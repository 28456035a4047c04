#include "runtime/image_box.h"

#include "runtime/bmp.h"
#include "runtime/image_decode.h"
#include "runtime/resample.h"

#include <QPainter>

#include <algorithm>

namespace quillet {

int ImageBox::CreateImageObject()
{
    objects_.emplace_back();
    return static_cast<int>(objects_.size()) - 1;
}

const ImageBox::ImageObject* ImageBox::Find(int index) const
{
    if (index < 0 || index >= static_cast<int>(objects_.size()))
        return nullptr;
    return &objects_[static_cast<std::size_t>(index)];
}

bool ImageBox::LoadImageData(int index, const ByteArray& encoded,
                             std::optional<QRgb> transparentColour)
{
    if (!Find(index))
        return false;
    ImageObject& object = objects_[static_cast<std::size_t>(index)];
    object.image = QImage();
    QImage decoded = DecodePicture(encoded);
    if (decoded.isNull())
        return false;
    if (transparentColour) {
        decoded = decoded.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = *transparentColour & 0x00FFFFFFu;
        for (int y = 0; y < decoded.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(decoded.scanLine(y));
            for (int x = 0; x < decoded.width(); ++x) {
                if ((row[x] & 0x00FFFFFFu) == key && qAlpha(row[x]) == 255)
                    row[x] = 0;
            }
        }
    }
    object.image = std::move(decoded);
    return true;
}

void ImageBox::SetScale(int index, int horizontalPerMille, std::optional<int> verticalPerMille)
{
    if (!Find(index))
        return;
    ImageObject& object = objects_[static_cast<std::size_t>(index)];
    const int vertical = verticalPerMille.value_or(horizontalPerMille);
    if (horizontalPerMille > 0)
        object.horizontalPerMille = horizontalPerMille;
    if (vertical > 0)
        object.verticalPerMille = vertical;
}

int ImageBox::ScaledWidth(int index) const
{
    const ImageObject* object = Find(index);
    if (!object || object->image.isNull())
        return 0;
    return ScaledSide(object->image.width(), object->horizontalPerMille);
}

int ImageBox::ScaledHeight(int index) const
{
    const ImageObject* object = Find(index);
    if (!object || object->image.isNull())
        return 0;
    return ScaledSide(object->image.height(), object->verticalPerMille);
}

void ImageBox::SetSize(int width, int height)
{
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

QImage ImageBox::RenderImage(int x, int y, int width, int height, QRgb background) const
{
    const QRect area = QRect(x, y, width, height).intersected(QRect(0, 0, width_, height_));
    if (area.isEmpty())
        return {};
    QImage target(area.size(), QImage::Format_RGB32);
    if (target.isNull())
        return {};
    target.fill(background | 0xFF000000u);
    QPainter painter(&target);
    painter.translate(-area.topLeft());
    for (int i = 0; i < ImageObjectCount(); ++i) {
        const ImageObject& object = objects_[static_cast<std::size_t>(i)];
        if (object.image.isNull())
            continue;
        painter.drawImage(QPoint(0, 0),
                          ResampleToSize(object.image, ScaledWidth(i), ScaledHeight(i)));
    }
    return target;
}

ByteArray ImageBox::RenderRectangle(int x, int y, int width, int height, QRgb background) const
{
    return WriteBmp(RenderImage(x, y, width, height, background), 32);
}

} // namespace quillet
