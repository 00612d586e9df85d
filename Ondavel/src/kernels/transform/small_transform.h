// Lengths 4 .. 16: the whole transform in straight-line code over scalar
// locals, every index known at compile time.  All twiddles of all passes
// (N - 1 values) come from their chains walked side by side.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SMALL_TRANSFORM_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SMALL_TRANSFORM_H_

#include <cstdint>

#include "kernels/kernels.h"
#include "kernels/simd/vec.h"
#include "kernels/transform/index_bits.h"
#include "kernels/transform/pass_arithmetic.h"
#include "kernels/transform/pass_steps.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// Every twiddle of every pass of a 2^kBits transform, twiddle q of pass b
// at index 2^b - 1 + q: the passes' chains walked side by side, in the
// order of q, so the long chain's steps interleave with the short ones.
template <int kBits>
[[gnu::always_inline]] inline void WalkAllChains(const double* wpr,
                                                 const double* wpi, double* twr,
                                                 double* twi) {
  constexpr int kN = 1 << kBits;
  double wr[kBits];
  double wi[kBits];
#pragma GCC unroll 16
  for (int b = 0; b < kBits; ++b) {
    wr[b] = 1.0;
    wi[b] = 0.0;
  }
#pragma GCC unroll 16
  for (int q = 0; q < kN / 2; ++q) {
#pragma GCC unroll 16
    for (int b = 0; b < kBits; ++b) {
      if (q >= (1 << b)) continue;
      twr[(1 << b) - 1 + q] = wr[b];
      twi[(1 << b) - 1 + q] = wi[b];
      if (q + 1 < (1 << b)) AdvanceTwiddle(wr[b], wi[b], wpr[b], wpi[b]);
    }
  }
}

// The butterfly passes over scalar locals, twiddles from WalkAllChains;
// UnfusedV1, as the compiler vectorises these itself.
template <int kBits>
[[gnu::always_inline]] inline void SmallPasses(double* re, double* im,
                                               const double* twr,
                                               const double* twi) {
  constexpr int kN = 1 << kBits;
#pragma GCC unroll 16
  for (int b = 0; b < kBits; ++b) {
    const int half = 1 << b;
#pragma GCC unroll 64
    for (int t = 0; t < kN; ++t) {
      if ((t & half) != 0) continue;
      const int q = t & (half - 1);
      simd::UnfusedV1 tr{re[t]};
      simd::UnfusedV1 ti{im[t]};
      simd::UnfusedV1 br{re[t + half]};
      simd::UnfusedV1 bi{im[t + half]};
      Butterfly(tr, ti, br, bi, simd::UnfusedV1{twr[half - 1 + q]},
                simd::UnfusedV1{twi[half - 1 + q]});
      re[t] = tr.v;
      im[t] = ti.v;
      re[t + half] = br.v;
      im[t + half] = bi.v;
    }
  }
}

// Each length out of line: compiled inside the length switch, its
// registers and schedule would depend on the rest of the switch (up to 12%
// slower at N = 8 on AVX2).
template <int kBits, class VS>
[[gnu::noinline]] void SmallTransform(const TransformJob& job) {
  constexpr int kN = 1 << kBits;
  alignas(64) double wpr[kPassSlots];
  alignas(64) double wpi[kPassSlots];
  EvaluatePassSteps<VS>(kBits, job.sign, wpr, wpi);

  // Twiddle q of pass b at index 2^b - 1 + q.
  double twr[kN];
  double twi[kN];
  WalkAllChains<kBits>(wpr, wpi, twr, twi);

  double re[kN];
  double im[kN];
  const double* src = job.source;
#pragma GCC unroll 64
  for (int i = 0; i < kN; ++i) {
    const int r =
        static_cast<int>(ReverseLowBits(static_cast<uint32_t>(i), kBits));
    re[i] = src[2 * r];
    im[i] = src[2 * r + 1];
  }
  if (job.windowTable != nullptr) {
#pragma GCC unroll 64
    for (int i = 0; i < kN; ++i) {
      re[i] = job.windowTable[2 * i] * re[i];
      im[i] = job.windowTable[2 * i + 1] * im[i];
    }
  }
  const double n = static_cast<double>(kN);
  if (job.divideBeforePasses) {
#pragma GCC unroll 64
    for (int i = 0; i < kN; ++i) {
      re[i] = re[i] / n;
      im[i] = im[i] / n;
    }
  }
  SmallPasses<kBits>(re, im, twr, twi);
  double* dst = job.destination;
#pragma GCC unroll 64
  for (int i = 0; i < kN; ++i) {
    if (job.divideAfterPasses) {
      re[i] = re[i] / n;
      im[i] = im[i] / n;
    }
    dst[2 * i] = re[i];
    dst[2 * i + 1] = im[i];
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SMALL_TRANSFORM_H_
