#pragma once
// The clipboard page ("剪贴板") of the main window: the result list goes out
// to a spreadsheet through the clipboard and comes back, and the text lists
// of the capture program `Vistrel` come in.  Both directions pass through
// the hidden grid `高级表格_中间结果`, which only ever serves as the buffer
// between the list and the table text (table/table_text.h).
//
// An import that finds nothing to import leaves the list as it was and says
// why in the status bar; an import never writes to the clipboard.

#include <QString>

#include <functional>

class QTableWidget;
class QTreeWidget;

namespace quillet {

class MainWindow;
class ReportList;

struct ClipboardPageControls {
    QTreeWidget* resultList = nullptr;
    QTableWidget* grid = nullptr;
    std::function<void(const QString&)> setStatusText;
};

enum class ImportOutcome { Imported, Cancelled, NoText, NothingToImport, UnreadableFile };

// The grid holds the list: its column titles in row 0, then its rows, as
// they are shown (a GBK file name decoded), since the grid and the
// clipboard hold text.  The grid keeps at least one row and one column.
void CopyListToGrid(const ReportList& list, QTableWidget& grid);

// The list takes the grid: row 0 gives the column titles, the other rows are
// the list's rows; a path that exists only under its GB18030 spelling is
// kept as those bytes.  Of the list's old columns the last keeps its width,
// new ones are 50 pixels wide.
void CopyGridToList(const QTableWidget& grid, ReportList& list);

// "导出到剪贴板": the list as table text on the clipboard (titles first), then
// a notice that closes itself after three seconds.
void ExportListToClipboard(const ClipboardPageControls& controls);

// "从剪贴板导入": the list replaced by the table on the clipboard.
ImportOutcome ImportClipboardToList(const ClipboardPageControls& controls);

// "导入Vistrel文本": asks for a text list and imports it; the clipboard is
// left alone.
ImportOutcome ImportCaptureList(const ClipboardPageControls& controls);

// Connects the page's three buttons of the window.
void AttachClipboardPage(MainWindow& window);

} // namespace quillet
