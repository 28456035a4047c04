#include "settings/print_settings.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(PrintSettingsRecord, StartupStateHasNineBySongFontsAndNothingElse)
{
    const PrintSettings s = StartupPrintSettings();
    EXPECT_TRUE(s.printerName.empty());
    EXPECT_TRUE(s.defaultPrinterName.empty());
    EXPECT_EQ(s.confirmed, 0);
    EXPECT_EQ(s.rows, 0);
    EXPECT_EQ(s.paperWidth, 0);
    for (const FontSpec* f : {&s.captionFont, &s.headerFont, &s.footerFont}) {
        EXPECT_EQ(f->size, 9);
        EXPECT_EQ(f->name, "宋体");
        EXPECT_EQ(f->bold + f->italic + f->strikeout + f->underline + f->angle, 0);
    }
}

TEST(PrintSettingsRecord, CopySharesNothingWithTheOriginal)
{
    const PrintSettings original = StartupPrintSettings();
    PrintSettings copy = original;
    copy.captionFont.name = "黑体";
    copy.printerName = "PDF";
    copy.headerFont.size = 20;
    EXPECT_EQ(original.captionFont.name, "宋体");
    EXPECT_TRUE(original.printerName.empty());
    EXPECT_EQ(original.headerFont.size, 9);
}

TEST(PrintSettingsRecord, FontRepairResetsOnlyFontsBelowFourPoints)
{
    PrintSettings s = StartupPrintSettings();
    s.captionFont.size = 3;
    s.captionFont.bold = 1;
    s.headerFont.size = 3;
    s.footerFont.size = 4;
    s.footerFont.name = "Arial";
    RepairFonts(s);
    EXPECT_EQ(s.captionFont.size, 9);
    EXPECT_EQ(s.captionFont.name, "宋体");
    EXPECT_EQ(s.captionFont.bold, 1) << "the other font fields stay";
    EXPECT_EQ(s.headerFont.size, 8);
    EXPECT_EQ(s.headerFont.name, "楷体");
    EXPECT_EQ(s.footerFont.size, 4);
    EXPECT_EQ(s.footerFont.name, "Arial");
}

TEST(PrintSettingsRecord, LandscapeKeepsTheUprightPaperSize)
{
    PrintSettings s = FirstConfirmedPrintSettings();
    s.orientation = 1;
    EXPECT_EQ(s.paperWidth, 2100);
    EXPECT_EQ(s.paperHeight, 2970);
}

} // namespace
} // namespace quillet
