// The header and footer edits explain their codes in the status bar when
// they get the input focus.

#include "app/main_window.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "support/qt_print.h"
#include "support/status_bar_text.h"

#include <functional>

namespace quillet {
namespace {

struct FocusRow {
    const char* testName;
    std::function<QLineEdit*(Ui::MainWindow&)> edit;
    const char* helpText;
};

void PrintTo(const FocusRow& row, std::ostream* os)
{
    *os << row.testName;
}

class FocusHelp : public ::testing::TestWithParam<FocusRow> {
protected:
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    MainWindow window;
};

TEST_P(FocusHelp, FocusFromTheKeyboardShowsTheHelpText)
{
    QLineEdit* edit = GetParam().edit(window.ui());
    edit->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(testing::StatusBarText(window), QString::fromUtf8(GetParam().helpText));
}

TEST_P(FocusHelp, ClickIntoTheEditShowsTheHelpText)
{
    QLineEdit* edit = GetParam().edit(window.ui());
    QTest::mouseClick(edit, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(testing::StatusBarText(window), QString::fromUtf8(GetParam().helpText));
}

TEST_P(FocusHelp, TextStaysUntilTheNextStatusTextReplacesIt)
{
    GetParam().edit(window.ui())->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    window.ui().选择框_按文件夹分类->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(testing::StatusBarText(window), QString::fromUtf8(GetParam().helpText));

    window.SetStatusText(QStringLiteral("搜索完毕"));
    EXPECT_EQ(testing::StatusBarText(window), QStringLiteral("搜索完毕"));
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, FocusHelp,
    ::testing::Values(FocusRow{"HeaderEdit", [](Ui::MainWindow& ui) { return ui.编辑框_页眉; },
                               "显示在每个页眉上，可用&a表示总页数， &p表示当前页， "
                               "&f表示分类。字体及对齐方式从‘打印设置’中设置。"},
                      FocusRow{"FooterEdit", [](Ui::MainWindow& ui) { return ui.编辑框_页脚; },
                               "显示在每个页脚上，可用&a表示总页数， &p表示当前页， "
                               "&f表示分类。字体及对齐方式从‘打印设置’中设置。"}),
    [](const ::testing::TestParamInfo<FocusRow>& info) {
        return std::string(info.param.testName);
    });

TEST(FocusHelpSwitch, MovingFromHeaderToFooterSwitchesTheText)
{
    MainWindow window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(window.ui().编辑框_页眉, Qt::LeftButton);
    QTest::keyClick(window.ui().编辑框_页眉, Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_TRUE(window.ui().编辑框_页脚->hasFocus());
    EXPECT_EQ(testing::StatusBarText(window), FooterEditHelpText());
}

} // namespace
} // namespace quillet
