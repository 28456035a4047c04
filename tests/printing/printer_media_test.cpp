// A job's paper matched to what the printer offers: the rules on plain
// values, and the media the simulated printers really report.
#include "printing/printer_media.h"
#include "support/cups_queues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

namespace quillet {
namespace {

const PrinterMedia kOffice{{{"na_letter_8.5x11in", 2159, 2794},
                            {"iso_a4_210x297mm", 2100, 2970},
                            {"iso_dl_110x220mm", 1100, 2200}}};
const PrinterMedia kPhoto{{{"na_index-4x6_4x6in", 1016, 1524},
                           {"na_5x7_5x7in", 1270, 1778},
                           {"iso_a6_105x148mm", 1050, 1480}}};
const PrinterMedia kAnySize{{{"iso_a4_210x297mm", 2100, 2970}}, true, 100, 100, 3000, 4000};

struct PaperCase {
    const char* name;
    const PrinterMedia* media;
    int width;
    int height;
    bool fits;
    const char* goesAs;
};

void PrintTo(const PaperCase& c, std::ostream* os)
{
    *os << c.name;
}

class ChoosePaperTest : public ::testing::TestWithParam<PaperCase> {};

TEST_P(ChoosePaperTest, GoesAsTheNearestOfferedPaperOrACustomSize)
{
    const PaperCase& c = GetParam();
    const PaperChoice choice = ChoosePaper(*c.media, c.width, c.height);
    EXPECT_EQ(choice.fits, c.fits);
    EXPECT_EQ(choice.media, c.goesAs);
}

INSTANTIATE_TEST_SUITE_P(
    Papers, ChoosePaperTest,
    ::testing::Values(
        PaperCase{"A4IsA4", &kOffice, 2100, 2970, true, "iso_a4_210x297mm"},
        PaperCase{"WithinOneMillimetre", &kOffice, 2109, 2961, true, "iso_a4_210x297mm"},
        PaperCase{"JustOverOneMillimetre", &kOffice, 2111, 2970, false, ""},
        PaperCase{"PhotoOnTheOfficePrinter", &kOffice, 1020, 1520, false, ""},
        PaperCase{"PhotoAs4x6", &kPhoto, 1020, 1520, true, "na_index-4x6_4x6in"},
        PaperCase{"TurnedPhotoAs4x6", &kPhoto, 1520, 1020, true, "na_index-4x6_4x6in"},
        PaperCase{"NearestOfTwo", &kPhoto, 1045, 1485, true, "iso_a6_105x148mm"},
        PaperCase{"CustomInRange", &kAnySize, 1020, 1520, true, ""},
        PaperCase{"CustomTooLong", &kAnySize, 1020, 4100, false, ""},
        PaperCase{"StandardBeforeCustom", &kAnySize, 2100, 2970, true, "iso_a4_210x297mm"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrinterMediaTest, OfferedPapersAreNamedAsUsersKnowThem)
{
    EXPECT_EQ(OfferedPaperNames(kOffice), "Letter、A4、EnvDL");
}

bool CupsRequired()
{
    return std::getenv("QUILLET_REQUIRE_CUPS") != nullptr;
}

TEST(PrinterMediaTest, TheSimulatedPrintersReportTheirPapers)
{
    std::string failure;
    const auto office = QueueMedia(testing::kOfficeQueue, failure);
    if (!office && !CupsRequired())
        GTEST_SKIP() << failure;
    ASSERT_TRUE(office) << failure;
    EXPECT_FALSE(office->customSizes);
    EXPECT_EQ(ChoosePaper(*office, 2100, 2970).media, "iso_a4_210x297mm");
    EXPECT_FALSE(ChoosePaper(*office, 1020, 1520).fits);

    const auto photo = QueueMedia(testing::kPhotoQueue, failure);
    ASSERT_TRUE(photo) << failure;
    EXPECT_EQ(ChoosePaper(*photo, 1020, 1520).media, "na_index-4x6_4x6in");
    EXPECT_EQ(ChoosePaper(*photo, 890, 1270).media, "oe_photo-l_3.5x5in");

    EXPECT_FALSE(QueueMedia("QUILLET_NO_SUCH_QUEUE", failure));
    EXPECT_FALSE(failure.empty());
}

} // namespace
} // namespace quillet
