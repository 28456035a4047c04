#include "table/picture_table.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(PictureTable, ColumnsFoundByTitleWithTheLastMatchWinning)
{
    PictureColumns c =
        DetectPictureColumns({"图片说明", "x", "图片名全称", "图片类别", "图片名全称"});
    EXPECT_EQ(c.path, 4);
    EXPECT_EQ(c.category, 3);
    EXPECT_EQ(c.caption, 0);
}

TEST(PictureTable, UnknownTitlesProposeTheSearchListLayout)
{
    PictureColumns c = DetectPictureColumns({"a", "b", "c", "d"});
    EXPECT_EQ(c.path, 1);
    EXPECT_EQ(c.category, 2);
    EXPECT_EQ(c.caption, 3);
}

TEST(PictureTable, ParsesSpreadsheetTextWithCrLfAndShortRows)
{
    const std::string text = "图片说明\t图片名全称\t图片类别\r\n"
                             "海边 日落\t/p/a b.jpg\t旅行\r\n"
                             "\r\n"
                             "\t/p/c.jpg\r\n"
                             "no path\t\t旅行\r\n";
    std::vector<AlbumRow> rows = ParsePictureTable(text);
    ASSERT_EQ(rows.size(), 4u) << "rows without a path are empty cells, as in the window";
    EXPECT_EQ(rows[0].path, "/p/a b.jpg") << "spaces inside paths are kept";
    EXPECT_EQ(rows[0].caption, "海边 日落");
    EXPECT_EQ(rows[0].category, "旅行");
    EXPECT_EQ(rows[1].path, "");
    EXPECT_EQ(rows[2].path, "/p/c.jpg");
    EXPECT_EQ(rows[2].category, "") << "a missing cell is empty";
    EXPECT_EQ(rows[3].path, "");
    EXPECT_EQ(rows[3].category, "旅行");
}

TEST(PictureTable, LfOnlyAndNoFinalLineEnd)
{
    std::vector<AlbumRow> rows = ParsePictureTable(
        "序号\t图片名全称\t图片类别\t图片说明\n1\t/x/1.jpg\tx\t一\n2\t/x/2.jpg\tx\t二");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].caption, "二");
}

TEST(PictureTable, ReadsSpreadsheetQuotingAsTheClipboardPageDoes)
{
    std::vector<AlbumRow> rows = ParsePictureTable(
        "图片名全称\t图片说明\n/p/a.jpg\t\"海边, 2019\n\"\"日落\"\"\"\n/p/b.jpg\t山");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].caption, "海边, 2019\n\"日落\"");
    EXPECT_EQ(rows[1].path, "/p/b.jpg");
}

TEST(PictureTable, EmptyTextHasNoRows)
{
    EXPECT_TRUE(ParsePictureTable("").empty());
    EXPECT_TRUE(ParsePictureTable("图片名全称\r\n").empty());
}

} // namespace
} // namespace quillet
