// The baseline kernels, and the choice between them and the wider ones.

#include "KernelsImpl.h"

namespace production {

const KernelSet kBaselineKernels = MakeKernelSet("baseline");

#if defined(QUIL_KERNELS_AVX2)
namespace {

bool HasAvx512()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl");
}

}  // namespace
#endif

const KernelSet& SelectKernels(bool wide)
{
#if defined(QUIL_KERNELS_AVX2)
    if (wide && HasAvx512())
        return kAvx512Kernels;
    if (wide && __builtin_cpu_supports("avx2"))
        return kAvx2Kernels;
#else
    (void)wide;
#endif
    return kBaselineKernels;
}

std::vector<const KernelSet*> RunnableKernels()
{
    std::vector<const KernelSet*> sets = {&kBaselineKernels};
#if defined(QUIL_KERNELS_AVX2)
    if (__builtin_cpu_supports("avx2"))
        sets.push_back(&kAvx2Kernels);
    if (HasAvx512())
        sets.push_back(&kAvx512Kernels);
#endif
    return sets;
}

}  // namespace production
