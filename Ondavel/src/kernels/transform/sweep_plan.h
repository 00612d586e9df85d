// Which sweeps over memory the lane layout makes for each length, and the
// checkpoint walks they need: worked out at compile time for every length
// up to 2^kMaxLengthBits, where the fixed sizes of the sweeps and of the
// checkpoint walker are checked against them.
//
// The passes of a 2^m transform over L = 2^l lanes fall into the gather
// (the l passes on the bits of k), the middle sweeps (the m - 2l passes on
// the bits of u) and the last sweep (the l passes on the bits of a).  The
// middle passes are split into as few sweeps as the pass limit allows, as
// evenly as possible, the smaller sweeps first.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SWEEP_PLAN_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SWEEP_PLAN_H_

#include <cstdint>

#include "constants.h"
#include "kernels/transform/checkpoint_walker.h"
#include "kernels/transform/index_bits.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// One middle sweep.  Its cursors for pass t of the sweep (t = 0 ..
// passes - 1) start at multiples of H = L * 2^shift on pass 2^t H's chain:
// chains t = 1, 2 are walked as one checkpoint group, chain t = 3 as
// another (a group holds at most two chains, the lanes of one V2).
struct PlannedSweep {
  int shift;       // s: the sweep's first pass has H = L * 2^s
  int passes;      // 1 .. 4
  int lowChains;   // chains t = 1, 2 that need checkpoints: 0 .. 2
  bool highChain;  // chain t = 3 needs them too
};

// Middle sweeps of the longest length on two lanes: 27 passes, three at a
// time.
constexpr int kMaxSweeps = 16;

struct SweepPlan {
  int count;
  PlannedSweep sweeps[kMaxSweeps];
};

template <int kLanes>
struct LanePlan {
  static constexpr int kLaneBits = Log2(kLanes);
  // Passes a middle sweep fuses: four (16 values in flight; with AVX2's 16
  // registers some spill to the first-level cache, which still beats one
  // more pass over memory) once the data has left the first-level cache,
  // 2^13 values and up; three below, and always on two-lane vectors.
  static constexpr int kMaxSweepPasses = kLanes >= 4 ? 4 : 3;
  static constexpr int kMinBitsForFourPasses = 13;

  static constexpr SweepPlan For(int bits) {
    SweepPlan plan{};
    const int uBits = bits - 2 * kLaneBits;
    if (uBits <= 0) return plan;
    const int maxPasses = bits >= kMinBitsForFourPasses ? kMaxSweepPasses : 3;
    const int count = (uBits + maxPasses - 1) / maxPasses;
    int shift = 0;
    for (int i = 0; i < count; ++i) {
      PlannedSweep& sweep = plan.sweeps[i];
      sweep.shift = shift;
      sweep.passes = uBits / count + (i >= count - uBits % count ? 1 : 0);
      const int chains = sweep.passes - 1;
      sweep.lowChains = chains < 2 ? chains : 2;
      sweep.highChain = chains > 2;
      shift += sweep.passes;
    }
    plan.count = count;
    return plan;
  }

  // Checkpoint groups of a plan: the middle sweeps', then the last
  // sweep's (its chains t = 1 .. l - 1, none on two lanes).
  static constexpr int GroupsOf(const SweepPlan& plan) {
    int groups = kLaneBits > 1 ? 1 : 0;
    for (int i = 0; i < plan.count; ++i) {
      groups += (plan.sweeps[i].lowChains > 0 ? 1 : 0) +
                (plan.sweeps[i].highChain ? 1 : 0);
    }
    return groups;
  }

  // Whether every length's plan fits the fixed sizes: the sweep array,
  // the walker's groups, a group's records (chain t records 2^t - 1
  // checkpoints), and covers every middle pass.
  static constexpr bool FixedSizesSuffice() {
    for (int bits = 2 * kLaneBits; bits <= kMaxLengthBits; ++bits) {
      const SweepPlan plan = For(bits);
      if (plan.count > kMaxSweeps) return false;
      if (GroupsOf(plan) > CheckpointWalker::kMaxGroups) return false;
      int passes = 0;
      for (int i = 0; i < plan.count; ++i) {
        const PlannedSweep& sweep = plan.sweeps[i];
        if (sweep.passes < 1 || sweep.passes > kMaxSweepPasses) return false;
        const int longestChain = sweep.highChain ? 3 : sweep.lowChains;
        if ((1 << longestChain) - 1 > CheckpointGroup::kMaxRecords) {
          return false;
        }
        passes += sweep.passes;
      }
      if (passes != bits - 2 * kLaneBits) return false;
      if ((1 << (kLaneBits - 1)) - 1 > CheckpointGroup::kMaxRecords) {
        return false;
      }
    }
    return true;
  }
};

// Every length's plan, indexed by log2 N (empty below L * L).
template <int kLanes>
struct SweepPlans {
  SweepPlan forBits[kMaxLengthBits + 1];
};
template <int kLanes>
constexpr SweepPlans<kLanes> MakeSweepPlans() {
  SweepPlans<kLanes> plans{};
  for (int bits = 0; bits <= kMaxLengthBits; ++bits) {
    plans.forBits[bits] = LanePlan<kLanes>::For(bits);
  }
  return plans;
}
template <int kLanes>
inline constexpr SweepPlans<kLanes> kSweepPlans = MakeSweepPlans<kLanes>();

static_assert(LanePlan<2>::FixedSizesSuffice());
static_assert(LanePlan<4>::FixedSizesSuffice());
static_assert(LanePlan<8>::FixedSizesSuffice());

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SWEEP_PLAN_H_
