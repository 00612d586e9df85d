// The lane layout's first sweep: gather in bit-reversed order, taper,
// divide, and the passes on the bits of k (H = 1 .. L/2), block by block.
//
// Per u, the bit reversal sends p to one of L contiguous source runs and
// a to an element within it, and the window's factors come from its runs,
// transposed.  The gather relies on the tables being the ones set-up
// builds: the reorder table is the bit reversal (so it is never read) and
// both doubles of a value carry the same window factor (so only the even
// entries are read).
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_GATHER_SWEEP_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_GATHER_SWEEP_H_

#include <cstddef>
#include <cstdint>

#include "kernels/simd/vec.h"
#include "kernels/transform/index_bits.h"
#include "kernels/transform/lane_state.h"
#include "kernels/transform/pass_arithmetic.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// Block k of the values of u, lane a the source value rev(u, k, a): run
// rev(u) of each of the L source rows, element rev(k) of its runs.
template <class V>
[[gnu::always_inline]] inline void LoadReversedRuns(const double* src,
                                                    size_t rowStride, int uBits,
                                                    size_t u, V* re, V* im) {
  constexpr int kLanes = V::kLanes;
  const double* run =
      src + 2 * kLanes * ReverseLowBits(static_cast<uint32_t>(u), uBits);
  for (int k = 0; k < kLanes; ++k) {
    const double* r =
        run +
        ReverseLowBits(static_cast<uint32_t>(k), Log2(kLanes)) * rowStride;
    simd::DeinterleaveReversed(V::Load(r), V::Load(r + kLanes), re[k], im[k]);
  }
}

// The window's factors for the blocks of u, lane a from window row a.
template <class V>
[[gnu::always_inline]] inline void TaperBlocks(const double* window,
                                               size_t rowStride, size_t u,
                                               V* re, V* im) {
  constexpr int kLanes = V::kLanes;
  V rowLo[kLanes];
  V rowHi[kLanes];
  for (int a = 0; a < kLanes; ++a) {
    const double* r = window + a * rowStride + 2 * kLanes * u;
    rowLo[a] = V::Load(r);
    rowHi[a] = V::Load(r + kLanes);
  }
  V w[kLanes];
  simd::TransposeEvenElements(rowLo, rowHi, w);
  for (int k = 0; k < kLanes; ++k) {
    re[k] = w[k] * re[k];
    im[k] = w[k] * im[k];
  }
}

template <class V>
[[gnu::always_inline]] inline void GatherSweep(LaneState<V>& s) {
  constexpr int kLanes = V::kLanes;
  constexpr int kLaneBits = LaneState<V>::kLaneBits;
  // Twiddles of the passes H = 1 .. L/2, lane 2^t - 1 + q: short chains.
  V smallRe[kLanes];
  V smallIm[kLanes];
  for (int t = 0; t < kLaneBits; ++t) {
    const int half = 1 << t;
    simd::V1 wr = simd::V1::Set1(1.0);
    simd::V1 wi = simd::V1::Set1(0.0);
    const simd::V1 pr = simd::V1::Set1(s.wpr[t]);
    const simd::V1 pi = simd::V1::Set1(s.wpi[t]);
    for (int q = 0; q < half; ++q) {
      smallRe[half - 1 + q] = V::Set1(wr.v);
      smallIm[half - 1 + q] = V::Set1(wi.v);
      if (q + 1 < half) AdvanceTwiddle(wr, wi, pr, pi);
    }
  }
  const double* src = s.job.source;
  const double* window = s.job.windowTable;
  const V divisor = V::Set1(static_cast<double>(s.n));
  const int uBits = s.bits - 2 * kLaneBits;
  const size_t rowStride = 2 * s.rowLength;
  for (size_t u = 0; u < s.blocksPerRow; ++u) {
    // Steps first, so the chains start as early as possible, in two halves:
    // a long run of dependent steps would crowd the schedulers.
    s.WalkFor(kLanes / 2);
    V re[kLanes];
    V im[kLanes];
    LoadReversedRuns(src, rowStride, uBits, u, re, im);
    s.WalkFor(kLanes / 2);
    if (window != nullptr) TaperBlocks(window, rowStride, u, re, im);
    if (s.job.divideBeforePasses) {
      for (int k = 0; k < kLanes; ++k) {
        re[k] = re[k] / divisor;
        im[k] = im[k] / divisor;
      }
    }
    FusedPasses<kLaneBits>(re, im, [&](int lane, V& wr, V& wi) {
      wr = smallRe[lane];
      wi = smallIm[lane];
    });
    for (int k = 0; k < kLanes; ++k) {
      double* out = s.BlockAt(k, u);
      re[k].Store(out);
      im[k].Store(out + kLanes);
    }
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_GATHER_SWEEP_H_
