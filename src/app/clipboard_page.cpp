#include "app/clipboard_page.h"

#include "app/main_window.h"
#include "collect/folder_search.h"
#include "collect/report_list.h"
#include "table/table_file.h"
#include "table/table_text.h"
#include "textfiles/convert.h"
#include "textfiles/file_names.h"
#include "ui_main_window.h"
#include "widgets/clipboard.h"
#include "widgets/dialogs.h"

#include <QTableWidget>
#include <QTreeWidget>

#include <algorithm>
#include <string>

namespace quillet {
namespace {

constexpr int kGridColumnWidth = 40;
constexpr int kNewListColumnWidth = 50;
constexpr int kNoticeMilliseconds = 3000;

QString NothingImported(const QString& why)
{
    return why + QStringLiteral("没有导入任何内容，右表保持不变。");
}

// What a zero byte cut off: nothing is left out without a word.
QString EndedEarly(const OutsideText& text)
{
    if (text.endedAtLine == 0)
        return {};
    return QStringLiteral("第 %1 行有零字节，从那里起的内容没有读入。").arg(text.endedAtLine);
}

QString ReadProblemText(FileReadProblem problem, const QString& shownPath)
{
    switch (problem) {
    case FileReadProblem::NotAFile: return QStringLiteral("%1 不是普通文件，").arg(shownPath);
    case FileReadProblem::TooLarge:
        return QStringLiteral("文件 %1 超过 %2 MB，").arg(shownPath).arg(kTableFileLimitMegabytes);
    case FileReadProblem::OutOfMemory:
        return QStringLiteral("内存不足，无法读入 %1，").arg(shownPath);
    case FileReadProblem::None:
    case FileReadProblem::Missing:
    case FileReadProblem::Unreadable: break;
    }
    return QStringLiteral("无法读取文件 %1，").arg(shownPath);
}

// A path typed or exported in UTF-8 reaches a file named in GBK by its GBK
// bytes, as the folder search would have listed it.
std::string CellFromTable(const std::string& text)
{
    return text.starts_with('/') ? ExistingSpelling(text) : text;
}

// Empties the grid and gives it the size, never less than one row and one
// column: the smallest grid the form has.
void ResetGrid(QTableWidget& grid, int rows, int columns)
{
    grid.clearContents();
    grid.setRowCount(std::max(1, rows));
    grid.setColumnCount(std::max(1, columns));
}

std::string GridCellText(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text().toStdString() : std::string();
}

void SetGridCellText(QTableWidget& grid, int row, int column, std::string_view text)
{
    if (!text.empty())
        grid.setItem(row, column, new QTableWidgetItem(ToQString(text)));
}

TableLines GridLines(const QTableWidget& grid, int rows, int columns)
{
    TableLines lines(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            lines[row].push_back(GridCellText(grid, row, column));
    return lines;
}

// A table whose rows name no picture (a list under a title that is no
// picture column, text in an encoding not recognised) would print only
// empty pages: the user is told at once.
QString NoPictureNamed(const ReportList& list)
{
    const int column = PicturePathColumn(list);
    for (int row = 0; column >= 0 && row < list.RowCount(); ++row)
        if (!list.CellText(row, column).empty())
            return {};
    return QStringLiteral("表格里没有一行写着图片路径，打印不出图片。");
}

ImportOutcome ImportTableText(const ClipboardPageControls& controls, const OutsideText& text,
                              const QString& nothingThere)
{
    const TableLines lines = ParseTableText(text.text);
    if (TableIsBlank(lines)) {
        controls.setStatusText(NothingImported(nothingThere) + EndedEarly(text));
        return ImportOutcome::NothingToImport;
    }
    const TableSize size = MeasureClipboardTable(lines);
    QTableWidget& grid = *controls.grid;
    ResetGrid(grid, size.lines, size.columns);
    for (int column = 0; column < grid.columnCount(); ++column)
        grid.setColumnWidth(column, kGridColumnWidth);
    for (int row = 0; row < size.lines; ++row)
        for (int column = 0; column < static_cast<int>(lines[row].size()); ++column)
            SetGridCellText(grid, row, column, lines[row][column]);

    ReportList list(controls.resultList);
    CopyGridToList(grid, list);
    controls.setStatusText(QStringLiteral("导入完成：按 %1 编码读入，%2 列，%3 行。")
                               .arg(ToQString(TextEncodingName(text.encoding)))
                               .arg(list.ColumnCount())
                               .arg(list.RowCount())
                           + EndedEarly(text) + NoPictureNamed(list));
    return ImportOutcome::Imported;
}

} // namespace

void CopyListToGrid(const ReportList& list, QTableWidget& grid)
{
    const int rows = list.RowCount();
    const int columns = list.ColumnCount();
    ResetGrid(grid, rows, columns);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            SetGridCellText(grid, row, column, DisplayPath(list.CellText(row, column)));
    grid.insertRow(0);
    for (int column = 0; column < columns; ++column)
        SetGridCellText(grid, 0, column, list.ColumnTitle(column));
}

void CopyGridToList(const QTableWidget& grid, ReportList& list)
{
    list.DeleteAllRows();
    while (list.ColumnCount() > 1)
        list.DeleteColumn(0);
    const int columns = grid.columnCount();
    while (list.ColumnCount() < columns)
        list.AppendColumn("", kNewListColumnWidth);
    for (int column = 0; column < columns; ++column)
        list.SetColumnTitle(column, GridCellText(grid, 0, column));

    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<std::size_t>(std::max(0, grid.rowCount() - 1)));
    for (int row = 1; row < grid.rowCount(); ++row) {
        std::vector<std::string> cells;
        cells.reserve(static_cast<std::size_t>(columns));
        for (int column = 0; column < columns; ++column)
            cells.push_back(CellFromTable(GridCellText(grid, row, column)));
        rows.push_back(std::move(cells));
    }
    list.AppendRows(rows);
}

void ExportListToClipboard(const ClipboardPageControls& controls)
{
    const ReportList list(controls.resultList);
    CopyListToGrid(list, *controls.grid);
    // The list's own extent: a list without rows is its title line alone,
    // not a title line and an empty row that was never there.
    const TableLines lines = GridLines(*controls.grid, list.RowCount() + 1, list.ColumnCount());
    if (!SetClipboardText(WriteTableText(lines))) {
        controls.setStatusText(QStringLiteral("无法写入剪贴板，没有导出。"));
        return;
    }
    TimedMessageBox("信息已经复制到剪贴板，请在电子表格中进一步处理。", "处理成功，请继续。",
                    kMessageBoxIconInformation, kNoticeMilliseconds);
}

ImportOutcome ImportClipboardToList(const ClipboardPageControls& controls)
{
    const std::optional<OutsideText> text = ReadClipboardText();
    if (!text) {
        controls.setStatusText(NothingImported(QStringLiteral("剪贴板里没有文字，")));
        return ImportOutcome::NoText;
    }
    return ImportTableText(controls, *text, QStringLiteral("剪贴板里没有表格，"));
}

ImportOutcome ImportCaptureList(const ClipboardPageControls& controls)
{
    const std::string path =
        OpenFileDialog("打开由《Vistrel》生成的文本列表", "文本文件（*.txt）|*.txt");
    if (path.empty())
        return ImportOutcome::Cancelled;
    const TableFile file = ReadTableFile(path);
    const QString shownPath = ToQString(DisplayPath(path));
    if (file.problem != FileReadProblem::None) {
        controls.setStatusText(NothingImported(ReadProblemText(file.problem, shownPath)));
        return ImportOutcome::UnreadableFile;
    }
    return ImportTableText(controls, file.text,
                           QStringLiteral("文件 %1 里没有表格，").arg(shownPath));
}

void AttachClipboardPage(MainWindow& window)
{
    Ui::MainWindow& ui = window.ui();
    const ClipboardPageControls controls{
        ui.超级列表框_显示, ui.高级表格_中间结果,
        [&window](const QString& text) { window.SetStatusText(text); }};
    QObject::connect(ui.按钮_导出到剪贴板, &QPushButton::clicked, &window,
                     [controls] { ExportListToClipboard(controls); });
    QObject::connect(ui.按钮_从剪贴板导入, &QPushButton::clicked, &window,
                     [controls] { ImportClipboardToList(controls); });
    QObject::connect(ui.按钮_从Vistrel结果中导入, &QPushButton::clicked, &window,
                     [controls] { ImportCaptureList(controls); });
}

} // namespace quillet
