#include "app/album_jobs.h"

#include <gtest/gtest.h>

#include <set>

namespace quillet {
namespace {

std::vector<AlbumRow>
Rows(std::initializer_list<std::pair<const char*, const char*>> pathAndCategory)
{
    std::vector<AlbumRow> rows;
    for (auto [path, category] : pathAndCategory)
        rows.push_back(AlbumRow{path, category, std::string("说明") + path});
    return rows;
}

TEST(AlbumJobs, CategoriesAreRunsOfConsecutiveRows)
{
    auto jobs = SplitAlbumIntoJobs(Rows({{"1", "A"}, {"2", "A"}, {"3", "B"}, {"4", "A"}}), true,
                                   "&F 第&p页", "&f", true);
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].pictures.paths, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(jobs[1].pictures.paths, (std::vector<std::string>{"3"}));
    EXPECT_EQ(jobs[2].pictures.paths, (std::vector<std::string>{"4"}));
    EXPECT_EQ(jobs[0].headerText, "A 第&p页") << "&F is the category too; page codes stay";
    EXPECT_EQ(jobs[1].footerText, "B");
    EXPECT_EQ(jobs[0].pictures.captions, (std::vector<std::string>{"说明1", "说明2"}));
    EXPECT_TRUE(jobs[0].pictures.aspectRatios.empty());
}

TEST(AlbumJobs, OneJobTakesTheLastCategoryAndCaptionsCanBeLeftOut)
{
    auto jobs = SplitAlbumIntoJobs(Rows({{"1", "A"}, {"2", "旅行"}}), false, "&f", "", false);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].pictures.paths.size(), 2u);
    EXPECT_EQ(jobs[0].headerText, "旅行");
    EXPECT_TRUE(jobs[0].pictures.captions.empty()) << "no caption line is reserved";
}

TEST(AlbumJobs, NoRowsNoJobs)
{
    EXPECT_TRUE(SplitAlbumIntoJobs({}, true, "&f", "&f", true).empty());
    EXPECT_TRUE(SplitIntoPageBatches({}, 4, true).empty());
}

TEST(AlbumJobs, PageBatchesTakeTheCategoryOfTheirLastRow)
{
    const auto rows =
        Rows({{"1", "A"}, {"2", "A"}, {"3", "B"}, {"4", "C"}, {"5", "C"}, {"6", "D"}, {"7", "E"}});
    const auto jobs = SplitIntoPageBatches(rows, 4, true);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].pictures.paths, (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(jobs[0].category, "C");
    EXPECT_EQ(jobs[1].pictures.captions, (std::vector<std::string>{"说明5", "说明6", "说明7"}));
    EXPECT_EQ(jobs[1].category, "E");
    EXPECT_EQ(SplitIntoPageBatches(rows, 0, false).size(), 7u) << "a batch holds one row at least";
}

TEST(AlbumJobs, PageCodesAreFilledInOrderIgnoringCase)
{
    EXPECT_EQ(ReplacePageJobCodes("&F 第&p页/共&A页", 2, "旅行", 1), "旅行 第1页/共2页");
    // "&f" goes before "&p": a category holding "&p" gets the page number too.
    EXPECT_EQ(ReplacePageJobCodes("&f", 3, "x&Py", 2), "x2y");
    EXPECT_EQ(ReplaceCategoryCode("&f&F&d", "山"), "山山&d");
}

} // namespace
} // namespace quillet
