#include "textfiles/text.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

// "第&p页": 第 bytes 1-3, & 4, p 5, 页 6-8.
constexpr const char* kPageTemplate = "第&p页";

struct ReplaceCase {
    const char* name;
    std::string text;
    std::string sought;
    std::string replacement;
    int start;
    int count;
    bool caseSensitive;
    std::string expected;
};

class ReplaceSubstringTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceSubstringTest, Replaces)
{
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(ReplaceSubstring(c.text, c.sought, c.replacement, c.start, c.count, c.caseSensitive),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReplaceSubstringTest,
    ::testing::Values(
        ReplaceCase{"PageCodeIgnoringCase", kPageTemplate, "&P", "3", 1, -1, false, "第3页"},
        ReplaceCase{"PageCodeCaseSensitiveMisses", kPageTemplate, "&P", "3", 1, -1, true,
                    kPageTemplate},
        ReplaceCase{"RemoveAmpersandKeepsChinese", kPageTemplate, "&", "", 1, -1, true, "第p页"},
        ReplaceCase{"ChineseSought", "中文中文", "文", "字", 1, -1, true, "中字中字"},
        ReplaceCase{"AllByDefault", "a-a-a", "a", "b", 1, -1, true, "b-b-b"},
        ReplaceCase{"CountOne", "a-a-a", "a", "b", 1, 1, true, "b-a-a"},
        ReplaceCase{"CountTwo", "a-a-a", "a", "b", 1, 2, true, "b-b-a"},
        ReplaceCase{"CountZero", "a-a-a", "a", "b", 1, 0, true, "a-a-a"},
        ReplaceCase{"FromStart", "a-a-a", "a", "b", 2, -1, true, "a-b-b"},
        ReplaceCase{"StartPastEnd", "a-a-a", "a", "b", 9, -1, true, "a-a-a"},
        ReplaceCase{"NonOverlapping", "aaa", "aa", "x", 1, -1, true, "xa"},
        ReplaceCase{"ReplacementHoldsSought", "aa", "a", "aa", 1, -1, true, "aaaa"},
        ReplaceCase{"EmptySought", "abc", "", "x", 1, -1, true, "abc"},
        ReplaceCase{"EmptyText", "", "a", "x", 1, -1, true, ""},
        ReplaceCase{"RemoveSpaces", " a b\tc ", " ", "", 1, -1, true, "ab\tc"},
        ReplaceCase{"DoubledSlashes", "/a//b//c/", "//", "/", 1, -1, true, "/a/b/c/"},
        // A sought byte that is only part of a character never matches inside
        // one: characters are stepped over whole.
        ReplaceCase{"NeverSplitsCharacter", "中", "\xAD", "X", 1, -1, true, "中"},
        ReplaceCase{"StartInsideCharacterKeepsPrefix", "中a", "a", "b", 2, -1, true, "中b"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TrimCase {
    const char* name;
    std::string text;
    std::string expected;
};

class TrimBothTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimBothTest, Trims)
{
    EXPECT_EQ(TrimBoth(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrimBothTest,
    ::testing::Values(TrimCase{"AsciiSpaces", "  a b  ", "a b"},
                      TrimCase{"IdeographicSpaces", "\u3000标签\u3000", "标签"},
                      TrimCase{"MixedSpaces", " \u3000 x \u3000", "x"},
                      TrimCase{"TabsStay", "\ta\t", "\ta\t"},
                      TrimCase{"OnlySpaces", " \u3000 ", ""}, TrimCase{"Empty", "", ""},
                      TrimCase{"InnerSpacesStay", "a\u3000b", "a\u3000b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextCase, ChangesAsciiLettersOnly)
{
    EXPECT_EQ(ToLowerAscii("ABC中Xyz.JPG"), "abc中xyz.jpg");
    EXPECT_EQ(ToLowerAscii("ÀÉ"), "ÀÉ");
}

TEST(CharacterLength, StopsAtBytesThatDoNotContinue)
{
    EXPECT_EQ(CharacterLengthAt("a", 0), 1u);
    EXPECT_EQ(CharacterLengthAt("中", 0), 3u);
    EXPECT_EQ(CharacterLengthAt("😀", 0), 4u);
    // A cut-off character never swallows the ASCII byte after it.
    EXPECT_EQ(CharacterLengthAt("\xE4\xB8/", 0), 2u);
    EXPECT_EQ(CharacterLengthAt("\xB8", 0), 1u);
}

} // namespace
} // namespace quillet
