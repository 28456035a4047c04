#include "app/command_options.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

ParsedCommand Parse(std::vector<std::string> args)
{
    return ParseCommandLine(args);
}

TEST(CommandOptions, RenderDefaultsAreTheFirstConfirmedSettings)
{
    ParsedCommand p = Parse({"render", "--out", "/tmp/o", "/pics"});
    ASSERT_TRUE(p.options) << p.error;
    const CommandOptions& o = *p.options;
    EXPECT_EQ(o.kind, CommandKind::Render);
    EXPECT_EQ(o.outDir, "/tmp/o");
    EXPECT_EQ(o.inputs, std::vector<std::string>{"/pics"});
    EXPECT_EQ(o.settings.paperWidth, 2100);
    EXPECT_EQ(o.settings.paperHeight, 2970);
    EXPECT_EQ(o.settings.marginTop, 200);
    EXPECT_EQ(o.settings.marginBottom, 180);
    EXPECT_EQ(o.settings.marginLeft, 50);
    EXPECT_EQ(o.settings.marginRight, 150);
    EXPECT_EQ(o.settings.headerOffset, 110);
    EXPECT_EQ(o.settings.footerOffset, 140);
    EXPECT_EQ(o.settings.rows, 5);
    EXPECT_EQ(o.settings.columns, 5);
    EXPECT_EQ(o.settings.rowGap, 10);
    EXPECT_EQ(o.settings.captionGap, 2);
    EXPECT_EQ(o.settings.imageFormat, 2);
    EXPECT_EQ(o.settings.imageOptimization, 3);
    EXPECT_EQ(o.settings.headerAlign, 1);
    EXPECT_TRUE(o.captions);
    EXPECT_FALSE(o.recursive);
}

TEST(CommandOptions, EveryOptionLandsInItsField)
{
    ParsedCommand p = Parse({"print",
                             "--pdf=/tmp/a.pdf",
                             "--paper",
                             "100x150.5",
                             "--landscape",
                             "--margins",
                             "1,2,3,4.5",
                             "--header-offset",
                             "7",
                             "--footer-offset=8",
                             "--rows",
                             "2",
                             "--columns",
                             "3",
                             "--row-gap",
                             "11",
                             "--column-gap",
                             "12",
                             "--caption-gap",
                             "13",
                             "--fit",
                             "5",
                             "--optimize",
                             "0",
                             "--header",
                             "第&p页",
                             "--footer",
                             "&a",
                             "--header-align",
                             "left",
                             "--footer-align",
                             "right",
                             "--caption-font",
                             "黑体 12",
                             "--header-font",
                             "AR PL UKai CN 8",
                             "--copies",
                             "3",
                             "--by-category",
                             "--recursive",
                             "--no-captions",
                             "a.jpg",
                             "--",
                             "--odd.jpg"});
    ASSERT_TRUE(p.options) << p.error;
    const CommandOptions& o = *p.options;
    const PrintSettings& s = o.settings;
    EXPECT_EQ(o.pdfFile, "/tmp/a.pdf");
    EXPECT_EQ(s.paperWidth, 1000);
    EXPECT_EQ(s.paperHeight, 1505);
    EXPECT_EQ(s.orientation, 1);
    EXPECT_EQ(s.marginTop, 10);
    EXPECT_EQ(s.marginBottom, 20);
    EXPECT_EQ(s.marginLeft, 30);
    EXPECT_EQ(s.marginRight, 45);
    EXPECT_EQ(s.headerOffset, 70);
    EXPECT_EQ(s.footerOffset, 80);
    EXPECT_EQ(s.rows, 2);
    EXPECT_EQ(s.columns, 3);
    EXPECT_EQ(s.rowGap, 11);
    EXPECT_EQ(s.columnGap, 12);
    EXPECT_EQ(s.captionGap, 13);
    EXPECT_EQ(s.photoFitMode, 5);
    EXPECT_EQ(s.imageOptimization, 0);
    EXPECT_EQ(o.headerText, "第&p页");
    EXPECT_EQ(o.footerText, "&a");
    EXPECT_EQ(s.headerAlign, 0);
    EXPECT_EQ(s.footerAlign, 2);
    EXPECT_EQ(s.captionFont.name, "黑体");
    EXPECT_EQ(s.captionFont.size, 12);
    EXPECT_EQ(s.headerFont.name, "AR PL UKai CN");
    EXPECT_EQ(s.headerFont.size, 8);
    EXPECT_EQ(s.copies, 3);
    EXPECT_TRUE(o.byCategory);
    EXPECT_TRUE(o.recursive);
    EXPECT_FALSE(o.captions);
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.jpg", "--odd.jpg"}));
}

TEST(CommandOptions, ArgumentsKeepTheirBytesAndTheLastOfARepeatedOptionCounts)
{
    const std::string gbk = "/相册/\xD5\xD5\xC6\xAC.jpg"; // 照片.jpg in GBK
    ParsedCommand p = Parse({"render", "--rows", "2", "--out", "/tmp/o", "--header", "\xB5\xDA&p",
                             "-", gbk, "--rows", "3", ""});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->settings.rows, 3);
    EXPECT_EQ(p.options->headerText, "\xB5\xDA&p");
    EXPECT_EQ(p.options->inputs, (std::vector<std::string>{"-", gbk, ""}));
}

struct BadUsage {
    const char* name;
    std::vector<std::string> args;
    const char* mentions;
};

class CommandUsageErrors : public ::testing::TestWithParam<BadUsage> {};

TEST_P(CommandUsageErrors, AreRefusedWithAMessageNamingTheProblem)
{
    ParsedCommand p = ParseCommandLine(GetParam().args);
    EXPECT_FALSE(p.options);
    EXPECT_NE(p.error.find(GetParam().mentions), std::string::npos) << p.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandUsageErrors,
    ::testing::Values(
        BadUsage{"RenderWithoutOut", {"render", "a.jpg"}, "--out"},
        BadUsage{"PrintWithoutTarget", {"print", "a.jpg"}, "--printer"},
        BadUsage{"PrintWithBothTargets",
                 {"print", "--pdf", "x.pdf", "--printer", "Q", "a.jpg"},
                 "--pdf"},
        BadUsage{"NoInputs", {"render", "--out", "o"}, "--table"},
        BadUsage{"UnknownOption", {"render", "--out", "o", "--colour", "a"}, "--colour"},
        BadUsage{"MissingValue", {"render", "a.jpg", "--out"}, "--out"},
        BadUsage{
            "FlagGivenAValue", {"render", "--out", "o", "--landscape=1", "a"}, "--landscape=1"},
        BadUsage{"SingleDashWord", {"render", "--out", "o", "-rows", "2", "a"}, "-rows"},
        BadUsage{"RowsNotANumber", {"render", "--out", "o", "--rows", "five", "a"}, "--rows"},
        BadUsage{"HugeGrid", {"render", "--out", "o", "--columns", "100000", "a"}, "--columns"},
        // Each of these printed blank pages and exited 0.
        BadUsage{"NoRows", {"render", "--out", "o", "--rows", "0", "a"}, "--rows"},
        BadUsage{"NegativeRows", {"render", "--out", "o", "--rows", "-1", "a"}, "--rows"},
        BadUsage{"NegativeColumns", {"print", "--pdf", "x", "--columns", "-5", "a"}, "--columns"},
        BadUsage{"RowGapTallerThanThePaper",
                 {"render", "--out", "o", "--row-gap", "100000", "a"},
                 "--row-gap"},
        BadUsage{"RowGapAtTheIntegerLimit",
                 {"print", "--pdf", "x", "--row-gap", "2147483647", "a"},
                 "--row-gap"},
        // Room for it upright, not on the paper turned.
        BadUsage{"RowGapTallerThanLandscapePaper",
                 {"render", "--out", "o", "--landscape", "--rows", "2", "--row-gap", "2000", "a"},
                 "--row-gap"},
        BadUsage{"TooManyColumnsForTheWidth",
                 {"render", "--out", "o", "--columns", "1000", "--column-gap", "0", "--paper",
                  "50x50", "--margins", "0,0,0,0", "a"},
                 "--columns"},
        BadUsage{"MarginsWiderThanThePaper",
                 {"render", "--out", "o", "--margins", "20,18,150,100", "a"},
                 "--margins"},
        BadUsage{"PaperWithoutX", {"render", "--out", "o", "--paper", "210", "a"}, "--paper"},
        BadUsage{"NegativePaper", {"render", "--out", "o", "--paper", "-210x297", "a"}, "--paper"},
        BadUsage{"ThreeMargins", {"render", "--out", "o", "--margins", "1,2,3", "a"}, "--margins"},
        BadUsage{"FitOutOfRange", {"render", "--out", "o", "--fit", "6", "a"}, "--fit"},
        BadUsage{"NegativeFit", {"render", "--out", "o", "--fit", "-1", "a"}, "--fit"},
        BadUsage{"UnknownFormat", {"render", "--out", "o", "--format", "webp", "a"}, "--format"},
        BadUsage{"FontWithoutSize",
                 {"render", "--out", "o", "--caption-font", "宋体", "a"},
                 "--caption-font"},
        BadUsage{"BadAlignment",
                 {"render", "--out", "o", "--header-align", "middle", "a"},
                 "--header-align"},
        BadUsage{"TableAndInputs", {"render", "--out", "o", "--table", "t.txt", "a"}, "--table"},
        BadUsage{"UnknownCommand", {"draw", "a"}, "draw"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandOptions, TheSameGapFitsUprightPaper)
{
    const ParsedCommand p =
        ParseCommandLine({"render", "--out", "o", "--rows", "2", "--row-gap", "2000", "a"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->settings.rowGap, 2000);
}

TEST(CommandOptions, HelpIsRecognisedAnywhereAndBilingual)
{
    EXPECT_TRUE(IsHeadlessCommand({"--help"}));
    EXPECT_FALSE(IsHeadlessCommand({}));
    EXPECT_FALSE(IsHeadlessCommand({"-platform", "xcb"}));
    // Help counts from where it stands: before a fault it wins, after one
    // the fault is reported.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"render", "--rows", "2", "--help"},
          {"print", "-h", "--colour", "red"},
          {"render", "--help", "--out"}}) {
        ParsedCommand p = Parse(args);
        ASSERT_TRUE(p.options) << args.back();
        EXPECT_EQ(p.options->kind, CommandKind::Help);
    }
    EXPECT_FALSE(Parse({"render", "--rows", "x", "--help"}).options);
    EXPECT_FALSE(Parse({"render", "--colour", "red", "--help"}).options);
    const std::string help = CommandHelpText();
    EXPECT_NE(help.find("用法"), std::string::npos);
    EXPECT_NE(help.find("Usage"), std::string::npos);
    EXPECT_NE(help.find("--by-category"), std::string::npos);
}

} // namespace
} // namespace quillet
