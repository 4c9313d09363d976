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
    if (wide && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        return &RunComputeAvx512;
    if (wide && __builtin_cpu_supports("avx2"))
        return &RunComputeAvx2;
#else
    (void)wide;
#endif
    return &RunComputeBaseline;
}

std::vector<ComputeFunction> RunnableComputeFunctions()
{
    std::vector<ComputeFunction> functions = {&RunComputeBaseline};
#if defined(QUIL_KERNELS_AVX2)
    if (__builtin_cpu_supports("avx2"))
        functions.push_back(&RunComputeAvx2);
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        functions.push_back(&RunComputeAvx512);
#endif
    return functions;
}

}  // namespace production
