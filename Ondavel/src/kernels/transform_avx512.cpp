// The transform compiled for one instruction set; see transform_simd.h.
#include "kernels/isa_kernels.h"
#include "kernels/transform_simd.h"

namespace ondavel {

void TransformAvx512(const TransformJob& job) { TransformSimd<simd::V8>(job); }

}  // namespace ondavel
