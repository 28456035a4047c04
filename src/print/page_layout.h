#pragma once
// The album page grid: one geometry for the printer, the page images and the
// live preview.  The three outputs differ only in how cell sizes are held
// (whole units on the printer, single precision on canvases), where the cell
// coordinates start (the margin origin on the printer, the page corner on a
// canvas) and what a picture's natural size is in the output's unit; those
// differences are parameters here, everything else is shared.
//
// Lengths are in the output's own unit (0.1 mm on paper and page images,
// 1 mm in the preview).  Fractions are cut toward zero, and floating
// comparisons allow 1e-7, as everywhere in the layout.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr double kLayoutTolerance = 1e-7;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect&) const = default;
};

// Truncation toward zero that stays defined for every double: NaN gives 0 and
// values beyond the int range stop at its ends (a zero-sized cell divides by
// zero and must not make the conversion undefined).
int TruncateLength(double value);

// a >= b with the layout's tolerance.
bool AtLeast(double a, double b);

// The part of a caption a page of this size (in the output's unit) can show:
// no line longer than pageWidth characters and no more than pageHeight lines,
// as no character is drawn narrower or lower than one unit.  A caption of
// megabytes would otherwise cost gigabytes to lay out for nothing seen.
std::string TextAPageCanShow(std::string_view text, int pageWidth, int pageHeight);

struct GridSize {
    int rows = 5;
    int columns = 5;

    bool operator==(const GridSize&) const = default;
};

// A grid with fewer than one row or column has no cells to advance through;
// such a grid is laid out as 5 x 5.
GridSize NormaliseGrid(int rows, int columns);

// Cells on one page of the grid as it is laid out (5 x 5 for a grid without
// cells), in 64 bits: 100000 x 100000 does not overflow.
long long CellsPerPage(int rows, int columns);

// Pages needed for the pictures on the grid as it is laid out: whole pages
// plus one for a partial page.
int PageCount(int pictureCount, int rows, int columns);

struct PaperSize {
    int width = 0;
    int height = 0;

    bool operator==(const PaperSize&) const = default;
};

// A paper with a side of 0 or below has no area to lay pages out on; such a
// paper is A4, in a unit of 1/unitsPerMillimetre mm (2100 x 2970 in 0.1 mm).
PaperSize UsablePaper(int width, int height, int unitsPerMillimetre);

// The caption gap that is kept: a gap below half the caption line height
// moves the caption into the row gap; a missing or larger gap is dropped.
int CaptionGapInForce(std::optional<int> captionGap, double captionLineHeight);

enum class CellPrecision {
    WholeUnits, // cell sizes truncated to integers first (printer)
    SinglePrecision, // cell sizes and origins held as floats (canvases)
};

enum class CellOrigin {
    MarginCorner, // (0, 0) is the top-left margin corner (printer frame)
    PageCorner, // (0, 0) is the paper corner; cells start at the margins
};

struct PageGridSpec {
    int pageWidth = 0; // as laid out: landscape already swapped
    int pageHeight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    int marginLeft = 0;
    int marginRight = 0;
    GridSize grid;
    int rowGap = 0;
    int columnGap = 0;
    double captionLineHeight = 0; // 0 when no caption line is reserved
    int captionGap = 0; // as returned by CaptionGapInForce
    CellPrecision precision = CellPrecision::WholeUnits;
    CellOrigin origin = CellOrigin::MarginCorner;
};

// Where header and footer lines are placed from, in the grid's frame: the
// surface's size, the edges between which a line is aligned, the top of the
// header and the footer's distance from the bottom.
struct LineFrame {
    int width = 0;
    int height = 0;
    int leftEdge = 0;
    int rightEdge = 0;
    int headerTop = 0;
    int footerFromBottom = 0;

    bool operator==(const LineFrame&) const = default;
};

class PageGrid {
public:
    explicit PageGrid(const PageGridSpec& layout);

    int PrintableWidth() const { return printableWidth_; }
    int PrintableHeight() const { return printableHeight_; }
    double CellWidth() const { return cellWidth_; }
    double CellHeight() const { return cellHeight_; }
    GridSize Grid() const { return spec_.grid; }
    long long CellsPerPage() const
    {
        return quillet::CellsPerPage(spec_.grid.rows, spec_.grid.columns);
    }

    // Unrounded top-left corner of a cell in the grid's frame.
    double CellX(int column) const;
    double CellY(int row) const;

    // The picture's box: the cell less its caption line.
    Rect PictureBox(int row, int column) const;

    // Top of a caption: the bottom of the picture box plus the gap in force.
    int CaptionTop(int row) const;

    // A caption narrower than the cell is centred in it; a wider one starts
    // at the cell's left edge and runs on to the right.
    int CaptionLeft(int column, int textWidth) const;

    // The printer's frame is the printable area from the margin corner, so
    // its lines are aligned across that area and the offsets, measured from
    // the paper's edges, lose the margins; a canvas is the whole page.
    LineFrame HeaderFooterFrame(int headerOffset, int footerOffset) const;

private:
    double Held(double value) const;

    PageGridSpec spec_;
    int printableWidth_ = 0;
    int printableHeight_ = 0;
    double cellWidth_ = 0;
    double cellHeight_ = 0;
};

// How a picture's natural size (fit modes 2 and 4) is measured on a surface.
enum class NaturalScale {
    DevicePixels, // one picture pixel per device pixel of the surface
    Miniature, // pixels / 11.8 surface units, cut toward zero (1 mm units)
};

int NaturalLength(int pixels, NaturalScale scale);

// The ways a picture fits its box, as offered in the settings window.
enum FitMode : int {
    kFitProportionalCentred = 0,
    kFitFillBox = 1,
    kFitNaturalCentred = 2,
    kFitProportionalTopLeft = 3,
    kFitNaturalTopLeft = 4,
    // Photo sheets: every cell covered edge to edge, proportions kept, the
    // picture centred and what overflows the cell cut off.
    kFitCoverCropped = 5,
};

inline constexpr int kLastFitMode = kFitCoverCropped;

// The rectangle a picture of the given natural size is drawn into inside the
// box.  ratio is width / height; a ratio below 0.001 means the picture keeps
// its own shape.  A mode outside 0..kLastFitMode counts as 0.  Nothing is
// drawn (empty result) when the chosen rectangle cannot be computed, that is
// when a proportional or cropping mode meets a box or picture without area.
std::optional<Rect> PicturePlacement(Rect box, int naturalWidth, int naturalHeight, float ratio,
                                     int mode);

// The part of a picture that is stretched into its rectangle, as fractions
// of the picture's width and height, so that it holds for the picture at
// whatever size it was decoded.
struct PicturePart {
    double left = 0;
    double top = 0;
    double width = 1;
    double height = 1;

    bool operator==(const PicturePart&) const = default;
};

// The whole picture, except in the cropping mode: there the middle of the
// picture (of the shape the ratio gives) that has the box's shape.  Takes
// the same values as PicturePlacement and is only asked when that places
// the picture.
PicturePart ShownPart(Rect box, int naturalWidth, int naturalHeight, float ratio, int mode);

} // namespace quillet
