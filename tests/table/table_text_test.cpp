// The table text rules, read and written, as cases of named tables.
#include "table/table_text.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct ParseCase {
    const char* name;
    std::string text;
    TableLines expected;
};

class ParseTableTextTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTableTextTest, ReadsLinesAndCells)
{
    EXPECT_EQ(ParseTableText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TableText, ParseTableTextTest,
    ::testing::Values(
        ParseCase{"Empty", "", {}}, ParseCase{"CrLf", "a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
        ParseCase{"Lf", "a\tb\nc\td\n", {{"a", "b"}, {"c", "d"}}},
        ParseCase{"Cr", "a\tb\rc\td\r", {{"a", "b"}, {"c", "d"}}},
        ParseCase{"LastLineWithoutLineEnd", "a\r\nb\r\nc", {{"a"}, {"b"}, {"c"}}},
        ParseCase{"OneLineWithoutLineEnd", "图片名全称", {{"图片名全称"}}},
        ParseCase{
            "FirstLineEndingInTab", "a\tb\t\r\n1\t2\t3\r\n", {{"a", "b", ""}, {"1", "2", "3"}}},
        ParseCase{"EmptyCells", "\t\tc\r\n\t\t\r\n", {{"", "", "c"}, {"", "", ""}}},
        ParseCase{"EmptyLineInside", "a\n\nb", {{"a"}, {""}, {"b"}}},
        ParseCase{"SpacesInsideKept",
                  "/home/anna/My Photos/a.jpg\t海边 日落\n",
                  {{"/home/anna/My Photos/a.jpg", "海边 日落"}}},
        ParseCase{"SpacesAroundDropped", "  a  \t\u3000b\u3000\t  \n", {{"a", "b", ""}}},
        ParseCase{"CommaStaysInItsCell", "海边, 2019\t/p/a.jpg\n", {{"海边, 2019", "/p/a.jpg"}}},
        ParseCase{"QuotedTab", "\"a\tb\"\tc\n", {{"a\tb", "c"}}},
        ParseCase{"QuotedLineBreaks",
                  "\"第一行\n第二行\"\tx\r\n\"甲\r\n乙\"\ty",
                  {{"第一行\n第二行", "x"}, {"甲\r\n乙", "y"}}},
        ParseCase{"DoubledQuote", "\"他说\"\"好\"\"\"\t\"\"\"\"", {{"他说\"好\"", "\""}}},
        ParseCase{"QuotedSpacesKept", "  \" a \"  \tb", {{" a ", "b"}}},
        ParseCase{"QuoteInsideAPlainCell", "5\"\tx\"y", {{"5\"", "x\"y"}}},
        ParseCase{"UnclosedQuoteIsText", "\"a\tb\nc", {{"\"a", "b"}, {"c"}}},
        // A quote inside a cell never swallows rows, nor the text after it.
        ParseCase{
            "TextAfterTheClosingQuote", "\"Sunset\" at beach\tc", {{"\"Sunset\" at beach", "c"}}},
        ParseCase{"QuoteOpenedThreeRowsBeforeItCloses",
                  "\"Big\ta\r\nb\r\nc\r\n5\" print\td\r\n",
                  {{"\"Big", "a"}, {"b"}, {"c"}, {"5\" print", "d"}}},
        ParseCase{"LoneQuoteAfterALineBreakInside", "\"a\nb\"c\"\tx\n", {{"\"a"}, {"b\"c\"", "x"}}},
        ParseCase{"ClosedRightBeforeTheEnd", "\"a\"\"\n\"", {{"a\"\n"}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    TableLines lines;
    std::string expected;
};

class WriteTableTextTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTableTextTest, WritesTheTextThatReadsBack)
{
    const std::string text = WriteTableText(GetParam().lines);
    EXPECT_EQ(text, GetParam().expected);
    EXPECT_EQ(ParseTableText(text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    TableText, WriteTableTextTest,
    ::testing::Values(WriteCase{"TabsAndLfWithoutLastLineEnd",
                                {{"序号", "图片名全称"}, {"1", "/p/a.jpg"}},
                                "序号\t图片名全称\n1\t/p/a.jpg"},
                      WriteCase{"EmptyCellsStayEmpty", {{"a", ""}, {"", ""}}, "a\t\n\t"},
                      WriteCase{"SpacesAndCommasAsTheyAre",
                                {{"/home/anna/My Photos/a.jpg", "海边, 2019"}},
                                "/home/anna/My Photos/a.jpg\t海边, 2019"},
                      WriteCase{"TabQuoted", {{"a\tb", "c"}}, "\"a\tb\"\tc"},
                      WriteCase{"LineBreaksQuoted",
                                {{"第一行\n第二行"}, {"甲\r\n乙"}},
                                "\"第一行\n第二行\"\n\"甲\r\n乙\""},
                      WriteCase{"QuoteDoubled", {{"他说\"好\""}}, "\"他说\"\"好\"\"\""},
                      WriteCase{"SpacesAroundQuoted", {{" a", "b\u3000"}}, "\" a\"\t\"b\u3000\""},
                      // Unquoted, an empty last line would read as no line at all.
                      WriteCase{"LoneEmptyCellQuoted", {{"a"}, {""}}, "a\n\"\""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
