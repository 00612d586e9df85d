// Lengths 16 and 32 over vectors that hold complex values
// (simd::HoldsComplexValues: AVX2 and AVX-512): straight-line code over
// vectors of C complex values (C = 2 in V4, 4 in V8), interleaved as in the
// buffer (vector j holds values C j .. C j + C - 1).  Passes with H >= C pair
// whole vectors; the smaller ones pair values inside a vector, through
// the shuffles of simd/complex_values.h.  Twiddles from the chains walked
// as in SmallTransform, C consecutive ones per vector.  Below 16 the scalar
// stores of SmallTransform win: the measures that follow read the spectrum
// in narrower pieces, which wide stores cannot hand on to them directly.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_COMPLEX_SMALL_TRANSFORM_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_COMPLEX_SMALL_TRANSFORM_H_

#include <cstdint>

#include "kernels/kernels.h"
#include "kernels/simd/complex_values.h"
#include "kernels/simd/vec.h"
#include "kernels/transform/index_bits.h"
#include "kernels/transform/pass_steps.h"
#include "kernels/transform/small_transform.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {
namespace complex_small {

// w times b: (wr br - wi bi, wr bi + wi br), the reference's products and
// operand order (wr b and wi times b with its parts swapped).
template <class V>
[[gnu::always_inline]] inline V Times(V wr, V wi, V b) {
  using CV = simd::ComplexValues<V>;
  return CV::SubAddParts(wr * b, wi * CV::SwapParts(b));
}

// One pass with half-span kHalf < C on a vector: each pair's top + t and
// top - t, t being the bottom times twiddle q = value mod kHalf.
template <int kHalf, class V>
[[gnu::always_inline]] inline V InsidePass(V x, V wr, V wi) {
  using CV = simd::ComplexValues<V>;
  const V top = CV::template Tops<kHalf>(x);
  const V t = Times(wr, wi, CV::template Bottoms<kHalf>(x));
  return CV::template SumAndDifference<kHalf>(top, t);
}

// The passes H = 1 .. C/2 on every vector.
template <class V>
[[gnu::always_inline]] inline void InsidePasses(V* x, int count,
                                                const double* twr,
                                                const double* twi) {
  using CV = simd::ComplexValues<V>;
  const V w1r = CV::template RepeatOverValues<1>(twr);
  const V w1i = CV::template RepeatOverValues<1>(twi);
  if constexpr (CV::kValues == 2) {
    for (int j = 0; j < count; ++j) x[j] = InsidePass<1>(x[j], w1r, w1i);
  } else {
    // Pass H = 2's twiddles q = 0, 1 sit at index 1, 2.
    const V w2r = CV::template RepeatOverValues<2>(twr + 1);
    const V w2i = CV::template RepeatOverValues<2>(twi + 1);
    for (int j = 0; j < count; ++j) {
      x[j] = InsidePass<2>(InsidePass<1>(x[j], w1r, w1i), w2r, w2i);
    }
  }
}

// Value i of the vectors x from source value rev(i): C values per vector.
template <int kBits, class V>
[[gnu::always_inline]] inline void GatherReversed(const double* src, V* x) {
  using CV = simd::ComplexValues<V>;
  constexpr int kC = CV::kValues;
  const auto at = [&](int i) {
    return src + 2 * ReverseLowBits(static_cast<uint32_t>(i), kBits);
  };
#pragma GCC unroll 16
  for (int j = 0; j < (1 << kBits) / kC; ++j) {
    if constexpr (kC == 2) {
      x[j] = CV::Gather(at(2 * j), at(2 * j + 1));
    } else {
      x[j] = CV::Gather(at(4 * j), at(4 * j + 1), at(4 * j + 2), at(4 * j + 3));
    }
  }
}

// The passes H = C .. N/2, pairing whole vectors.
template <int kBits, class V>
[[gnu::always_inline]] inline void WholeVectorPasses(V* x, const double* twr,
                                                     const double* twi) {
  using CV = simd::ComplexValues<V>;
  constexpr int kC = CV::kValues;
  constexpr int kVectors = (1 << kBits) / kC;
#pragma GCC unroll 16
  for (int b = CV::kValueBits; b < kBits; ++b) {
    const int half = 1 << b;  // values
    const int halfVectors = half / kC;
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) {
      if ((j & halfVectors) != 0) continue;
      const int q = (kC * j) & (half - 1);
      const V wr = CV::SpreadOverValues(twr + half - 1 + q);
      const V wi = CV::SpreadOverValues(twi + half - 1 + q);
      const V t = Times(wr, wi, x[j + halfVectors]);
      x[j + halfVectors] = x[j] - t;
      x[j] = x[j] + t;
    }
  }
}

// Out of line, as SmallTransform.
template <int kBits, class V, class VS>
[[gnu::noinline]] void Transform(const TransformJob& job) {
  constexpr int kN = 1 << kBits;
  constexpr int kC = simd::ComplexValues<V>::kValues;
  constexpr int kVectors = kN / kC;
  alignas(64) double wpr[kPassSlots];
  alignas(64) double wpi[kPassSlots];
  EvaluatePassSteps<VS>(kBits, job.sign, wpr, wpi);

  // Twiddle q of pass b at index 2^b - 1 + q.
  alignas(64) double twr[kN];
  alignas(64) double twi[kN];
  WalkAllChains<kBits>(wpr, wpi, twr, twi);

  V x[kVectors];
  GatherReversed<kBits>(job.source, x);
  if (job.windowTable != nullptr) {
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) {
      x[j] = V::Load(job.windowTable + 2 * kC * j) * x[j];
    }
  }
  const V n = V::Set1(static_cast<double>(kN));
  if (job.divideBeforePasses) {
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) x[j] = x[j] / n;
  }
  InsidePasses(x, kVectors, twr, twi);
  WholeVectorPasses<kBits>(x, twr, twi);
  double* dst = job.destination;
#pragma GCC unroll 16
  for (int j = 0; j < kVectors; ++j) {
    if (job.divideAfterPasses) x[j] = x[j] / n;
    x[j].Store(dst + 2 * kC * j);
  }
}

}  // namespace complex_small
}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_COMPLEX_SMALL_TRANSFORM_H_
