#include "NodeKinds.h"

const char* const kKindNames[kNumKinds] = {
    "BW", "RGB", "X", "Y", "R", "R2", "R2C", "PHI", "XYM", "CIR", "SPIR", "SPIRC", "PIC",
    "id", "sin", "cos", "exp", "ln", "neg", "curt", "cub",
    "plus", "minus", "times", "div1", "fmod", "min", "maxg", "ming", "max", "cross",
    "rgb", "if", "if3",
};

const int kKindArity[kNumKinds] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    3, 3, 3,
};

const char* const kKindDialogLabels[kNumKinds] = {
    "BW(random)", "RGB(r, r, r)", "X", "Y", "R", "R2", "R2C(r, r)", "PHI", "XYM", "CIR",
    "SPIR(random)", "SPIRC(r,r,r)", "PIC",
    nullptr, "sin(A)", "cos(A)", "exp(A)", "ln(A)", "neg(A)", "curt(A)", "cub(A)",
    "plus(A,B)", "minus(A,B)", "times(A,B)", "div1(A,B)", "fmod(A,B)", "min(A,B)",
    "maxg(A,B)", "ming(A,B)", "max(A,B)", "cross(A,B)",
    "rgb(A,B,C)", "if(A,B,C)", "if3(A,B,C)",
};

const ProbabilityValue kProbabilityValues[kNumProbabilityValues] = {
    {"BW", 0, 500},     {"RGB", 1, 1000},   {"X", 2, 2000},     {"Y", 3, 2000},
    {"R", 4, 500},      {"R2", 5, 1000},    {"R2C", 6, 500},    {"PHI", 7, 500},
    {"XYM", 8, 500},    {"CIR", 9, 500},    {"SPIR", 10, 500},  {"SPIRC", 11, 500},
    {"PIC", 12, 0},
    {"Sin", 14, 700},   {"Cos", 15, 700},   {"Exp", 16, 500},   {"Ln", 17, 500},
    {"Neg", 18, 300},   {"Curt", 19, 400},  {"Cub", 20, 400},
    {"Plus", 21, 400},  {"Minus", 22, 400}, {"Times", 23, 400}, {"Div1", 24, 700},
    {"Fmod", 25, 500},  {"Min", 26, 500},   {"Max", 29, 500},   {"Ming", 28, 500},
    {"Maxg", 27, 500},  {"Cross", 30, 0},
    {"Rgbf", 31, 700},  {"If", 32, 700},    {"If3", 33, 700},
};
