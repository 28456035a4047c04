// Test entry point: a real QApplication on the offscreen platform, so widget
// tests run with a live event loop and no display, set up as the program
// starts its own (font substitutions, Qt's Chinese translations).
#include <QApplication>
#include <gtest/gtest.h>

#include "printing/fonts.h"
#include "widgets/qt_translations.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork; "threadsafe" re-executes the binary, which keeps Qt sane.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    quillet::InstallFontSubstitutions();
    quillet::InstallQtTranslations();
    return RUN_ALL_TESTS();
}
