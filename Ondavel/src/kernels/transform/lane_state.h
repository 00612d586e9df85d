// The lane layout of the vector transform, and what its sweeps share.
//
// Layout.  With L lanes (L = 2^l) and N = 2^m >= L*L, value i of the
// transform is split as i = a*R + p with R = N/L: the lane a holds the top l
// bits, p the others.  With the lanes on the top bits, every pass except
// the last l pairs values in the same lane and uses one twiddle for all
// lanes, so it is purely vertical.  The L values that share p form a block
// (L real parts, then L imaginary parts); with p = u*L + k, block (k, u) is
// stored at complex offset k*R + u*L.  That is exactly where the outputs
// a = k, p = u*L .. u*L+L-1 go, so the last sweep, which turns the L blocks
// of one u into L output runs, works in place.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_LANE_STATE_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_LANE_STATE_H_

#include <cstddef>

#include "kernels/kernels.h"
#include "kernels/transform/checkpoint_pacing.h"
#include "kernels/transform/checkpoint_walker.h"
#include "kernels/transform/index_bits.h"
#include "kernels/transform/pass_steps.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// One transform in the lane layout over vectors V: the data, the pass
// steps and the checkpoint walks its sweeps share.
template <class V>
struct LaneState {
  static constexpr int kLanes = V::kLanes;
  static constexpr int kLaneBits = Log2(kLanes);

  explicit LaneState(const TransformJob& job)
      : job(job),
        data(job.destination),
        n(static_cast<size_t>(job.length)),
        bits(Log2(job.length)),
        rowLength(n / kLanes),
        blocksPerRow(rowLength / kLanes) {}

  double* BlockAt(size_t k, size_t u) const {
    return data + 2 * (k * rowLength + u * kLanes);
  }

  // The checkpoint steps due after a unit of `blocks` blocks.
  void WalkFor(size_t blocks) { pacing.AfterBlocks(walker, blocks); }

  const TransformJob& job;
  double* const data;
  const size_t n;
  const int bits;
  const size_t rowLength;     // R = N / L
  const size_t blocksPerRow;  // N / L^2
  // The recurrence steps of pass b: cos(theta) - 1 and sin(theta).
  alignas(64) double wpr[kPassSlots];
  alignas(64) double wpi[kPassSlots];
  CheckpointWalker walker;
  CheckpointPacing pacing;
};

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_LANE_STATE_H_
