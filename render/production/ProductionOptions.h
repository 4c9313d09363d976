#pragma once
// Switches of the production renderer. Every switch keeps the pixels: the
// defaults are the fast renderer, and the tests turn each one off to show
// that the picture does not depend on it.

#include "Ops.h"

namespace production {

struct KernelSet;

// The default stripe width (below); the table loads have a fast path for it.
constexpr int kDefaultStripeColumns = 16;

struct ProductionOptions {
    // Samples per block (a block is a run of pixels through a stripe, below,
    // all of their samples). Larger blocks amortise the per-instruction overhead,
    // smaller ones keep the registers in the first-level cache.
    int blockSamples = 256;
    // Blocks run row by row through vertical stripes this many columns wide
    // (1: straight down each column). Pixels side by side share the picture's
    // cache lines, which a walk down a column never does.
    int stripeColumns = kDefaultStripeColumns;
    // A helper thread costs its start-up; small pictures (thumbnails) use
    // fewer threads so that each has at least this many blocks.
    int minBlocksPerThread = 8;
    // Nor is a thread worth starting for a cheap picture: each gets at least
    // this much estimated work (seconds); a picture estimated below it is
    // computed by the calling thread alone.
    double minSecondsPerThread = 1e-3;
    bool foldConstants = true;     // compute subtrees without x, y and "PIC" once
    bool shareSubtrees = true;     // identical subtrees computed once
    bool shareGrey = true;         // a function of a grey value computed once, not per channel
    bool dropDeadChannels = true;  // channels that nothing reads ("rgb") are not computed
    bool hoistLines = true;        // x-only and y-only values computed once per column / row
    bool lazyIf = true;            // "if" computes each branch only on the samples that choose it
    bool shareAngles = true;       // one atan2 and one log of the radius for all angle terminals
    // A C library call whose argument repeats the previous one is skipped (the
    // vector functions compute every value: a lane costs less than the test).
    bool reuseRepeats = true;
    bool wideKernels = true;       // AVX2 kernels where the build has them and the processor runs them
    // These two are no optimisations. One compilation of the kernels forced
    // (null: chosen by wideKernels and the processor), so that tests can
    // run each; and the C library's functions instead of the consistent
    // ones, which changes pixels and serves only to measure against.
    const KernelSet* kernels = nullptr;
    MathLibrary mathLibrary = MathLibrary::Consistent;
};

}  // namespace production
