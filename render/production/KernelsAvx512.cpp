// The kernels compiled for AVX-512 (eight doubles per instruction); chosen at
// run time on processors that have it. The values are the baseline's: the
// same IEEE operations, without contraction.

#include "KernelsImpl.h"

namespace production {

void RunComputeAvx512(const Instr& in, int n, double* const* regs, const KernelContext& ctx)
{
    RunComputeImpl(in, n, regs, ctx);
}

}  // namespace production
