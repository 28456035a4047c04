// Select by text: the first item beginning with the text, case ignored.

#include "widgets/select_by_text.h"

#include <QComboBox>
#include <QListWidget>
#include <gtest/gtest.h>

#include <string>

namespace quillet {
namespace {

const QStringList kPrinters{"HP LaserJet", "hp-deskjet", "Canon", "保存为PDF文件"};

struct PrefixCase {
    const char* testName;
    const char* prefix;
    int index;
};

void PrintTo(const PrefixCase& row, std::ostream* os)
{
    *os << row.testName;
}

class SelectByTextTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(SelectByTextTest, FindsTheFirstItemBeginningWithTheTextInListsAndDropDowns)
{
    const PrefixCase& row = GetParam();
    QComboBox dropDown;
    dropDown.addItems(kPrinters);
    dropDown.setCurrentIndex(2);
    QListWidget list;
    list.addItems(kPrinters);
    list.setCurrentRow(2);

    EXPECT_EQ(FindItemByPrefix(kPrinters, QString::fromUtf8(row.prefix)), row.index);
    EXPECT_EQ(SelectByText(dropDown, row.prefix), row.index);
    EXPECT_EQ(SelectByText(list, row.prefix), row.index);
    // No match leaves the selection where it was.
    const int selected = row.index >= 0 ? row.index : 2;
    EXPECT_EQ(dropDown.currentIndex(), selected);
    EXPECT_EQ(list.currentRow(), selected);
}

INSTANTIATE_TEST_SUITE_P(Runtime, SelectByTextTest,
                         ::testing::Values(PrefixCase{"WholeText", "Canon", 2},
                                           PrefixCase{"PrefixIgnoresCase", "hp", 0},
                                           PrefixCase{"LongerPrefixPicksTheLaterItem", "HP-D", 1},
                                           PrefixCase{"ChinesePrefixAndLatinCase", "保存为pdf", 3},
                                           PrefixCase{"EmptyTextBeginsEveryItem", "", 0},
                                           PrefixCase{"TextLongerThanEveryItem", "Canon Pixma", -1},
                                           PrefixCase{"MiddleOfATextIsNoMatch", "Laser", -1}),
                         [](const ::testing::TestParamInfo<PrefixCase>& info) {
                             return std::string(info.param.testName);
                         });

} // namespace
} // namespace quillet
