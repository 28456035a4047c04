#pragma once
// The text form of a table, as spreadsheets copy and paste it and as the
// capture program `Vistrel` writes its lists: one line per table row, cells
// separated by TAB.  Plain values in and out (UTF-8 text, rows of cells), so
// that the main window's clipboard import and export and the command line's
// table files read and write tables by the same rules.
//
// Reading:
//  - Lines end with LF, CR LF or CR.  A last line without a line end counts;
//    a line end after the last line starts no new one.
//  - Cells are separated by TAB only (a comma belongs to the cell).
//  - A cell is quoted, the way spreadsheets copy cells that hold a TAB, a
//    line break or a quote, when it begins with a double quote and its first
//    lone quote ends it (stands right before its TAB, its line end or the
//    end of the text): "" inside stands for one quote, and TABs and line
//    breaks inside belong to the cell.  Any other cell is read as written,
//    its quotes included, so a stray quote never swallows rows.
//  - Spaces (ASCII and ideographic) around a cell are dropped, as a
//    spreadsheet's paste drops them; spaces inside a cell, or inside the
//    quotes of a quoted cell, stay.
//
// Writing is the reverse: TAB between cells, LF between lines, no line end
// after the last line, and quotes around the cells that would not read back
// the same without them.

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Rows of cells; rows may differ in length.
using TableLines = std::vector<std::vector<std::string>>;

TableLines ParseTableText(std::string_view text);

std::string WriteTableText(const TableLines& lines);

// The size a table needs: its number of lines and its widest line, so that
// no cell of a ragged table is left out.
struct TableSize {
    int lines = 0;
    int columns = 0;
};
TableSize MeasureClipboardTable(const TableLines& lines);

// True when no cell holds any text: there is nothing to import.
bool TableIsBlank(const TableLines& lines);

} // namespace quillet
