#include "settings/print_settings.h"

#include "codecs/image_file_format.h"

namespace quillet {

PrintSettings StartupPrintSettings()
{
    PrintSettings settings;
    settings.captionFont = StartupFont();
    settings.headerFont = StartupFont();
    settings.footerFont = StartupFont();
    return settings;
}

PrintSettings FirstConfirmedPrintSettings()
{
    PrintSettings s = StartupPrintSettings();
    s.paperWidth = 2100;
    s.paperHeight = 2970;
    s.marginTop = 200;
    s.marginBottom = 180;
    s.marginLeft = 50;
    s.marginRight = 150;
    s.headerOffset = 110;
    s.footerOffset = 140;
    s.rows = 5;
    s.columns = 5;
    s.rowGap = 10;
    s.columnGap = 10;
    s.captionGap = 2;
    s.copies = 1;
    s.orientation = 0;
    s.headerAlign = 1;
    s.footerAlign = 1;
    s.photoFitMode = 0;
    s.printToImage = 0;
    s.imageFormat = kImageFormatJpeg;
    s.imageOptimization = 3;
    s.confirmed = 1;
    return s;
}

void RepairFonts(PrintSettings& settings)
{
    auto repair = [](FontSpec& font, int size, const char* name) {
        if (font.size < 4) {
            font.size = size;
            font.name = name;
        }
    };
    repair(settings.captionFont, 9, "宋体");
    repair(settings.headerFont, 8, "楷体");
    repair(settings.footerFont, 8, "楷体");
}

} // namespace quillet
