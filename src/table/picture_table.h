#pragma once
// A picture table as text: a title line, then one line per picture, cells
// separated by TAB.  The columns holding the path, the category and the
// caption are found by their titles, as the print driver finds them in the
// result list.

#include "textfiles/picture_column_titles.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

struct AlbumRow {
    std::string path;
    std::string category;
    std::string caption;
};

// 0-based column numbers.  Without matching titles: 1, 2, 3 (column 0 holds
// the row number in lists made by the folder search).
struct PictureColumns {
    int path = 1;
    int category = 2;
    int caption = 3;
};

// The one rule by which the print driver, the command's table files and the
// table import find the columns: whole-title equality with the three
// titles; when several columns carry the same title the last one wins.
PictureColumns DetectPictureColumns(const std::vector<std::string>& titles);

// The rows of a table (UTF-8, read as table_text.h reads tables) whose first
// line holds the titles.  Every line after the first is a row, as in the
// result list after an import: a row without a path, a blank line too, is
// an empty cell of the album; a missing cell is the empty text.
std::vector<AlbumRow> ParsePictureTable(std::string_view text);

} // namespace quillet
