#pragma once
// Array kernels: one Compute instruction over the n samples of a block. The
// arithmetic loops are written for the compiler's vectoriser; the
// transcendental functions are the consistent family's vector functions, on
// exactly the arguments the reference evaluator passes to their scalar forms.

#include "LibraryStats.h"
#include "Program.h"

#include <cstdint>
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

// The pixels of the main block being computed. Main blocks run row by row
// through vertical stripes of the picture (so that neighbouring pixels of a
// block share the picture's cache lines): the block starts `offset` columns
// into the stripe of `width` columns that begins at `column`, on `row`, and
// goes on for `pixels` pixels, wrapping to the stripe's next row.
struct BlockShape {
    const SampleLayout* layout = nullptr;
    int column = 0, width = 1;
    int row = 0, offset = 0;
    int pixels = 0;
};

namespace {
// Calls f(column, row, count, k) for each run of the block's pixels along a
// row: `count` pixels from (column, row), the first being the block's k-th.
// (Internal linkage: every kernel compilation keeps its own copy.)
template <class F>
void ForEachRun(const BlockShape& shape, F&& f)
{
    int row = shape.row, offset = shape.offset, k = 0;
    while (k < shape.pixels) {
        const int run = shape.pixels - k < shape.width - offset ? shape.pixels - k : shape.width - offset;
        f(shape.column + offset, row, run, k);
        k += run;
        offset = 0;
        ++row;
    }
}
}  // namespace

constexpr int kListSlack = 16;

struct KernelContext;
using ComputeFunction = void (*)(const Instr& instr, int n, double* const* regs, const KernelContext& ctx);

// The kernels of one instruction set. Besides the instructions, the lazy
// "if"'s index work and the packing of pixels go through them, so that these
// loops are vectorised as widely as the processor allows.
struct KernelSet {
    const char* name;
    ComputeFunction compute;
    // Lists the samples whose condition is >= 0 in listB and the others (NaN
    // too) in listC, each in increasing order; returns the length of listB.
    // Either list may be written up to kListSlack entries past its end.
    int (*partition)(int n, const double* cond, int32_t* listB, int32_t* listC);
    // d[j] = s[idx[j]] for j < n.
    void (*gather)(int n, double* d, const double* s, const int32_t* idx);
    // d[idx[j]] = s[j] for j < n.
    void (*scatter)(int n, double* d, const double* s, const int32_t* idx);
    // d[idx[j]] = s[idx[j]] for j < n.
    void (*scatterInPlace)(int n, double* d, const double* s, const int32_t* idx);
    // The pixel words 0x00RRGGBB of `pixels` pixels from their channel values
    // (`samples` per pixel, consecutive).
    void (*pack)(int pixels, int samples, const double* red, const double* green, const double* blue, uint32_t* out);
    // The byte of one channel of `pixels` pixels, as packed into their words.
    void (*bytes)(int pixels, int samples, const double* value, uint8_t* out);
    // out[i] = fn(a[i], b[i]) through the consistent functions on this
    // compilation's widest vectors (b only for Atan2 and Fmod; Pow is the
    // cube root's pow(a, 1/3)).
    void (*math)(LibFn fn, int n, double* out, const double* a, const double* b);
};
extern const KernelSet kBaselineKernels;
extern const KernelSet kAvx2Kernels;
extern const KernelSet kAvx512Kernels;

struct KernelContext {
    const double* const* xTables = nullptr;  // LoadX reads these (sample column x offset)
    const double* const* yTables = nullptr;  // LoadY (sample row x offset)
    BlockShape shape;                        // for LoadX and LoadY
    double* scratch[2] = {};                 // two arrays of a block's length
    LibraryCounts* counts = nullptr;         // required
    ArgumentSampler* sampler = nullptr;      // optional
    bool reuseRepeats = true;  // the C library's calls only
    MathLibrary mathLibrary = MathLibrary::Consistent;
    const KernelSet* kernels = &kBaselineKernels;
};

// The widest kernels this processor runs (the baseline when wide is false).
const KernelSet& SelectKernels(bool wide);
// Every compilation of the kernels this processor runs, the baseline first.
std::vector<const KernelSet*> RunnableKernels();

}  // namespace production
