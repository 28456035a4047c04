#include "app/job_columns.h"

#include "collect/report_list.h"
#include "textfiles/convert.h"
#include "widgets/dialogs.h"

#include <climits>

namespace quillet {

ColumnMap DetectColumnMap(const ReportList& list)
{
    std::vector<std::string> titles;
    for (int column = 0; column < list.ColumnCount(); ++column)
        titles.push_back(list.ColumnTitle(column));
    return DetectPictureColumns(titles);
}

int ZeroBasedColumn(int typed)
{
    // atoi stops at the ends of the int range; one less than the smallest
    // must not wrap round to a real column.
    return typed == INT_MIN ? INT_MIN : typed - 1;
}

std::string ColumnPrompt(std::string_view start, int oneBased)
{
    return std::string(start) + ToText(oneBased) + " 列，你也可以手工输入：";
}

std::string ColumnCheckText(const ColumnMap& oneBased)
{
    return "要打印的‘图片的位置’在第 " + ToText(oneBased.path) + " 列，‘图片说明’在第 "
           + ToText(oneBased.caption) + " 列，‘图片的分类’在第 " + ToText(oneBased.category)
           + " 列。";
}

std::vector<AlbumRow> ReadAlbumRows(const ReportList& list, const ColumnMap& columns)
{
    std::vector<AlbumRow> rows;
    const int count = list.RowCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        rows.push_back(AlbumRow{list.CellText(row, columns.path),
                                list.CellText(row, columns.category),
                                list.CellText(row, columns.caption)});
    }
    return rows;
}

int AskColumn(const ColumnQuestion& question, int proposedOneBased)
{
    int column = proposedOneBased;
    InputBox(ColumnPrompt(question.start, proposedOneBased), question.title,
             ToText(proposedOneBased), column);
    return column;
}

} // namespace quillet
