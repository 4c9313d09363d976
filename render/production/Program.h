#pragma once
// A compiled register program: straight-line code over blocks of samples.
// Every register is an array of one block's samples; registers
// 0 .. constants.size()-1 hold constants and are filled once per worker.
//
// The lazy "if" makes nested sample sets: Partition splits the current set
// by its condition, Branch enters one side (its samples numbered 0 .. n-1 in
// the order of the parent set), Import gathers a parent value into that
// numbering, EndBranch returns, and Merge scatters the two sides' values
// back. A side that no sample chose is skipped.
//
// A program that stores channel bytes (the thumbnails' main program) turns
// each of its roots into the bytes of its pixels as soon as the root is
// computed (StoreByte), so that its register is free again at once.

#include "Ops.h"

#include <array>
#include <string>
#include <cstdint>
#include <vector>

namespace production {

enum class InstrKind : uint8_t { Compute, Partition, Branch, EndBranch, Import, Merge, Store, StoreByte };

struct Instr {
    InstrKind kind = InstrKind::Compute;
    Op op = Op::Const;                 // Compute
    bool fullB = false, fullC = false; // Merge: the side's value is in the parent numbering
    int32_t dst = -1;
    int32_t src[4] = {-1, -1, -1, -1};
    double k[2] = {0.0, 0.0};
    int32_t split = -1;                // Partition, Branch, Import, Merge
    int32_t side = 0;                  // 0: condition >= 0 ("B"), 1: the others ("C")
    int32_t jump = -1;                 // Branch: index of its EndBranch
    int32_t slot = -1;                 // Store, StoreByte; LoadX/LoadY: table slot
};

constexpr int kNumLeafOps = int(Op::InB) + 1;

struct Program {
    std::vector<Instr> code;
    std::vector<double> constants;  // values of the first registers
    int numRegs = 0;                // constants included
    int numSplits = 0;
    std::array<int, kNumLeafOps> leafReg{};  // register of each leaf, -1 when unused
    std::array<int, 3> outputs{-1, -1, -1};  // main program: the three channels
    int numSlots = 0;                        // line program: values stored per sample
    int numByteSlots = 0;                    // main program of thumbnails: values stored as bytes

    Program() { leafReg.fill(-1); }
    bool UsesLeaf(Op op) const { return leafReg[size_t(op)] >= 0; }
};

// The three programs of one picture: the x line (values that depend on x
// alone, once per distinct sample x), the y line, and the main program that
// reads those tables and computes the rest per sample.
struct CompiledPlan {
    Program xLine;
    Program yLine;
    Program main;
};

}  // namespace production

namespace production {

// One line per instruction, for tests and for looking at what a tree compiled to.
std::string DescribeProgram(const Program& program);

}  // namespace production
