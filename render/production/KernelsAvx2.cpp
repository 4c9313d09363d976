// The kernels compiled for AVX2 (four doubles per instruction); chosen at run
// time on processors that have it. The values are the baseline's: the same
// IEEE operations, without contraction.

#include "KernelsImpl.h"

namespace production {

void RunComputeAvx2(const Instr& in, int n, double* const* regs, const KernelContext& ctx)
{
    RunComputeImpl(in, n, regs, ctx);
}

}  // namespace production
