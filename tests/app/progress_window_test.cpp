// The progress window on a real (offscreen) event loop.
#include "app/globals.h"
#include "app/progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "ui_progress_window.h"

namespace quillet {
namespace {

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        window_ = &LoadProgressWindow();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
    }
    void TearDown() override
    {
        CloseProgressWindow();
        ResetGlobals();
    }

    ProgressWindow* window_ = nullptr;
};

TEST_F(ProgressWindowTest, HasItsDesignedLayoutAndTexts)
{
    Ui::ProgressWindow& ui = window_->ui();
    EXPECT_EQ(window_->size(), QSize(380, 51));
    EXPECT_EQ(ui.进度条_当前进度->geometry(), QRect(3, 2, 368, 16));
    EXPECT_EQ(ui.按钮_取消打印->geometry(), QRect(247, 22, 64, 24));
    EXPECT_EQ(ui.标签_说明->geometry(), QRect(82, 24, 128, 16));
    EXPECT_EQ(ui.按钮_取消打印->text(), QStringLiteral("取消"));
    EXPECT_EQ(ui.标签_说明->text(), QStringLiteral("正在处理，请稍候。。。"));
    EXPECT_EQ(ui.进度条_当前进度->minimum(), 0);
    EXPECT_EQ(ui.进度条_当前进度->maximum(), 100);
    EXPECT_EQ(ui.进度条_当前进度->value(), 0);
    EXPECT_FALSE(ui.画板_temp->isVisible());
}

TEST_F(ProgressWindowTest, LoadingAgainGivesTheSameWindowAndClosingMakesAFreshOne)
{
    EXPECT_EQ(&LoadProgressWindow(), window_);
    EXPECT_EQ(LoadedProgressWindow(), window_);
    CloseProgressWindow();
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
    CloseProgressWindow(); // harmless when not loaded
    window_ = &LoadProgressWindow();
    EXPECT_EQ(LoadedProgressWindow(), window_);
}

TEST_F(ProgressWindowTest, CancelButtonSetsTheFlagAndTwoPressesAreOne)
{
    EXPECT_FALSE(window_->CancelRequested());
    QTest::mouseClick(window_->ui().按钮_取消打印, Qt::LeftButton);
    EXPECT_TRUE(window_->CancelRequested());
    QTest::mouseClick(window_->ui().按钮_取消打印, Qt::LeftButton);
    EXPECT_TRUE(window_->CancelRequested());
}

TEST_F(ProgressWindowTest, DraggingTheProgressBarMovesTheWindow)
{
    QProgressBar* bar = window_->ui().进度条_当前进度;
    const QPoint before = window_->pos();
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(10, 8));
    QTest::mouseMove(bar, QPoint(70, 48));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(70, 48));
    EXPECT_EQ(window_->pos(), before + QPoint(60, 40));
}

TEST_F(ProgressWindowTest, ClickingTheLabelDoesNothing)
{
    const QPoint before = window_->pos();
    QLabel* label = window_->ui().标签_说明;
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(label, QPoint(65, 45));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(65, 45));
    EXPECT_EQ(window_->pos(), before);
    EXPECT_FALSE(window_->CancelRequested());
}

TEST_F(ProgressWindowTest, ProgressFollowsTheJob)
{
    window_->SetProgressRange(0, 7);
    window_->SetProgress(3);
    EXPECT_EQ(window_->Progress(), 3);
    EXPECT_EQ(window_->ui().进度条_当前进度->maximum(), 7);
}

} // namespace
} // namespace quillet
