// Node labels: formatting constants with three decimals, reading names,
// aliases and the written-out constants, refusing everything else.

#include "engine/NodeKinds.h"
#include "engine/NodeLabels.h"

#include <gtest/gtest.h>

namespace {
ExprNode Node(int kind, double a = 0, double b = 0, double c = 0)
{
    return ExprNode{kind, {a, b, c}, 0, {nullptr, nullptr, nullptr}};
}
}  // namespace

TEST(NodeLabels, FormatsShowTheConstantsParametersWithThreeDecimals)
{
    EXPECT_EQ(FormatNodeLabel(Node(KIND_BW, -1, -1, -1)), "BW(-1.000)");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_SPIR, 0.1, 0.2, 0.3)), "SPIR(0.300)");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_RGB, 0.5, -0.25, 0.0004)), "RGB(0.500, -0.250, 0.000)");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_R2C, 0.1234, 0.9876, 0.5)), "R2C(0.123, 0.988)");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_SPIRC, 1, -1, 0.0005)), "SPIRC(1.000, -1.000, 0.001)");
    // Rounding as printf does: -0.0001 keeps its sign.
    EXPECT_EQ(FormatNodeLabel(Node(KIND_BW, -0.0001)), "BW(-0.000)");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_X, 0.7)), "X");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_PIC)), "PIC");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_ID)), "id");
    EXPECT_EQ(FormatNodeLabel(Node(KIND_RGBF)), "rgb");
    EXPECT_EQ(FormatNodeLabel(Node(-1)), "?");
}

TEST(NodeLabels, NamesAndAliasesAreExactAndCaseSensitive)
{
    int kind;
    double p[3] = {9, 9, 9};
    EXPECT_EQ(ParseNodeLabel("sin", kind, p), LabelKind::Named);
    EXPECT_EQ(kind, KIND_SIN);
    EXPECT_EQ(p[0], 0.0);
    EXPECT_EQ(ParseNodeLabel("Const", kind, p), LabelKind::Named);
    EXPECT_EQ(kind, KIND_RGB);
    EXPECT_EQ(ParseNodeLabel("+", kind, p), LabelKind::Named);
    EXPECT_EQ(kind, KIND_PLUS);
    EXPECT_EQ(ParseNodeLabel("*", kind, p), LabelKind::Named);
    EXPECT_EQ(kind, KIND_TIMES);
    EXPECT_EQ(ParseNodeLabel("rgb", kind, p), LabelKind::Named);
    EXPECT_EQ(kind, KIND_RGBF);
    EXPECT_EQ(ParseNodeLabel("SPIR", kind, p), LabelKind::Named);
    EXPECT_EQ(kind, KIND_SPIR);
    for (const char* refused : {"foo", "Sin", "sin ", " sin", "", "BW(", "Rgb(0, 0, 0)", "bw(0.5)"})
        EXPECT_EQ(ParseNodeLabel(refused, kind, p), LabelKind::Invalid) << refused;
}

TEST(NodeLabels, ConstantFormsStoreTheirNumbersInTheRightParameters)
{
    int kind;
    double p[3];
    ASSERT_EQ(ParseNodeLabel("SPIR(0.25)", kind, p), LabelKind::Constant);
    EXPECT_EQ(kind, KIND_SPIR);
    EXPECT_EQ(p[0], 0.0);
    EXPECT_EQ(p[1], 0.0);
    EXPECT_EQ(p[2], 0.25);
    ASSERT_EQ(ParseNodeLabel("RGB(0.5, -1, 0)", kind, p), LabelKind::Constant);
    EXPECT_EQ(kind, KIND_RGB);
    EXPECT_EQ(p[0], 0.5);
    EXPECT_EQ(p[1], -1.0);
    ASSERT_EQ(ParseNodeLabel("R2C(-0.125,1)", kind, p), LabelKind::Constant);
    EXPECT_EQ(kind, KIND_R2C);
    EXPECT_EQ(p[0], -0.125);
    EXPECT_EQ(p[1], 1.0);
    EXPECT_EQ(p[2], 0.0);
    ASSERT_EQ(ParseNodeLabel("SPIRC(0.1, 0.2, +0.3)", kind, p), LabelKind::Constant);
    EXPECT_EQ(kind, KIND_SPIRC);
    EXPECT_DOUBLE_EQ(p[2], 0.3);
    ASSERT_EQ(ParseNodeLabel("BW(1e-1)", kind, p), LabelKind::Constant);
    EXPECT_DOUBLE_EQ(p[0], 0.1);
}

TEST(NodeLabels, BadConstantsAreRefused)
{
    int kind;
    double p[3];
    const char* refused[] = {
        "RGB(0.5, 1.2, 0)",  // |value| > 1
        "BW(-1.0001)",        "BW(nan)",        "BW(inf)",       "BW(-inf)",
        "RGB(0.5, 0.5)",      // missing separator
        "RGB(0.5, 0.5, 0.5",  // missing parenthesis
        "BW(0.5",             "SPIR()",         "BW(abc)",       "BW(0.5x)",
        "RGB(, 0, 0)",        "BW(0.5) extra",  "BW(--0.5)",     "BW(+-0.5)",
        "R2C(0.1, 0.2, 0.3)",  // a third number where the parenthesis belongs
    };
    for (const char* label : refused)
        EXPECT_EQ(ParseNodeLabel(label, kind, p), LabelKind::Invalid) << label;
}
