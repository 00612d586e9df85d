// Architectures without a vector back-end: only the scalar kernels run.
#include "cpu_features.h"

namespace ondavel {

CpuFeatures ReadCpuFeatures() { return CpuFeatures{}; }

}  // namespace ondavel
