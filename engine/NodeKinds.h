#pragma once
// The node vocabulary: kind codes, text names, arities and the probability
// table of the settings store. Every table is indexed by kind code.

#include <cstdint>

enum NodeKind : int {
    KIND_BW = 0, KIND_RGB, KIND_X, KIND_Y, KIND_R, KIND_R2, KIND_R2C, KIND_PHI, KIND_XYM,
    KIND_CIR, KIND_SPIR, KIND_SPIRC, KIND_PIC,
    KIND_ID, KIND_SIN, KIND_COS, KIND_EXP, KIND_LN, KIND_NEG, KIND_CURT, KIND_CUB,
    KIND_PLUS, KIND_MINUS, KIND_TIMES, KIND_DIV1, KIND_FMOD, KIND_MIN, KIND_MAXG, KIND_MING,
    KIND_MAX, KIND_CROSS,
    KIND_RGBF, KIND_IF, KIND_IF3,
};

constexpr int kNumKinds = 34;
constexpr int kNumTerminalKinds = 13;   // codes 0..12
constexpr int kFirstFunctionKind = 13;  // codes 13..33
constexpr int kNumFunctionKinds = 21;   // "id" included

// Deepest tree (in levels) that the recursive reader, copier, writer and
// evaluator accept. Keeps every recursion far inside a worker thread's stack.
constexpr int kMaxTreeDepth = 4096;

// Text names as the ".quil" format and the tree labels use them.
extern const char* const kKindNames[kNumKinds];
// Number of children per kind.
extern const int kKindArity[kNumKinds];
// Labels of the settings dialog; nullptr for "id".
extern const char* const kKindDialogLabels[kNumKinds];

inline bool IsValidKind(int code) { return code >= 0 && code < kNumKinds; }
inline bool IsTerminalKind(int code) { return code >= 0 && code < kNumTerminalKinds; }
inline bool IsFunctionKind(int code) { return code >= kFirstFunctionKind && code < kNumKinds; }

// One stored probability value of section "Prob", in the order of reading and writing.
struct ProbabilityValue {
    const char* name;   // value name in the settings store
    int code;           // kind code
    int defaultValue;   // probability x 10000
};
constexpr int kNumProbabilityValues = 33;
extern const ProbabilityValue kProbabilityValues[kNumProbabilityValues];
