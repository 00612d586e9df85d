// The lane layout's last sweep: per u, the L blocks transposed so that each
// vector holds one a, the passes on the bits of a (H = R .. N/2), the
// forward normalization, and the values interleaved back into runs, stored
// in place.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_LAST_SWEEP_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_LAST_SWEEP_H_

#include <cstddef>

#include "kernels/simd/vec.h"
#include "kernels/transform/checkpoint_walker.h"
#include "kernels/transform/lane_state.h"
#include "kernels/transform/pass_arithmetic.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// The cursors of the last sweep, one vector: lane 2^t - 1 + c walks pass
// 2^t R's chain from c R (checkpoints from `group`); the last lane idles.
template <class V>
[[gnu::always_inline]] inline void StartLastCursors(const LaneState<V>& s,
                                                    CheckpointGroup* group,
                                                    V& curR, V& curI, V& stepR,
                                                    V& stepI) {
  constexpr int kLaneBits = LaneState<V>::kLaneBits;
  static_assert(kLaneBits <= 3, "every chain's checkpoints in `group`");
  alignas(64) double startRe[V::kLanes];
  alignas(64) double startIm[V::kLanes];
  StartCursors<kLaneBits, 1>(s.wpr, s.wpi, s.bits - kLaneBits,
                             SweepCheckpoints{group, nullptr}, startRe, startIm,
                             &stepR, &stepI);
  curR = V::Load(startRe);
  curI = V::Load(startIm);
}

// Interleaves value a's real and imaginary parts back into the run of
// block a and stores it.
template <class V>
[[gnu::always_inline]] inline void StoreRuns(const LaneState<V>& s, size_t u,
                                             const V* re, const V* im) {
  for (int a = 0; a < V::kLanes; ++a) {
    V lo;
    V hi;
    simd::InterleaveComplex(re[a], im[a], lo, hi);
    double* out = s.BlockAt(a, u);
    lo.Store(out);
    hi.Store(out + V::kLanes);
  }
}

template <class V>
[[gnu::always_inline]] inline void LastSweep(LaneState<V>& s,
                                             CheckpointGroup* group) {
  constexpr int kLanes = V::kLanes;
  V curR;
  V curI;
  V stepR;
  V stepI;
  StartLastCursors(s, group, curR, curI, stepR, stepI);
  const V divisor = V::Set1(static_cast<double>(s.n));

  for (size_t u = 0; u < s.blocksPerRow; ++u) {
    // The cursors at u's L columns k, transposed: vector l holds cursor
    // lane l's twiddle for every column.
    V twR[kLanes];
    V twI[kLanes];
    for (int k = 0; k < kLanes; ++k) {
      twR[k] = curR;
      twI[k] = curI;
      AdvanceTwiddle(curR, curI, stepR, stepI);
    }
    simd::TransposeLanes(twR);
    simd::TransposeLanes(twI);

    V re[kLanes];
    V im[kLanes];
    for (int k = 0; k < kLanes; ++k) {
      const double* b = s.BlockAt(k, u);
      re[k] = V::Load(b);
      im[k] = V::Load(b + kLanes);
    }
    simd::TransposeLanes(re);
    simd::TransposeLanes(im);
    FusedPasses<LaneState<V>::kLaneBits>(re, im, [&](int lane, V& wr, V& wi) {
      wr = twR[lane];
      wi = twI[lane];
    });
    if (s.job.divideAfterPasses) {
      for (int a = 0; a < kLanes; ++a) {
        re[a] = re[a] / divisor;
        im[a] = im[a] / divisor;
      }
    }
    StoreRuns(s, u, re, im);
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_LAST_SWEEP_H_
