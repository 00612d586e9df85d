// One back-end's transform with its twiddle chains cut (CutTwiddleChain in
// kernels/transform/pass_arithmetic.h), for transform_floors.cpp.  Compiled
// once per vector back-end with its flags, like the library's kernels, into
// this benchmark only.
#define ONDAVEL_TIMING_CUT_TWIDDLE_CHAINS

#include "kernels/backend_entry_points.h"

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 shuffle intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/transform_simd.h"

namespace ondavel_bench {

namespace {
void ChainCutTransform(const ondavel::TransformJob& job) {
  ondavel::TransformSimd<ondavel::simd::ONDAVEL_BACKEND_VECTOR>(job);
}
}  // namespace

extern const ondavel::TransformKernel ONDAVEL_BACKEND_FUNCTION(
    kChainCutTransform, ONDAVEL_BACKEND);
constexpr ondavel::TransformKernel ONDAVEL_BACKEND_FUNCTION(
    kChainCutTransform, ONDAVEL_BACKEND) = ChainCutTransform;

}  // namespace ondavel_bench
#pragma GCC diagnostic pop
