#include "codecs/resample.h"

namespace quillet {

QImage ResampleToSize(const QImage& image, int width, int height)
{
    if (image.isNull() || width < 1 || height < 1)
        return {};
    const bool alpha = image.hasAlphaChannel();
    const QImage::Format plain = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (width == image.width() && height == image.height())
        return image.convertToFormat(plain);
    // Qt's smooth scaling averages the box of source pixels under each
    // target pixel when it shrinks (and filters bilinearly when it enlarges).
    // Premultiplied alpha keeps transparent pixels from bleeding colour.
    const QImage source =
        image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(plain);
}

} // namespace quillet
