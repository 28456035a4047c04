#include "table/picture_table.h"

#include "table/table_text.h"

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
    for (std::size_t i = 1; i < lines.size(); ++i) {
        AlbumRow row{cell(lines[i], columns.path), cell(lines[i], columns.category),
                     cell(lines[i], columns.caption)};
        if (!row.path.empty())
            rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace quillet
