#pragma once
// The cheapest good source for a small picture of a file: the camera's
// embedded thumbnail when it shows the whole photo large enough, else the
// JPEG decoded at a reduced scale, else the whole picture.  Functions of the
// file alone, so they may run on any thread.

#include <QImage>
#include <QSize>

#include <cstdint>
#include <string>

namespace quillet {

// The smallest size with full's proportions that is at least need on both
// sides, but never larger than full (pictures are not enlarged).  Need sides
// below 1 count as 1.
QSize CoverSize(QSize full, QSize need);

struct MiniatureSource {
    QImage image; // upright, at least CoverSize(fullSize, need); null for none
    QSize fullSize; // the picture's own size, upright
    std::int64_t fileBytes = 0;
};

MiniatureSource LoadMiniatureSource(const std::string& path, QSize need);

// True when the outermost rows at the top and bottom, or the outermost
// columns at the left and right, are black: how cameras pad a thumbnail
// whose proportions differ from the photo's.
bool HasBlackBars(const QImage& image);

} // namespace quillet
