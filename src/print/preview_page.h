#pragma once
// The miniature of a job's first page, as the settings window shows it: the
// album page loop run for page 1 only on a surface where one pixel is one
// millimetre of paper.  Everything arrives in whole millimetres; the gaps
// arrive in the boxes' tenths and are cut to millimetres here.

#include "settings/print_settings.h"

#include <QImage>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

// A value left out takes the miniature's default: an A4 page, fit mode 0, a
// 5 x 5 grid, no gaps, margins and offsets of 0, 9 pt "宋体" captions,
// portrait.
struct PreviewPageInput {
    std::optional<int> pageWidth;   // mm, upright paper
    std::optional<int> pageHeight;
    std::optional<int> fitMode;
    std::optional<int> rows;
    std::optional<int> columns;
    std::optional<int> rowGap;      // mm
    std::optional<int> columnGap;
    std::optional<int> captionGap;
    std::optional<FontSpec> captionFont;
    std::optional<int> marginTop;   // mm
    std::optional<int> marginBottom;
    std::optional<int> marginLeft;
    std::optional<int> marginRight;
    std::optional<int> headerOffset;
    std::optional<int> footerOffset;
    std::optional<int> landscape;   // 1 lays the page out wide
    std::vector<std::string> paths;
    std::vector<float> aspectRatios;
    std::vector<std::string> captions;
    std::string headerTemplate;
    std::string footerTemplate;
};

// The header and footer lines' fonts and alignments, read from the record.
struct PreviewLines {
    FontSpec headerFont;
    FontSpec footerFont;
    int headerAlign = 1;
    int footerAlign = 1;
};

// What the miniature reports while it draws: the number of cells once, then
// after every cell; cancelRequested is polled after every cell and stops the
// drawing of further cells.
struct PreviewProgress {
    std::function<void(int cellCount)> started;
    std::function<void(int cellsDone)> advanced;
    std::function<bool()> cancelRequested;
};

} // namespace quillet

namespace quillet {

class MiniatureCache;

// Draws the miniature of page 1 and returns it upright (a landscape page is
// laid out wide and turned clockwise, as page images are).  Pictures come
// from the cache when one is given, else each is loaded exactly as page
// output loads it at optimisation level 1.
QImage RenderPreviewPage(const PreviewPageInput& input, const PreviewLines& lines,
                         const PreviewProgress& progress, MiniatureCache* pictures = nullptr);

} // namespace quillet
