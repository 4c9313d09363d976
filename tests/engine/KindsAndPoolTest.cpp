// The vocabulary, the node pool and copying.

#include "TestHost.h"

#include "engine/QuilExpression.h"

#include <gtest/gtest.h>

// The pool's counters, for the one test that has to pretend a full pool.
struct ExpressionTestAccess {
    static void FillEveryBlock(CQuilExpression& e)
    {
        e.m_nBlocks = kMaxPoolBlocks;
        e.m_nUsed = e.m_nCapacity;
    }
};

TEST(KindFromName, NamesAliasesAndCase)
{
    EXPECT_EQ(CQuilExpression::KindFromName("Const"), 1);
    EXPECT_EQ(CQuilExpression::KindFromName("RGB"), 1);
    EXPECT_EQ(CQuilExpression::KindFromName("rgb"), 31);
    EXPECT_EQ(CQuilExpression::KindFromName("+"), 21);
    EXPECT_EQ(CQuilExpression::KindFromName("*"), 23);
    EXPECT_EQ(CQuilExpression::KindFromName("Sin"), -1);
    EXPECT_EQ(CQuilExpression::KindFromName("if3"), 33);
    EXPECT_EQ(CQuilExpression::KindFromName(""), -1);
    EXPECT_EQ(CQuilExpression::KindFromName("sin "), -1);
    for (int code = 0; code < kNumKinds; ++code)
        EXPECT_EQ(CQuilExpression::KindFromName(KindName(code)), code) << KindName(code);
}

TEST(NodeKinds, AritiesAndProbabilityTable)
{
    for (int code = 0; code < kNumKinds; ++code) {
        const int expected = code < 13 ? 0 : code < 21 ? 1 : code < 31 ? 2 : 3;
        EXPECT_EQ(KindArity(code), expected) << code;
        EXPECT_EQ(IsTerminalKind(code), expected == 0) << code;
    }
    int terminals = 0, functions = 0;
    bool seen[kNumKinds] = {};
    for (int code : kProbabilityOrder) {
        ASSERT_TRUE(IsValidKind(code));
        ASSERT_NE(kNodeKinds[code].settingsName, nullptr) << code;
        EXPECT_FALSE(seen[code]) << KindName(code);
        seen[code] = true;
        (code < 13 ? terminals : functions) += kNodeKinds[code].defaultProbability;
    }
    EXPECT_FALSE(seen[KIND_ID]);
    EXPECT_EQ(kNodeKinds[KIND_ID].settingsName, nullptr);
    EXPECT_EQ(terminals, 10000);
    EXPECT_EQ(functions, 10000);
    // The stored order puts "Max" before "Ming" and "Maxg".
    EXPECT_EQ(kProbabilityOrder[25], KIND_MIN);
    EXPECT_EQ(kProbabilityOrder[26], KIND_MAX);
    EXPECT_EQ(kProbabilityOrder[27], KIND_MING);
    EXPECT_EQ(kProbabilityOrder[28], KIND_MAXG);
    EXPECT_STREQ(kNodeKinds[KIND_RGBF].settingsName, "Rgbf");
}

TEST(NodePool, FirstBlockThenDoublingBlocks)
{
    RecordingHost host;
    CQuilExpression e(&host);
    ExprNode* root = e.Reset();
    EXPECT_EQ(root, e.GetRoot());
    EXPECT_EQ(e.Pool().current, root);
    EXPECT_EQ(e.Pool().capacity, 4096);
    EXPECT_EQ(e.Pool().used, 1);

    ExprNode* previous = root;
    for (int i = 0; i < 4095; ++i) {
        ExprNode* n = e.NewNode();
        ASSERT_EQ(n, previous + 1);
        previous = n;
    }
    EXPECT_EQ(e.Pool().blocks, 0);
    ExprNode* second = e.NewNode();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(e.Pool().blocks, 1);
    EXPECT_EQ(e.Pool().capacity, 8192);
    EXPECT_EQ(e.Pool().used, 1);
    EXPECT_EQ(e.Pool().current, second);
    EXPECT_EQ(e.NodeCount(), 4097u);
    EXPECT_TRUE(host.messages.empty());

    // Refilling starts again with one first block.
    e.Reset();
    EXPECT_EQ(e.Pool().blocks, 0);
    EXPECT_EQ(e.Pool().capacity, 4096);
    EXPECT_EQ(e.NodeCount(), 1u);
}

TEST(NodePool, SixteenBlocksAreTheLimit)
{
    RecordingHost host;
    CQuilExpression e(&host);
    e.Reset();
    // Pretend 16 additional blocks are in use and the last is full.
    ExpressionTestAccess::FillEveryBlock(e);
    EXPECT_EQ(e.NewNode(), nullptr);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "No memory");
    EXPECT_EQ(host.messages[0].caption, "Quil");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Warning);
}

TEST(NodePool, CeilingIsExhaustionNotACrash)
{
    RecordingHost host;
    const size_t old = CQuilExpression::PoolCeiling();
    // Room for the first block and one more (8192 nodes), not for the third.
    CQuilExpression::SetPoolCeiling(sizeof(ExprNode) * (4096 + 8192));
    {
        CQuilExpression e(&host);
        e.Reset();
        int handed = 0;
        while (e.NewNode())
            ++handed;
        EXPECT_EQ(handed, 4095 + 8192);
        EXPECT_EQ(host.Count("No memory"), 1);
    }
    CQuilExpression::SetPoolCeiling(old);
}

TEST(NodePool, AnExpressionsOwnCeilingOnlyLowersTheSharedOne)
{
    RecordingHost host;
    CQuilExpression small(&host), other(&host);
    small.SetOwnPoolCeiling(sizeof(ExprNode) * (4096 + 8192));
    small.Reset();
    other.Reset();
    int handed = 0;
    while (small.NewNode())
        ++handed;
    EXPECT_EQ(handed, 4095 + 8192);
    EXPECT_EQ(host.Count("No memory"), 1);
    // Another expression is not held to it.
    for (int i = 0; i < 4095 + 8192 + 1; ++i)
        ASSERT_NE(other.NewNode(), nullptr);
    // An own ceiling above the shared one does not raise it.
    const size_t old = CQuilExpression::PoolCeiling();
    CQuilExpression::SetPoolCeiling(sizeof(ExprNode) * 4096);
    CQuilExpression large(&host);
    large.SetOwnPoolCeiling(size_t(1) << 30);
    large.Reset();
    handed = 0;
    while (large.NewNode())
        ++handed;
    EXPECT_EQ(handed, 4095);
    CQuilExpression::SetPoolCeiling(old);
}

TEST(Copy, DefaultExpressionInPreOrder)
{
    CQuilExpression source;
    source.Reset();
    ASSERT_EQ(source.SetDefault(), 1);
    EXPECT_EQ(source.Pool().used, 4);
    EXPECT_EQ(source.Pool().current->nKind, KIND_BW);

    CQuilExpression copy;
    ASSERT_EQ(copy.CopyFrom(source.GetRoot()), 1);
    const ExprNode* r = copy.GetRoot();
    EXPECT_EQ(copy.NodeCount(), 5u);  // four nodes and the one left over
    ASSERT_EQ(r->nKind, KIND_RGBF);
    ASSERT_EQ(r->nChildren, 3);
    EXPECT_EQ(r->pChild[0], r + 1);
    EXPECT_EQ(r->pChild[1], r + 2);
    EXPECT_EQ(r->pChild[2], r + 3);
    EXPECT_EQ(r->pChild[0]->nKind, KIND_X);
    EXPECT_EQ(r->pChild[1]->nKind, KIND_Y);
    EXPECT_EQ(r->pChild[2]->nKind, KIND_BW);
    EXPECT_EQ(r->pChild[2]->dParam[0], -1.0);
    EXPECT_EQ(r->pChild[2]->dParam[2], -1.0);
    EXPECT_EQ(r->pChild[0]->nChildren, 0);
}

TEST(Copy, FailsCleanlyWhenThePoolRunsOut)
{
    RecordingHost host;
    // 2500 "plus" nodes, each with an X leaf, need a second block.
    CQuilExpression source;
    ExprNode* n = source.Reset();
    for (int i = 0; i < 2500; ++i) {
        ExprNode* leaf = source.NewNode();
        ExprNode* next = source.NewNode();
        *leaf = ExprNode{KIND_X, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};
        *n = ExprNode{KIND_PLUS, {0, 0, 0}, 2, {leaf, next, nullptr}};
        n = next;
    }
    *n = ExprNode{KIND_X, {0, 0, 0}, 0, {nullptr, nullptr, nullptr}};

    const size_t old = CQuilExpression::PoolCeiling();
    CQuilExpression::SetPoolCeiling(sizeof(ExprNode) * 4096);
    CQuilExpression copy(&host);
    EXPECT_EQ(copy.CopyFrom(source.GetRoot()), 0);
    EXPECT_EQ(host.Count("No memory"), 1);
    CQuilExpression::SetPoolCeiling(old);
    EXPECT_EQ(copy.CopyFrom(source.GetRoot()), 1);
}

TEST(ContainsPicture, FindsDeepThirdChild)
{
    CQuilExpression e;
    ExprNode* root = e.Reset();
    ExprNode* a = e.NewNode();
    ExprNode* b = e.NewNode();
    ExprNode* c = e.NewNode();
    ExprNode* d = e.NewNode();
    ExprNode* pic = e.NewNode();
    *root = ExprNode{KIND_SIN, {}, 1, {a, nullptr, nullptr}};
    *a = ExprNode{KIND_IF, {}, 3, {b, c, d}};
    *b = ExprNode{KIND_X, {}, 0, {}};
    *c = ExprNode{KIND_Y, {}, 0, {}};
    *d = ExprNode{KIND_NEG, {}, 1, {pic, nullptr, nullptr}};
    *pic = ExprNode{KIND_PIC, {}, 0, {}};
    EXPECT_EQ(CQuilExpression::ContainsPicture(root), 1);
    e.UpdateUsesPicture();
    EXPECT_EQ(e.m_bUsesPicture, 1);
    pic->nKind = KIND_R;
    EXPECT_EQ(CQuilExpression::ContainsPicture(root), 0);
    e.UpdateUsesPicture();
    EXPECT_EQ(e.m_bUsesPicture, 0);
}
