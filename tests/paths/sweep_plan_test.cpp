// The lane layout's plan of sweeps for every length up to the longest, and
// the checkpoint walks that start the sweeps' twiddles: checkpoints equal
// to the serial recurrence bit for bit however the walk is paced, and the
// pacing done before the sweeps run out.
#include "kernels/transform/sweep_plan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "constants.h"
#include "kernels/transform/checkpoint_pacing.h"
#include "kernels/transform/checkpoint_walker.h"

namespace ondavel {
namespace {

using transform_simd::CheckpointGroup;
using transform_simd::CheckpointPacing;
using transform_simd::CheckpointWalker;
using transform_simd::LanePlan;
using transform_simd::PlannedSweep;
using transform_simd::SweepPlan;

uint64_t Bits(double x) { return std::bit_cast<uint64_t>(x); }

template <int kLanes>
void ExpectPlansCoverEveryMiddlePass() {
  constexpr int kLaneBits = LanePlan<kLanes>::kLaneBits;
  for (int bits = 2 * kLaneBits; bits <= kMaxLengthBits; ++bits) {
    SCOPED_TRACE("L=" + std::to_string(kLanes) +
                 " bits=" + std::to_string(bits));
    const SweepPlan plan = transform_simd::kSweepPlans<kLanes>.forBits[bits];
    const int middlePasses = bits - 2 * kLaneBits;
    const int limit = kLanes >= 4 && bits >= 13 ? 4 : 3;
    // As few sweeps as the limit allows.
    EXPECT_EQ(plan.count, (middlePasses + limit - 1) / limit);
    int shift = 0;
    for (int i = 0; i < plan.count; ++i) {
      const PlannedSweep& sweep = plan.sweeps[i];
      EXPECT_EQ(sweep.shift, shift) << "sweep " << i;
      EXPECT_GE(sweep.passes, 1);
      EXPECT_LE(sweep.passes, limit);
      if (i > 0) {
        // Smaller sweeps first, none more than one pass longer.
        EXPECT_GE(sweep.passes, plan.sweeps[i - 1].passes);
        EXPECT_LE(sweep.passes, plan.sweeps[0].passes + 1);
      }
      // Every pass after the sweep's first starts cursors inside a chain.
      EXPECT_EQ(sweep.lowChains + (sweep.highChain ? 1 : 0), sweep.passes - 1);
      shift += sweep.passes;
    }
    EXPECT_EQ(shift, middlePasses);
  }
}

TEST(SweepPlanTest, EveryLengthSplitsItsMiddlePassesEvenly) {
  ExpectPlansCoverEveryMiddlePass<2>();
  ExpectPlansCoverEveryMiddlePass<4>();
  ExpectPlansCoverEveryMiddlePass<8>();
}

// The serial recurrence of the steps (pr, pi) from (1, 0): value k.
std::vector<double> SerialChain(double pr, double pi, size_t steps,
                                std::vector<double>& im) {
  std::vector<double> re(steps + 1);
  im.assign(steps + 1, 0.0);
  double wr = 1.0;
  double wi = 0.0;
  for (size_t k = 0; k <= steps; ++k) {
    re[k] = wr;
    im[k] = wi;
    const double oldWr = wr;
    wr = (wr * pr + wr) - wi * pi;
    wi = (wi * pr + wi) + oldWr * pi;
  }
  return re;
}

// Pass steps of a 2^20 transform, as the recurrence uses them.
struct Steps {
  double wpr[32];
  double wpi[32];
};
Steps PassSteps() {
  Steps s{};
  for (int b = 0; b < 32; ++b) {
    const double theta = -kTwoPi / static_cast<double>(uint64_t{2} << b);
    const double alpha = std::sin(0.5 * theta);
    s.wpr[b] = (alpha * alpha) * -2.0;
    s.wpi[b] = std::sin(theta);
  }
  return s;
}

TEST(CheckpointWalkerTest, CheckpointsAreTheSerialChainsValues) {
  const Steps s = PassSteps();
  constexpr int kB0 = 5;
  constexpr size_t kStride = size_t{1} << kB0;
  // Uneven advances, crossing checkpoints in the middle of a call.
  for (const size_t advance : {size_t{1}, size_t{7}, size_t{33}, size_t{500}}) {
    SCOPED_TRACE("advance " + std::to_string(advance));
    CheckpointWalker walker;
    CheckpointGroup* low = walker.Add(s.wpr, s.wpi, kB0, 1, 2, kStride);
    CheckpointGroup* high = walker.Add(s.wpr, s.wpi, kB0, 3, 1, kStride);
    EXPECT_EQ(walker.Longest(), 7 * kStride);
    walker.Advance(advance);
    walker.Advance(advance);
    walker.Finish(low);
    walker.Finish(high);
    for (int t = 1; t <= 3; ++t) {
      std::vector<double> im;
      const std::vector<double> re =
          SerialChain(s.wpr[kB0 + t], s.wpi[kB0 + t], 7 * kStride, im);
      const CheckpointGroup* group = t < 3 ? low : high;
      for (int c = 1; c < (1 << t); ++c) {
        double wr = 0.0;
        double wi = 0.0;
        group->Checkpoint(t, c, wr, wi);
        EXPECT_EQ(Bits(wr), Bits(re[c * kStride])) << "t=" << t << " c=" << c;
        EXPECT_EQ(Bits(wi), Bits(im[c * kStride])) << "t=" << t << " c=" << c;
      }
    }
  }
}

// The cursor lanes of a four-pass sweep (15 cursors in 8 vectors of two)
// and of a two-pass one (3 in 2): lane 2^t - 1 + c holds chain t's value
// at c * stride and chain t's step, chain 3 from the high group; lanes past
// the last cursor idle at (1, 0) with a zero step.
template <int kPasses, int kVectors>
void ExpectCursorsStartOnTheirChains(const Steps& s) {
  using transform_simd::StartCursors;
  using transform_simd::SweepCheckpoints;
  constexpr int kB0 = 4;
  constexpr size_t kStride = size_t{1} << kB0;
  constexpr int kLanes = 2 * kVectors;
  SCOPED_TRACE("passes " + std::to_string(kPasses));
  CheckpointWalker walker;
  const SweepCheckpoints from = {
      walker.Add(s.wpr, s.wpi, kB0, 1, kPasses > 2 ? 2 : kPasses - 1, kStride),
      kPasses > 3 ? walker.Add(s.wpr, s.wpi, kB0, 3, 1, kStride) : nullptr};
  walker.Finish(from.low);
  if (from.high != nullptr) walker.Finish(from.high);
  alignas(64) double startRe[kLanes];
  alignas(64) double startIm[kLanes];
  simd::V2 stepR[kVectors];
  simd::V2 stepI[kVectors];
  StartCursors<kPasses, kVectors>(s.wpr, s.wpi, kB0, from, startRe, startIm,
                                  stepR, stepI);
  alignas(64) double stepRe[kLanes];
  alignas(64) double stepIm[kLanes];
  for (int v = 0; v < kVectors; ++v) {
    stepR[v].Store(stepRe + 2 * v);
    stepI[v].Store(stepIm + 2 * v);
  }
  for (int t = 0; t < kPasses; ++t) {
    std::vector<double> im;
    const std::vector<double> re =
        SerialChain(s.wpr[kB0 + t], s.wpi[kB0 + t], 7 * kStride, im);
    for (int c = 0; c < (1 << t); ++c) {
      const int lane = (1 << t) - 1 + c;
      EXPECT_EQ(Bits(startRe[lane]), Bits(re[c * kStride])) << "lane " << lane;
      EXPECT_EQ(Bits(startIm[lane]), Bits(im[c * kStride])) << "lane " << lane;
      EXPECT_EQ(Bits(stepRe[lane]), Bits(s.wpr[kB0 + t])) << "lane " << lane;
      EXPECT_EQ(Bits(stepIm[lane]), Bits(s.wpi[kB0 + t])) << "lane " << lane;
    }
  }
  for (int lane = (1 << kPasses) - 1; lane < kLanes; ++lane) {
    EXPECT_EQ(Bits(startRe[lane]), Bits(1.0)) << "lane " << lane;
    EXPECT_EQ(Bits(startIm[lane]), Bits(0.0)) << "lane " << lane;
    EXPECT_EQ(Bits(stepRe[lane]), Bits(0.0)) << "lane " << lane;
    EXPECT_EQ(Bits(stepIm[lane]), Bits(0.0)) << "lane " << lane;
  }
}

TEST(StartCursorsTest, LanesStartOnTheirChainsAndIdlePastTheLast) {
  const Steps s = PassSteps();
  ExpectCursorsStartOnTheirChains<4, 8>(s);
  ExpectCursorsStartOnTheirChains<2, 2>(s);
}

TEST(CheckpointPacingTest, WalksAreDoneAfterThreeQuartersOfTheBlocks) {
  const Steps s = PassSteps();
  // Walks longer and shorter than the sweeps' blocks.
  for (const int b0 : {2, 9, 14}) {
    for (const size_t blocks : {size_t{64}, size_t{4096}, size_t{98304}}) {
      SCOPED_TRACE("b0=" + std::to_string(b0) +
                   " blocks=" + std::to_string(blocks));
      CheckpointWalker walker;
      CheckpointGroup* group =
          walker.Add(s.wpr, s.wpi, b0, 1, 2, size_t{1} << b0);
      CheckpointPacing pacing;
      pacing.Start(walker.Longest(), blocks);
      // Units of 4 blocks, as a four-lane gather paces them.
      const size_t units = blocks / 4;
      size_t unit = 0;
      for (; unit < units && group->done < group->total; ++unit) {
        pacing.AfterBlocks(walker, 4);
      }
      EXPECT_EQ(group->done, group->total);
      EXPECT_LE(4 * unit, (3 * blocks + 3) / 4 + 4);
      // Spread out, not front-loaded: half the blocks leave work undone
      // (where the rate's rounding up is small against it).
      if (4 * 256 * walker.Longest() < 8 * 3 * blocks) continue;
      CheckpointWalker half;
      CheckpointGroup* halfGroup =
          half.Add(s.wpr, s.wpi, b0, 1, 2, size_t{1} << b0);
      CheckpointPacing halfPacing;
      halfPacing.Start(half.Longest(), blocks);
      for (size_t u = 0; u < units / 2; ++u) halfPacing.AfterBlocks(half, 4);
      EXPECT_LT(halfGroup->done, halfGroup->total);
    }
  }
}

}  // namespace
}  // namespace ondavel
