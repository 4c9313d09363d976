#include "NodeKinds.h"

namespace {
constexpr ParamLayout kNone{0, {0, 0, 0}};
constexpr ParamLayout kFirst{1, {0, 0, 0}};
constexpr ParamLayout kFirstTwo{2, {0, 1, 0}};
constexpr ParamLayout kAll{3, {0, 1, 2}};
constexpr ParamLayout kThird{1, {2, 0, 0}};
}  // namespace

const NodeKindInfo kNodeKinds[kNumKinds] = {
    // Terminals
    {"BW", 0, kFirst, false, "BW", 500, "BW(random)"},
    {"RGB", 0, kAll, false, "RGB", 1000, "RGB(r, r, r)"},
    {"X", 0, kNone, false, "X", 2000, "X"},
    {"Y", 0, kNone, false, "Y", 2000, "Y"},
    {"R", 0, kNone, false, "R", 500, "R"},
    {"R2", 0, kNone, false, "R2", 1000, "R2"},
    {"R2C", 0, kFirstTwo, true, "R2C", 500, "R2C(r, r)"},
    {"PHI", 0, kNone, false, "PHI", 500, "PHI"},
    {"XYM", 0, kNone, false, "XYM", 500, "XYM"},
    {"CIR", 0, kNone, false, "CIR", 500, "CIR"},
    {"SPIR", 0, kThird, false, "SPIR", 500, "SPIR(random)"},
    {"SPIRC", 0, kAll, false, "SPIRC", 500, "SPIRC(r,r,r)"},
    {"PIC", 0, kNone, false, "PIC", 0, "PIC"},
    // One child; "id" only passes its child through and is never generated
    {"id", 1, kNone, false, nullptr, 0, nullptr},
    {"sin", 1, kNone, false, "Sin", 700, "sin(A)"},
    {"cos", 1, kNone, false, "Cos", 700, "cos(A)"},
    {"exp", 1, kNone, false, "Exp", 500, "exp(A)"},
    {"ln", 1, kNone, false, "Ln", 500, "ln(A)"},
    {"neg", 1, kNone, false, "Neg", 300, "neg(A)"},
    {"curt", 1, kNone, false, "Curt", 400, "curt(A)"},
    {"cub", 1, kNone, false, "Cub", 400, "cub(A)"},
    // Two children
    {"plus", 2, kNone, false, "Plus", 400, "plus(A,B)"},
    {"minus", 2, kNone, false, "Minus", 400, "minus(A,B)"},
    {"times", 2, kNone, false, "Times", 400, "times(A,B)"},
    {"div1", 2, kNone, false, "Div1", 700, "div1(A,B)"},
    {"fmod", 2, kNone, false, "Fmod", 500, "fmod(A,B)"},
    {"min", 2, kNone, false, "Min", 500, "min(A,B)"},
    {"maxg", 2, kNone, false, "Maxg", 500, "maxg(A,B)"},
    {"ming", 2, kNone, false, "Ming", 500, "ming(A,B)"},
    {"max", 2, kNone, false, "Max", 500, "max(A,B)"},
    {"cross", 2, kNone, false, "Cross", 0, "cross(A,B)"},
    // Three children
    {"rgb", 3, kNone, false, "Rgbf", 700, "rgb(A,B,C)"},
    {"if", 3, kNone, false, "If", 700, "if(A,B,C)"},
    {"if3", 3, kNone, false, "If3", 700, "if3(A,B,C)"},
};

// Kind order except that "Max" is stored before "Ming" and "Maxg".
const int kProbabilityOrder[kNumProbabilityValues] = {
    KIND_BW, KIND_RGB, KIND_X, KIND_Y, KIND_R, KIND_R2, KIND_R2C, KIND_PHI, KIND_XYM, KIND_CIR, KIND_SPIR,
    KIND_SPIRC, KIND_PIC, KIND_SIN, KIND_COS, KIND_EXP, KIND_LN, KIND_NEG, KIND_CURT, KIND_CUB, KIND_PLUS,
    KIND_MINUS, KIND_TIMES, KIND_DIV1, KIND_FMOD, KIND_MIN, KIND_MAX, KIND_MING, KIND_MAXG, KIND_CROSS,
    KIND_RGBF, KIND_IF, KIND_IF3,
};
