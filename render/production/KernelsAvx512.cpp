// The kernels compiled for AVX-512 (eight doubles per instruction); chosen at
// run time on processors that have it. The values are the baseline's: the
// same IEEE operations, without contraction.

#include "KernelsImpl.h"

namespace production {

const KernelSet kAvx512Kernels = MakeKernelSet("avx512");

}  // namespace production
