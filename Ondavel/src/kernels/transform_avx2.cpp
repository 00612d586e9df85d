// The transform compiled for one instruction set; see transform_simd.h.
#include "kernels/fast_sine_paths.h"
#include "kernels/isa_kernels.h"
#include "kernels/transform_simd.h"

namespace ondavel {

void TransformAvx2(const TransformJob& job) { TransformSimd<simd::V4>(job); }

void FastSineArrayAvx2(const double* x, double* y, size_t count) {
  FastSineArraySimd<simd::V4>(x, y, count);
}

}  // namespace ondavel
