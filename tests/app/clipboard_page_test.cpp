// The clipboard page of the real main window: the list goes out to the real
// clipboard and comes back, spreadsheet tables and capture-program lists come
// in, and an import that finds nothing leaves the list alone.
#include "app/clipboard_page.h"
#include "app/collection_wiring.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "collect/report_list.h"
#include "collect/temp_tree.h"
#include "support/scripted_dialogs.h"
#include "support/status_bar_text.h"
#include "ui_main_window.h"
#include "widgets/window.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Rows = std::vector<QStringList>;

const QStringList kSearchTitles{QStringLiteral("序号"), QStringLiteral("图片名全称"),
                                QStringLiteral("图片类别"), QStringLiteral("图片说明")};

void PutRawTextOnClipboard(const QByteArray& bytes)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), bytes);
    QGuiApplication::clipboard()->setMimeData(data);
}

class ClipboardPage : public ::testing::Test {
protected:
    ClipboardPage()
    {
        PrepareProgramState();
        FolderTreeBuilder() = AttachCollection;
        window = LoadMainWindow();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ui().选择夹1->setCurrentIndex(1);
    }

    ~ClipboardPage() override
    {
        window.reset();
        FolderTreeBuilder() = nullptr;
        RegisterExitProcedure(nullptr);
        ResetGlobals();
    }

    Ui::MainWindow& ui() { return window->ui(); }

    // The folder page's search over a folder of the temporary disk.
    void Search(const std::string& folder)
    {
        App().SelectedFolderPath = disk.Path(folder);
        Click(ui().按钮_文件夹搜索);
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QStringList Titles()
    {
        QStringList titles;
        for (int c = 0; c < ui().超级列表框_显示->columnCount(); ++c)
            titles << ui().超级列表框_显示->headerItem()->text(c);
        return titles;
    }

    Rows ListRows()
    {
        const QTreeWidget* list = ui().超级列表框_显示;
        Rows rows;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            rows.emplace_back();
            for (int c = 0; c < list->columnCount(); ++c)
                rows.back() << list->topLevelItem(r)->text(c);
        }
        return rows;
    }

    std::unique_ptr<MainWindow> window;
    testing::TempTree disk;
    ScriptedDialogProvider dialogs;
    ScopedDialogProvider scripted{dialogs};
};

TEST_F(ClipboardPage, ExportOfASearchComesStraightBack)
{
    disk.File("My Photos/a b.jpg");
    disk.File("My Photos/海边, 2019.jpg");
    Search("My Photos/");
    const Rows searched = ListRows();
    ASSERT_EQ(searched.size(), 2u);

    Click(ui().按钮_导出到剪贴板);
    const QString folder = QString::fromStdString(disk.Path("My Photos/"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              kSearchTitles.join('\t') + "\n1\t" + folder
                  + QStringLiteral("a b.jpg\tMy Photos\ta b\n2\t") + folder
                  + QStringLiteral("海边, 2019.jpg\tMy Photos\t海边, 2019"));
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    const DialogRequest& notice = dialogs.Requests()[0];
    EXPECT_EQ(notice.kind, DialogKind::TimedMessageBox);
    EXPECT_EQ(notice.text, "信息已经复制到剪贴板，请在电子表格中进一步处理。");
    EXPECT_EQ(notice.title, "处理成功，请继续。");
    EXPECT_EQ(notice.style, 64);
    EXPECT_EQ(notice.milliseconds, 3000);

    // A caption written in a spreadsheet, with a line break, a TAB and quotes.
    ui().超级列表框_显示->topLevelItem(0)->setText(3, QStringLiteral("第一行\n第二\t行 \"好\""));
    const Rows edited = ListRows();
    Click(ui().按钮_导出到剪贴板);
    Click(ui().按钮_从剪贴板导入);
    EXPECT_EQ(Titles(), kSearchTitles);
    EXPECT_EQ(ListRows(), edited);
}

TEST_F(ClipboardPage, ExportOfAListWithoutRowsIsItsTitleLine)
{
    disk.Folder("empty");
    Search("empty/");
    Click(ui().按钮_导出到剪贴板);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kSearchTitles.join('\t'));
    EXPECT_EQ(dialogs.Requests().size(), 1u) << "the notice comes for an empty list too";
}

TEST_F(ClipboardPage, ImportReplacesTheColumnsOfASearchAndLeavesTheClipboard)
{
    disk.File("pics/a.jpg");
    Search("pics/");
    // GBK, CR LF, a third cell beyond the titles, no line end after the last
    // line: 图片名全称 TAB 图片说明 / /p/My Photos/a.jpg TAB 海边, 2019 TAB x / /p/b.jpg TAB 山
    const QByteArray gbk(
        "\xCD\xBC\xC6\xAC\xC3\xFB\xC8\xAB\xB3\xC6\t\xCD\xBC\xC6\xAC\xCB\xB5\xC3\xF7\r\n"
        "/p/My Photos/a.jpg\t\xBA\xA3\xB1\xDF, 2019\tx\r\n"
        "/p/b.jpg\t\xC9\xBD");
    PutRawTextOnClipboard(gbk);

    Click(ui().按钮_从剪贴板导入);

    EXPECT_EQ(Titles(),
              (QStringList{QStringLiteral("图片名全称"), QStringLiteral("图片说明"), ""}));
    EXPECT_EQ(ListRows(),
              (Rows{{QStringLiteral("/p/My Photos/a.jpg"), QStringLiteral("海边, 2019"), "x"},
                    {QStringLiteral("/p/b.jpg"), QStringLiteral("山"), ""}}));
    EXPECT_EQ(ui().超级列表框_显示->columnWidth(0), 100)
        << "the search's last column keeps its width";
    EXPECT_EQ(ui().超级列表框_显示->columnWidth(1), 50);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain")), gbk);
    EXPECT_EQ(testing::StatusBarText(*window),
              QStringLiteral("导入完成：按 GBK 编码读入，3 列，2 行。"));
}

struct NothingCase {
    const char* name;
    std::function<void()> fillClipboard;
    QString status;
};

class ClipboardPageNothingToImport : public ClipboardPage,
                                     public ::testing::WithParamInterface<NothingCase> {};

TEST_P(ClipboardPageNothingToImport, LeavesTheListAndSaysWhy)
{
    disk.File("pics/a.jpg");
    Search("pics/");
    const Rows rows = ListRows();
    GetParam().fillClipboard();

    Click(ui().按钮_从剪贴板导入);

    EXPECT_EQ(Titles(), kSearchTitles);
    EXPECT_EQ(ListRows(), rows);
    EXPECT_EQ(testing::StatusBarText(*window), GetParam().status);
}

const QString kNoText = QStringLiteral("剪贴板里没有文字，没有导入任何内容，右表保持不变。");
const QString kNoTable = QStringLiteral("剪贴板里没有表格，没有导入任何内容，右表保持不变。");

INSTANTIATE_TEST_SUITE_P(
    ClipboardPage, ClipboardPageNothingToImport,
    ::testing::Values(
        NothingCase{"EmptyClipboard", [] { QGuiApplication::clipboard()->clear(); }, kNoText},
        NothingCase{
            "PictureOnly",
            [] { QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32)); },
            kNoText},
        NothingCase{"EmptyText", [] { PutRawTextOnClipboard(QByteArray()); }, kNoTable},
        NothingCase{"OnlyBlanks", [] { QGuiApplication::clipboard()->setText(" \t \r\n\r\n"); },
                    kNoTable}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipboardPage, CaptureListComesFromItsFileAlone)
{
    // GBK, CR LF, junk after a zero byte:
    // 序号 图片名全称 图片类别 图片说明 / 1 /v/a b.jpg 旅行 海边, 2019
    constexpr char kList[] =
        "\xD0\xF2\xBA\xC5\t\xCD\xBC\xC6\xAC\xC3\xFB\xC8\xAB\xB3\xC6\t\xCD\xBC\xC6\xAC\xC0\xE0\xB1"
        "\xF0\t"
        "\xCD\xBC\xC6\xAC\xCB\xB5\xC3\xF7\r\n"
        "1\t/v/a b.jpg\t\xC2\xC3\xD0\xD0\t\xBA\xA3\xB1\xDF, 2019\0junk\r\n2\tx";
    disk.File("vistrel.txt", std::string(kList, sizeof kList - 1));
    QGuiApplication::clipboard()->setText(QStringLiteral("用户复制的"));
    dialogs.AnswerOpenFileDialog(disk.Path("vistrel.txt"));

    Click(ui().按钮_从Vistrel结果中导入);

    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].title, "打开由《Vistrel》生成的文本列表");
    EXPECT_EQ(dialogs.Requests()[0].filter, "文本文件（*.txt）|*.txt");
    EXPECT_EQ(Titles(), kSearchTitles);
    EXPECT_EQ(ListRows(),
              (Rows{{"1", "/v/a b.jpg", QStringLiteral("旅行"), QStringLiteral("海边, 2019")}}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("用户复制的"));
    EXPECT_EQ(
        testing::StatusBarText(*window),
        QStringLiteral("导入完成：按 GBK 编码读入，4 列，1 行。第 2 行有零字节，从那里起的内容"
                       "没有读入。"));

    // Cancelled: nothing changes, nothing is said.  Unreadable: the list stays.
    const QString status = testing::StatusBarText(*window);
    dialogs.AnswerOpenFileDialog("");
    Click(ui().按钮_从Vistrel结果中导入);
    EXPECT_EQ(testing::StatusBarText(*window), status);
    dialogs.AnswerOpenFileDialog(disk.Path("gone.txt"));
    Click(ui().按钮_从Vistrel结果中导入);
    EXPECT_EQ(ListRows().size(), 1u);
    EXPECT_EQ(testing::StatusBarText(*window),
              QStringLiteral("无法读取文件 %1，没有导入任何内容，右表保持不变。")
                  .arg(QString::fromStdString(disk.Path("gone.txt"))));
}

TEST_F(ClipboardPage, CaptureListThatIsNoFileIsNotRead)
{
    disk.File("pics/a.jpg");
    Search("pics/");
    const Rows rows = ListRows();
    // /dev/zero never ends; a folder has no text.
    for (const std::string& path : {std::string("/dev/zero"), disk.Path("pics")}) {
        dialogs.AnswerOpenFileDialog(path);
        Click(ui().按钮_从Vistrel结果中导入);
        EXPECT_EQ(ListRows(), rows);
        EXPECT_EQ(testing::StatusBarText(*window),
                  QStringLiteral("%1 不是普通文件，没有导入任何内容，右表保持不变。")
                      .arg(QString::fromStdString(path)));
    }
}

TEST_F(ClipboardPage, GbkNamedPictureGoesOutAndComesBackByItsBytes)
{
    const std::string gbkName = "\xBA\xA3\xB1\xDF.jpg"; // 海边.jpg in GBK
    disk.File("pics/" + gbkName);
    Search("pics/");
    ASSERT_EQ(ListRows().size(), 1u);

    Click(ui().按钮_导出到剪贴板);
    const QString exported = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(exported.contains(QString::fromStdString(disk.Path("pics/海边.jpg"))))
        << exported.toStdString();
    EXPECT_FALSE(exported.contains(QChar(0xFFFD)));
    Click(ui().按钮_从剪贴板导入);

    const ReportList list(ui().超级列表框_显示);
    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.CellText(0, 1), disk.Path("pics/" + gbkName)) << "the file's own bytes";
    EXPECT_EQ(list.CellText(0, 3), "海边");
}

// A quote inside a cell stays where it was written, its row with it.
TEST_F(ClipboardPage, QuotesInsideCellsSwallowNoRows)
{
    PutRawTextOnClipboard("图片名全称\t图片说明\r\n/p/1.jpg\t\"Big\r\n/p/2.jpg\t中\r\n/p/3.jpg\t"
                          "\r\n/p/4.jpg\t5\" print\r\n/p/5.jpg\t\"Sunset\" at beach\r\n");
    Click(ui().按钮_从剪贴板导入);
    EXPECT_EQ(ListRows(), (Rows{{"/p/1.jpg", "\"Big"},
                                {"/p/2.jpg", QStringLiteral("中")},
                                {"/p/3.jpg", ""},
                                {"/p/4.jpg", "5\" print"},
                                {"/p/5.jpg", "\"Sunset\" at beach"}}));
    EXPECT_EQ(testing::StatusBarText(*window),
              QStringLiteral("导入完成：按 UTF-8 编码读入，2 列，5 行。"));
}

struct EncodingCase {
    const char* name;
    QByteArray bytes;
    QStringList firstRow;
    QString status;
};

class ClipboardPageEncoding : public ClipboardPage,
                              public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(ClipboardPageEncoding, TitlesFoundAndTheEncodingTold)
{
    PutRawTextOnClipboard(GetParam().bytes);
    Click(ui().按钮_从剪贴板导入);
    ASSERT_FALSE(ListRows().empty());
    EXPECT_EQ(ListRows()[0], GetParam().firstRow);
    EXPECT_EQ(testing::StatusBarText(*window), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    ClipboardPage, ClipboardPageEncoding,
    ::testing::Values(
        // One Latin-1 byte (é) in a UTF-8 table.
        EncodingCase{
            "Utf8WithALatin1Byte",
            "图片名全称\t图片类别\t图片说明\r\n/p/a.jpg\t旅行\tCaf\xE9\r\n/p/b.jpg\t旅行\t海边\r\n",
            {"/p/a.jpg", QStringLiteral("旅行"), QStringLiteral("Caf\uFFFD")},
            QStringLiteral("导入完成：按 UTF-8 编码读入，3 列，2 行。")},
        // 山水, 同学, 爷爷 in GBK, bytes that are valid UTF-8 too.
        EncodingCase{"GbkThatIsValidUtf8",
                     "path\tcaption\r\n/p/a.jpg\t\xC9\xBD\xCB\xAE\r\n/p/b.jpg\t\xCD\xAC\xD1\xA7\r\n"
                     "/p/c.jpg\t\xD2\xAF\xD2\xAF\r\n",
                     {"/p/a.jpg", QStringLiteral("山水")},
                     // No column is titled for picture paths: nothing would print.
                     QStringLiteral("导入完成：按 GBK 编码读入，2 列，3 行。"
                                    "表格里没有一行写着图片路径，打印不出图片。")},
        EncodingCase{"ZeroByteEndsTheText",
                     QByteArray("a\tb\r\n1\t2\r\n3\t4\0\r\n5\t6\r\n", 21),
                     {"1", "2"},
                     QStringLiteral("导入完成：按 UTF-8 编码读入，2 列，2 行。第 3 "
                                    "行有零字节，从那里起的内容没有读入。"
                                    "表格里没有一行写着图片路径，打印不出图片。")}),
    [](const auto& info) { return std::string(info.param.name); });

// Tables that LibreOffice Calc 7.4 wrote from data/calc_cells.fods as the
// tab-separated text it copies (soffice --headless --convert-to
// 'txt:Text - txt - csv (StarCalc):9,34,76,1', and with ",,0,false,true,true"
// appended for quotes only where a cell needs them).  Spaces inside the
// quotes of a quoted cell stay; unquoted, they are trimmed.
struct CalcCase {
    const char* name;
    const char* file;
    QStringList spacedRow;
};

class ClipboardPageFromCalc : public ClipboardPage,
                              public ::testing::WithParamInterface<CalcCase> {};

TEST_P(ClipboardPageFromCalc, EveryCellArrives)
{
    QFile file(QStringLiteral(QUILLET_SOURCE_DIR "/tests/app/data/") + GetParam().file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    PutRawTextOnClipboard(file.readAll());

    Click(ui().按钮_从剪贴板导入);

    EXPECT_EQ(Titles(), kSearchTitles);
    EXPECT_EQ(ListRows(), (Rows{{"1", QStringLiteral("/home/anna/My Photos/海边.jpg"),
                                 QStringLiteral("旅行"), QStringLiteral("海边, 2019")},
                                {"2", QStringLiteral("/home/anna/My Photos/日落.jpg"),
                                 QStringLiteral("旅行"), QStringLiteral("第一行\n第二行")},
                                {"3", "/home/anna/Pictures/a\tb.jpg", QStringLiteral("家庭"),
                                 QStringLiteral("他说\"好\"")},
                                GetParam().spacedRow,
                                {"5", "/p/e.jpg", "", QStringLiteral("逗号,与\"引号\"")}}));
}

INSTANTIATE_TEST_SUITE_P(
    ClipboardPage, ClipboardPageFromCalc,
    ::testing::Values(CalcCase{"TextCellsQuoted",
                               "calc_text_cells_quoted.txt",
                               {"4", "  /home/anna/lead.jpg", QStringLiteral("  前后有空格  "),
                                QStringLiteral("中文说明")}},
                      CalcCase{"QuotedWhereNeeded",
                               "calc_quoted_where_needed.txt",
                               {"4", "/home/anna/lead.jpg", QStringLiteral("前后有空格"),
                                QStringLiteral("中文说明")}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
