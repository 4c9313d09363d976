// The baseline kernels, and the choice between them and the wider ones.

#include "KernelsImpl.h"

namespace production {

void RunComputeBaseline(const Instr& in, int n, double* const* regs, const KernelContext& ctx)
{
    RunComputeImpl(in, n, regs, ctx);
}

ComputeFunction SelectCompute(bool wide)
{
#if defined(QUIL_KERNELS_AVX2)
    if (wide && __builtin_cpu_supports("avx2"))
        return &RunComputeAvx2;
#else
    (void)wide;
#endif
    return &RunComputeBaseline;
}

}  // namespace production
