#pragma once
// Shared pieces of the printing tests: pictures and picture files made for a
// test and the ink on a rasterised page.

#include "settings/print_settings.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>

#include <string>

namespace quillet::testing {

FontSpec Font(int points, std::string name = "宋体");

// The settings the album tests print with: A4 portrait, one copy, margins
// 15 mm top and bottom and 10 mm left and right, 9 pt captions and 10 pt
// "黑体" header and footer.  Alignments are left for each test to choose.
void UseAlbumTestSettings(PrintSettings& s);

// A one-colour picture.
QImage SolidImage(int width, int height, QColor colour);

// Writes a one-colour JPEG (through Qt's writer) and returns its path.
std::string WriteJpeg(const QTemporaryDir& dir, const QString& name, int width, int height,
                      QColor colour);

// The bounding box of the pixels darker than mid-grey.
QRect InkBounds(const QImage& page, QRect within = {});

} // namespace quillet::testing
