#include "runtime/name_order.h"

#include "support/raw_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillet {
namespace {

struct OrderCase {
    const char* name;
    std::string first;
    std::string second;
};

class NameOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NameOrderTest, FirstSortsBeforeSecond)
{
    const std::vector<std::string> expected{GetParam().first, GetParam().second};
    for (std::vector<std::string> names : {expected, {GetParam().second, GetParam().first}}) {
        SortNames(names);
        EXPECT_EQ(names, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, NameOrderTest,
    ::testing::Values(OrderCase{"DigitsByValue", "IMG_2.jpg", "IMG_10.jpg"},
                      OrderCase{"ChineseNumbered", "照片2.jpg", "照片10.jpg"},
                      OrderCase{"ZeroPadded", "照片001.jpg", "照片002.jpg"},
                      OrderCase{"NumbersLongerThanAnyInteger", "a99999999999999999999",
                                "a100000000000000000000"},
                      OrderCase{"SameValueTiesByBytes", "01.jpg", "1.jpg"},
                      OrderCase{"RunAfterTheNumberDecides", "a01b", "a1c"},
                      OrderCase{"DigitsBeforeLetters", "9.jpg", "a.jpg"},
                      OrderCase{"LetterCaseIgnored", "apple.jpg", "Banana.jpg"},
                      OrderCase{"CaseOnlyTieByBytes", "Photo.jpg", "photo.jpg"},
                      OrderCase{"AccentedCaseIgnored",
                                "\xC3\xA4"
                                "a",
                                "\xC3\x84"
                                "b"}, // äa, Äb
                      OrderCase{"ShorterPrefixFirst", "photo", "photo1"},
                      OrderCase{"LatinBeforeChinese", "zebra", "照片"},
                      OrderCase{"ChineseByCodePoint", "一", "丁"},
                      // A GBK name sorts as the Chinese it shows, not by its bytes.
                      OrderCase{"GbkAmongUtf8", "照片002.jpg", testing::kGbkPhotos + "003.jpg"},
                      OrderCase{"Utf8AmongGbk", testing::kGbkPhotos + "001.jpg", "照片002.jpg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SortNames, ScrambledFolderComesOutAsFileManagersShowIt)
{
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
