#include "support/scripted_dialogs.h"
#include "widgets/dialogs.h"
#include "widgets/qt_dialogs.h"
#include "widgets/qt_translations.h"

#include <QApplication>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace quillet {
namespace {

struct LayoutCase {
    const char* name;
    int style;
    std::vector<MessageBoxAnswer> buttons;
    MessageBoxAnswer defaultButton;
    std::optional<MessageBoxAnswer> escapeResult;
    MessageBoxIcon icon;
};

class MessageBoxLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MessageBoxLayoutTest, FollowsStyleBits)
{
    const LayoutCase& c = GetParam();
    const MessageBoxLayout layout = DescribeMessageBox(c.style);
    EXPECT_EQ(layout.buttons, c.buttons);
    EXPECT_EQ(layout.defaultButton, c.defaultButton);
    EXPECT_EQ(layout.escapeResult, c.escapeResult);
    EXPECT_EQ(layout.icon, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, MessageBoxLayoutTest,
    ::testing::Values(
        LayoutCase{"OkOnly",
                   0,
                   {MessageBoxAnswer::Ok},
                   MessageBoxAnswer::Ok,
                   MessageBoxAnswer::Ok,
                   MessageBoxIcon::None},
        LayoutCase{"OkCancelQuestion",
                   33,
                   {MessageBoxAnswer::Ok, MessageBoxAnswer::Cancel},
                   MessageBoxAnswer::Ok,
                   MessageBoxAnswer::Cancel,
                   MessageBoxIcon::Question},
        LayoutCase{"AbortRetryIgnoreHasNoEscape",
                   2,
                   {MessageBoxAnswer::Abort, MessageBoxAnswer::Retry, MessageBoxAnswer::Ignore},
                   MessageBoxAnswer::Abort,
                   std::nullopt,
                   MessageBoxIcon::None},
        LayoutCase{"YesNoCancelThirdDefault",
                   0x203,
                   {MessageBoxAnswer::Yes, MessageBoxAnswer::No, MessageBoxAnswer::Cancel},
                   MessageBoxAnswer::Cancel,
                   MessageBoxAnswer::Cancel,
                   MessageBoxIcon::None},
        LayoutCase{"YesNoSecondDefault",
                   0x104,
                   {MessageBoxAnswer::Yes, MessageBoxAnswer::No},
                   MessageBoxAnswer::No,
                   std::nullopt,
                   MessageBoxIcon::None},
        LayoutCase{"DefaultBeyondButtonsFallsBack",
                   0x201,
                   {MessageBoxAnswer::Ok, MessageBoxAnswer::Cancel},
                   MessageBoxAnswer::Ok,
                   MessageBoxAnswer::Cancel,
                   MessageBoxIcon::None},
        LayoutCase{"RetryCancelStop",
                   0x15,
                   {MessageBoxAnswer::Retry, MessageBoxAnswer::Cancel},
                   MessageBoxAnswer::Retry,
                   MessageBoxAnswer::Cancel,
                   MessageBoxIcon::Stop},
        LayoutCase{"InformationSystemModal",
                   0x1040,
                   {MessageBoxAnswer::Ok},
                   MessageBoxAnswer::Ok,
                   MessageBoxAnswer::Ok,
                   MessageBoxIcon::Information},
        LayoutCase{"Exclamation",
                   0x30,
                   {MessageBoxAnswer::Ok},
                   MessageBoxAnswer::Ok,
                   MessageBoxAnswer::Ok,
                   MessageBoxIcon::Exclamation},
        LayoutCase{"UnknownGroupShowsOk",
                   7,
                   {MessageBoxAnswer::Ok},
                   MessageBoxAnswer::Ok,
                   MessageBoxAnswer::Ok,
                   MessageBoxIcon::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBoxLayout, SystemModalBit)
{
    EXPECT_TRUE(DescribeMessageBox(0x1000).systemModal);
    EXPECT_FALSE(DescribeMessageBox(0x40).systemModal);
}

TEST(FileFilter, TurnsPairsIntoQtFilters)
{
    EXPECT_EQ(QtFileFilter("文本文件（*.txt）|*.txt"), "文本文件（*.txt） (*.txt)");
    EXPECT_EQ(QtFileFilter("图片|*.jpg;*.png|所有文件|*.*"), "图片 (*.jpg *.png);;所有文件 (*.*)");
    EXPECT_EQ(QtFileFilter("只有说明"), "只有说明 (*)");
    EXPECT_EQ(QtFileFilter(""), "");
}

TEST(ScriptedDialogs, RecordsWhatWasAskedAndAnswersInOrder)
{
    ScriptedDialogProvider provider;
    ScopedDialogProvider scope(provider);
    provider.AnswerMessageBox(MessageBoxAnswer::Cancel);
    provider.AnswerMessageBox(MessageBoxAnswer::Yes);
    provider.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    provider.AnswerBrowseForFolder("/tmp/相册");
    provider.AnswerOpenFileDialog("/tmp/list.txt");

    EXPECT_EQ(MessageBox("第一个", 1), MessageBoxAnswer::Cancel);
    EXPECT_EQ(MessageBox("第二个", 4, "标题"), MessageBoxAnswer::Yes);
    EXPECT_EQ(
        TimedMessageBox("将要进行新的打印作业，要继续吗？", "提示2秒后默认继续工作。", 33, 2000),
        MessageBoxAnswer::Ok);
    EXPECT_EQ(BrowseForFolder("请选择要保存的文件夹，文件名电脑自动起："), "/tmp/相册");
    EXPECT_EQ(OpenFileDialog("打开", "文本文件（*.txt）|*.txt"), "/tmp/list.txt");

    const auto& asked = provider.Requests();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0].text, "第一个");
    EXPECT_EQ(asked[0].title, "信息：");
    EXPECT_EQ(asked[0].style, 1);
    EXPECT_EQ(asked[1].title, "标题");
    EXPECT_EQ(asked[2].kind, DialogKind::TimedMessageBox);
    EXPECT_EQ(asked[2].title, "提示2秒后默认继续工作。");
    EXPECT_EQ(asked[2].milliseconds, 2000);
    EXPECT_EQ(asked[3].text, "请选择要保存的文件夹，文件名电脑自动起：");
    EXPECT_EQ(asked[4].filter, "文本文件（*.txt）|*.txt");
    EXPECT_EQ(provider.UnansweredCount(), 0);
    EXPECT_EQ(provider.PendingAnswerCount(), 0u);
}

TEST(ScriptedDialogs, UnansweredDialogsTakeTheNeutralAnswer)
{
    ScriptedDialogProvider provider;
    ScopedDialogProvider scope(provider);
    FontSpec font{.size = 9, .name = "宋体"};
    int column = 4;

    EXPECT_EQ(MessageBox("?", 0x104), MessageBoxAnswer::No);
    EXPECT_FALSE(InputBox("?", "", "", column));
    EXPECT_EQ(column, 4);
    EXPECT_EQ(BrowseForFolder("?"), "");
    EXPECT_EQ(OpenFileDialog("?", ""), "");
    EXPECT_EQ(SaveFileDialog("?", ""), "");
    EXPECT_FALSE(FontDialog(font));
    EXPECT_EQ(font.name, "宋体");
    EXPECT_EQ(TimedMessageBox("?", "", 33, 2000), std::nullopt);
    EXPECT_EQ(provider.UnansweredCount(), 7);
}

TEST(ScriptedDialogs, ScopesNestAndRestore)
{
    ScriptedDialogProvider outer;
    ScriptedDialogProvider inner;
    ScopedDialogProvider outerScope(outer);
    {
        ScopedDialogProvider innerScope(inner);
        MessageBox("inner");
    }
    MessageBox("outer");
    ASSERT_EQ(inner.Requests().size(), 1u);
    ASSERT_EQ(outer.Requests().size(), 1u);
    EXPECT_EQ(outer.Requests()[0].text, "outer");
}

TEST(ScriptedDialogs, FontDialogReceivesTheChoice)
{
    ScriptedDialogProvider provider;
    ScopedDialogProvider scope(provider);
    const FontSpec chosen{.bold = 1, .size = 14, .name = "黑体"};
    provider.AnswerFontDialog(chosen);
    FontSpec font{.angle = 900, .size = 9, .name = "宋体"};
    ASSERT_TRUE(FontDialog(font));
    EXPECT_EQ(font, chosen);
    EXPECT_EQ(provider.Requests()[0].font.name, "宋体");
}

struct InputCase {
    const char* name;
    std::string entered;
    int asInteger;
};

class TypedInputBoxTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(TypedInputBoxTest, ReadsAWholeNumber)
{
    ScriptedDialogProvider provider;
    ScopedDialogProvider scope(provider);
    provider.AnswerInputBox(GetParam().entered);
    int integer = -1;
    ASSERT_TRUE(InputBox("列？", "请输入", "2", integer));
    EXPECT_EQ(integer, GetParam().asInteger);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, TypedInputBoxTest,
                         ::testing::Values(InputCase{"Digits", "3", 3},
                                           InputCase{"FullWidthDigits", "３２", 32},
                                           InputCase{"Decimal", "2.75cm", 2},
                                           InputCase{"NotANumber", "三", 0},
                                           InputCase{"Empty", "", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InputBox, CancelKeepsTheVariable)
{
    ScriptedDialogProvider provider;
    ScopedDialogProvider scope(provider);
    provider.AnswerInputBox(std::nullopt);
    provider.AnswerInputBox("5");
    int column = 4;
    EXPECT_FALSE(InputBox("系统认为‘图片位置’在第 4 列，你也可以手工输入：",
                          "请输入‘图片位置’所在的列！", "4", column));
    EXPECT_EQ(column, 4);
    EXPECT_TRUE(InputBox("?", "?", "", column));
    EXPECT_EQ(column, 5);
    ASSERT_EQ(provider.Requests().size(), 2u);
    EXPECT_EQ(provider.Requests()[0].initialText, "4");
}

// Acts on the real modal dialog once it is up: the dialog's own event loop
// runs the polling timer.
class WhenDialogOpens {
public:
    explicit WhenDialogOpens(std::function<void(QWidget*)> action) : action_(std::move(action))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                timer_.stop();
                action_(dialog);
            }
        });
        timer_.start(10);
    }

private:
    QTimer timer_;
    std::function<void(QWidget*)> action_;
};

void ClickButton(QWidget* dialog, const QString& caption)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == caption) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << caption.toStdString();
}

TEST(QtDialogs, MessageBoxGivesThePressedButton)
{
    QtDialogProvider dialogs;
    QString shownText;
    QString shownTitle;
    WhenDialogOpens answer([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        shownTitle = box->windowTitle();
        ClickButton(dialog, "否");
    });
    EXPECT_EQ(dialogs.MessageBox("要继续吗？", kMessageBoxYesNo | kMessageBoxIconQuestion, "问题"),
              MessageBoxAnswer::No);
    EXPECT_EQ(shownText, "要继续吗？");
    EXPECT_EQ(shownTitle, "问题");
}

TEST(QtDialogs, TimedBoxAnswersLikeTheSystemBox)
{
    QtDialogProvider dialogs;
    WhenDialogOpens answer([](QWidget* dialog) { ClickButton(dialog, "取消"); });
    EXPECT_EQ(dialogs.TimedMessageBox("将要进行新的打印作业，要继续吗？", "提示", 33, 60000),
              MessageBoxAnswer::Cancel);
}

TEST(QtDialogs, TimedBoxClosesItselfAfterItsTime)
{
    QtDialogProvider dialogs;
    EXPECT_EQ(dialogs.TimedMessageBox("无人回答", "提示", kMessageBoxYesNo, 50), std::nullopt);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtDialogs, InputBoxGivesTheTextOrNothing)
{
    QtDialogProvider dialogs;
    {
        WhenDialogOpens answer([](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            ASSERT_NE(input, nullptr);
            EXPECT_EQ(input->textValue(), "2");
            input->setTextValue("第三列");
            input->accept();
        });
        EXPECT_EQ(dialogs.InputBox("列？", "请输入", "2"), std::optional<std::string>("第三列"));
    }
    {
        WhenDialogOpens answer([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
        EXPECT_EQ(dialogs.InputBox("列？", "请输入", "2"), std::nullopt);
    }
}

TEST(QtDialogs, FontDialogReturnsTheConfirmedStyle)
{
    QtDialogProvider dialogs;
    WhenDialogOpens answer([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->accept(); });
    // A family that has a bold face, so the dialog can keep bold selected.
    FontSpec font{.angle = 900,
                  .bold = 1,
                  .italic = 0,
                  .strikeout = 1,
                  .underline = 0,
                  .size = 14,
                  .name = "DejaVu Sans"};
    ASSERT_TRUE(dialogs.FontDialog(font));
    EXPECT_EQ(font.bold, 1);
    EXPECT_EQ(font.italic, 0);
    EXPECT_EQ(font.strikeout, 1);
    EXPECT_EQ(font.underline, 0);
    EXPECT_EQ(font.size, 14);
    EXPECT_EQ(font.angle, 900);
    EXPECT_EQ(font.name, "DejaVu Sans");
}

struct FontChoiceCase {
    const char* testName;
    const char* chosenFace; // nullptr: the face the dialog starts on is kept
    const char* storedName;
};

void PrintTo(const FontChoiceCase& row, std::ostream* os)
{
    *os << row.testName;
}

class FontChoiceTest : public ::testing::TestWithParam<FontChoiceCase> {};

// "宋体" stands for AR PL UMing CN here: the dialog opens on that face, in
// Chinese, and only a face the user picked replaces the stored name.
TEST_P(FontChoiceTest, StartsOnTheFaceTheNameDrawsWith)
{
    const FontChoiceCase& c = GetParam();
    ASSERT_TRUE(InstallQtTranslations());
    QtDialogProvider dialogs;
    QString title;
    QString startFace;
    WhenDialogOpens answer([&](QWidget* dialog) {
        auto* fontDialog = qobject_cast<QFontDialog*>(dialog);
        ASSERT_NE(fontDialog, nullptr);
        title = fontDialog->windowTitle();
        startFace = fontDialog->currentFont().family();
        QFont chosen = fontDialog->currentFont();
        chosen.setPointSize(12);
        if (c.chosenFace)
            chosen.setFamily(QString::fromUtf8(c.chosenFace));
        fontDialog->setCurrentFont(chosen);
        fontDialog->accept();
    });
    FontSpec font{.size = 9, .name = "宋体"};
    ASSERT_TRUE(dialogs.FontDialog(font));
    EXPECT_EQ(title, QStringLiteral("选择字体"));
    EXPECT_EQ(startFace, QStringLiteral("AR PL UMing CN"));
    EXPECT_EQ(font.size, 12);
    EXPECT_EQ(font.name, c.storedName);
}

INSTANTIATE_TEST_SUITE_P(
    QtDialogs, FontChoiceTest,
    ::testing::Values(FontChoiceCase{"SizeAloneKeepsTheDesignedName", nullptr, "宋体"},
                      FontChoiceCase{"AnotherFaceIsStoredByItsName", "DejaVu Sans", "DejaVu Sans"}),
    [](const auto& info) { return std::string(info.param.testName); });

TEST(QtDialogs, CancelledFontDialogChangesNothing)
{
    QtDialogProvider dialogs;
    WhenDialogOpens answer([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    const FontSpec before{.bold = 1, .size = 9, .name = "宋体"};
    FontSpec font = before;
    EXPECT_FALSE(dialogs.FontDialog(font));
    EXPECT_EQ(font, before);
}

} // namespace
} // namespace quillet
