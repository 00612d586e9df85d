// The test hooks of one back-end (test_hooks.h).  The build compiles this
// file once per vector back-end (cmake/Backends.cmake), with the back-end's
// flags, ONDAVEL_BACKEND naming it (Sse2, Neon, ...) and
// ONDAVEL_BACKEND_VECTOR naming its vector type (V2, V4, V8);
// backend_test_hooks.cpp compiles it for the scalar reference on V1.
#include <cstddef>

#include "kernels/backend_entry_points.h"
#include "kernels/test_hooks.h"

// GCC 12 reports the deliberately undefined pass-through operand inside the
// AVX-512 intrinsics (`__m512d __Y = __Y;`) as maybe uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include "kernels/atan2_paths.h"
#include "kernels/fast_sine_paths.h"

namespace ondavel {

extern const BackendTestHooks ONDAVEL_BACKEND_FUNCTION(kTestHooks,
                                                       ONDAVEL_BACKEND);
constexpr BackendTestHooks ONDAVEL_BACKEND_FUNCTION(kTestHooks,
                                                    ONDAVEL_BACKEND) = {
    .fastSineArray = FastSineArraySimd<simd::ONDAVEL_BACKEND_VECTOR>,
    .atan2Array = Atan2ArraySimd<simd::ONDAVEL_BACKEND_VECTOR>,
};

}  // namespace ondavel
#pragma GCC diagnostic pop
