#include "print/page_layout.h"

#include "textfiles/convert.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillet {

int TruncateLength(double value)
{
    return TruncateToInt(value);
}

bool AtLeast(double a, double b)
{
    return a - b >= -kLayoutTolerance;
}

std::string TextAPageCanShow(std::string_view text, int pageWidth, int pageHeight)
{
    const long long mostCharacters = std::max(pageWidth, 1);
    const long long mostLines = std::max(pageHeight, 1);
    std::string shown;
    long long lines = 1;
    long long characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (++lines > mostLines)
                break;
            characters = 0;
            shown.push_back(c);
            // CR LF is one line end.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                shown.push_back(text[++i]);
            continue;
        }
        // A UTF-8 continuation byte belongs to the character before it.
        const bool continues = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (!continues)
            ++characters;
        if (characters <= mostCharacters)
            shown.push_back(c);
    }
    return shown;
}

GridSize NormaliseGrid(int rows, int columns)
{
    if (rows < 1 || columns < 1)
        return GridSize{5, 5};
    return GridSize{rows, columns};
}

long long CellsPerPage(int rows, int columns)
{
    const GridSize grid = NormaliseGrid(rows, columns);
    return static_cast<long long>(grid.rows) * grid.columns;
}

int PageCount(int pictureCount, int rows, int columns)
{
    const long long perPage = CellsPerPage(rows, columns);
    if (pictureCount <= 0)
        return 0;
    return static_cast<int>(pictureCount / perPage + (pictureCount % perPage != 0 ? 1 : 0));
}

PaperSize UsablePaper(int width, int height, int unitsPerMillimetre)
{
    if (width > 0 && height > 0)
        return PaperSize{width, height};
    return PaperSize{210 * unitsPerMillimetre, 297 * unitsPerMillimetre};
}

int CaptionGapInForce(std::optional<int> captionGap, double captionLineHeight)
{
    if (!captionGap || AtLeast(*captionGap, captionLineHeight / 2))
        return 0;
    return *captionGap;
}

PageGrid::PageGrid(const PageGridSpec& layout) : spec_(layout)
{
    spec_.grid = NormaliseGrid(layout.grid.rows, layout.grid.columns);
    printableWidth_ =
        TruncateLength(double(spec_.pageWidth) - spec_.marginLeft - spec_.marginRight);
    printableHeight_ =
        TruncateLength(double(spec_.pageHeight) - spec_.marginTop - spec_.marginBottom);

    const int rows = spec_.grid.rows;
    const int columns = spec_.grid.columns;
    const double width =
        (double(printableWidth_) - double(columns - 1) * spec_.columnGap) / columns;
    const double height = (double(printableHeight_) - double(rows - 1) * spec_.rowGap) / rows;
    if (spec_.precision == CellPrecision::WholeUnits) {
        cellWidth_ = TruncateLength(width);
        cellHeight_ = TruncateLength(height);
    } else {
        cellWidth_ = Held(width);
        cellHeight_ = Held(height);
    }
}

double PageGrid::Held(double value) const
{
    if (spec_.precision == CellPrecision::SinglePrecision)
        return static_cast<double>(static_cast<float>(value));
    return value;
}

double PageGrid::CellX(int column) const
{
    const double start = spec_.origin == CellOrigin::PageCorner ? spec_.marginLeft : 0;
    return Held(start + column * (cellWidth_ + spec_.columnGap));
}

double PageGrid::CellY(int row) const
{
    const double start = spec_.origin == CellOrigin::PageCorner ? spec_.marginTop : 0;
    return Held(start + row * (cellHeight_ + spec_.rowGap));
}

Rect PageGrid::PictureBox(int row, int column) const
{
    return Rect{TruncateLength(CellX(column)), TruncateLength(CellY(row)),
                TruncateLength(cellWidth_), TruncateLength(cellHeight_ - spec_.captionLineHeight)};
}

int PageGrid::CaptionTop(int row) const
{
    const double start = spec_.origin == CellOrigin::PageCorner ? spec_.marginTop : 0;
    return TruncateLength(start + (row + 1) * (cellHeight_ + spec_.rowGap) - spec_.rowGap
                          - spec_.captionLineHeight + spec_.captionGap);
}

int PageGrid::CaptionLeft(int column, int textWidth) const
{
    const double cellX = CellX(column);
    if (textWidth < cellWidth_)
        return TruncateLength(cellX + (cellWidth_ - textWidth) / 2);
    return TruncateLength(cellX);
}

LineFrame PageGrid::HeaderFooterFrame(int headerOffset, int footerOffset) const
{
    if (spec_.origin == CellOrigin::MarginCorner)
        return LineFrame{printableWidth_,
                         printableHeight_,
                         0,
                         0,
                         TruncateLength(double(headerOffset) - spec_.marginTop),
                         TruncateLength(double(footerOffset) - spec_.marginBottom)};
    return LineFrame{spec_.pageWidth,   spec_.pageHeight, spec_.marginLeft,
                     spec_.marginRight, headerOffset,     footerOffset};
}

int NaturalLength(int pixels, NaturalScale scale)
{
    if (scale == NaturalScale::Miniature)
        return TruncateLength(pixels / 11.8);
    return pixels;
}

namespace {

int FitModeInForce(int mode)
{
    if (mode < kFitProportionalCentred || mode > kLastFitMode)
        return kFitProportionalCentred;
    return mode;
}

// The shape (width / height) the proportional and cropping modes lay a
// picture out with: the given ratio or the picture's own.  A box or a shape
// without area has none.
std::optional<float> LaidOutShape(Rect box, int naturalWidth, int naturalHeight, float ratio)
{
    float shape = ratio;
    if (!AtLeast(ratio, 0.001)) {
        if (naturalWidth <= 0 || naturalHeight <= 0)
            return std::nullopt;
        shape = static_cast<float>(double(naturalWidth) / naturalHeight);
    }
    if (box.width <= 0 || box.height <= 0 || !std::isfinite(shape))
        return std::nullopt;
    return shape;
}

} // namespace

std::optional<Rect> PicturePlacement(Rect box, int naturalWidth, int naturalHeight, float ratio,
                                     int mode)
{
    mode = FitModeInForce(mode);
    switch (mode) {
    case kFitFillBox: return box;
    case kFitNaturalCentred:
        return Rect{TruncateLength(box.x + (double(box.width) - naturalWidth) / 2),
                    TruncateLength(box.y + (double(box.height) - naturalHeight) / 2), naturalWidth,
                    naturalHeight};
    case kFitNaturalTopLeft: return Rect{box.x, box.y, naturalWidth, naturalHeight};
    default: break;
    }

    const std::optional<float> shape = LaidOutShape(box, naturalWidth, naturalHeight, ratio);
    if (!shape)
        return std::nullopt;
    // Cropping covers the box; ShownPart says which part of the picture.
    if (mode == kFitCoverCropped)
        return box;

    const double w = box.width;
    const double h = box.height;
    int fittedWidth = box.width;
    int fittedHeight = box.height;
    if (AtLeast(w / h, *shape))
        fittedWidth = TruncateLength(h * *shape);
    else
        fittedHeight = TruncateLength(w / *shape);

    if (mode == kFitProportionalTopLeft)
        return Rect{box.x, box.y, fittedWidth, fittedHeight};

    // A fitted height of 0 (an extremely wide shape) leaves a flat strip
    // centred vertically, as the ratio comparison would choose.
    const bool boxAtLeastAsWide =
        fittedHeight > 0 && AtLeast(w / h, double(fittedWidth) / fittedHeight);
    if (boxAtLeastAsWide)
        return Rect{TruncateLength(box.x + (w - fittedWidth) / 2), box.y, fittedWidth, box.height};
    return Rect{box.x, TruncateLength(box.y + (h - fittedHeight) / 2), box.width, fittedHeight};
}

PicturePart ShownPart(Rect box, int naturalWidth, int naturalHeight, float ratio, int mode)
{
    if (FitModeInForce(mode) != kFitCoverCropped)
        return PicturePart{};
    const std::optional<float> shape = LaidOutShape(box, naturalWidth, naturalHeight, ratio);
    if (!shape)
        return PicturePart{};
    // Scaled to cover the box, the picture overflows it on one axis only;
    // the box's share of that axis is shown, centred.
    const double boxShape = double(box.width) / box.height;
    if (AtLeast(boxShape, *shape)) {
        const double height = std::min(1.0, *shape / boxShape);
        return PicturePart{0, (1 - height) / 2, 1, height};
    }
    const double width = std::min(1.0, boxShape / *shape);
    return PicturePart{(1 - width) / 2, 0, width, 1};
}

} // namespace quillet
