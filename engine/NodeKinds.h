#pragma once
// The node vocabulary. Everything the program knows about a node kind stands
// once, in kNodeKinds: its text name, its number of children, the parameters
// that its label and its file text show, its value name and default in the
// generation settings and its label in the function creation dialog. The text
// format, the tree labels, the generation settings, the evaluator and the
// compiler all read this table.

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

// Deepest tree (in levels) that the reader, copier, writer and evaluator
// accept. The reader, copier and writer keep explicit stacks; the evaluator
// and the compiler recurse, on threads whose stack is sized for this depth
// (DeepStackThread.h).
constexpr int kMaxTreeDepth = 4096;

// The parameters of a constant that its label "RGB(0.1, 0.2, 0.3)" and its
// file text "RGB[0.100000,0.200000,0.300000]" show, in the order shown.
struct ParamLayout {
    int count;     // 0 for kinds that show none
    int index[3];  // which of dParam[0..2]
};

struct NodeKindInfo {
    const char* name;          // the ".quil" format's and the tree labels' name
    int arity;                 // children; 0 for the terminals
    ParamLayout params;        // parameters shown in labels and file text
    bool emptyLastParam;       // the file text ends the parameters with an empty one ("R2C[a,b,]")
    const char* settingsName;  // value name in section "Prob"; nullptr for "id"
    int defaultProbability;    // probability x 10000 before any setting is stored
    const char* dialogLabel;   // field label of the function creation dialog; nullptr for "id"
};

extern const NodeKindInfo kNodeKinds[kNumKinds];

inline bool IsValidKind(int code) { return code >= 0 && code < kNumKinds; }
inline bool IsTerminalKind(int code) { return code >= 0 && code < kNumTerminalKinds; }
inline bool IsFunctionKind(int code) { return code >= kFirstFunctionKind && code < kNumKinds; }
inline const char* KindName(int code) { return kNodeKinds[code].name; }
inline int KindArity(int code) { return kNodeKinds[code].arity; }

// The kinds with a probability, in the order their values are read and written.
constexpr int kNumProbabilityValues = 33;
extern const int kProbabilityOrder[kNumProbabilityValues];
