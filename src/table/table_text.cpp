#include "table/table_text.h"

#include "textfiles/text.h"

#include <algorithm>
#include <optional>

namespace quillet {
namespace {

constexpr char kQuote = '"';
constexpr std::string_view kCellEnds = "\t\r\n";
constexpr std::string_view kIdeographicSpace = "\u3000";

bool StartsOrEndsWithSpace(std::string_view cell)
{
    return cell.starts_with(' ') || cell.ends_with(' ') || cell.starts_with(kIdeographicSpace)
           || cell.ends_with(kIdeographicSpace);
}

// Skips the spaces that stand around a cell's text.
std::size_t SkipSpaces(std::string_view text, std::size_t pos)
{
    while (true) {
        if (pos < text.size() && text[pos] == ' ')
            ++pos;
        else if (text.substr(pos).starts_with(kIdeographicSpace))
            pos += kIdeographicSpace.size();
        else
            return pos;
    }
}

std::size_t CellEnd(std::string_view text, std::size_t pos)
{
    return std::min(text.find_first_of(kCellEnds, pos), text.size());
}

// The content of the quoted cell whose opening quote is at pos, and where
// the cell ends (its TAB, its line end or the end of the text).  Nothing
// when the cell is not quoted after all: its first lone quote is not
// followed, spaces aside, by the end of the cell, so the quotes are the
// cell's own characters ("Big and 5" print three rows later, "Sunset" at
// beach).
std::optional<std::size_t> ReadQuoted(std::string_view text, std::size_t pos, std::string& content)
{
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        if (text[i] != kQuote) {
            content += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == kQuote) {
            content += kQuote;
            ++i;
            continue;
        }
        const std::size_t after = SkipSpaces(text, i + 1);
        if (after == CellEnd(text, after))
            return after;
        return std::nullopt;
    }
    return std::nullopt;
}

bool NeedsQuotes(std::string_view cell)
{
    return cell.find_first_of("\t\r\n\"") != std::string_view::npos || StartsOrEndsWithSpace(cell);
}

void AppendCell(std::string& text, std::string_view cell, bool emptyLineAfterAnother)
{
    // After a line end, an empty line at the end of the text would read back
    // as no line at all.
    if (!NeedsQuotes(cell) && !(cell.empty() && emptyLineAfterAnother)) {
        text += cell;
        return;
    }
    text += kQuote;
    for (const char c : cell) {
        if (c == kQuote)
            text += kQuote;
        text += c;
    }
    text += kQuote;
}

} // namespace

TableLines ParseTableText(std::string_view text)
{
    TableLines lines;
    std::vector<std::string> line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string cell;
        const std::size_t start = SkipSpaces(text, pos);
        std::optional<std::size_t> end;
        if (start < text.size() && text[start] == kQuote)
            end = ReadQuoted(text, start, cell);
        if (!end) {
            end = CellEnd(text, start);
            cell = TrimBoth(text.substr(start, *end - start));
        }
        line.push_back(std::move(cell));
        pos = *end;
        if (pos == text.size())
            break;
        const char separator = text[pos++];
        if (separator == '\t') {
            // A TAB at the very end still opens an (empty) last cell.
            if (pos == text.size())
                line.emplace_back();
            continue;
        }
        if (separator == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::string WriteTableText(const TableLines& lines)
{
    std::string text;
    for (std::size_t row = 0; row < lines.size(); ++row) {
        if (row > 0)
            text += '\n';
        const std::vector<std::string>& cells = lines[row];
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0)
                text += '\t';
            AppendCell(text, cells[column], row > 0 && cells.size() == 1);
        }
    }
    return text;
}

TableSize MeasureClipboardTable(const TableLines& lines)
{
    TableSize size;
    size.lines = static_cast<int>(lines.size());
    for (const std::vector<std::string>& line : lines)
        size.columns = std::max(size.columns, static_cast<int>(line.size()));
    return size;
}

bool TableIsBlank(const TableLines& lines)
{
    return std::all_of(lines.begin(), lines.end(), [](const std::vector<std::string>& line) {
        return std::all_of(line.begin(), line.end(),
                           [](const std::string& cell) { return cell.empty(); });
    });
}

} // namespace quillet
