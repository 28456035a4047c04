// The designed controls of the main window, checked through the real widgets.

#include "app/main_window.h"
#include "printing/fonts.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "support/qt_print.h"
#include "support/status_bar_text.h"

#include <memory>
#include <string_view>

namespace quillet {
namespace {

const char* const kSearchTip = "把搜索到符合标准的文件放到剪贴板里去。";

// Which coordinate frame a control's position is given in.
enum class Container { Window, FolderPage, ClipboardPage, PrintGroup };

struct ControlRow {
    const char* testName;
    const char* name;
    const char* kind;
    Container container;
    QRect geometry;
    const char* caption; // text, or the group box's title; nullptr: none
    const char* fontFamily; // the family the control is given
    const char* toolTip;
};

void PrintTo(const ControlRow& row, std::ostream* os)
{
    *os << row.testName;
}

class MainWindowFixture {
protected:
    MainWindowFixture() : window(std::make_unique<MainWindow>())
    {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QWidget* Control(const char* name) const
    {
        return window->findChild<QWidget*>(QString::fromUtf8(name));
    }

    std::unique_ptr<MainWindow> window;
};

class DesignedControl : public MainWindowFixture, public ::testing::TestWithParam<ControlRow> {};

TEST_P(DesignedControl, HasItsDesignedKindPlaceCaptionFontAndTip)
{
    const ControlRow& row = GetParam();
    QWidget* control = Control(row.name);
    ASSERT_NE(control, nullptr) << row.name;
    EXPECT_STREQ(control->metaObject()->className(), row.kind);

    Ui::MainWindow& ui = window->ui();
    // Positions are relative to the designed container; for tab pages that is
    // the tab control's corner, so the page must start there too.
    QWidget* frame = nullptr;
    switch (row.container) {
    case Container::Window: frame = window->centralWidget(); break;
    case Container::FolderPage: frame = ui.选择夹1; break;
    case Container::ClipboardPage: frame = ui.选择夹1; break;
    case Container::PrintGroup: frame = ui.分组框_文件夹打印; break;
    }
    const QWidget* expectedParent = row.container == Container::FolderPage ? ui.选择夹1->widget(0)
                                    : row.container == Container::ClipboardPage
                                        ? ui.选择夹1->widget(1)
                                        : frame;
    EXPECT_EQ(control->parentWidget(), expectedParent);
    const QPoint topLeft = control->parentWidget()->mapTo(frame, control->pos());
    EXPECT_EQ(QRect(topLeft, control->size()), row.geometry);
    // The client area starts at the central widget's corner (no menu bar).
    EXPECT_EQ(window->centralWidget()->pos(), QPoint(0, 0));

    const char* captionProperty = std::string_view(row.kind) == "QGroupBox" ? "title" : "text";
    if (row.caption) {
        EXPECT_EQ(control->property(captionProperty).toString(), QString::fromUtf8(row.caption));
    }
    EXPECT_EQ(control->font().family(), QString::fromUtf8(row.fontFamily));
    EXPECT_EQ(control->toolTip(), QString::fromUtf8(row.toolTip));
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, DesignedControl,
    ::testing::Values(ControlRow{"TabControl",
                                 "选择夹1",
                                 "QTabWidget",
                                 Container::Window,
                                 {4, 0, 668, 496},
                                 nullptr,
                                 "宋体",
                                 ""},
                      ControlRow{"FolderTree",
                                 "树型框_文件夹",
                                 "QTreeWidget",
                                 Container::FolderPage,
                                 {8, 32, 188, 416},
                                 nullptr,
                                 "宋体",
                                 ""},
                      ControlRow{"SearchButton",
                                 "按钮_文件夹搜索",
                                 "QPushButton",
                                 Container::FolderPage,
                                 {104, 461, 40, 20},
                                 "搜索",
                                 "宋体",
                                 kSearchTip},
                      ControlRow{"StopSearchButton",
                                 "按钮_文件夹停止搜索",
                                 "QPushButton",
                                 Container::FolderPage,
                                 {160, 461, 40, 20},
                                 "停止",
                                 "宋体",
                                 kSearchTip},
                      ControlRow{"SubfoldersCheckBox",
                                 "选择框_包括文件夹",
                                 "QCheckBox",
                                 Container::FolderPage,
                                 {9, 465, 99, 16},
                                 "包括子文件夹",
                                 "宋体",
                                 ""},
                      ControlRow{"ImportClipboardButton",
                                 "按钮_从剪贴板导入",
                                 "QPushButton",
                                 Container::ClipboardPage,
                                 {40, 62, 116, 24},
                                 "从剪贴板导入",
                                 "宋体",
                                 "首先在其它表格内“复制”，然后单击它，即可自动创建。"},
                      ControlRow{"ExportClipboardButton",
                                 "按钮_导出到剪贴板",
                                 "QPushButton",
                                 Container::ClipboardPage,
                                 {40, 137, 116, 24},
                                 "导出到剪贴板",
                                 "宋体",
                                 "把右表的数据导出到剪贴板，然后再在其它软件中“粘贴”"},
                      ControlRow{"ImportVistrelButton",
                                 "按钮_从Vistrel结果中导入",
                                 "QPushButton",
                                 Container::ClipboardPage,
                                 {40, 452, 116, 24},
                                 "导入Vistrel文本",
                                 "宋体",
                                 "导入由Vistrel生成的列表文本文件。"},
                      ControlRow{"ClipboardHelpLabel",
                                 "标签_剪贴板",
                                 "QLabel",
                                 Container::ClipboardPage,
                                 {12, 32, 184, 432},
                                 nullptr,
                                 "宋体",
                                 ""},
                      ControlRow{"ResultList",
                                 "超级列表框_显示",
                                 "QTreeWidget",
                                 Container::Window,
                                 {208, 31, 456, 384},
                                 nullptr,
                                 "宋体",
                                 ""},
                      ControlRow{"PrintGroup",
                                 "分组框_文件夹打印",
                                 "QGroupBox",
                                 Container::Window,
                                 {211, 416, 352, 72},
                                 "打印",
                                 "宋体",
                                 ""},
                      ControlRow{"ExitButton",
                                 "按钮_结束程序",
                                 "QPushButton",
                                 Container::Window,
                                 {597, 466, 60, 20},
                                 "退出程序",
                                 "黑体",
                                 ""},
                      ControlRow{"ConversionGrid",
                                 "高级表格_中间结果",
                                 "QTableWidget",
                                 Container::Window,
                                 {226, 392, 206, 32},
                                 nullptr,
                                 "宋体",
                                 ""},
                      ControlRow{"HeaderFooterLabel",
                                 "标签_页眉页脚",
                                 "QLabel",
                                 Container::PrintGroup,
                                 {3, 14, 38, 40},
                                 "页眉：\r\n\r\n页脚：",
                                 "宋体",
                                 ""},
                      ControlRow{"HeaderEdit",
                                 "编辑框_页眉",
                                 "QLineEdit",
                                 Container::PrintGroup,
                                 {40, 8, 232, 20},
                                 "",
                                 "宋体",
                                 ""},
                      ControlRow{"FooterEdit",
                                 "编辑框_页脚",
                                 "QLineEdit",
                                 Container::PrintGroup,
                                 {39, 29, 232, 20},
                                 "",
                                 "宋体",
                                 ""},
                      ControlRow{"ByFolderCheckBox",
                                 "选择框_按文件夹分类",
                                 "QCheckBox",
                                 Container::PrintGroup,
                                 {39, 52, 168, 18},
                                 "不同文件夹照片要分别打印",
                                 "宋体",
                                 ""},
                      ControlRow{"PreviewButton",
                                 "按钮_打印预览",
                                 "QPushButton",
                                 Container::PrintGroup,
                                 {282, 12, 60, 20},
                                 "预览与设置",
                                 "宋体",
                                 kSearchTip},
                      ControlRow{"PrintButton",
                                 "按钮_文件夹准备打印",
                                 "QPushButton",
                                 Container::PrintGroup,
                                 {281, 36, 60, 20},
                                 "准备打印",
                                 "宋体",
                                 kSearchTip}),
    [](const ::testing::TestParamInfo<ControlRow>& info) {
        return std::string(info.param.testName);
    });

class MainWindowLayout : public MainWindowFixture, public ::testing::Test {};

TEST_F(MainWindowLayout, TitleNamesProductVersionAndWebAddress)
{
    const QString title = window->windowTitle();
    EXPECT_TRUE(title.startsWith(QStringLiteral("Quillet 1.3"))) << title.toStdString();
    EXPECT_TRUE(title.contains(QStringLiteral("https://"))) << title.toStdString();
}

TEST_F(MainWindowLayout, OuterWindowHasDesignedSizeAndPosition)
{
    // Offscreen windows have no frame: the outer rectangle is the client's.
    EXPECT_EQ(window->frameGeometry(), QRect(50, 50, 687, 545));
}

TEST_F(MainWindowLayout, PagesAreNamedAndShowTheirWholeControls)
{
    QTabWidget* tabs = window->ui().选择夹1;
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("文件夹"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("剪贴板"));
    EXPECT_EQ(tabs->currentIndex(), 0);
    // The lowest controls reach down to the tab control's bottom edge: a page
    // that started below the tab strip would cut them off.
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QApplication::processEvents();
        const QWidget* pageWidget = tabs->widget(page);
        for (const QWidget* control :
             pageWidget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(pageWidget->rect().contains(control->geometry()))
                << control->objectName().toStdString();
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
        }
    }
    // Nor may the strip lie over the first row of controls.
    EXPECT_LT(tabs->tabBar()->geometry().bottom(), 32);
}

TEST_F(MainWindowLayout, ResultListAndPrintAreaStayAcrossPageSwitches)
{
    Ui::MainWindow& ui = window->ui();
    ui.超级列表框_显示->setColumnCount(2);
    new QTreeWidgetItem(ui.超级列表框_显示,
                        QStringList{QStringLiteral("1"), QStringLiteral("/照片/a.jpg")});
    ui.编辑框_页眉->setText(QStringLiteral("第&p页"));

    ui.选择夹1->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(ui.超级列表框_显示->isVisible());
    EXPECT_TRUE(ui.分组框_文件夹打印->isVisible());
    ASSERT_EQ(ui.超级列表框_显示->topLevelItemCount(), 1);
    EXPECT_EQ(ui.超级列表框_显示->topLevelItem(0)->text(1), QStringLiteral("/照片/a.jpg"));
    EXPECT_EQ(ui.编辑框_页眉->text(), QStringLiteral("第&p页"));

    ui.选择夹1->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_TRUE(ui.超级列表框_显示->isVisible());
    EXPECT_EQ(ui.超级列表框_显示->topLevelItemCount(), 1);
}

TEST_F(MainWindowLayout, ResultListIsAFlatReportAndTheGridIsHidden)
{
    Ui::MainWindow& ui = window->ui();
    EXPECT_FALSE(ui.超级列表框_显示->rootIsDecorated());
    EXPECT_FALSE(ui.超级列表框_显示->isHeaderHidden());
    EXPECT_TRUE(ui.树型框_文件夹->isHeaderHidden());
    EXPECT_FALSE(ui.高级表格_中间结果->isVisible());
}

TEST_F(MainWindowLayout, DesignedFacesAreDrawnWithChineseFonts)
{
    Ui::MainWindow& ui = window->ui();
    struct Case {
        QWidget* control;
        QString designedFace;
    };
    for (const Case& c : {Case{ui.树型框_文件夹, QStringLiteral("宋体")},
                          Case{ui.按钮_结束程序, QStringLiteral("黑体")},
                          Case{ui.标签_剪贴板, QStringLiteral("宋体")}}) {
        const QString resolved = ResolvedFontFamily(c.control->font());
        EXPECT_TRUE(FontSubstitutesFor(c.designedFace).contains(resolved))
            << c.control->objectName().toStdString() << " drawn with " << resolved.toStdString();
    }
}

TEST_F(MainWindowLayout, StatusBarIsDockedAtTheBottomAndGreets)
{
    QStatusBar* statusBar = window->ui().状态条1;
    EXPECT_EQ(window->statusBar(), statusBar);
    EXPECT_EQ(statusBar->height(), 20);
    EXPECT_EQ(statusBar->geometry().bottom(), window->rect().bottom());
    EXPECT_EQ(statusBar->width(), window->width());

    auto* firstPart = statusBar->findChild<QLabel*>();
    ASSERT_NE(firstPart, nullptr);
    EXPECT_LT(firstPart->x(), 10);
    EXPECT_FALSE(testing::StatusBarText(*window).isEmpty());
    EXPECT_EQ(firstPart->text(), testing::StatusBarText(*window));

    window->SetStatusText(QStringLiteral("打印完毕！"));
    EXPECT_EQ(firstPart->text(), QStringLiteral("打印完毕！"));
    EXPECT_EQ(testing::StatusBarText(*window), QStringLiteral("打印完毕！"));
}

TEST_F(MainWindowLayout, LongStatusTextIsCutNeverWideningTheWindow)
{
    // A deep path as the search shows it.
    QString deepPath = QStringLiteral("搜索中：");
    for (int level = 0; level < 40; ++level)
        deepPath += QStringLiteral("/很长的文件夹名字%1").arg(level);
    window->SetStatusText(deepPath);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QApplication::processEvents();
    EXPECT_EQ(testing::StatusBarText(*window), deepPath);
    EXPECT_EQ(window->frameGeometry(), QRect(50, 50, 687, 545));
    EXPECT_LE(window->minimumSizeHint().width(), 687);
    EXPECT_LE(window->ui().状态条1->findChild<QLabel*>()->width(), 687);
}

TEST_F(MainWindowLayout, ClipboardPageShowsItsHelpLines)
{
    const QStringList lines = window->ui().标签_剪贴板->text().split(QStringLiteral("\r\n"));
    const QStringList expected{
        QStringLiteral("1.你可以在其它excel表中把数据复制到剪贴板中，然后“导入”。"),
        "",
        "",
        "",
        QStringLiteral(
            "2.你可以把右表中的数据导出到剪贴板，然后再在excel中粘贴处理，处理后再“导入”。"),
        "",
        "",
        "",
        "",
        QStringLiteral("友情提醒："),
        QStringLiteral("1."
                       "你不可从导出到剪贴板后不经处理直接导入。正确的操作方法是导出后，在电子表格"
                       "内“粘贴”，再处理（或不处理）后“复制”，然后再在此程序中“导入”。"),
        "",
        QStringLiteral("2.导入数据时，会把第一行数据作为标题的。"),
        "",
        QStringLiteral("3.你可以调整列宽。系统默认第2列为照片位置，第3列为分类，第4列为图片说明。"),
        "",
        QStringLiteral("4."
                       "默认第2列是照片的位置（含路径），第3列是文件的分类（每个类别单独打印），要"
                       "事先排序好。第4列是各照片的说明文字。"),
        "",
        QStringLiteral("5."
                       "《Vistrel》导出的文本文件可以打开后全选复制，在此再“从剪贴板导入”。也可以复"
                       "制粘贴到excel中处理后再导入此处。")};
    EXPECT_EQ(lines, expected);
    // No bare LF: the breaks are CR LF pairs throughout.
    EXPECT_EQ(window->ui().标签_剪贴板->text().count(QLatin1Char('\n')), expected.size() - 1);
}

} // namespace
} // namespace quillet
