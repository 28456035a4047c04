#include "support/print_test_helpers.h"

#include "printing/printer_queries.h"

namespace quillet::testing {

FontSpec Font(int points, std::string name)
{
    FontSpec font;
    font.size = points;
    font.name = std::move(name);
    return font;
}

QImage SolidImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

std::string WriteJpeg(const QTemporaryDir& dir, const QString& name, int width, int height,
                      QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    image.save(path, "JPEG", 90);
    return path.toStdString();
}

QRect InkBounds(const QImage& page, QRect within)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    if (within.isNull())
        within = grey.rect();
    within &= grey.rect();
    QRect bounds;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const uchar* line = grey.constScanLine(y);
        int first = -1;
        int last = -1;
        for (int x = within.left(); x <= within.right(); ++x) {
            if (line[x] < 128) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first >= 0)
            bounds |= QRect(first, y, last - first + 1, 1);
    }
    return bounds;
}

void UseAlbumTestSettings(PrintSettings& s)
{
    s.paperWidth = 2100;
    s.paperHeight = 2970;
    s.orientation = 0;
    s.copies = 1;
    s.marginTop = 150;
    s.marginBottom = 150;
    s.marginLeft = 100;
    s.marginRight = 100;
    s.captionFont = Font(9);
    s.headerFont = Font(10, "黑体");
    s.footerFont = Font(10, "黑体");
}

} // namespace quillet::testing
