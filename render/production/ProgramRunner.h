#pragma once
// ProgramRunner executes one compiled program over blocks of samples. Each
// worker thread owns one runner per program: the registers, the constants
// and the index lists of the lazy "if" belong to it alone.

#include "Kernels.h"
#include "Program.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace production {

// Where StoreByte instructions put a block's channel bytes: slot s of the
// block's p-th pixel at bytes[s * stride + p]. A pixel is samplesPerPixel
// consecutive samples (4: anti-aliased), turned into its byte as a picture's
// pixel is.
struct ByteSink {
    uint8_t* bytes = nullptr;
    size_t stride = 0;
    int samplesPerPixel = 1;
};

class ProgramRunner {
public:
    ProgramRunner(const Program& program, int blockSamples);

    // The leaf's register, to be filled before Run; nullptr when unused.
    double* Leaf(Op op) { return m_program.UsesLeaf(op) ? m_regs[size_t(m_program.leafReg[size_t(op)])] : nullptr; }
    const double* Output(int channel) const { return m_regs[size_t(m_program.outputs[size_t(channel)])]; }

    // Runs the program over n <= blockSamples samples. Store instructions
    // write tables[slot][storeBase + i]; StoreByte instructions write into
    // the sink (required when the program has them).
    void Run(int n, const KernelContext& ctx, double* const* tables = nullptr, size_t storeBase = 0,
             const ByteSink* sink = nullptr);

    const Program& GetProgram() const { return m_program; }
    // Two arrays of a block's length for the kernels' intermediate values.
    double* Scratch(int k) { return m_regs[size_t(m_program.numRegs + k)]; }

private:
    struct FreeDeleter {
        void operator()(void* p) const;
    };
    // An index list holds a block's samples and kListSlack more: the
    // partition kernels may store whole vectors past a list's end.
    size_t ListLength() const { return size_t(m_blockSamples) + size_t(kListSlack); }

    const Program& m_program;
    int m_blockSamples;
    std::unique_ptr<double, FreeDeleter> m_memory;
    std::vector<double*> m_regs;
    std::vector<int32_t> m_indices;  // per split: B list, then C list
    std::vector<int> m_counts;       // per split: B count, C count
    std::vector<int> m_sizes;        // sample-count stack of the nested branches
};

}  // namespace production
