// The lane layout's middle sweeps: the passes on the bits of u, up to four
// fused per sweep over memory (the sweep plan says how many).  A sweep
// with first half-span H = L * 2^s takes 2^kPasses blocks `span` = 2^s
// blocks apart at a time and runs its passes on them in registers; the
// twiddles come from cursors that start at checkpoints (cursor lane
// 2^t - 1 + c walks pass 2^t H's chain from index c H).
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_MIDDLE_SWEEP_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_MIDDLE_SWEEP_H_

#include <cstddef>

#include "kernels/transform/checkpoint_walker.h"
#include "kernels/transform/lane_state.h"
#include "kernels/transform/pass_arithmetic.h"
#include "kernels/transform/sweep_plan.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

template <class V>
struct MiddleSweepShape {
  static constexpr int kLanes = V::kLanes;
  // Cursors of a sweep over `passes` passes: 2^passes - 1, in as few
  // vectors as hold them (every vector's step costs the same, used lanes
  // or idle).
  static constexpr int CursorVectors(int passes) {
    return ((1 << passes) - 1 + kLanes - 1) / kLanes;
  }
  // Columns per chunk of a sweep whose values lie this many blocks apart or
  // more (see WideSpanSweep).
  static constexpr size_t kChunk = 8;
};

// Where the cursors start and how they step, in arrays local to the sweep:
// lane l starts at (startRe[l], startIm[l]) and steps by (stepR, stepI)
// lane l.  Lanes past the sweep's cursors idle at (1, 0) with a zero step.
template <int kPasses, class V>
struct SweepCursors {
  static constexpr int kVectors = MiddleSweepShape<V>::CursorVectors(kPasses);
  double* startRe;
  double* startIm;
  V* stepR;
  V* stepI;
};

// The fused passes of a middle sweep on one block: 2^kPasses values
// `span` blocks apart, cursor lane l's twiddle at twRe[l], twIm[l].
template <int kPasses, class V>
[[gnu::always_inline]] inline void SweepBlock(LaneState<V>& s, double* base,
                                              size_t span, const double* twRe,
                                              const double* twIm) {
  constexpr int kLanes = V::kLanes;
  constexpr int kValues = 1 << kPasses;
  V re[kValues];
  V im[kValues];
  for (int v = 0; v < kValues; ++v) {
    const double* b = base + v * span * 2 * kLanes;
    re[v] = V::Load(b);
    im[v] = V::Load(b + kLanes);
  }
  FusedPasses<kPasses>(re, im, [&](int lane, V& wr, V& wi) {
    wr = V::Set1(twRe[lane]);
    wi = V::Set1(twIm[lane]);
  });
  for (int v = 0; v < kValues; ++v) {
    double* b = base + v * span * 2 * kLanes;
    re[v].Store(b);
    im[v].Store(b + kLanes);
  }
  s.WalkFor(kValues);
}

// Narrow spans: blocks in the recurrence's order, the cursors stepped per
// block.
template <int kPasses, class V>
[[gnu::always_inline]] inline void NarrowSpanSweep(
    LaneState<V>& s, size_t span, const SweepCursors<kPasses, V>& cursors) {
  constexpr int kVectors = SweepCursors<kPasses, V>::kVectors;
  constexpr int kLanes = V::kLanes;
  alignas(64) double twRe[kVectors * kLanes];
  alignas(64) double twIm[kVectors * kLanes];
  for (size_t g = 0; g < s.blocksPerRow; g += span * (1 << kPasses)) {
    V curR[kVectors];
    V curI[kVectors];
    for (int v = 0; v < kVectors; ++v) {
      curR[v] = V::Load(cursors.startRe + v * kLanes);
      curI[v] = V::Load(cursors.startIm + v * kLanes);
    }
    for (size_t j = 0; j < span; ++j) {
      for (size_t k = 0; k < static_cast<size_t>(kLanes); ++k) {
        for (int v = 0; v < kVectors; ++v) {
          curR[v].Store(twRe + v * kLanes);
          curI[v].Store(twIm + v * kLanes);
          AdvanceTwiddle(curR[v], curI[v], cursors.stepR[v], cursors.stepI[v]);
        }
        SweepBlock<kPasses>(s, s.BlockAt(k, g + j), span, twRe, twIm);
      }
    }
  }
}

// Wide spans: blocks in chunks of kChunk columns j, each chunk row by row
// (k outer, j inner), so that consecutive blocks lie 2 L doubles apart.  In
// the recurrence's order (j inner to k) they would lie a row apart, a
// multiple of 4 KiB, with every value of a block in the same cache sets as
// the last block's: each block would evict the lines the one before is
// still storing (sweeps three times slower from 2^15 up).  The twiddles of
// a chunk, q = j L + k, are walked in the recurrence's order one chunk
// ahead, a step per block of the chunk before, into one of two buffers.
template <int kPasses, class V>
[[gnu::always_inline]] inline void WideSpanSweep(
    LaneState<V>& s, size_t span, const SweepCursors<kPasses, V>& cursors) {
  constexpr int kVectors = SweepCursors<kPasses, V>::kVectors;
  constexpr int kLanes = V::kLanes;
  constexpr size_t kChunk = MiddleSweepShape<V>::kChunk;
  constexpr size_t kChunkSteps = kChunk * kLanes;  // = blocks per chunk
  constexpr size_t kStepDoubles = kVectors * kLanes;
  alignas(64) double bufRe[2][kChunkSteps * kStepDoubles];
  alignas(64) double bufIm[2][kChunkSteps * kStepDoubles];
  const size_t groupSpan = span * (1 << kPasses);
  const size_t chunksPerGroup = span / kChunk;
  const size_t chunkCount = (s.blocksPerRow / groupSpan) * chunksPerGroup;
  V curR[kVectors];
  V curI[kVectors];
  size_t filled = 0;  // chunks whose twiddles are walked
  // Step `step` of the chunk being filled: every cursor's value stored,
  // then one step; a chunk that starts a group starts at the checkpoints.
  const auto fillStep = [&](size_t step) {
    if (step == 0 && filled % chunksPerGroup == 0) {
      for (int v = 0; v < kVectors; ++v) {
        curR[v] = V::Load(cursors.startRe + v * kLanes);
        curI[v] = V::Load(cursors.startIm + v * kLanes);
      }
    }
    double* re = bufRe[filled & 1] + step * kStepDoubles;
    double* im = bufIm[filled & 1] + step * kStepDoubles;
    for (int v = 0; v < kVectors; ++v) {
      curR[v].Store(re + v * kLanes);
      curI[v].Store(im + v * kLanes);
      AdvanceTwiddle(curR[v], curI[v], cursors.stepR[v], cursors.stepI[v]);
    }
    if (step + 1 == kChunkSteps) ++filled;
  };
  for (size_t step = 0; step < kChunkSteps; ++step) fillStep(step);

  for (size_t c = 0; c < chunkCount; ++c) {
    const size_t g = (c / chunksPerGroup) * groupSpan;
    const size_t j0 = (c % chunksPerGroup) * kChunk;
    const double* twRe = bufRe[c & 1];
    const double* twIm = bufIm[c & 1];
    const bool fillNext = c + 1 < chunkCount;
    size_t block = 0;
    for (size_t k = 0; k < static_cast<size_t>(kLanes); ++k) {
      for (size_t j = 0; j < kChunk; ++j, ++block) {
        if (fillNext) fillStep(block);
        const size_t at = (j * kLanes + k) * kStepDoubles;
        SweepBlock<kPasses>(s, s.BlockAt(k, g + j0 + j), span, twRe + at,
                            twIm + at);
      }
    }
  }
}

// Out of line: one call per sweep over memory, and each sweep's loops get
// the registers to themselves.
template <int kPasses, class V>
[[gnu::noinline]] void MiddleSweep(LaneState<V>& s, const PlannedSweep& sweep,
                                   const SweepCheckpoints& checkpoints) {
  const size_t span = size_t{1} << sweep.shift;  // blocks between values
  constexpr int kVectors = SweepCursors<kPasses, V>::kVectors;
  alignas(64) double startRe[kVectors * V::kLanes];
  alignas(64) double startIm[kVectors * V::kLanes];
  V stepR[kVectors];
  V stepI[kVectors];
  const SweepCursors<kPasses, V> cursors = {startRe, startIm, stepR, stepI};
  StartCursors<kPasses, kVectors>(s.wpr, s.wpi,
                                  LaneState<V>::kLaneBits + sweep.shift,
                                  checkpoints, startRe, startIm, stepR, stepI);
  if (span < MiddleSweepShape<V>::kChunk) {
    NarrowSpanSweep<kPasses>(s, span, cursors);
  } else {
    WideSpanSweep<kPasses>(s, span, cursors);
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_MIDDLE_SWEEP_H_
