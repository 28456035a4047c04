// The print settings window, driven through its real widgets on the offscreen
// platform; message and font dialogs are answered through the dialog seam.

#include "app/globals.h"
#include "app/progress_window.h"
#include "app/settings_window.h"
#include "printing/printer_queries.h"
#include "support/scripted_dialogs.h"
#include "ui_settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/qt_print.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillet {
namespace {

QString Q(const char* text)
{
    return QString::fromUtf8(text);
}

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() : scope(dialogs) { ResetGlobals(); }
    ~SettingsWindowTest() override
    {
        window.reset();
        CloseProgressWindow();
        ResetGlobals();
    }

    // Opens the window as the job driver does, but without a nested loop, so
    // the test can work it.  Without the live preview the window draws no
    // miniature, so the progress window is left alone.
    void Open(bool livePreview = true)
    {
        window = std::make_unique<SettingsWindow>(settings, PreviewedJob{});
        window->ui().选择框_实时预览->setChecked(livePreview);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    Ui::SettingsWindow& ui() { return window->ui(); }
    // What the window leaves once opened; before, what it is opened with.
    const PrintSettings& record() { return window ? window->Settings() : settings; }

    // Types into a box the way a user leaves it: focus in, text, focus out
    // to another control, and the queued handlers run.
    void TypeAndLeave(QLineEdit* box, const QString& text)
    {
        box->setFocus(Qt::TabFocusReason);
        box->setText(text);
        LeaveFocus(box);
    }

    void LeaveFocus(QLineEdit* box)
    {
        box->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QWidget* other = box == ui().编辑框_打印份数 ? static_cast<QWidget*>(ui().按钮_取消)
                                                     : ui().编辑框_打印份数;
        other->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    void PressOk()
    {
        QTest::mouseClick(ui().按钮_确定, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    PrintSettings settings = StartupPrintSettings();
    ScriptedDialogProvider dialogs;
    ScopedDialogProvider scope;
    std::unique_ptr<SettingsWindow> window;
};

// A record as a confirmed job left it, every field away from the designed
// values.
PrintSettings ConfirmedEarlier()
{
    PrintSettings s = FirstConfirmedPrintSettings();
    s.printerName = kPdfFilePrinterItem;
    s.paperWidth = 1480;
    s.paperHeight = 2105;
    s.marginTop = 205;
    s.marginBottom = 31;
    s.marginLeft = 0;
    s.marginRight = 99;
    s.headerOffset = 70;
    s.footerOffset = 125;
    s.headerAlign = 2;
    s.footerAlign = 0;
    s.photoFitMode = 5;
    s.rows = 7;
    s.columns = 3;
    s.rowGap = 5;
    s.columnGap = 0;
    s.captionGap = 4;
    s.orientation = 1;
    s.copies = 3;
    s.imageFormat = 5;
    s.imageOptimization = 1;
    s.printToImage = 1;
    s.confirmed = 0;
    return s;
}

TEST_F(SettingsWindowTest, FirstOpeningStoresTheDesignedValuesInTenthsOfAMillimetre)
{
    Open();
    EXPECT_EQ(ui().编辑框_宽度->text(), Q("210"));
    EXPECT_FALSE(ui().选择框_自定义纸张->isChecked());
    PressOk();

    PrintSettings expected = FirstConfirmedPrintSettings();
    expected.printerName = ui().组合框_打印机列表->currentText().toStdString();
    expected.defaultPrinterName = DefaultPrinterName();
    expected.confirmed = 1;
    EXPECT_EQ(record(), expected);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST_F(SettingsWindowTest, SecondOpeningShowsTheRecordButOneCopyAndJpg)
{
    const PrintSettings earlier = ConfirmedEarlier();
    settings = earlier;
    Open();
    EXPECT_EQ(record().confirmed, 0);
    EXPECT_EQ(ui().编辑框_打印份数->text(), Q("1"));
    EXPECT_EQ(ui().组合框_图片格式->currentText(), Q("jpg格式"));
    EXPECT_EQ(ui().编辑框_上边距->text(), Q("20.5"));
    EXPECT_EQ(ui().编辑框_高度->text(), Q("210.5"));
    EXPECT_EQ(ui().编辑框_左边距->text(), Q("0"));
    EXPECT_EQ(ui().编辑框_行间距->text(), Q("5"));
    EXPECT_TRUE(ui().单选框_横向打印->isChecked());
    EXPECT_TRUE(ui().选择框_自定义纸张->isChecked());
    EXPECT_TRUE(ui().选择框_打印到图片文件->isChecked());
    EXPECT_EQ(ui().组合框_打印机列表->currentText(), Q(kPdfFilePrinterItem));
    EXPECT_EQ(ui().组合框_照片打印方式->currentText(), Q("5：按比例裁剪并布满"));
    // The sliders are not set from the record.
    EXPECT_EQ(ui().滑块条_行->value(), 20);

    PressOk();
    PrintSettings expected = earlier;
    expected.defaultPrinterName = DefaultPrinterName();
    expected.copies = 1;
    expected.imageFormat = 2;
    expected.confirmed = 1;
    EXPECT_EQ(record(), expected);
}

struct TypedValue {
    const char* testName;
    const char* box;
    const char* typed;
    std::int32_t PrintSettings::*field;
    int stored;
};

void PrintTo(const TypedValue& row, std::ostream* os)
{
    *os << row.testName;
}

class TypedValueTest : public SettingsWindowTest,
                       public ::testing::WithParamInterface<TypedValue> {};

TEST_P(TypedValueTest, IsStoredAsTheRuntimeReadsIt)
{
    const TypedValue& row = GetParam();
    Open();
    auto* box = window->findChild<QLineEdit*>(Q(row.box));
    ASSERT_NE(box, nullptr);
    box->setText(Q(row.typed));
    PressOk();
    EXPECT_EQ(record().*row.field, row.stored);
    EXPECT_EQ(record().confirmed, 1);
}

INSTANTIATE_TEST_SUITE_P(
    SettingsWindow, TypedValueTest,
    ::testing::Values(
        TypedValue{"MarginCutToTenths", "编辑框_上边距", "20.57", &PrintSettings::marginTop, 205},
        TypedValue{"FullWidthDigits", "编辑框_宽度", "２１０.５", &PrintSettings::paperWidth, 2105},
        TypedValue{"NegativeMarginStaysNegative", "编辑框_左边距", "-5", &PrintSettings::marginLeft,
                   -50},
        TypedValue{"TextAfterTheNumberIgnored", "编辑框_页脚距底端", "12毫米",
                   &PrintSettings::footerOffset, 120},
        TypedValue{"NonNumericBecomesZero", "编辑框_右边距", "abc", &PrintSettings::marginRight, 0},
        TypedValue{"RowsCutToWhole", "编辑框_行数", "7.9", &PrintSettings::rows, 7},
        TypedValue{"GapInTenthsAsTyped", "编辑框_行间距", "15", &PrintSettings::rowGap, 15},
        TypedValue{"CopiesReadLikeAtoi", "编辑框_打印份数", "3.7份", &PrintSettings::copies, 3}),
    [](const ::testing::TestParamInfo<TypedValue>& info) {
        return std::string(info.param.testName);
    });

struct MarginMessage {
    const char* testName;
    const char* box;
    const char* text;
    const char* title;
};

void PrintTo(const MarginMessage& row, std::ostream* os)
{
    *os << row.testName;
}

class MarginMessageTest : public SettingsWindowTest,
                          public ::testing::WithParamInterface<MarginMessage> {};

TEST_P(MarginMessageTest, ComesOnEveryFocusLossWhateverTheValue)
{
    const MarginMessage& row = GetParam();
    Open();
    auto* box = window->findChild<QLineEdit*>(Q(row.box));
    ASSERT_NE(box, nullptr);
    LeaveFocus(box);
    TypeAndLeave(box, Q("0"));
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    for (const DialogRequest& request : dialogs.Requests()) {
        EXPECT_EQ(request.kind, DialogKind::MessageBox);
        EXPECT_EQ(request.text, row.text);
        EXPECT_EQ(request.title, row.title);
        EXPECT_EQ(request.style, kMessageBoxOk | kMessageBoxIconExclamation);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SettingsWindow, MarginMessageTest,
    ::testing::Values(MarginMessage{"LeftMargin", "编辑框_左边距",
                                    "部分打印机偏离左端约9毫米左右，因此要减小一下左边距",
                                    "修正左边距"},
                      MarginMessage{"TopMargin", "编辑框_上边距",
                                    "部分打印机偏离上端约3毫米左右，因此要减小一下上边距",
                                    "修正上边距"}),
    [](const ::testing::TestParamInfo<MarginMessage>& info) {
        return std::string(info.param.testName);
    });

TEST_F(SettingsWindowTest, OtherBoxesLoseTheFocusWithoutAMessage)
{
    Open();
    for (QLineEdit* box :
         {ui().编辑框_下边距, ui().编辑框_右边距, ui().编辑框_宽度, ui().编辑框_行间距})
        LeaveFocus(box);
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST_F(SettingsWindowTest, CountBoxesAndSlidersFeedEachOther)
{
    Open();
    TypeAndLeave(ui().编辑框_行数, Q("7"));
    EXPECT_EQ(ui().滑块条_行->value(), 28);
    EXPECT_EQ(ui().编辑框_行数->text(), Q("7"));

    // A user moving the slider: the box shows position / 4 and gets the focus.
    ui().滑块条_列->setFocus();
    ui().滑块条_列->setValue(30);
    EXPECT_EQ(ui().编辑框_列数->text(), Q("7"));
    EXPECT_TRUE(ui().编辑框_列数->hasFocus());
    ui().滑块条_列->setValue(3);
    EXPECT_EQ(ui().编辑框_列数->text(), Q("0"));

    // A count beyond the slider pushes it to its end; the position set by the
    // program is no user change, so the box keeps what was typed.
    TypeAndLeave(ui().编辑框_行数, Q("20"));
    EXPECT_EQ(ui().滑块条_行->value(), 61);
    EXPECT_EQ(ui().编辑框_行数->text(), Q("20"));
    PressOk();
    EXPECT_EQ(record().rows, 20);
}

TEST_F(SettingsWindowTest, ChoosingAPaperWritesTheRecordAtOnceAndCancelKeepsIt)
{
    Open();
    const int a5 = [&] {
        for (int i = 0; i < ui().列表框_纸张->count(); ++i)
            if (ui().列表框_纸张->item(i)->text().startsWith(Q("A5")))
                return i;
        return -1;
    }();
    ASSERT_GE(a5, 0) << "no A5 form to choose";
    ui().列表框_纸张->setCurrentRow(a5);
    EXPECT_EQ(record().paperWidth, 1480);
    EXPECT_EQ(record().paperHeight, 2100);
    EXPECT_EQ(ui().编辑框_宽度->text(), Q("148"));
    EXPECT_EQ(ui().编辑框_高度->text(), Q("210"));
    // The margin boxes keep their values; the custom tick is cleared.
    EXPECT_EQ(ui().编辑框_上边距->text(), Q("20"));
    EXPECT_FALSE(ui().选择框_自定义纸张->isChecked());

    ui().编辑框_宽度->setText(Q("100"));
    EXPECT_TRUE(ui().选择框_自定义纸张->isChecked());

    QTest::mouseClick(ui().按钮_取消, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(record().paperWidth, 1480);
    EXPECT_EQ(record().confirmed, 0);
}

TEST_F(SettingsWindowTest, ClickingTheSelectedPaperPutsItsSizeBack)
{
    Open(false);
    QListWidget* papers = ui().列表框_纸张;
    ASSERT_TRUE(papers->currentItem() && papers->currentItem()->text().startsWith(Q("A4")));
    ui().编辑框_宽度->setText(Q("200"));
    ASSERT_TRUE(ui().选择框_自定义纸张->isChecked());

    const QRect selected = papers->visualItemRect(papers->currentItem());
    QTest::mouseClick(papers->viewport(), Qt::LeftButton, {}, selected.center());
    EXPECT_EQ(ui().编辑框_宽度->text(), Q("210"));
    EXPECT_EQ(record().paperWidth, 2100);
    EXPECT_FALSE(ui().选择框_自定义纸张->isChecked());
}

// The designed lists hold every item text beside an arrow button when drawn
// with the designed font (the 48-pixel alignment lists their "左对齐"), at
// the designed sizes.
TEST_F(SettingsWindowTest, ListTextsFitTheirDesignedBoxes)
{
    Open(false);
    const QFont font = window->font();
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(QFontInfo(font).family(), Q("AR PL UMing CN"));

    const auto part = [](QComboBox* list, QStyle::SubControl subControl) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        return list->style()->subControlRect(QStyle::CC_ComboBox, &option, subControl, list);
    };
    for (QComboBox* list : {ui().组合框_页眉对齐, ui().组合框_页脚对齐})
        EXPECT_EQ(list->size(), QSize(48, 20));
    for (QComboBox* list : {ui().组合框_页眉对齐, ui().组合框_页脚对齐, ui().组合框_照片打印方式,
                            ui().组合框_图片优化比率, ui().组合框_图片格式}) {
        const QRect field = part(list, QStyle::SC_ComboBoxEditField);
        const QRect arrow = part(list, QStyle::SC_ComboBoxArrow);
        EXPECT_GE(arrow.width(), 8);
        EXPECT_LE(arrow.right(), list->width() - 1);
        EXPECT_LT(field.right(), arrow.left());
        // The label is drawn a pixel inside the field on either side.
        for (int i = 0; i < list->count(); ++i)
            EXPECT_GE(field.width() - 2, list->fontMetrics().horizontalAdvance(list->itemText(i)))
                << list->itemText(i).toStdString();
    }
}

TEST_F(SettingsWindowTest, APaperThatCannotBeQueriedChangesNothing)
{
    Open();
    const PrintSettings before = record();
    ui().列表框_纸张->addItem(Q("No such paper"));
    ui().列表框_纸张->setCurrentRow(ui().列表框_纸张->count() - 1);
    EXPECT_EQ(record(), before);
    EXPECT_EQ(ui().编辑框_宽度->text(), Q("210"));
    EXPECT_EQ(ui().编辑框_高度->text(), Q("297"));
}

struct BadPaper {
    const char* testName;
    const char* width;
    const char* height;
};

void PrintTo(const BadPaper& row, std::ostream* os)
{
    *os << row.testName;
}

class BadPaperTest : public SettingsWindowTest, public ::testing::WithParamInterface<BadPaper> {};

TEST_P(BadPaperTest, OkWarnsAndKeepsTheWindowOpenWithNothingStored)
{
    const BadPaper& row = GetParam();
    settings = ConfirmedEarlier();
    Open();
    const PrintSettings before = record();
    ui().编辑框_宽度->setText(Q(row.width));
    ui().编辑框_高度->setText(Q(row.height));
    ui().编辑框_打印份数->setText(Q("4"));
    PressOk();

    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].text, "请重新设置一下纸张！");
    EXPECT_EQ(dialogs.Requests()[0].title, "信息：");
    EXPECT_EQ(dialogs.Requests()[0].style, kMessageBoxOk);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(record(), before);

    // Set right, the same OK goes through.
    ui().编辑框_宽度->setText(Q("210"));
    ui().编辑框_高度->setText(Q("297"));
    PressOk();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(record().paperWidth, 2100);
    EXPECT_EQ(record().copies, 4);
    EXPECT_EQ(record().confirmed, 1);
}

INSTANTIATE_TEST_SUITE_P(SettingsWindow, BadPaperTest,
                         ::testing::Values(BadPaper{"EmptyWidth", "", "297"},
                                           BadPaper{"EmptyHeight", "210", ""},
                                           BadPaper{"ZeroWidth", "0", "297"},
                                           BadPaper{"NegativeHeight", "210", "-297"},
                                           BadPaper{"BelowATenth", "0.05", "297"}),
                         [](const ::testing::TestParamInfo<BadPaper>& info) {
                             return std::string(info.param.testName);
                         });

TEST_F(SettingsWindowTest, FontDialogsCopyTheChoiceAndCancelChangesNothing)
{
    settings.captionFont.angle = 450;
    Open();
    FontSpec chosen;
    chosen.bold = 1;
    chosen.underline = 1;
    chosen.angle = 900; // the dialog has no angle; it must not be taken
    chosen.size = 12;
    chosen.name = "黑体";
    dialogs.AnswerFontDialog(chosen);
    QTest::mouseClick(ui().按钮_字体, Qt::LeftButton);
    EXPECT_EQ(record().captionFont.name, "黑体");
    EXPECT_EQ(record().captionFont.size, 12);
    EXPECT_EQ(record().captionFont.bold, 1);
    EXPECT_EQ(record().captionFont.underline, 1);
    EXPECT_EQ(record().captionFont.angle, 450);

    // Cancelled: the header font stays; the dialog opened with the header
    // font's face and size but the style flags of its previous use.
    const FontSpec header = record().headerFont;
    dialogs.AnswerFontDialog(std::nullopt);
    QTest::mouseClick(ui().按钮_页眉字体, Qt::LeftButton);
    EXPECT_EQ(record().headerFont, header);
    ASSERT_EQ(dialogs.Requests().size(), 2u);
    const FontSpec& asked = dialogs.Requests()[1].font;
    EXPECT_EQ(asked.name, header.name);
    EXPECT_EQ(asked.size, header.size);
    EXPECT_EQ(asked.bold, 1);
    EXPECT_EQ(asked.underline, 1);
    EXPECT_EQ(asked.italic, 0);

    // Cancel after a font change keeps the font, unconfirmed.
    QTest::mouseClick(ui().按钮_取消, Qt::LeftButton);
    EXPECT_EQ(record().captionFont.name, "黑体");
    EXPECT_EQ(record().confirmed, 0);
}

// OK, Cancel and the close box while the miniature is drawn: the buttons
// are worked from inside the redraw.
TEST_F(SettingsWindowTest, ABusyPreviewKeepsTheWindowOpenButOkStillStores)
{
    Open(false);
    bool busy = false;
    std::vector<std::pair<bool, int>> visibleAndConfirmed;
    const auto note = [&] {
        visibleAndConfirmed.emplace_back(window->isVisible(), record().confirmed);
    };
    QTimer::singleShot(0, [&] {
        busy = window->PreviewBusy();
        ui().编辑框_打印份数->setText(Q("2"));
        ui().按钮_确定->click();
        note();
        ui().按钮_取消->click();
        note();
        ui().按钮_确定->click();
        window->close();
        note();
    });
    ui().选择框_实时预览->setChecked(true);
    window->RedrawPreview();
    ASSERT_TRUE(busy);
    EXPECT_EQ(record().copies, 2);
    EXPECT_EQ(visibleAndConfirmed,
              (std::vector<std::pair<bool, int>>{{true, 1}, {true, 0}, {true, 0}}));

    EXPECT_FALSE(window->PreviewBusy());
    ui().按钮_确定->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(record().confirmed, 1);
}

TEST_F(SettingsWindowTest, EscapeDoesNotCloseTheWindow)
{
    Open();
    ui().编辑框_宽度->setFocus();
    QTest::keyClick(ui().编辑框_宽度, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SettingsWindowTest, PrinterListEndsWithThePdfFileItem)
{
    Open();
    QComboBox* list = ui().组合框_打印机列表;
    const std::vector<std::string> queues = InstalledPrinters();
    ASSERT_EQ(list->count(), static_cast<int>(queues.size()) + 1);
    EXPECT_EQ(list->itemText(list->count() - 1), Q(kPdfFilePrinterItem));
    if (!DefaultPrinterName().empty()) {
        EXPECT_EQ(list->currentText().toStdString(), DefaultPrinterName());
        return;
    }
    // Without a default queue the first entry (the PDF file when there is no
    // queue at all) is preselected, so a first OK always has a printer.
    EXPECT_EQ(list->currentIndex(), 0);
    PressOk();
    EXPECT_EQ(record().printerName, queues.empty() ? kPdfFilePrinterItem : queues.front());
}

TEST_F(SettingsWindowTest, StoredPrinterIsFoundByCaseInsensitivePrefix)
{
    settings = ConfirmedEarlier();
    settings.printerName = "保存为pdf";
    Open();
    EXPECT_EQ(ui().组合框_打印机列表->currentText(), Q(kPdfFilePrinterItem));
}

TEST_F(SettingsWindowTest, ClosingHidesAProgressWindowNoJobIsUsing)
{
    ProgressWindow& progress = LoadProgressWindow();
    progress.show();
    Open(false);
    window.reset();
    EXPECT_FALSE(progress.isVisible());

    progress.show();
    progress.SetProgress(3);
    Open(false);
    window.reset();
    EXPECT_TRUE(progress.isVisible());
}

} // namespace
} // namespace quillet
