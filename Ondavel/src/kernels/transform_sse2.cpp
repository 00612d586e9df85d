// The transform compiled for one instruction set; see transform_simd.h.
#include "kernels/isa_kernels.h"
#include "kernels/transform_simd.h"

namespace ondavel {

void TransformSse2(const TransformJob& job) { TransformSimd<simd::V2>(job); }

}  // namespace ondavel
