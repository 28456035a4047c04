#pragma once
// Which result-list columns hold a picture's path, category and caption: the
// proposal from the column titles, the user's corrections, and the rows read
// through the chosen columns.

#include "table/picture_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class ReportList;

// Column numbers, 0-based; the user sees and types them 1-based.  Proposed
// from the list's titles by DetectPictureColumns, the rule the command's
// table files follow too.
using ColumnMap = PictureColumns;

ColumnMap DetectColumnMap(const ReportList& list);

// A number typed 1-based, 0-based.  Nothing is rejected: 0, negative numbers
// and numbers beyond the last column name no column and read as empty cells.
int ZeroBasedColumn(int typed);

// The input box prompt: its start, the proposed 1-based number, then
// " 列，你也可以手工输入：".
std::string ColumnPrompt(std::string_view start, int oneBased);

// The question that shows the three 1-based numbers before printing.
std::string ColumnCheckText(const ColumnMap& oneBased);

// Every row read through the columns; a cell outside the list is empty.
std::vector<AlbumRow> ReadAlbumRows(const ReportList& list, const ColumnMap& columns);

// The prompts of one way of asking: the print drivers word theirs a little
// differently by driver, the preview asks for two columns only.
struct ColumnQuestion {
    std::string_view start;
    std::string_view title;
};

// Asks for a column in an input box of whole numbers, pre-filled with the
// proposed 1-based number; the typed text is read like atoi, Cancel keeps
// the proposal.  Returns the 1-based answer.
int AskColumn(const ColumnQuestion& question, int proposedOneBased);

} // namespace quillet
