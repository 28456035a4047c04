#pragma once
// The print settings record.  Every length is an integer in
// tenths of a millimetre; nothing converts units here, each consumer converts
// to its own device units.

#include "widgets/font_spec.h"

#include <cstdint>
#include <string>

namespace quillet {

struct PrintSettings {
    std::string defaultPrinterName;
    std::string printerName; // empty until the settings were confirmed once
    std::int32_t orientation = 0; // 0 portrait, 1 landscape (paper stays upright)
    std::int32_t paperWidth = 0;
    std::int32_t paperHeight = 0;
    std::int32_t copies = 0;
    std::int32_t photoFitMode = 0; // 0..5
    std::int32_t marginTop = 0;
    std::int32_t marginBottom = 0;
    std::int32_t marginLeft = 0;
    std::int32_t marginRight = 0;
    std::int32_t headerOffset = 0;
    std::int32_t footerOffset = 0;
    FontSpec captionFont;
    FontSpec headerFont;
    std::int32_t headerAlign = 0; // 0 left, 1 centre, 2 right
    std::int32_t footerAlign = 0;
    FontSpec footerFont;
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::int32_t rowGap = 0;
    std::int32_t columnGap = 0;
    std::int32_t captionGap = 0;
    std::int32_t confirmed = 0;
    std::int32_t printToImage = 0;
    std::int32_t imageFormat = 0; // an ImageFileFormat: 1 bmp, 2 jpg, 3 gif, 4 tiff, 5 png
    std::int32_t imageOptimization = 0; // 0 none, 1..5 = 50K..250K

    bool operator==(const PrintSettings&) const = default;
};

// The record as the program starts: every number 0, both printer names empty,
// the three fonts at StartupFont().
PrintSettings StartupPrintSettings();

// The values the settings window stores on a first OK without changes (the
// designed initial values of its controls).  printerName is left empty: the
// window fills in the printer its list shows.
PrintSettings FirstConfirmedPrintSettings();

// Font repair, applied whenever the settings window fills its controls: a
// font below 4 pt becomes 9 pt "宋体" (caption) or 8 pt "楷体" (header, footer).
void RepairFonts(PrintSettings& settings);

} // namespace quillet
