// The kernels compiled for AVX2 (four doubles per instruction); chosen at run
// time on processors that have it. The values are the baseline's: the same
// IEEE operations, without contraction.

#include "KernelsImpl.h"

namespace production {

const KernelSet kAvx2Kernels = MakeKernelSet("avx2");

}  // namespace production
