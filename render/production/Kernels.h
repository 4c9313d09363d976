#pragma once
// Array kernels: one Compute instruction over the n samples of a block. The
// arithmetic loops are written for the compiler's vectoriser; the library
// functions are called once per sample (or once per run of equal arguments)
// with exactly the argument the reference evaluator passes.

#include "LibraryStats.h"
#include "Program.h"

namespace production {

struct KernelContext {
    const double* const* xTables = nullptr;  // LoadX reads these
    const double* const* yTables = nullptr;  // LoadY
    LibraryCounts* counts = nullptr;         // required
    ArgumentSampler* sampler = nullptr;      // optional
    bool reuseRepeats = true;
};

void RunCompute(const Instr& instr, int n, double* const* regs, const KernelContext& ctx);

}  // namespace production
