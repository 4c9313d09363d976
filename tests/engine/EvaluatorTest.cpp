// Every kind's formula and tie-break at chosen points.

#include "engine/Evaluator.h"
#include "engine/QuilExpression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {
// Builds small trees by hand: Node(kind, params, children...).
class TreeBuilder {
public:
    TreeBuilder() { m_root = m_expr.Reset(); }
    ExprNode* Leaf(int kind, double a = 0, double b = 0, double c = 0)
    {
        ExprNode* n = Take();
        *n = ExprNode{kind, {a, b, c}, 0, {nullptr, nullptr, nullptr}};
        return n;
    }
    ExprNode* Fn(int kind, ExprNode* c0, ExprNode* c1 = nullptr, ExprNode* c2 = nullptr)
    {
        ExprNode* n = Take();
        *n = ExprNode{kind, {0, 0, 0}, KindArity(kind), {c0, c1, c2}};
        return n;
    }

private:
    ExprNode* Take()
    {
        if (!m_rootUsed) {
            m_rootUsed = true;
            return m_root;
        }
        return m_expr.NewNode();
    }
    CQuilExpression m_expr;
    ExprNode* m_root;
    bool m_rootUsed = false;
};

struct Rgb {
    double r, g, b;
};

Rgb Eval(const ExprNode* n, double x, double y, Rgb in = {0, 0, 0}, int* result = nullptr)
{
    CEvaluator e;
    Rgb out = in;
    const int ok = e.Evaluate(n, x, y, out.r, out.g, out.b);
    if (result)
        *result = ok;
    else
        EXPECT_EQ(ok, 1);
    return out;
}

// Evaluates a one-child function of a grey constant.
double Unary(int kind, double v)
{
    TreeBuilder t;
    ExprNode* f = t.Fn(kind, nullptr);
    f->pChild[0] = t.Leaf(KIND_BW, v);
    return Eval(f, 0, 0).r;
}

// Evaluates a two-child function of two RGB constants.
Rgb Binary(int kind, Rgb a, Rgb b)
{
    TreeBuilder t;
    ExprNode* f = t.Fn(kind, nullptr);
    f->pChild[0] = t.Leaf(KIND_RGB, a.r, a.g, a.b);
    f->pChild[1] = t.Leaf(KIND_RGB, b.r, b.g, b.b);
    return Eval(f, 0, 0);
}
}  // namespace

TEST(Evaluator, Constants)
{
    CEvaluator e;
    EXPECT_EQ(e.m_dPi, 2 * std::asin(1.0));
    EXPECT_DOUBLE_EQ(e.m_dPi, M_PI);
    EXPECT_EQ(e.m_dE, std::exp(1.0));
    EXPECT_NEAR(e.m_dLnSinh1, 0.1614394, 1e-7);
}

TEST(Evaluator, PositionTerminals)
{
    TreeBuilder t;
    Rgb v = Eval(t.Leaf(KIND_X), 0.25, -0.5);
    EXPECT_EQ(v.r, 0.25);
    EXPECT_EQ(v.g, 0.25);
    EXPECT_EQ(v.b, 0.25);
    v = Eval(t.Leaf(KIND_Y), 0.25, -0.5);
    EXPECT_EQ(v.b, -0.5);
    v = Eval(t.Leaf(KIND_XYM), 0.25, -0.5);
    EXPECT_EQ(v.r, 0.25);
    EXPECT_EQ(v.g, -0.5);
    EXPECT_EQ(v.b, -0.125);
    v = Eval(t.Leaf(KIND_CIR), 0.25, -0.5);
    EXPECT_EQ(v.r, 0.5);
    EXPECT_EQ(v.g, 0.25);
    EXPECT_EQ(v.b, 0.0);

    EXPECT_EQ(Eval(t.Leaf(KIND_R), 1, 1).r, 1.0);
    EXPECT_EQ(Eval(t.Leaf(KIND_R), 0, 0).g, 0.0);
    EXPECT_EQ(Eval(t.Leaf(KIND_R2), 0, 0).r, -1.0);
    EXPECT_NEAR(Eval(t.Leaf(KIND_R2), 1, -1).r, 1.0, 1e-15);
    ExprNode* r2c = t.Leaf(KIND_R2C, 0.5, 0.5);
    EXPECT_EQ(Eval(r2c, 0.5, 0.5).r, -1.0);
    EXPECT_NEAR(Eval(r2c, -1, -1).r, 1.0, 1e-15);
    EXPECT_EQ(Eval(t.Leaf(KIND_PHI), -1, 0).r, 1.0);
    EXPECT_EQ(Eval(t.Leaf(KIND_PHI), 1, 0).r, 0.0);
    EXPECT_DOUBLE_EQ(Eval(t.Leaf(KIND_PHI), 0, 1).r, 0.5);

    v = Eval(t.Leaf(KIND_BW, -0.25, 0.5, 0.75), 0, 0);
    EXPECT_EQ(v.r, -0.25);
    EXPECT_EQ(v.b, -0.25);
    v = Eval(t.Leaf(KIND_RGB, -0.25, 0.5, 0.75), 0, 0);
    EXPECT_EQ(v.r, -0.25);
    EXPECT_EQ(v.g, 0.5);
    EXPECT_EQ(v.b, 0.75);
}

TEST(Evaluator, Spirals)
{
    TreeBuilder t;
    ExprNode* flat = t.Leaf(KIND_SPIR, 0.3, 0.3, 0.0);
    EXPECT_EQ(Eval(flat, 0.5, 0).r, 0.0);
    EXPECT_EQ(Eval(flat, -0.7, 0.1).g, 0.0);
    ExprNode* spir = t.Leaf(KIND_SPIR, 0.9, 0.9, 0.5);  // only the third parameter counts
    EXPECT_NEAR(Eval(spir, 0.5, 0).r, 0.5587288, 1e-7);
    CEvaluator e;
    const double t0 = (0.5 * std::log(0.25)) / (2 * 0.5 * e.m_dPi);
    EXPECT_NEAR(t0, -0.2206356, 1e-7);
    // SPIRC at its own centre offset reproduces SPIR.
    ExprNode* spirc = t.Leaf(KIND_SPIRC, 0.25, -0.25, 0.5);
    EXPECT_EQ(Eval(spirc, 0.75, -0.25).r, Eval(spir, 0.5, 0).r);
    // At the centre the logarithm is -inf: the band value is still defined.
    const double centre = Eval(spir, 0, 0).r;
    EXPECT_TRUE(centre >= -1 && centre <= 1);
    // Values stay in [-1, 1] all over the plane.
    for (double x = -1; x <= 1; x += 0.125)
        for (double y = -1; y <= 1; y += 0.125) {
            const double v = Eval(spirc, x, y).r;
            EXPECT_TRUE(v >= -1 && v <= 1) << x << "," << y;
        }
}

TEST(Evaluator, OneChildKinds)
{
    EXPECT_NEAR(Unary(KIND_EXP, -1), -1.0, 1e-15);
    EXPECT_NEAR(Unary(KIND_EXP, 0), -0.4621172, 1e-7);
    EXPECT_NEAR(Unary(KIND_EXP, 1), 1.0, 1e-15);
    EXPECT_NEAR(Unary(KIND_LN, -1), -1.0, 1e-15);
    EXPECT_NEAR(Unary(KIND_LN, 0), 0.4337808, 1e-7);
    EXPECT_NEAR(Unary(KIND_LN, 1), 1.0, 1e-15);
    EXPECT_NEAR(Unary(KIND_LN, Unary(KIND_EXP, 0.3)), 0.3, 1e-15);
    EXPECT_EQ(Unary(KIND_CURT, -0.125), -0.5);
    EXPECT_EQ(Unary(KIND_CURT, 0.125), 0.5);
    EXPECT_EQ(Unary(KIND_CUB, -0.5), -0.125);
    EXPECT_EQ(Unary(KIND_NEG, 0.25), -0.25);
    EXPECT_NEAR(Unary(KIND_SIN, 0.5), 1.0, 1e-15);
    EXPECT_NEAR(Unary(KIND_COS, 1.0), -1.0, 1e-15);
    EXPECT_EQ(Unary(KIND_ID, 0.375), 0.375);
    // ln below its domain yields NaN or -inf through the library, no trap.
    EXPECT_TRUE(std::isnan(Unary(KIND_LN, -1.5)) || std::isinf(Unary(KIND_LN, -1.5)));
}

TEST(Evaluator, TwoChildKindsAndTies)
{
    Rgb v = Binary(KIND_PLUS, {0.5, -1, 1}, {0.25, 1, 1});
    EXPECT_EQ(v.r, 0.375);
    EXPECT_EQ(v.g, 0.0);
    EXPECT_EQ(v.b, 1.0);
    v = Binary(KIND_MINUS, {0.5, -1, 1}, {0.25, 1, 1});
    EXPECT_EQ(v.r, 0.125);
    EXPECT_EQ(v.g, -1.0);
    v = Binary(KIND_TIMES, {0.5, -1, 1}, {0.25, 1, 1});
    EXPECT_EQ(v.r, 0.125);

    v = Binary(KIND_DIV1, {0.75, 0, 0.5}, {0.5, 0, 0});
    EXPECT_EQ(v.r, 0.5);  // 1.5 -> 0.5
    EXPECT_EQ(v.g, 0.0);  // 0 / 0 -> 0
    EXPECT_EQ(v.b, 0.0);  // 0.5 / 0 is infinite, its fraction 0
    v = Binary(KIND_DIV1, {-0.75, 0, 0}, {0.5, 0, 0});
    EXPECT_EQ(v.r, -0.5);

    v = Binary(KIND_FMOD, {-0.7, 0.5, 0.3}, {0.5, 0, -0.2});
    EXPECT_NEAR(v.r, -0.2, 1e-15);
    EXPECT_EQ(v.g, 0.0);
    EXPECT_EQ(v.b, std::fmod(0.3, -0.2));

    // min/max keep A on equal channels: tell them apart by the sign of zero.
    v = Binary(KIND_MIN, {-0.0, 0.2, 0.9}, {0.0, 0.1, 1});
    EXPECT_TRUE(std::signbit(v.r));
    EXPECT_EQ(v.g, 0.1);
    EXPECT_EQ(v.b, 0.9);
    v = Binary(KIND_MAX, {-0.0, 0.2, 0.9}, {0.0, 0.1, 1});
    EXPECT_TRUE(std::signbit(v.r));
    EXPECT_EQ(v.g, 0.2);
    EXPECT_EQ(v.b, 1.0);

    // ming/maxg take B on equal sums.
    v = Binary(KIND_MING, {0.25, 0.5, 0}, {0.5, 0.25, 0});
    EXPECT_EQ(v.r, 0.5);
    v = Binary(KIND_MAXG, {0.25, 0.5, 0}, {0.5, 0.25, 0});
    EXPECT_EQ(v.r, 0.5);
    v = Binary(KIND_MING, {-0.5, 0, 0}, {0.5, 0, 0});
    EXPECT_EQ(v.r, -0.5);
    v = Binary(KIND_MAXG, {-0.5, 0, 0}, {0.5, 0, 0});
    EXPECT_EQ(v.r, 0.5);

    v = Binary(KIND_CROSS, {1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(v.r, 0.0);
    EXPECT_EQ(v.g, 0.0);
    EXPECT_EQ(v.b, 0.5);
    v = Binary(KIND_CROSS, {0.5, 0.25, -1}, {1, -0.5, 0.75});
    EXPECT_EQ(v.r, (0.25 * 0.75 - -1 * -0.5) * 0.5);
    EXPECT_EQ(v.g, (-1 * 1 - 0.5 * 0.75) * 0.5);
    EXPECT_EQ(v.b, (0.5 * -0.5 - 0.25 * 1) * 0.5);
}

TEST(Evaluator, UnorderedComparisons)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Rgb v = Binary(KIND_MIN, {nan, 0.5, 0}, {0.25, nan, 0});
    EXPECT_TRUE(std::isnan(v.r));  // unordered keeps A
    EXPECT_EQ(v.g, 0.5);
    v = Binary(KIND_MING, {nan, 0, 0}, {0.25, 0, 0});
    EXPECT_EQ(v.r, 0.25);  // unordered sums take B
    v = Binary(KIND_MAXG, {nan, 0, 0}, {0.25, 0, 0});
    EXPECT_EQ(v.r, 0.25);
}

TEST(Evaluator, ThreeChildKinds)
{
    TreeBuilder t;
    ExprNode* rgb = t.Fn(KIND_RGBF, t.Leaf(KIND_RGB, 0.1, 0.2, 0.3), t.Leaf(KIND_RGB, 0.4, 0.5, 0.6),
                         t.Leaf(KIND_RGB, 0.7, 0.8, 0.9));
    Rgb v = Eval(rgb, 0, 0);
    EXPECT_EQ(v.r, 0.1);
    EXPECT_EQ(v.g, 0.5);
    EXPECT_EQ(v.b, 0.9);

    ExprNode* if3 = t.Fn(KIND_IF3, t.Leaf(KIND_RGB, 0.0, -0.1, 1), t.Leaf(KIND_RGB, 0.4, 0.5, 0.6),
                         t.Leaf(KIND_RGB, 0.7, 0.8, 0.9));
    v = Eval(if3, 0, 0);
    EXPECT_EQ(v.r, 0.4);
    EXPECT_EQ(v.g, 0.8);
    EXPECT_EQ(v.b, 0.6);

    // "if" on a sum of exactly 0 takes B; an invalid node in the branch not taken is never visited.
    ExprNode* broken = t.Leaf(34);
    ExprNode* iff = t.Fn(KIND_IF, t.Leaf(KIND_RGB, 0.5, -0.25, -0.25), t.Leaf(KIND_BW, 0.3), broken);
    EXPECT_EQ(Eval(iff, 0, 0).r, 0.3);
    iff->pChild[0] = t.Leaf(KIND_BW, -0.1);
    iff->pChild[1] = broken;
    iff->pChild[2] = t.Leaf(KIND_BW, 0.6);
    EXPECT_EQ(Eval(iff, 0, 0).g, 0.6);
}

TEST(Evaluator, PictureTerminalYieldsTheInputColourAnywhere)
{
    TreeBuilder t;
    ExprNode* deep = t.Fn(KIND_ID, t.Fn(KIND_RGBF, t.Fn(KIND_PLUS, t.Leaf(KIND_PIC), t.Leaf(KIND_PIC)),
                                        t.Fn(KIND_ID, t.Leaf(KIND_PIC)), t.Fn(KIND_MAX, t.Leaf(KIND_X), t.Leaf(KIND_PIC))));
    const Rgb in{0.25, -0.5, 0.75};
    Rgb v = Eval(deep, -0.9, 0.3, in);
    EXPECT_EQ(v.r, 0.25);
    EXPECT_EQ(v.g, -0.5);
    EXPECT_EQ(v.b, 0.75);

    ExprNode* sinPic = t.Fn(KIND_SIN, t.Leaf(KIND_PIC));
    v = Eval(sinPic, 0, 0, {0.5, 0.5, 0.5});
    EXPECT_NEAR(v.r, 1.0, 1e-15);
}

TEST(Evaluator, FailuresStopAtOnce)
{
    TreeBuilder t;
    int result = -1;
    Eval(t.Leaf(34), 0, 0, {}, &result);
    EXPECT_EQ(result, 0);
    Eval(t.Leaf(-1), 0, 0, {}, &result);
    EXPECT_EQ(result, 0);
    Eval(nullptr, 0, 0, {}, &result);
    EXPECT_EQ(result, 0);
    ExprNode* missing = t.Fn(KIND_PLUS, t.Leaf(KIND_X), nullptr);
    Eval(missing, 0, 0, {}, &result);
    EXPECT_EQ(result, 0);
    // The slots hold what was written so far: here the first child's X.
    Rgb v = Eval(missing, 0.5, 0, {}, &result);
    EXPECT_EQ(v.r, 0.0);  // input colour restored before the missing child
}

TEST(Evaluator, DepthBeyondTheBoundFailsInsteadOfOverflowing)
{
    CQuilExpression e;
    ExprNode* n = e.Reset();
    for (int i = 0; i < kMaxTreeDepth + 10; ++i) {
        ExprNode* child = e.NewNode();
        ASSERT_NE(child, nullptr);
        *n = ExprNode{KIND_NEG, {}, 1, {child, nullptr, nullptr}};
        n = child;
    }
    *n = ExprNode{KIND_X, {}, 0, {}};
    CEvaluator ev;
    double r = 0, g = 0, b = 0;
    EXPECT_EQ(ev.Evaluate(e.GetRoot(), 0.5, 0, r, g, b), 0);
    // Just inside the bound it works.
    EXPECT_EQ(ev.Evaluate(e.GetRoot() + 20, 0.5, 0, r, g, b), 1);
    EXPECT_EQ(r, 0.5);
}
