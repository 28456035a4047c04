#pragma once
// The result list: a report-style list (the main window's QTreeWidget
// `超级列表框_显示`) seen as a table of text cells with titled columns.  The
// folder search, the table import and the print driver all work through it.
// Every state (titles, widths, alignments, cells) lives in the widget, so
// any number of these adapters may look at the same list.

#include <string>
#include <string_view>
#include <vector>

class QTreeWidget;

namespace quillet {

enum class ColumnAlignment { Left = 0, Centre = 1, Right = 2 };

class ReportList {
public:
    explicit ReportList(QTreeWidget* list);

    int RowCount() const;
    int ColumnCount() const;

    void DeleteAllRows();
    // Removes a column; later columns move left.  Outside the list: ignored.
    void DeleteColumn(int column);
    // Adds a column after the last one and returns its index.
    int AppendColumn(std::string_view title, int width = 50,
                     ColumnAlignment alignment = ColumnAlignment::Left);

    // Adds filled rows in one step (no change signal per cell); returns the
    // index of the first.  The view lays itself out once for the lot instead
    // of once per row.  Cells beyond the columns are dropped.  A cell keeps
    // the bytes it was given: text that is not UTF-8 (a path with a GBK file
    // name) is shown decoded and read back as it was given, so the path still
    // opens its file.
    int AppendRows(const std::vector<std::vector<std::string>>& rows);

    // Reading outside the list gives "".
    std::string CellText(int row, int column) const;

    std::string ColumnTitle(int column) const;
    void SetColumnTitle(int column, std::string_view title);

    // The first selected row in list order, -1 when none is selected.
    int SelectedRow() const;

private:
    bool HasCell(int row, int column) const;

    QTreeWidget* list_;
};

} // namespace quillet
