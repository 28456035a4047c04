// Header and footer codes and the placement of the line by alignment.
#include "print/header_footer.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet {
namespace {

constexpr ClockReading kMarchMorning{2010, 3, 5, 9, 5, 3};

struct CodesCase {
    std::string name;
    std::string pageTemplate;
    int pageNumber;
    int pageCount;
    std::string expected;
};

class HeaderFooterCodesTest : public ::testing::TestWithParam<CodesCase> {};

TEST_P(HeaderFooterCodesTest, ExpandsEveryCodeInEitherCase)
{
    const CodesCase& c = GetParam();
    EXPECT_EQ(ExpandHeaderFooterCodes(c.pageTemplate, c.pageNumber, c.pageCount, kMarchMorning),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, HeaderFooterCodesTest,
    ::testing::Values(
        CodesCase{"PageOfPagesLowerCase", "第&p页/共&a页", 3, 12, "第3页/共12页"},
        CodesCase{"PageOfPagesUpperCase", "第&P页/共&A页", 3, 12, "第3页/共12页"},
        CodesCase{"DoubledAmpersandKeepsOne", "&&P", 7, 9, "&7"},
        CodesCase{"DateAndTimeWithoutLeadingZeros", "&Y-&M-&D &H:&F:&S", 1, 1, "2010-3-5 9:5:3"},
        CodesCase{"DateAndTimeLowerCase", "&y-&m-&d &h:&f:&s", 1, 1, "2010-3-5 9:5:3"},
        // A category name put in earlier may carry a code of its own.
        CodesCase{"CategoryCarryingACode", "风景&Y 第&p页", 2, 2, "风景2010 第2页"},
        CodesCase{"EveryOccurrence", "&p/&p/&P", 4, 4, "4/4/4"},
        CodesCase{"EmptyTemplate", "", 1, 1, ""},
        CodesCase{"NoCodes", "旅行相册", 1, 1, "旅行相册"},
        CodesCase{"LoneAmpersandAtEnd", "页&", 1, 1, "页&"},
        CodesCase{"UnknownCodeKept", "&Q&x&1", 1, 1, "&Q&x&1"},
        CodesCase{"CodeRightAfterChinese", "页&p页", 12, 20, "页12页"},
        // The count is inserted after the pages were replaced; "&" + "P"
        // split across two codes' results never appears.
        CodesCase{"NoRescanOfInsertedText", "&&A&P", 9, 8, "&89"}),
    [](const auto& info) { return info.param.name; });

struct LeftCase {
    std::string name;
    int alignment;
    int textWidth;
    int expected;
};

class HeaderFooterLeftTest : public ::testing::TestWithParam<LeftCase> {};

// A 1000-wide surface with edges of 100 and 50.
TEST_P(HeaderFooterLeftTest, PlacesTheLineByAlignment)
{
    const LeftCase& c = GetParam();
    EXPECT_EQ(HeaderFooterLeft(c.alignment, c.textWidth, 1000, 100, 50), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, HeaderFooterLeftTest,
    ::testing::Values(LeftCase{"Left", 0, 300, 100}, LeftCase{"Right", 2, 300, 650},
                      LeftCase{"Centre", 1, 300, 100 + 275},
                      LeftCase{"CentreOddCutDown", 1, 301, 100 + 274},
                      LeftCase{"UnknownAlignmentCentres", 7, 300, 375},
                      LeftCase{"EmptyLeft", 0, 0, 100}, LeftCase{"EmptyCentre", 1, 0, 100 + 425},
                      LeftCase{"EmptyRight", 2, 0, 950},
                      LeftCase{"RightOverflowLeftOfEdge", 2, 900, 50},
                      LeftCase{"RightOverflowNegative", 2, 1200, -250},
                      // Centre overflow: half the overflow left of the edge.
                      LeftCase{"CentreOverflow", 1, 1050, 100 - 100},
                      LeftCase{"CentreOverflowNegativeCutTowardZero", 1, 1251, -100}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace quillet
