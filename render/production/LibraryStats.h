#pragma once
// Counts of the library calls a production render made, per function, and
// (for the library floor of the benchmark) a sample of their arguments, so
// that the cost of each call can be timed on the arguments it really got.

#include "Ops.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace production {

struct LibraryCounts {
    uint64_t calls[kNumLibFns] = {};
    void Add(const LibraryCounts& other)
    {
        for (int f = 0; f < kNumLibFns; ++f)
            calls[f] += other.calls[f];
    }
    uint64_t Total() const
    {
        uint64_t total = 0;
        for (uint64_t c : calls)
            total += c;
        return total;
    }
};

// A uniform sample (reservoir) of up to `capacity` argument pairs per
// function, whatever the number of calls. Not thread-safe: one per thread.
class ArgumentSampler {
public:
    explicit ArgumentSampler(size_t capacity = 4096) : m_capacity(capacity) {}
    void Add(LibFn fn, double a, double b);
    const std::vector<std::pair<double, double>>& Samples(LibFn fn) const { return m_samples[int(fn)]; }

private:
    uint64_t NextRandom();
    size_t m_capacity;
    std::vector<std::pair<double, double>> m_samples[kNumLibFns];
    uint64_t m_seen[kNumLibFns] = {};
    uint64_t m_state = 0x853c49e6748fea9bull;
};

// The consistent functions over arrays (a kernel set's math).
using ArrayMath = void (*)(LibFn fn, int n, double* out, const double* a, const double* b);

// Seconds that `calls` calls of fn take when made on the given arguments in
// turn, over again as often as needed: the library's own share of a render
// that made those calls. Without vectors, the C library's functions one
// value at a time; with them, those vector functions over arrays of a
// block's length. 0 when there are no arguments or no calls.
double ReplaySeconds(LibFn fn, const std::vector<std::pair<double, double>>& args, uint64_t calls,
                     ArrayMath vectors = nullptr);

// What a caller may ask a production render to record.
struct LibraryStats {
    LibraryCounts counts;
    ArgumentSampler* sampler = nullptr;  // filled by the calling thread's share of the work
};

}  // namespace production
