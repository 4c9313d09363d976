// The undo history: newest first, and at most 64 entries.

#include "DocumentTestSupport.h"

#include "document/UndoHistory.h"

#include <gtest/gtest.h>

namespace {
std::unique_ptr<CQuilExpression> Numbered(int n)
{
    // BW with a grey level that tells the entries apart.
    return Parse("BW[" + std::to_string(n / 1000.0) + "]");
}
double Grey(const CQuilExpression& expression) { return expression.GetRoot()->dParam[0]; }
}  // namespace

TEST(UndoHistory, NewestComesBackFirst)
{
    CUndoHistory history;
    EXPECT_TRUE(history.IsEmpty());
    EXPECT_EQ(history.Pop(), nullptr);
    history.Push(Numbered(1));
    history.Push(Numbered(2));
    history.Push(nullptr);
    EXPECT_EQ(history.Size(), 2u);
    auto newest = history.Pop();
    ASSERT_TRUE(newest);
    EXPECT_DOUBLE_EQ(Grey(*newest), 0.002);
    EXPECT_DOUBLE_EQ(Grey(*history.Pop()), 0.001);
    EXPECT_TRUE(history.IsEmpty());
}

TEST(UndoHistory, SixtyFiveEntriesKeepTheNewestSixtyFour)
{
    CUndoHistory history;
    for (int n = 1; n <= 65; ++n)
        history.Push(Numbered(n));
    EXPECT_EQ(history.Size(), kMaxUndoEntries);
    int expected = 65;
    while (auto entry = history.Pop())
        EXPECT_DOUBLE_EQ(Grey(*entry), (expected--) / 1000.0);
    EXPECT_EQ(expected, 1);  // entry 1 was dropped
}
