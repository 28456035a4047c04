#include "collect/report_list.h"

#include "textfiles/convert.h"
#include "textfiles/file_names.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <algorithm>

namespace quillet {
namespace {

// Where a cell keeps the bytes it was given, when they are not its text.
constexpr int cellBytesRole = Qt::UserRole;

// Cells are only ever set on fresh items, which hold no bytes to drop.
void SetCell(QTreeWidgetItem& item, int column, std::string_view text)
{
    if (IsValidUtf8(text)) {
        item.setText(column, ToQString(text));
        return;
    }
    item.setText(column, ToQString(DisplayPath(text)));
    item.setData(column, cellBytesRole,
                 QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

Qt::Alignment ToQtAlignment(ColumnAlignment alignment)
{
    switch (alignment) {
    case ColumnAlignment::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlignment::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlignment::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Cells take their column's alignment from the header, so a row costs no
// alignment data of its own however long the list grows.
class ColumnAlignmentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant alignment =
            index.model()->headerData(index.column(), Qt::Horizontal, Qt::TextAlignmentRole);
        if (alignment.isValid())
            option->displayAlignment = Qt::Alignment(alignment.toInt());
    }
};

} // namespace

ReportList::ReportList(QTreeWidget* list) : list_(list)
{
    if (!dynamic_cast<ColumnAlignmentDelegate*>(list_->itemDelegate()))
        list_->setItemDelegate(new ColumnAlignmentDelegate(list_));
    // Every row is one line of text; telling the view so keeps long lists fast.
    list_->setUniformRowHeights(true);
    list_->setRootIsDecorated(false);
    // Columns keep the widths they are given; the last one does not swallow
    // the rest of the list.
    list_->header()->setStretchLastSection(false);
}

int ReportList::RowCount() const
{
    return list_->topLevelItemCount();
}

int ReportList::ColumnCount() const
{
    return list_->columnCount();
}

bool ReportList::HasCell(int row, int column) const
{
    return row >= 0 && row < RowCount() && column >= 0 && column < ColumnCount();
}

void ReportList::DeleteAllRows()
{
    // Clearing resets the header, which forgets the column widths.
    std::vector<int> widths;
    for (int column = 0; column < ColumnCount(); ++column)
        widths.push_back(list_->columnWidth(column));
    list_->clear();
    for (int column = 0; column < static_cast<int>(widths.size()); ++column)
        list_->setColumnWidth(column, widths[column]);
}

void ReportList::DeleteColumn(int column)
{
    const int count = ColumnCount();
    if (column < 0 || column >= count)
        return;
    // The tree widget can only drop its last column, and its rows keep the
    // texts of dropped columns (they would come back with a new column), so
    // shift everything left by hand and empty the last column first.
    QTreeWidgetItem* header = list_->headerItem();
    std::vector<int> widths;
    for (int c = 0; c < count; ++c)
        widths.push_back(list_->columnWidth(c));
    list_->setUpdatesEnabled(false);
    for (int c = column; c + 1 < count; ++c) {
        header->setText(c, header->text(c + 1));
        header->setData(c, Qt::TextAlignmentRole, header->data(c + 1, Qt::TextAlignmentRole));
    }
    header->setText(count - 1, QString());
    header->setData(count - 1, Qt::TextAlignmentRole, QVariant());
    for (int row = 0; row < RowCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        for (int c = column; c + 1 < count; ++c) {
            item->setText(c, item->text(c + 1));
            const QVariant bytes = item->data(c + 1, cellBytesRole);
            if (bytes.isValid() || item->data(c, cellBytesRole).isValid())
                item->setData(c, cellBytesRole, bytes);
        }
        item->setText(count - 1, QString());
        if (item->data(count - 1, cellBytesRole).isValid())
            item->setData(count - 1, cellBytesRole, QVariant());
    }
    widths.erase(widths.begin() + column);
    list_->setColumnCount(count - 1);
    for (int c = 0; c < count - 1; ++c)
        list_->setColumnWidth(c, widths[c]);
    list_->setUpdatesEnabled(true);
}

int ReportList::AppendColumn(std::string_view title, int width, ColumnAlignment alignment)
{
    const int column = ColumnCount();
    list_->setColumnCount(column + 1);
    QTreeWidgetItem* header = list_->headerItem();
    header->setText(column, ToQString(title));
    header->setData(column, Qt::TextAlignmentRole, int(ToQtAlignment(alignment)));
    list_->setColumnWidth(column, std::max(0, width));
    return column;
}

int ReportList::AppendRows(const std::vector<std::vector<std::string>>& rows)
{
    const int first = RowCount();
    const int columns = ColumnCount();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::vector<std::string>& cells : rows) {
        auto* item = new QTreeWidgetItem;
        for (int column = 0; column < columns && column < static_cast<int>(cells.size()); ++column)
            SetCell(*item, column, cells[column]);
        items.append(item);
    }
    list_->addTopLevelItems(items); // the list takes them all
    return first;
}

std::string ReportList::CellText(int row, int column) const
{
    if (!HasCell(row, column))
        return {};
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    if (const QVariant bytes = item->data(column, cellBytesRole); bytes.isValid())
        return bytes.toByteArray().toStdString();
    return item->text(column).toStdString();
}

std::string ReportList::ColumnTitle(int column) const
{
    if (column < 0 || column >= ColumnCount())
        return {};
    return list_->headerItem()->text(column).toStdString();
}

void ReportList::SetColumnTitle(int column, std::string_view title)
{
    if (column < 0 || column >= ColumnCount())
        return;
    list_->headerItem()->setText(column, ToQString(title));
}

int ReportList::SelectedRow() const
{
    const QItemSelectionModel* selection = list_->selectionModel();
    if (!selection)
        return -1;
    int first = -1;
    for (const QItemSelectionRange& range : selection->selection()) {
        if (range.parent().isValid())
            continue;
        if (first < 0 || range.top() < first)
            first = range.top();
    }
    return first;
}

} // namespace quillet
