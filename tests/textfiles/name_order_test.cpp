#include "textfiles/name_order.h"

#include "support/raw_files.h"
#include "support/scoped_locale.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace quillet {
namespace {

const QLocale cLocale = QLocale::c();
const QLocale chinese(QLocale::Chinese, QLocale::China);

struct OrderCase {
    const char* name;
    QLocale locale;
    std::string first;
    std::string second;
};

void PrintTo(const OrderCase& c, std::ostream* os)
{
    *os << c.name;
}

class NameOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NameOrderTest, FirstSortsBeforeSecond)
{
    const NameOrder order(GetParam().locale);
    const std::vector<std::string> expected = {GetParam().first, GetParam().second};
    std::vector<std::string> names = {GetParam().second, GetParam().first};
    order.Sort(names);
    EXPECT_EQ(names, expected);
    order.Sort(names);
    EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(
    CLocale, NameOrderTest,
    ::testing::Values(
        OrderCase{"DigitsByValue", cLocale, "IMG_2.jpg", "IMG_10.jpg"},
        OrderCase{"ChineseNumbered", cLocale, "照片2.jpg", "照片10.jpg"},
        OrderCase{"ZeroPadded", cLocale, "照片001.jpg", "照片002.jpg"},
        OrderCase{"NumbersLongerThanAnyInteger", cLocale, "a99999999999999999999",
                  "a100000000000000000000"},
        OrderCase{"SameValueTiesByBytes", cLocale, "01.jpg", "1.jpg"},
        OrderCase{"RunAfterTheNumberDecides", cLocale, "a01b", "a1c"},
        OrderCase{"DigitsBeforeLetters", cLocale, "9.jpg", "a.jpg"},
        OrderCase{"LetterCaseIgnored", cLocale, "apple.jpg", "Banana.jpg"},
        OrderCase{"CaseOnlyTieByBytes", cLocale, "Photo.jpg", "photo.jpg"},
        OrderCase{"AccentedCaseIgnored", cLocale,
                  "\xC3\xA4"
                  "a",
                  "\xC3\x84"
                  "b"}, // äa, Äb
        OrderCase{"ShorterPrefixFirst", cLocale, "photo", "photo1"},
        OrderCase{"LatinBeforeChinese", cLocale, "zebra", "照片"},
        OrderCase{"ChineseByCodePoint", cLocale, "家人", "春游"},
        // A GBK name sorts as the Chinese it shows, not by its bytes.
        OrderCase{"GbkAmongUtf8", cLocale, "照片002.jpg", testing::kGbkPhotos + "003.jpg"},
        OrderCase{"Utf8AmongGbk", cLocale, testing::kGbkPhotos + "001.jpg", "照片002.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ChineseLocale, NameOrderTest,
    ::testing::Values(OrderCase{"Pinyin", chinese, "春游", "家人"},
                      OrderCase{"PinyinFirstSyllable", chinese, "毕业", "春游"},
                      OrderCase{"DigitsByValue", chinese, "IMG_2.jpg", "IMG_10.jpg"},
                      OrderCase{"ChineseNumbered", chinese, "照片2.jpg", "照片10.jpg"},
                      OrderCase{"SameValueTiesByBytes", chinese, "01.jpg", "1.jpg"},
                      OrderCase{"LetterCaseIgnored", chinese, "apple.jpg", "Banana.jpg"},
                      OrderCase{"CaseOnlyTieByBytes", chinese, "Photo.jpg", "photo.jpg"},
                      // Pinyin collation puts Han before the Latin letters.
                      OrderCase{"ChineseBeforeLatin", chinese, "照片", "apple"},
                      OrderCase{"GbkAmongUtf8", chinese, "照片002.jpg",
                                testing::kGbkPhotos + "003.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SortNames, ScrambledFolderComesOutAsFileManagersShowIt)
{
    const testing::ScopedDefaultLocale c(cLocale);
    std::vector<std::string> names = {"IMG_10.jpg", "b.jpg", "照片002.jpg", "IMG_2.jpg",
                                      "A.jpg",      "a.jpg", "照片001.jpg", "IMG_1.jpg",
                                      "10",         "9"};
    SortNames(names);
    EXPECT_EQ(names,
              (std::vector<std::string>{"9", "10", "A.jpg", "a.jpg", "b.jpg", "IMG_1.jpg",
                                        "IMG_2.jpg", "IMG_10.jpg", "照片001.jpg", "照片002.jpg"}));
}

} // namespace
} // namespace quillet
