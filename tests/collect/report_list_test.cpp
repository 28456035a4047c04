#include "collect/report_list.h"
#include "header_alignment.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::HeaderAlignment;

class ReportListTest : public ::testing::Test {
protected:
    ReportListTest() : list(&widget)
    {
        while (list.ColumnCount() > 0)
            list.DeleteColumn(0);
    }

    void Fill(int rows)
    {
        list.AppendColumn("A");
        list.AppendColumn("B");
        list.AppendColumn("C");
        std::vector<std::vector<std::string>> cells;
        for (int row = 0; row < rows; ++row) {
            cells.emplace_back();
            for (int column = 0; column < 3; ++column)
                cells.back().push_back(std::string(1, char('a' + column)) + std::to_string(row));
        }
        list.AppendRows(cells);
    }

    QTreeWidget widget;
    ReportList list;
};

TEST_F(ReportListTest, ColumnsKeepTitleWidthAndAlignment)
{
    EXPECT_EQ(list.AppendColumn("序号", 60, ColumnAlignment::Right), 0);
    EXPECT_EQ(list.AppendColumn("图片名全称", 220), 1);
    EXPECT_EQ(list.AppendColumn("居中", 90, ColumnAlignment::Centre), 2);
    EXPECT_EQ(list.AppendColumn("默认"), 3);
    ASSERT_EQ(list.ColumnCount(), 4);
    EXPECT_EQ(list.ColumnTitle(0), "序号");
    EXPECT_EQ(list.ColumnTitle(1), "图片名全称");
    EXPECT_EQ(widget.columnWidth(0), 60);
    EXPECT_EQ(widget.columnWidth(1), 220);
    EXPECT_EQ(widget.columnWidth(3), 50);
    EXPECT_EQ(HeaderAlignment(widget, 0), Qt::AlignRight);
    EXPECT_EQ(HeaderAlignment(widget, 1), Qt::AlignLeft);
    EXPECT_EQ(HeaderAlignment(widget, 2), Qt::AlignHCenter);
}

TEST_F(ReportListTest, CellsOutsideTheListReadEmpty)
{
    Fill(2);
    EXPECT_EQ(list.CellText(1, 2), "c1");
    for (auto [row, column] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 3}, {100, 100}})
        EXPECT_EQ(list.CellText(row, column), "") << row << "," << column;
    EXPECT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.ColumnCount(), 3);
    EXPECT_EQ(list.ColumnTitle(3), "");
    EXPECT_EQ(list.ColumnTitle(-1), "");
}

TEST_F(ReportListTest, DeletingAColumnMovesLaterOnesLeft)
{
    Fill(3);
    list.DeleteColumn(1);
    ASSERT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(list.ColumnTitle(0), "A");
    EXPECT_EQ(list.ColumnTitle(1), "C");
    EXPECT_EQ(list.CellText(2, 0), "a2");
    EXPECT_EQ(list.CellText(2, 1), "c2");
    // A dropped column's texts must not come back with a new column.
    list.AppendColumn("D");
    EXPECT_EQ(list.CellText(0, 2), "");
    EXPECT_EQ(list.CellText(2, 2), "");
}

TEST_F(ReportListTest, DeletingAllColumnsFromTheFrontEmptiesTheHeader)
{
    Fill(1);
    while (list.ColumnCount() > 0)
        list.DeleteColumn(0);
    EXPECT_EQ(list.ColumnCount(), 0);
    list.AppendColumn("new");
    EXPECT_EQ(list.ColumnTitle(0), "new");
    EXPECT_EQ(list.CellText(0, 0), "");
}

TEST_F(ReportListTest, DeletingRowsKeepsColumnsAndWidths)
{
    list.AppendColumn("A", 77);
    list.AppendColumn("B", 33, ColumnAlignment::Right);
    list.AppendRows({{"a", "b"}, {"c", "d"}});
    list.DeleteAllRows();
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(widget.columnWidth(0), 77);
    EXPECT_EQ(widget.columnWidth(1), 33);
    EXPECT_EQ(HeaderAlignment(widget, 1), Qt::AlignRight);
    EXPECT_EQ(list.AppendRows({{"e"}}), 0);
}

TEST_F(ReportListTest, AppendRowsFillsThemAtOnce)
{
    list.AppendColumn("A");
    list.AppendColumn("B");
    EXPECT_EQ(list.AppendRows({{"1", "照片"}}), 0);
    EXPECT_EQ(list.AppendRows({{"2", "more", "beyond the columns"}}), 1);
    EXPECT_EQ(list.CellText(0, 1), "照片");
    EXPECT_EQ(list.CellText(1, 0), "2");
    list.AppendColumn("C");
    EXPECT_EQ(list.CellText(1, 2), "");
}

TEST_F(ReportListTest, SetColumnTitle)
{
    Fill(0);
    list.SetColumnTitle(2, "图片说明");
    list.SetColumnTitle(5, "ignored");
    EXPECT_EQ(list.ColumnTitle(2), "图片说明");
    EXPECT_EQ(list.ColumnCount(), 3);
}

TEST_F(ReportListTest, SelectedRowIsTheFirstInListOrder)
{
    Fill(5);
    EXPECT_EQ(list.SelectedRow(), -1);
    widget.setSelectionMode(QAbstractItemView::MultiSelection);
    widget.topLevelItem(3)->setSelected(true);
    widget.topLevelItem(1)->setSelected(true);
    EXPECT_EQ(list.SelectedRow(), 1);
    widget.clearSelection();
    EXPECT_EQ(list.SelectedRow(), -1);
}

TEST_F(ReportListTest, CellsThatAreNotUtf8ShowDecodedAndGiveTheirBytesBack)
{
    Fill(2);
    const std::string gbkPath = "/home/安娜/\xD5\xD5\xC6\xAC.jpg"; // 照片.jpg in GBK
    list.AppendRows({{"x", gbkPath, "c"}});
    EXPECT_EQ(widget.topLevelItem(2)->text(1), QStringLiteral("/home/安娜/照片.jpg"));
    EXPECT_EQ(list.CellText(2, 1), gbkPath);

    // The bytes move with their cell when a column before it goes.
    list.DeleteColumn(0);
    EXPECT_EQ(list.CellText(2, 0), gbkPath);
    EXPECT_EQ(list.CellText(2, 1), "c");
}

TEST_F(ReportListTest, SeveralAdaptersSeeOneList)
{
    Fill(1);
    ReportList other(&widget);
    EXPECT_EQ(other.ColumnTitle(1), "B");
    other.SetColumnTitle(1, "changed");
    EXPECT_EQ(list.ColumnTitle(1), "changed");
}

} // namespace
} // namespace quillet
