// What a run says about its progress and the time left.

#include "batch/BatchTexts.h"

#include <gtest/gtest.h>

TEST(BatchTexts, ProgressCountsAndPercent)
{
    EXPECT_EQ(BatchProgressText(3, 7, 0), "3 pictures of 7 ready (42%)");
    EXPECT_EQ(BatchProgressText(100, 100, 0), "100 pictures of 100 ready (100%)");
    EXPECT_EQ(BatchProgressText(3, 7, 12), "3 pictures of 7 ready (42%), 12 plain left out");
    // A percentage whose 32-bit product would wrap.
    EXPECT_EQ(BatchProgressText(4000000000u, 4294967295u, 0), "4000000000 pictures of 4294967295 ready (93%)");
    EXPECT_EQ(BatchProgressText(0, 0, 0), "0 pictures of 0 ready (0%)");
}

TEST(BatchTexts, TheThreeFormsOfTheEstimate)
{
    // 1 of 100 after 5 s: 99 x 5 s left.
    EXPECT_EQ(BatchEstimateText(1, 100, 5000, 5000), "8 minutes 15 seconds remaining");
    EXPECT_EQ(BatchEstimateText(1, 61, 1000, 1000), "60 seconds remaining");
    EXPECT_EQ(BatchEstimateText(1, 62, 1000, 1000), "1 minutes 1 seconds remaining");
    EXPECT_EQ(BatchEstimateText(2, 3, 2000, 2000), "1 seconds remaining");
    // The last picture of a 5.9 s run: the elapsed time in whole seconds.
    EXPECT_EQ(BatchEstimateText(7, 7, 5900, 5900), "done in 0 minutes 5 seconds");
    EXPECT_EQ(BatchEstimateText(10, 10, 125000, 125400), "done in 2 minutes 5 seconds");
    // Less than a second left before the last picture also reads as done.
    EXPECT_EQ(BatchEstimateText(9, 10, 900, 950), "done in 0 minutes 0 seconds");
}

TEST(BatchTexts, LongRunsDoNotOverflowTheEstimate)
{
    // 99999 pictures left x 50 s passes 2^32 milliseconds; a 32-bit product
    // would wrap to a few minutes.
    EXPECT_EQ(BatchEstimateText(1, 100000, 50000, 50000), "83332 minutes 30 seconds remaining");
    EXPECT_EQ(BatchEstimateText(1000, 4294967295u, 1000000, 1000000),
              "71582771 minutes 35 seconds remaining");
}

TEST(BatchTexts, FormatCountsFillsInOrder)
{
    EXPECT_EQ(FormatCounts("%d of %d (%d%%)", {1, -2, 3}), "1 of -2 (3%)");
    EXPECT_EQ(FormatCounts("%d and %d", {5}), "5 and ");
}
