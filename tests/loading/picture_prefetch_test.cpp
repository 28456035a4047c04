#include "loading/picture_prefetch.h"

#include "loading/load_picture_for_page.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::ScratchDir;

class PicturePrefetchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 12; ++i) {
            // Varied sizes and one shrunk by the level (a large noisy JPEG).
            const QImage image = i == 3 ? testing::NoisyPhoto(1600, 1200, 7)
                                        : testing::QuadrantPicture(40 + 10 * i, 30 + 5 * i);
            const std::string path = dir.Path("p" + std::to_string(i) + ".jpg");
            ASSERT_TRUE(testing::WriteBytes(path, testing::MakeJpeg(image)));
            paths.push_back(path);
        }
        paths.push_back(dir.Path("missing.jpg"));
    }
    ScratchDir dir;
    std::vector<std::string> paths;
};

TEST_F(PicturePrefetchTest, GivesInOrderWhatTheLoaderGives)
{
    for (int workers : {1, 2, 4}) {
        PicturePrefetcher prefetcher(paths, 1, workers);
        for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
            const QImage expected = DecodePictureForPage(paths[i], 1);
            const QImage got = prefetcher.Take(i);
            EXPECT_EQ(got.size(), expected.size())
                << "picture " << i << ", " << workers << " workers";
            EXPECT_EQ(got, expected) << "picture " << i;
        }
    }
    EXPECT_LT(DecodePictureForPage(paths[3], 1).width(), 1600) << "the large one is shrunk";
    EXPECT_TRUE(DecodePictureForPage(paths.back(), 1).isNull());
}

TEST_F(PicturePrefetchTest, AWaitCallsBackUntilThePictureIsThere)
{
    // The large one at full size takes a while: the caller hears of the
    // wait again and again, and then gets the picture it would have got.
    PicturePrefetcher prefetcher({paths[3], paths[4]}, 0, 1);
    const std::chrono::milliseconds often(1);
    int calls = 0;
    const auto count = [&] { ++calls; };
    const QImage got = prefetcher.Take(0, count, often);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(got, DecodePictureForPage(paths[3], 0));
    EXPECT_EQ(prefetcher.Take(1, count, often), DecodePictureForPage(paths[4], 0));
}

TEST_F(PicturePrefetchTest, ATinyBudgetStillDecodesThePictureWaitedFor)
{
    PicturePrefetcher prefetcher(paths, 0, 2, 1);
    for (int i = 0; i < 12; ++i)
        EXPECT_FALSE(prefetcher.Take(i).isNull()) << i;
}

TEST_F(PicturePrefetchTest, SkippingAheadAndTakingBackAreHarmless)
{
    PicturePrefetcher prefetcher(paths, 0, 2);
    EXPECT_FALSE(prefetcher.Take(0).isNull());
    EXPECT_EQ(prefetcher.Take(7).size(), DecodePictureForPage(paths[7], 0).size());
    EXPECT_TRUE(prefetcher.Take(2).isNull()) << "an index already passed gives nothing";
    EXPECT_TRUE(prefetcher.Take(99).isNull());
}

TEST_F(PicturePrefetchTest, StoppingEarlyEndsTheWorkers)
{
    // Destroyed after one picture, as a cancelled job does: must not hang.
    // (A hang here ends the test by its time-out.)
    for (int round = 0; round < 20; ++round) {
        PicturePrefetcher prefetcher(paths, 1, 3);
        EXPECT_FALSE(prefetcher.Take(0).isNull());
    }
    {
        PicturePrefetcher untouched(paths, 1, 2);
    }
}

TEST_F(PicturePrefetchTest, AnEmptyJobStartsNoWorkers)
{
    PicturePrefetcher prefetcher({}, 3);
    EXPECT_TRUE(prefetcher.Take(0).isNull());
}

} // namespace
} // namespace quillet
