#include "table/picture_table.h"

#include "table/table_text.h"

namespace quillet {

PictureColumns DetectPictureColumns(const std::vector<std::string>& titles)
{
    PictureColumns columns;
    for (int i = 0; i < static_cast<int>(titles.size()); ++i) {
        const std::string& title = titles[i];
        if (title == kPathColumnTitle)
            columns.path = i;
        else if (title == kCaptionColumnTitle)
            columns.caption = i;
        else if (title == kCategoryColumnTitle)
            columns.category = i;
    }
    return columns;
}

std::vector<AlbumRow> ParsePictureTable(std::string_view text)
{
    const TableLines lines = ParseTableText(text);
    std::vector<AlbumRow> rows;
    if (lines.empty())
        return rows;
    const PictureColumns columns = DetectPictureColumns(lines.front());
    auto cell = [](const std::vector<std::string>& line, int column) -> std::string {
        return column >= 0 && column < static_cast<int>(line.size()) ? line[column] : std::string();
    };
    rows.reserve(lines.size() - 1);
    for (std::size_t i = 1; i < lines.size(); ++i)
        rows.push_back(AlbumRow{cell(lines[i], columns.path), cell(lines[i], columns.category),
                                cell(lines[i], columns.caption)});
    return rows;
}

} // namespace quillet
