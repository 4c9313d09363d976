#pragma once
// Array kernels: one Compute instruction over the n samples of a block. The
// arithmetic loops are written for the compiler's vectoriser; the library
// functions are called once per sample (or once per run of equal arguments)
// with exactly the argument the reference evaluator passes.

#include "LibraryStats.h"
#include "Program.h"

#include <vector>

namespace production {

// Where the samples of a pixel lie: the distinct x and y offsets and, per
// sample, which of them it uses (anti-alias has three distinct x offsets and
// two y offsets among its four samples).
struct SampleLayout {
    int samples = 1;
    int numDx = 0, numDy = 0;
    double dx[4] = {}, dy[4] = {};
    int dxIndex[4] = {}, dyIndex[4] = {};
};

// The pixels of the main block being computed: a run in column order
// starting at (column, row), in a picture `height` rows high.
struct BlockShape {
    const SampleLayout* layout = nullptr;
    int column = 0, row = 0;
    int pixels = 0;
    int height = 0;
};

struct KernelContext;
using ComputeFunction = void (*)(const Instr& instr, int n, double* const* regs, const KernelContext& ctx);
void RunComputeBaseline(const Instr& instr, int n, double* const* regs, const KernelContext& ctx);
void RunComputeAvx2(const Instr& instr, int n, double* const* regs, const KernelContext& ctx);
void RunComputeAvx512(const Instr& instr, int n, double* const* regs, const KernelContext& ctx);

struct KernelContext {
    const double* const* xTables = nullptr;  // LoadX reads these (sample column x offset)
    const double* const* yTables = nullptr;  // LoadY (sample row x offset)
    BlockShape shape;                        // for LoadX and LoadY
    double* scratch[2] = {};                 // two arrays of a block's length
    LibraryCounts* counts = nullptr;         // required
    ArgumentSampler* sampler = nullptr;      // optional
    bool reuseRepeats = true;
    ComputeFunction compute = &RunComputeBaseline;
};


// The widest kernels this processor runs (the baseline when wide is false).
ComputeFunction SelectCompute(bool wide);
// Every compilation of the kernels this processor runs, the baseline first.
std::vector<ComputeFunction> RunnableComputeFunctions();

}  // namespace production
