// Vectors of doubles for the CPU-specific kernels.  A kernel is written once
// as a template over one of these types and compiled per instruction set:
// V2 (SSE2, every x86-64, in vec_sse2.h; NEON on AArch64, in vec_neon.h),
// V4 (AVX2, vec_avx2.h), V8 (AVX-512, vec_avx512.h).  Which types exist in
// a translation unit follows from the flags it is compiled with; this header
// only chooses the headers.  V1, one plain double (vec_scalar.h), exists
// everywhere: a kernel's tail runs the same template over it, so the last
// few elements round exactly like the vector lanes.
//
// Every type meets the contract of simd/vector_contract.h, asserted below:
// only operations with IEEE double rounding, no fused multiply-add, so
// every path rounds exactly as the scalar code does.
//
// Every header declares its types and functions in an anonymous namespace:
// each back-end's file compiles its own copy with its own target flags, and
// the linker must never merge an AVX-encoded copy into a path meant for an
// older processor.
#ifndef ONDAVEL_SRC_KERNELS_SIMD_VEC_H_
#define ONDAVEL_SRC_KERNELS_SIMD_VEC_H_

#if defined(__SSE2__) || defined(_M_X64)
#define ONDAVEL_HAVE_V2 1
#define ONDAVEL_HAVE_SSE2_V2 1
#endif
#if defined(__AVX2__)
#define ONDAVEL_HAVE_V4 1
#endif
#if defined(__AVX512F__) && defined(__AVX512DQ__)
#define ONDAVEL_HAVE_V8 1
#endif
#if defined(__aarch64__) && defined(__ARM_NEON)
#define ONDAVEL_HAVE_V2 1
#define ONDAVEL_HAVE_NEON_V2 1
#endif

#include "kernels/simd/complex_values.h"
#include "kernels/simd/vec_scalar.h"
#include "kernels/simd/vector_contract.h"
#if defined(ONDAVEL_HAVE_SSE2_V2)
#include "kernels/simd/vec_sse2.h"
#endif
#if defined(ONDAVEL_HAVE_V4)
#include "kernels/simd/vec_avx2.h"
#endif
#if defined(ONDAVEL_HAVE_V8)
#include "kernels/simd/vec_avx512.h"
#endif
#if defined(ONDAVEL_HAVE_NEON_V2)
#include "kernels/simd/vec_neon.h"
#endif

namespace ondavel::simd {

static_assert(VectorOfDoubles<V1>);
#if defined(ONDAVEL_HAVE_V2)
static_assert(LaneVector<V2>);
#endif
#if defined(ONDAVEL_HAVE_V4)
static_assert(LaneVector<V4> && HoldsComplexValues<V4>);
#endif
#if defined(ONDAVEL_HAVE_V8)
static_assert(LaneVector<V8> && HoldsComplexValues<V8>);
#endif

}  // namespace ondavel::simd

#endif  // ONDAVEL_SRC_KERNELS_SIMD_VEC_H_
