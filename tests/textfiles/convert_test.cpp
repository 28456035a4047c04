#include "textfiles/convert.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace quillet {
namespace {

struct NumberTextCase {
    const char* name;
    double value;
    std::string expected;
};

class NumberToTextTest : public ::testing::TestWithParam<NumberTextCase> {};

TEST_P(NumberToTextTest, UsesThirteenSignificantDigits)
{
    EXPECT_EQ(ToText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, NumberToTextTest,
    ::testing::Values(NumberTextCase{"WholeNumber", 4507.0, "4507"},
                      NumberTextCase{"Twenty", 20.0, "20"}, NumberTextCase{"Half", 0.5, "0.5"},
                      NumberTextCase{"Third", 1.0 / 3.0, "0.3333333333333"},
                      NumberTextCase{"RoundingNoiseHidden", 0.1 + 0.2, "0.3"},
                      NumberTextCase{"Negative", -0.25, "-0.25"},
                      NumberTextCase{"LargeUsesExponent", 123456789012345.0, "1.234567890123e+14"},
                      NumberTextCase{"Huge", 1e20, "1e+20"},
                      NumberTextCase{"Tiny", 2.5e-7, "2.5e-07"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToTextOthers, Integers)
{
    EXPECT_EQ(ToText(0), "0");
    EXPECT_EQ(ToText(-42), "-42");
    EXPECT_EQ(ToText(INT_MIN), "-2147483648");
}

struct ReadNumberCase {
    const char* name;
    std::string text;
    double number;
    int integer;
};

class ReadNumberTest : public ::testing::TestWithParam<ReadNumberCase> {};

TEST_P(ReadNumberTest, ReadsLeadingNumber)
{
    const ReadNumberCase& c = GetParam();
    EXPECT_DOUBLE_EQ(ToNumber(c.text), c.number);
    EXPECT_EQ(ToInteger(c.text), c.integer);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ReadNumberTest,
    ::testing::Values(
        ReadNumberCase{"Plain", "3.5", 3.5, 3}, ReadNumberCase{"TrailingText", "12.5mm", 12.5, 12},
        ReadNumberCase{"LeadingWhiteSpace", " \t 7", 7.0, 7},
        ReadNumberCase{"PlusSign", "+7", 7.0, 7},
        ReadNumberCase{"NegativeWithExponent", "-2.5e2x", -250.0, -2},
        ReadNumberCase{"ExponentWithoutDigits", "1e", 1.0, 1},
        ReadNumberCase{"LeadingPoint", ".5", 0.5, 0},
        ReadNumberCase{"NegativeLeadingPoint", "-.5", -0.5, 0},
        ReadNumberCase{"PointAlone", ".", 0.0, 0}, ReadNumberCase{"Empty", "", 0.0, 0},
        ReadNumberCase{"Letters", "abc", 0.0, 0}, ReadNumberCase{"NoInfinity", "inf", 0.0, 0},
        ReadNumberCase{"NoHex", "0x10", 0.0, 0}, ReadNumberCase{"CommaIsNotAPoint", "1,5", 1.0, 1},
        ReadNumberCase{"FullWidthDigits", "１２．５", 12.5, 12},
        ReadNumberCase{"FullWidthMinus", "－３", -3.0, -3},
        ReadNumberCase{"IdeographicSpaceFirst", "\u3000４２", 42.0, 42},
        ReadNumberCase{"ChineseAfterNumber", "3列", 3.0, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToInteger, StopsAtTheIntegerRange)
{
    EXPECT_EQ(ToInteger("2147483647"), INT_MAX);
    EXPECT_EQ(ToInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(ToInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ToInteger("-99999999999999999999"), INT_MIN);
}

TEST(ToNumber, OverflowGivesInfinityLikeAtof)
{
    EXPECT_EQ(ToNumber("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ToNumber("1e-999"), 0.0);
}

TEST(TruncateToInt, TowardZeroWithinRange)
{
    EXPECT_EQ(TruncateToInt(2.9), 2);
    EXPECT_EQ(TruncateToInt(-2.9), -2);
    EXPECT_EQ(TruncateToInt(-0.5), 0);
    EXPECT_EQ(TruncateToInt(1e12), INT_MAX);
    EXPECT_EQ(TruncateToInt(-1e12), INT_MIN);
    EXPECT_EQ(TruncateToInt(std::nan("")), 0);
    EXPECT_EQ(TruncateToInt(std::numeric_limits<double>::infinity()), INT_MAX);
}

struct FullWidthCase {
    const char* name;
    std::string text;
    std::string expected;
};

class FullWidthToAsciiTest : public ::testing::TestWithParam<FullWidthCase> {};

TEST_P(FullWidthToAsciiTest, TurnsFullWidthFormsIntoAscii)
{
    EXPECT_EQ(FullWidthToAscii(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, FullWidthToAsciiTest,
    ::testing::Values(FullWidthCase{"LettersAndDigits", "ＡＢｃ１２３", "ABc123"},
                      FullWidthCase{"FirstAndLastOfRange", "！～", "!~"},
                      FullWidthCase{"IdeographicSpace", "a\u3000b", "a b"},
                      FullWidthCase{"Stars", "★☆", "**"},
                      FullWidthCase{"YuanAndMacron", "￥￣", "$~"},
                      FullWidthCase{"ChineseStays", "第３页", "第3页"},
                      FullWidthCase{"CutOffSequenceStays", "\xEF\xBC", "\xEF\xBC"},
                      FullWidthCase{"AsciiStays", "a+b=c", "a+b=c"}),
    [](const auto& info) { return std::string(info.param.name); });

struct OutsideTextCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

class OutsideTextTest : public ::testing::TestWithParam<OutsideTextCase> {};

TEST_P(OutsideTextTest, DecodesToUtf8)
{
    EXPECT_EQ(ToUtf8FromOutside(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, OutsideTextTest,
    ::testing::Values(OutsideTextCase{"Ascii", "a\tb\r\n", "a\tb\r\n"},
                      OutsideTextCase{"Utf8", "图片名全称\t图片类别", "图片名全称\t图片类别"},
                      OutsideTextCase{"Utf8ByteOrderMarkRemoved", "\xEF\xBB\xBF图片", "图片"},
                      OutsideTextCase{"Gbk", "\xD6\xD0\xCE\xC4", "中文"},
                      OutsideTextCase{"GbkWithAscii",
                                      "\xB5\xDA"
                                      "1"
                                      "\xD2\xB3\r\n",
                                      "第1页\r\n"},
                      OutsideTextCase{"GbkBackslashTrailByte", "C:\\\x81\\\\", "C:\\乗\\"},
                      OutsideTextCase{"Gb18030FourBytes", "\x81\x30\x81\x30", "\u0080"},
                      OutsideTextCase{"InvalidByteMarked",
                                      "a\xFF"
                                      "b",
                                      "a\uFFFD"
                                      "b"},
                      OutsideTextCase{"CutOffAtEnd", "a\xD6", "a\uFFFD"},
                      OutsideTextCase{"Utf16LittleEndian",
                                      std::string("\xFF\xFE\x2D\x4E"
                                                  "a\0\t\0",
                                                  8),
                                      "中a\t"},
                      OutsideTextCase{"Utf16BigEndian", std::string("\xFE\xFF\x4E\x2D\0a", 6),
                                      "中a"},
                      OutsideTextCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Builds a German locale (decimal comma) into a private folder, so the test
// does not depend on which locales the machine has installed.
class DecimalCommaLocale {
public:
    DecimalCommaLocale()
    {
        const QString target = folder_.path() + "/de_DE.UTF-8";
        if (QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", target}) < 0
            || !QFileInfo::exists(target))
            return;
        setenv("LOCPATH", folder_.path().toLocal8Bit().constData(), 1);
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~DecimalCommaLocale()
    {
        std::setlocale(LC_NUMERIC, previous_.c_str());
        unsetenv("LOCPATH");
    }
    bool active() const { return active_; }

private:
    std::string previous_ = std::setlocale(LC_NUMERIC, nullptr);
    QTemporaryDir folder_;
    bool active_ = false;
};

TEST(Conversions, IndependentOfTheUserLocale)
{
    const DecimalCommaLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "localedef could not build a locale with a decimal comma";
    char shownByC[16];
    std::snprintf(shownByC, sizeof shownByC, "%.1f", 0.5);
    ASSERT_STREQ(shownByC, "0,5") << "the locale does not use a decimal comma";

    EXPECT_EQ(ToText(0.5), "0.5");
    EXPECT_DOUBLE_EQ(ToNumber("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(ToNumber("1,5"), 1.0);
}

} // namespace
} // namespace quillet
