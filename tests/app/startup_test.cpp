// Start-up state, the creation handler, the exit clean-up and the ways out.

#include "app/globals.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "ui_main_window.h"
#include "widgets/window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace quillet {
namespace {

// What an earlier run in the same process might have left behind.
void MessUpGlobals()
{
    Globals& g = App();
    g.printSettings.printerName = "PDF";
    g.printSettings.defaultPrinterName = "PDF";
    g.printSettings.copies = 3;
    g.printSettings.rows = 4;
    g.printSettings.confirmed = 1;
    g.printSettings.captionFont.name = "楷体";
    g.printSettings.headerFont.size = 20;
    g.printSettings.footerFont.bold = 1;
    g.jobHeaderText = "第&p页";
    g.jobFooterText = "&f";
    g.jobPicturePaths = {"/照片/a.jpg", "/照片/b.jpg"};
    g.jobAspectRatios = {1.5f};
    g.jobCaptions = {"甲", "乙"};
    g.previewBusy = true;
    g.SelectedFolderPath = "/照片/";
    g.SearchFinished = true;
    g.DesktopPath = "/home/u/Desktop/";
    g.DocumentsPath = "/home/u/Documents/";
}

bool GlobalsReleased()
{
    const Globals& g = App();
    return g.jobHeaderText.capacity() <= std::string().capacity() && g.jobFooterText.empty()
           && g.printSettings.printerName.empty() && g.printSettings.defaultPrinterName.empty()
           && g.printSettings.captionFont.name.empty() && g.printSettings.headerFont.name.empty()
           && g.printSettings.footerFont.name.empty() && g.jobPicturePaths.capacity() == 0
           && g.jobAspectRatios.capacity() == 0 && g.jobCaptions.capacity() == 0
           && g.SelectedFolderPath.empty() && g.DesktopPath.empty() && g.DocumentsPath.empty();
}

class Startup : public ::testing::Test {
protected:
    void TearDown() override
    {
        FolderTreeBuilder() = nullptr;
        RegisterExitProcedure(nullptr);
        ResetGlobals();
    }
};

TEST_F(Startup, FreshStartForgetsWhatAnEarlierRunLeft)
{
    MessUpGlobals();
    PrepareProgramState();

    const Globals& g = App();
    EXPECT_EQ(g.printSettings, StartupPrintSettings());
    for (const FontSpec* font :
         {&g.printSettings.captionFont, &g.printSettings.headerFont, &g.printSettings.footerFont}) {
        EXPECT_EQ(font->size, 9);
        EXPECT_EQ(font->name, "宋体");
        EXPECT_EQ(font->bold + font->italic + font->underline + font->strikeout + font->angle, 0);
    }
    EXPECT_TRUE(g.printSettings.printerName.empty());
    EXPECT_EQ(g.printSettings.copies, 0);
    EXPECT_TRUE(g.jobHeaderText.empty());
    EXPECT_TRUE(g.jobFooterText.empty());
    EXPECT_TRUE(g.jobPicturePaths.empty());
    EXPECT_TRUE(g.jobAspectRatios.empty());
    EXPECT_TRUE(g.jobCaptions.empty());
    EXPECT_FALSE(g.previewBusy);
    EXPECT_TRUE(g.SelectedFolderPath.empty());
    EXPECT_FALSE(g.SearchFinished);
    EXPECT_TRUE(g.DesktopPath.empty());
    EXPECT_TRUE(g.DocumentsPath.empty());
}

TEST_F(Startup, FreshWindowShowsNoListTemplatesOrTicks)
{
    PrepareProgramState();
    const auto window = LoadMainWindow();
    Ui::MainWindow& ui = window->ui();
    EXPECT_EQ(ui.超级列表框_显示->topLevelItemCount(), 0);
    EXPECT_EQ(ui.树型框_文件夹->topLevelItemCount(), 0); // nobody built a tree here
    EXPECT_TRUE(ui.编辑框_页眉->text().isEmpty());
    EXPECT_TRUE(ui.编辑框_页脚->text().isEmpty());
    EXPECT_FALSE(ui.选择框_按文件夹分类->isChecked());
    EXPECT_FALSE(ui.选择框_包括文件夹->isChecked());
    // The conversion grid is never smaller than one cell.
    EXPECT_EQ(ui.高级表格_中间结果->rowCount(), 1);
    EXPECT_EQ(ui.高级表格_中间结果->columnCount(), 1);
}

TEST_F(Startup, CreationHandlerMarksSearchFinishedAndBuildsTheTreeBeforeShowing)
{
    PrepareProgramState();
    int builds = 0;
    bool searchFinishedWhenBuilding = false;
    bool visibleWhenBuilding = true;
    FolderTreeBuilder() = [&](MainWindow& window) {
        ++builds;
        searchFinishedWhenBuilding = App().SearchFinished;
        visibleWhenBuilding = window.isVisible();
        new QTreeWidgetItem(window.ui().树型框_文件夹, QStringList{QStringLiteral("桌面")});
    };
    ASSERT_FALSE(App().SearchFinished);

    const auto window = LoadMainWindow();

    EXPECT_TRUE(App().SearchFinished);
    EXPECT_EQ(builds, 1);
    EXPECT_TRUE(searchFinishedWhenBuilding);
    EXPECT_FALSE(visibleWhenBuilding);
    EXPECT_EQ(window->ui().树型框_文件夹->topLevelItemCount(), 1);
}

TEST_F(Startup, ExitCleanupReleasesEveryOwnedText)
{
    MessUpGlobals();
    App().jobHeaderText.assign(4096, 'x');
    ExitCleanup();
    EXPECT_TRUE(GlobalsReleased());
}

// The death tests run in a re-executed child.  The exit procedure they
// register is the real clean-up followed by a note on stderr, so the parent
// sees that it ran and what it left.
void RegisterObservedCleanup()
{
    RegisterExitProcedure([] {
        ExitCleanup();
        std::fprintf(stderr, GlobalsReleased() ? "clean-up ran, state released\n"
                                               : "clean-up ran, state kept\n");
    });
}

std::unique_ptr<MainWindow> ShownWindowWithState()
{
    PrepareProgramState();
    RegisterObservedCleanup();
    auto window = LoadMainWindow();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::_Exit(3);
    MessUpGlobals();
    return window;
}

using StartupDeathTest = Startup;

TEST_F(StartupDeathTest, CloseBoxEndsWithZeroAndCleansUp)
{
    EXPECT_EXIT(
        {
            const auto window = ShownWindowWithState();
            window->windowHandle()->close();
            QApplication::processEvents();
            std::fprintf(stderr, "window closed normally\n");
            std::_Exit(2);
        },
        ::testing::ExitedWithCode(0), "clean-up ran, state released");
}

TEST_F(StartupDeathTest, ExitButtonEndsWithZeroAndCleansUp)
{
    EXPECT_EXIT(
        {
            const auto window = ShownWindowWithState();
            QTest::mouseClick(window->ui().按钮_结束程序, Qt::LeftButton);
            QApplication::processEvents();
            std::fprintf(stderr, "still running\n");
            std::_Exit(2);
        },
        ::testing::ExitedWithCode(0), "clean-up ran, state released");
}

TEST_F(StartupDeathTest, CloseDuringARunningSearchEndsWithoutReturningToIt)
{
    EXPECT_EXIT(
        {
            const auto window = ShownWindowWithState();
            App().SearchFinished = false;
            QTimer::singleShot(20, window.get(), [&window] { window->windowHandle()->close(); });
            // A search keeps the window alive by polling the queue, as the
            // folder walk does between entries.
            for (int step = 0; step < 3000; ++step) {
                ProcessPendingMessages();
                QTest::qSleep(1);
            }
            std::fprintf(stderr, "search went on\n");
            std::_Exit(2);
        },
        ::testing::ExitedWithCode(0), "clean-up ran, state released");
}

} // namespace
} // namespace quillet
