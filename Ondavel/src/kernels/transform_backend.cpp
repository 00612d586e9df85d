// The transform of one instruction-set back-end; see transform_simd.h.  The
// build compiles this file once per back-end (cmake/Backends.cmake), with
// the back-end's flags, ONDAVEL_BACKEND naming it (Sse2, Neon, ...) and
// ONDAVEL_BACKEND_VECTOR naming its vector type (V2, V4, V8).
#include "kernels/backend_entry_points.h"

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 shuffle intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/transform_simd.h"

namespace ondavel {

ONDAVEL_DECLARE_BACKEND_KERNELS(ONDAVEL_BACKEND)

void ONDAVEL_BACKEND_FUNCTION(Transform,
                              ONDAVEL_BACKEND)(const TransformJob& job) {
  TransformSimd<simd::ONDAVEL_BACKEND_VECTOR>(job);
}

}  // namespace ondavel
#pragma GCC diagnostic pop
