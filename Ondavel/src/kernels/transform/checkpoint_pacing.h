// How fast the checkpoint walks go: a share of the walk after every unit
// of work of the sweeps before the last one.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_CHECKPOINT_PACING_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_CHECKPOINT_PACING_H_

#include <cstddef>
#include <cstdint>

#include "kernels/transform/checkpoint_walker.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

class CheckpointPacing {
 public:
  // Fixed point: rates and credits count 1/256 steps.
  static constexpr int kFractionBits = 8;

  // `longestWalk` steps (the longest group's, which all others keep pace
  // with) spread over `blocks` blocks of work: the gather and every middle
  // sweep touch each of the N/L blocks once.
  //
  // The rate is chosen so the walks are done after three quarters of the
  // blocks: rate = ceil(4/3 longestWalk / blocks) steps per block.  The
  // last quarter is slack, so a sweep that needs its checkpoints rarely
  // finds steps left to walk at its start, where nothing else would hide
  // their latency.  A walk shorter than the sweeps gets a rate below one
  // step per block, hence the fractions: the steps still spread evenly
  // instead of all landing on the first blocks.
  //
  // 64-bit arithmetic: 4 * 256 * longestWalk exceeds 32 bits beyond 2^22
  // steps, which the longest lengths walk.
  void Start(size_t longestWalk, size_t blocks) {
    constexpr uint64_t kScale = uint64_t{1} << kFractionBits;
    rate_ = (4 * kScale * longestWalk + 3 * blocks - 1) / (3 * blocks);
    remaining_ = longestWalk;
  }

  // The steps due after a unit of `blocks` blocks, walked once they make
  // a run of kMinSteps or finish the longest walk.  A visit to the walker
  // costs about as much as a step on every group it holds, so a step or
  // two per visit spent more instructions on the visits than on the walks
  // (a tenth of the whole benchmark loop's at 4096 values on AVX2); eight
  // dependent steps still hide behind a unit or two of the sweeps' work.
  void AfterBlocks(CheckpointWalker& walker, size_t blocks) {
    credit_ += rate_ * blocks;
    const auto steps = static_cast<size_t>(credit_ >> kFractionBits);
    if (steps < SmallerOf(kMinSteps, remaining_)) return;
    walker.Advance(steps);
    credit_ &= (uint64_t{1} << kFractionBits) - 1;
    remaining_ -= SmallerOf(steps, remaining_);
  }

  static constexpr size_t kMinSteps = 8;

 private:
  uint64_t rate_ = 0;     // checkpoint steps per block, in 1/256
  uint64_t credit_ = 0;   // steps owed, in 1/256
  size_t remaining_ = 0;  // steps of the longest walk not yet walked
};

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_CHECKPOINT_PACING_H_
