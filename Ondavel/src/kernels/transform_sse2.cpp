// The transform compiled for one instruction set; see transform_simd.h.
#include "kernels/fast_sine_paths.h"
#include "kernels/isa_kernels.h"
#include "kernels/transform_simd.h"

namespace ondavel {

void TransformSse2(const TransformJob& job) { TransformSimd<simd::V2>(job); }

void FastSineArraySse2(const double* x, double* y, size_t count) {
  FastSineArraySimd<simd::V2>(x, y, count);
}

}  // namespace ondavel
