// The batch dialog without widgets: reading its fields in order with the
// program's messages, and which controls each state enables.

#include "dialogs/BatchFields.h"

#include <gtest/gtest.h>

namespace {

BatchFieldTexts Filled()
{
    BatchFieldTexts t;
    t.quilDir = "/q";
    t.bmpDir = "/b";
    t.bmpExt = "*.png";
    t.prefix = "Pic";
    t.count = "7";
    t.x = "640";
    t.y = "480";
    t.keepAspect = false;
    t.existingMode = true;
    t.quilCopy = true;
    t.offset = "10";
    t.mode = 3;
    t.antiAlias = true;
    t.sameName = true;
    t.noOverwrite = false;
    t.skipPlain = true;
    return t;
}

}  // namespace

TEST(BatchFields, ReadInOrderAndShownAgain)
{
    BatchSettings s;
    ASSERT_TRUE(ReadBatchFields(Filled(), s).Ok());
    EXPECT_EQ(s.QuilDir, "/q");
    EXPECT_EQ(s.BmpExt, "*.png");
    EXPECT_EQ(s.m_nPictureCount, 7u);
    EXPECT_EQ(s.XPixel, 640);
    EXPECT_EQ(s.YPixel, 480);
    EXPECT_FALSE(s.RandomMode());
    EXPECT_EQ(s.offset, 10u);
    EXPECT_EQ(s.Mode, 3);
    EXPECT_EQ(s.NoOverwrite, 0);
    EXPECT_EQ(s.SkipPlain, 1);
    const BatchFieldTexts shown = BatchFieldsOf(s);
    EXPECT_EQ(shown.x, "640");
    EXPECT_EQ(shown.offset, "10");
    EXPECT_TRUE(shown.existingMode);
    EXPECT_TRUE(shown.sameName);
    EXPECT_FALSE(shown.keepAspect);
}

TEST(BatchFields, ReadingStopsAtTheFirstFieldThatDoesNotRead)
{
    BatchFieldTexts t = Filled();
    t.x.clear();  // signed: "Please enter an integer."
    BatchSettings s;
    const BatchFieldResult result = ReadBatchFields(t, s);
    EXPECT_EQ(result.field, BatchField::X);
    EXPECT_EQ(result.Message(), "Please enter an integer.");
    EXPECT_EQ(s.Filename, "Pic");            // read before X
    EXPECT_EQ(s.m_nPictureCount, 7u);
    EXPECT_EQ(s.XPixel, kDefaultBatchSide);  // X and what follows are left
    EXPECT_EQ(s.YPixel, kDefaultBatchSide);
    EXPECT_TRUE(s.RandomMode());
    EXPECT_EQ(s.SkipPlain, 0);

    t = Filled();
    t.count = "-3";  // unsigned: no sign
    EXPECT_EQ(ReadBatchFields(t, s).field, BatchField::Count);
    EXPECT_EQ(ReadBatchFields(t, s).Message(), "Please enter a positive integer.");

    t = Filled();
    t.offset = "x";
    BatchSettings o;
    const BatchFieldResult offset = ReadBatchFields(t, o);
    EXPECT_EQ(offset.field, BatchField::Offset);
    EXPECT_EQ(offset.Message(), "Please enter a positive integer.");
    EXPECT_EQ(o.XPixel, 640);
    EXPECT_FALSE(o.RandomMode());
    EXPECT_EQ(o.Mode, 0);

    t = Filled();
    t.y = "99999999999";
    EXPECT_EQ(ReadBatchFields(t, s).Message(), "Please enter an integer between -2147483648 and 2147483647.");
    t.y = "-20";  // signed and without a range: read as it is
    ASSERT_TRUE(ReadBatchFields(t, s).Ok());
    EXPECT_EQ(s.YPixel, -20);
}

TEST(BatchFields, ControlStatesByRunAndMode)
{
    const BatchControlStates random = BatchControlStatesFor(true, true, true);
    EXPECT_TRUE(random.settings);
    EXPECT_FALSE(random.abort);
    EXPECT_TRUE(random.prefixAndOffset);  // Same name does not count in random mode
    EXPECT_TRUE(random.count);
    EXPECT_FALSE(random.sameName);

    const BatchControlStates existing = BatchControlStatesFor(true, false, false);
    EXPECT_TRUE(existing.prefixAndOffset);
    EXPECT_FALSE(existing.count);
    EXPECT_TRUE(existing.sameName);
    EXPECT_FALSE(BatchControlStatesFor(true, false, true).prefixAndOffset);

    const BatchControlStates running = BatchControlStatesFor(false, true, false);
    EXPECT_FALSE(running.settings);
    EXPECT_TRUE(running.abort);
    EXPECT_FALSE(running.prefixAndOffset);
    EXPECT_FALSE(running.count);
    EXPECT_FALSE(running.sameName);
}

TEST(BatchFields, PreviewSizesFollowTheMargins)
{
    EXPECT_EQ(BatchPreviewSizeFor(0).width, 100);
    EXPECT_EQ(BatchPreviewSizeFor(1).height, 150);
    EXPECT_EQ(BatchPreviewSizeFor(2).height, 133);
    EXPECT_EQ(BatchPreviewSizeFor(3).width, 150);
    EXPECT_EQ(BatchPreviewSizeFor(4).width, 133);
    EXPECT_EQ(BatchPreviewSizeFor(4).height, 100);
    EXPECT_EQ(BatchPreviewSizeFor(7).width, 100);
}
