// Keeps a computed value alive when nothing reads it: the compiler must
// have it in a vector register at this point, so it cannot drop the work
// that produced it.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_KEEP_EVALUATED_H_
#define ONDAVEL_SRC_KERNELS_SIMD_KEEP_EVALUATED_H_

#include "kernels/simd/vec.h"

namespace ondavel::simd {

// Internal linkage, as for the vector types.
namespace {

// V is any vector of vec.h (V1 included).  The empty asm takes the value
// as an input ("x": an SSE/AVX register) and is volatile, so it is never
// removed; it emits no instruction.
template <class V>
inline void KeepEvaluated(V x) {
  __asm__ volatile("" : : "x"(x.v));
}

}  // namespace
}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_KEEP_EVALUATED_H_
