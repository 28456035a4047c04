#include "codecs/icon.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace quillet {

QImage DecodeIconOrCursor(ByteSpan bytes, PictureFormat format)
{
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, format == PictureFormat::Cursor ? "cur" : "ico");
    // Qt's own guard against huge declarations, in megabytes of image data.
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)));
    const QSize declared = reader.size();
    if (declared.isValid() && !PictureSizeAllowed(declared.width(), declared.height()))
        return {};
    // Several sizes may be stored; the largest is the picture people drew.
    int best = 0;
    int bestArea = -1;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        if (size.width() * size.height() > bestArea) {
            bestArea = size.width() * size.height();
            best = i;
        }
    }
    reader.jumpToImage(best);
    QImage image = reader.read();
    if (image.isNull() || !PictureSizeAllowed(image.width(), image.height()))
        return {};
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

} // namespace quillet
