#include "ProgramRunner.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace production {

namespace {
constexpr size_t kAlign = 64;
constexpr int kScratchArrays = 2;
}  // namespace

void ProgramRunner::FreeDeleter::operator()(void* p) const { std::free(p); }

ProgramRunner::ProgramRunner(const Program& program, int blockSamples)
    : m_program(program), m_blockSamples(blockSamples)
{
    // Registers start on cache lines, each a whole number of lines long.
    const size_t perReg = (size_t(blockSamples) * sizeof(double) + kAlign - 1) / kAlign * kAlign;
    const int arrays = program.numRegs + kScratchArrays;
    void* memory = std::aligned_alloc(kAlign, perReg * size_t(arrays));
    if (!memory)
        throw std::bad_alloc();
    m_memory.reset(static_cast<double*>(memory));
    char* base = static_cast<char*>(memory);
    m_regs.resize(size_t(arrays));
    for (int r = 0; r < arrays; ++r)
        m_regs[size_t(r)] = reinterpret_cast<double*>(base + perReg * size_t(r));
    for (size_t c = 0; c < program.constants.size(); ++c)
        for (int i = 0; i < blockSamples; ++i)
            m_regs[c][i] = program.constants[c];
    m_indices.resize(size_t(program.numSplits) * 2 * ListLength());
    m_counts.resize(size_t(program.numSplits) * 2);
    m_sizes.reserve(size_t(program.numSplits) + 1);  // branches nest at most once per split
}

void ProgramRunner::Run(int n, const KernelContext& ctx, double* const* tables, size_t storeBase,
                        const ByteSink* sink)
{
    const std::vector<Instr>& code = m_program.code;
    double* const* regs = m_regs.data();
    const size_t listLength = ListLength();
    auto list = [&](int split, int side) { return m_indices.data() + (size_t(split) * 2 + size_t(side)) * listLength; };
    m_sizes.clear();
    const KernelSet& kernels = *ctx.kernels;
    const size_t count = code.size();
    for (size_t pc = 0; pc < count; ++pc) {
        const Instr& in = code[pc];
        switch (in.kind) {
        case InstrKind::Compute:
            kernels.compute(in, n, regs, ctx);
            break;
        case InstrKind::Partition: {
            // Samples whose condition sum is >= 0 take B; the others (NaN too) C.
            const int nb = kernels.partition(n, regs[in.src[0]], list(in.split, 0), list(in.split, 1));
            m_counts[size_t(in.split) * 2] = nb;
            m_counts[size_t(in.split) * 2 + 1] = n - nb;
            break;
        }
        case InstrKind::Branch:
            m_sizes.push_back(n);
            n = m_counts[size_t(in.split) * 2 + size_t(in.side)];
            if (n == 0)
                pc = size_t(in.jump) - 1;  // on to the EndBranch
            break;
        case InstrKind::EndBranch:
            n = m_sizes.back();
            m_sizes.pop_back();
            break;
        case InstrKind::Import:
            kernels.gather(n, regs[in.dst], regs[in.src[0]], list(in.split, in.side));
            break;
        case InstrKind::Merge:
            for (int side = 0; side < 2; ++side) {
                const int m = m_counts[size_t(in.split) * 2 + size_t(side)];
                const auto scatter = (side == 0 ? in.fullB : in.fullC) ? kernels.scatterInPlace : kernels.scatter;
                scatter(m, regs[in.dst], regs[in.src[side]], list(in.split, side));
            }
            break;
        case InstrKind::Store: {
            double* __restrict t = tables[in.slot] + storeBase;
            const double* __restrict s = regs[in.src[0]];
            for (int i = 0; i < n; ++i)
                t[i] = s[i];
            break;
        }
        case InstrKind::StoreByte:
            kernels.bytes(n / sink->samplesPerPixel, sink->samplesPerPixel, regs[in.src[0]],
                          sink->bytes + size_t(in.slot) * sink->stride);
            break;
        }
    }
}

}  // namespace production
