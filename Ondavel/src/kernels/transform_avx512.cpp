// The transform compiled for one instruction set; see transform_simd.h.
#include "kernels/isa_kernels.h"

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 shuffle intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/fast_sine_paths.h"
#include "kernels/transform_simd.h"

namespace ondavel {

void TransformAvx512(const TransformJob& job) { TransformSimd<simd::V8>(job); }

void FastSineArrayAvx512(const double* x, double* y, size_t count) {
  FastSineArraySimd<simd::V8>(x, y, count);
}

}  // namespace ondavel
#pragma GCC diagnostic pop
