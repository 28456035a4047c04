#include "runtime/text.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillet {
namespace {

// "第&p页": 第 bytes 1-3, & 4, p 5, 页 6-8.
constexpr const char* kPageTemplate = "第&p页";

struct FindCase {
    const char* name;
    std::string text;
    std::string sought;
    int start;
    bool ignoreCase;
    int expected;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsFirstOccurrence)
{
    const FindCase& c = GetParam();
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FindTextTest,
    ::testing::Values(FindCase{"FromStart", "abcb", "b", 1, false, 2},
                      FindCase{"AtOrAfterStart", "abcb", "b", 3, false, 4},
                      FindCase{"StartOnTheMatch", "abcb", "b", 2, false, 2},
                      FindCase{"StartBelowOneCountsAsOne", "abcb", "a", -5, false, 1},
                      FindCase{"StartPastTheEnd", "abcb", "b", 5, false, -1},
                      FindCase{"NotThere", "abcb", "x", 1, false, -1},
                      FindCase{"EmptyInEmpty", "", "", 1, false, -1},
                      FindCase{"EmptyInText", "abc", "", 1, false, 1},
                      FindCase{"SoughtLongerThanText", "ab", "abc", 1, false, -1},
                      FindCase{"CaseMattersByDefault", "abcB", "B", 1, false, 4},
                      FindCase{"IgnoreCase", "abcB", "b", 1, true, 2},
                      FindCase{"ChineseBytePosition", kPageTemplate, "页", 1, false, 6},
                      FindCase{"IgnoreCaseNextToChinese", kPageTemplate, "&P", 1, true, 4},
                      FindCase{"IgnoreCaseLeavesChineseExact", "中文", "文", 1, true, 4},
                      FindCase{"SlashAfterChinese", "/照片/旅行/a.jpg", "/", 2, false, 8}),
    [](const auto& info) { return std::string(info.param.name); });

struct FindFromEndCase {
    const char* name;
    std::string text;
    std::string sought;
    std::optional<int> end;
    bool ignoreCase;
    int expected;
};

class FindTextFromEndTest : public ::testing::TestWithParam<FindFromEndCase> {};

TEST_P(FindTextFromEndTest, FindsLastOccurrence)
{
    const FindFromEndCase& c = GetParam();
    EXPECT_EQ(FindTextFromEnd(c.text, c.sought, c.end, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FindTextFromEndTest,
    ::testing::Values(
        FindFromEndCase{"Last", "abcb", "b", std::nullopt, false, 4},
        FindFromEndCase{"EndLimitsToBytesBefore", "abcb", "b", 4, false, 2},
        FindFromEndCase{"EndJustPastMatch", "abcb", "b", 5, false, 4},
        FindFromEndCase{"MatchMustEndBeforeEnd", "abcb", "cb", 4, false, -1},
        FindFromEndCase{"EndAtOneLeavesNothing", "abcb", "a", 1, false, -1},
        FindFromEndCase{"EndBeyondText", "abcb", "b", 99, false, 4},
        FindFromEndCase{"NotThere", "abcb", "x", std::nullopt, false, -1},
        FindFromEndCase{"EmptyInEmpty", "", "", std::nullopt, false, -1},
        FindFromEndCase{"IgnoreCase", "aBcb", "B", std::nullopt, true, 4},
        FindFromEndCase{"CaseMatters", "aBcb", "B", std::nullopt, false, 2},
        FindFromEndCase{"LastSlashOfChinesePath", "/照片/旅行/a.jpg", "/", std::nullopt, false, 15},
        FindFromEndCase{"LastDotOfChineseName", "旅行.照片.jpg", ".", std::nullopt, false, 14}),
    [](const auto& info) { return std::string(info.param.name); });

enum class Part { Left, Right, Middle };

struct SliceCase {
    const char* name;
    Part part;
    std::string text;
    int first;
    int second;
    std::string expected;
};

class SliceTest : public ::testing::TestWithParam<SliceCase> {};

TEST_P(SliceTest, CutsBytes)
{
    const SliceCase& c = GetParam();
    switch (c.part) {
    case Part::Left: EXPECT_EQ(LeftPart(c.text, c.first), c.expected); break;
    case Part::Right: EXPECT_EQ(RightPart(c.text, c.first), c.expected); break;
    case Part::Middle: EXPECT_EQ(MiddlePart(c.text, c.first, c.second), c.expected); break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SliceTest,
    ::testing::Values(SliceCase{"LeftSome", Part::Left, "abcdef", 2, 0, "ab"},
                      SliceCase{"LeftMoreThanLength", Part::Left, "abc", 10, 0, "abc"},
                      SliceCase{"LeftZero", Part::Left, "abc", 0, 0, ""},
                      SliceCase{"LeftNegative", Part::Left, "abc", -1, 0, ""},
                      SliceCase{"LeftWholeChineseCharacters", Part::Left, "中文名", 6, 0, "中文"},
                      SliceCase{"RightSome", Part::Right, "abcdef", 2, 0, "ef"},
                      SliceCase{"RightMoreThanLength", Part::Right, "abc", 10, 0, "abc"},
                      SliceCase{"RightZero", Part::Right, "abc", 0, 0, ""},
                      SliceCase{"RightExtension", Part::Right, "照片.jpg", 3, 0, "jpg"},
                      SliceCase{"MiddleCutAtEnd", Part::Middle, "abcdef", 5, 10, "ef"},
                      SliceCase{"MiddleStartPastEnd", Part::Middle, "abcdef", 7, 1, ""},
                      SliceCase{"MiddleStartZero", Part::Middle, "abcdef", 0, 2, ""},
                      SliceCase{"MiddleCountZero", Part::Middle, "abcdef", 2, 0, ""},
                      SliceCase{"MiddleInside", Part::Middle, "abcdef", 2, 3, "bcd"},
                      SliceCase{"MiddleWholeCharacter", Part::Middle, kPageTemplate, 6, 3, "页"},
                      // Positions are bytes: a start inside a character gives a byte slice.
                      SliceCase{"MiddleInsideCharacterIsByteSlice", Part::Middle, "中文", 2, 3,
                                "\xB8\xAD\xE6"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(ToUpperAscii("abc中Xyz.jpg"), "ABC中XYZ.JPG");
    EXPECT_EQ(ToLowerAscii("ABC中Xyz.JPG"), "abc中xyz.jpg");
    EXPECT_EQ(ToLowerAscii("ÀÉ"), "ÀÉ");
}

TEST(TextLengthAndCodes, CountBytes)
{
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength(kPageTemplate), 8);
    EXPECT_EQ(Spaces(3), "   ");
    EXPECT_EQ(Spaces(0), "");
    EXPECT_EQ(Spaces(-2), "");
    EXPECT_EQ(Character(65), "A");
    EXPECT_EQ(Character(0), "");
    EXPECT_EQ(Character(0x141), "A");
    EXPECT_EQ(CharacterCode("A"), 65);
    EXPECT_EQ(CharacterCode("中", 1), 0xE4);
    EXPECT_EQ(CharacterCode("中", 3), 0xAD);
    EXPECT_EQ(CharacterCode("中", 4), 0);
    EXPECT_EQ(CharacterCode("中", 0), 0);
    EXPECT_EQ(CharacterCode(""), 0);
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
