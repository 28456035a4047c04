#include "print/page_job.h"

#include "print/page_layout.h"

namespace quillet {

PrintSettings MiniatureSettings(const PrintSettings& record, const TypedLayoutValues& typed)
{
    PrintSettings s = record;
    s.paperWidth = TruncateLength(typed.paperWidth);
    s.paperHeight = TruncateLength(typed.paperHeight);
    s.orientation = typed.landscape ? 1 : 0;
    s.photoFitMode = typed.fitMode;
    s.rows = TruncateLength(typed.rows);
    s.columns = TruncateLength(typed.columns);
    s.rowGap = TruncateLength(typed.rowGap / 10);
    s.columnGap = TruncateLength(typed.columnGap / 10);
    s.captionGap = TruncateLength(typed.captionGap / 10);
    s.marginTop = TruncateLength(typed.marginTop);
    s.marginBottom = TruncateLength(typed.marginBottom);
    s.marginLeft = TruncateLength(typed.marginLeft);
    s.marginRight = TruncateLength(typed.marginRight);
    s.headerOffset = TruncateLength(typed.headerOffset);
    s.footerOffset = TruncateLength(typed.footerOffset);
    s.imageOptimization = 1;
    return s;
}

PictureList MiniaturePictures(PictureList pictures)
{
    std::size_t used = pictures.paths.size();
    const auto isPadding = [&pictures](std::size_t i) {
        return pictures.paths[i].empty()
               && (i >= pictures.captions.size() || pictures.captions[i].empty());
    };
    while (used > 0 && isPadding(used - 1))
        --used;
    pictures.paths.resize(used);
    if (pictures.aspectRatios.size() > used)
        pictures.aspectRatios.resize(used);
    if (pictures.captions.size() > used)
        pictures.captions.resize(used);
    return pictures;
}

} // namespace quillet
