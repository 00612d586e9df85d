// The transform in the lane layout (see lane_state.h), for N >= L*L: the
// sweeps over memory in order, with the checkpoint walks paced between
// them.
//  1. Gather: bit-reversed gather, taper, and the passes on the bits of k.
//  2. Middle sweeps: the passes on the bits of u, several fused per sweep.
//  3. Last sweep: transpose, the passes on the bits of a, interleave, store.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_LANE_TRANSFORM_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_LANE_TRANSFORM_H_

#include <cstddef>

#include "kernels/kernels.h"
#include "kernels/transform/checkpoint_walker.h"
#include "kernels/transform/gather_sweep.h"
#include "kernels/transform/lane_state.h"
#include "kernels/transform/last_sweep.h"
#include "kernels/transform/middle_sweep.h"
#include "kernels/transform/pass_steps.h"
#include "kernels/transform/sweep_plan.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// The transform for one vector type V and N >= L*L; the pass sines in
// lanes of VS, the widest vector of the instruction set.
template <class V, class VS>
class LaneTransform {
 public:
  static constexpr int kLanes = V::kLanes;
  static constexpr int kLaneBits = LaneState<V>::kLaneBits;

  explicit LaneTransform(const TransformJob& job)
      : state_(job), plan_(kSweepPlans<kLanes>.forBits[state_.bits]) {}

  void Run() {
    EvaluatePassSteps<VS>(state_.bits, state_.job.sign, state_.wpr, state_.wpi);
    AddCheckpointWalks();
    // Every sweep before the last touches each of the N/L blocks once.
    state_.pacing.Start(state_.walker.Longest(),
                        (state_.n / kLanes) * (1 + plan_.count));

    if constexpr (kSweepsInline) {
      GatherSweep(state_);
    } else {
      GatherOutOfLine(state_);
    }
    for (int i = 0; i < plan_.count; ++i) {
      const SweepCheckpoints& checkpoints = checkpoints_[i];
      if (checkpoints.low != nullptr) FinishWalk(checkpoints.low);
      if (checkpoints.high != nullptr) FinishWalk(checkpoints.high);
      RunMiddleSweep(plan_.sweeps[i], checkpoints);
    }
    if (lastGroup_ != nullptr) FinishWalk(lastGroup_);
    if constexpr (kSweepsInline) {
      LastSweep(state_, lastGroup_);
    } else {
      LastOutOfLine(state_, lastGroup_);
    }
  }

 private:
  // The gather and the last sweep run inline, except on four lanes: with
  // AVX2's 16 registers their loops keep more in registers as functions
  // of their own (4% faster at 64 and 128 values).
  static constexpr bool kSweepsInline = kLanes != 4;
  [[gnu::noinline]] static void GatherOutOfLine(LaneState<V>& s) {
    GatherSweep(s);
  }
  [[gnu::noinline]] static void LastOutOfLine(LaneState<V>& s,
                                              CheckpointGroup* group) {
    LastSweep(s, group);
  }

  // The checkpoint groups, in the order of the plan: each middle sweep's,
  // then the last sweep's (passes 2R .. N/2, checkpoints at c * R).
  void AddCheckpointWalks() {
    for (int i = 0; i < plan_.count; ++i) {
      const PlannedSweep& sweep = plan_.sweeps[i];
      const int firstPass = kLaneBits + sweep.shift;  // b of H = L * 2^s
      const size_t stride = size_t{1} << firstPass;
      checkpoints_[i].low =
          sweep.lowChains > 0
              ? state_.walker.Add(state_.wpr, state_.wpi, firstPass, 1,
                                  sweep.lowChains, stride)
              : nullptr;
      checkpoints_[i].high = sweep.highChain
                                 ? state_.walker.Add(state_.wpr, state_.wpi,
                                                     firstPass, 3, 1, stride)
                                 : nullptr;
    }
    lastGroup_ =
        kLaneBits > 1
            ? state_.walker.Add(state_.wpr, state_.wpi, state_.bits - kLaneBits,
                                1, kLaneBits - 1, state_.rowLength)
            : nullptr;
  }

  void FinishWalk(CheckpointGroup* group) { state_.walker.Finish(group); }

  void RunMiddleSweep(const PlannedSweep& sweep,
                      const SweepCheckpoints& checkpoints) {
    switch (sweep.passes) {
      case 4:
        if constexpr (LanePlan<kLanes>::kMaxSweepPasses >= 4) {
          MiddleSweep<4>(state_, sweep, checkpoints);
        }
        break;
      case 3:
        MiddleSweep<3>(state_, sweep, checkpoints);
        break;
      case 2:
        MiddleSweep<2>(state_, sweep, checkpoints);
        break;
      default:
        MiddleSweep<1>(state_, sweep, checkpoints);
        break;
    }
  }

  LaneState<V> state_;
  const SweepPlan& plan_;
  SweepCheckpoints checkpoints_[kMaxSweeps];
  CheckpointGroup* lastGroup_ = nullptr;
};

// Out of line, so that the transform's state (the checkpoint walker
// alone takes several KiB) and code stay out of the length switch.
template <class V, class VS>
[[gnu::noinline]] void RunLaneTransform(const TransformJob& job) {
  LaneTransform<V, VS>(job).Run();
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_LANE_TRANSFORM_H_
