#include "print/preview_page.h"

#include <utility>

namespace quillet {

// Interim until the album page loop takes the miniature as its third
// surface: the page's paper only.
QImage RenderPreviewPage(const PreviewPageInput& input, const PreviewLines&, const PreviewProgress&,
                         MiniatureCache*)
{
    int width = input.pageWidth.value_or(0);
    int height = input.pageHeight.value_or(0);
    if (width < 0.001 || height < 0.001) {
        width = 210;
        height = 297;
    }
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    return page;
}

} // namespace quillet
