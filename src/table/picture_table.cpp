#include "table/picture_table.h"

namespace quillet {

PictureColumns DetectPictureColumns(const std::vector<std::string>& titles)
{
    PictureColumns columns;
    for (int i = 0; i < static_cast<int>(titles.size()); ++i) {
        const std::string& title = titles[i];
        if (title == "图片名全称")
            columns.path = i;
        else if (title == "图片说明")
            columns.caption = i;
        else if (title == "图片类别")
            columns.category = i;
    }
    return columns;
}

std::vector<std::vector<std::string>> SplitTableText(std::string_view text)
{
    std::vector<std::vector<std::string>> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        std::vector<std::string> cells;
        std::size_t cellStart = 0;
        while (true) {
            std::size_t tab = line.find('\t', cellStart);
            cells.emplace_back(line.substr(cellStart, tab == std::string_view::npos ? line.npos : tab - cellStart));
            if (tab == std::string_view::npos)
                break;
            cellStart = tab + 1;
        }
        lines.push_back(std::move(cells));
    }
    return lines;
}

std::vector<AlbumRow> ParsePictureTable(std::string_view text)
{
    std::vector<std::vector<std::string>> lines = SplitTableText(text);
    std::vector<AlbumRow> rows;
    if (lines.empty())
        return rows;
    const PictureColumns columns = DetectPictureColumns(lines.front());
    auto cell = [](const std::vector<std::string>& line, int column) -> std::string {
        return column >= 0 && column < static_cast<int>(line.size()) ? line[column] : std::string();
    };
    for (std::size_t i = 1; i < lines.size(); ++i) {
        AlbumRow row{cell(lines[i], columns.path), cell(lines[i], columns.category),
                     cell(lines[i], columns.caption)};
        if (!row.path.empty())
            rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace quillet
