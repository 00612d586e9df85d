// Twiddle checkpoints: where a fused sweep's cursors start.
//
// Every pass's twiddles form one serial chain, the recurrence from
// (1, 0).  A fused sweep walks several chains side by side ("cursors", one
// per twiddle index it needs at once), lanes of one vector.  Cursors that
// start inside a chain start from checkpoints: values the serial
// recurrence reaches, walked a few steps at a time between units of
// earlier sweeps so that the latency of the long chains hides behind other
// work.  The walk is the same serial recurrence, so a checkpoint is the
// double the reference has at that index.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_CHECKPOINT_WALKER_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_CHECKPOINT_WALKER_H_

#include <cstddef>
#include <cstdint>

#include "kernels/simd/vec.h"
#include "kernels/transform/index_bits.h"
#include "kernels/transform/pass_arithmetic.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace transform_simd {

// One or two serial chains (passes 2^t * stride's chain for t = t0 ..
// t0 + T - 1, lane t - t0) walked side by side, recording w(c * stride) for
// c = 1 .. 2^(t0 + T - 1) - 1.
struct CheckpointGroup {
  // Checkpoints of the longest chain a group holds, t = 3 (see the sweep
  // plan, which checks this for every length).
  static constexpr int kMaxRecords = 7;
  simd::V2 wr, wi, wpr, wpi;
  size_t stride;
  size_t total;
  size_t done;
  int recorded;
  int firstChain;
  double recRe[kMaxRecords][2];
  double recIm[kMaxRecords][2];

  // w_{2^t * stride}(c * stride) for t in the group, 1 <= c < 2^t.
  void Checkpoint(int t, int c, double& re, double& im) const {
    re = recRe[c - 1][t - firstChain];
    im = recIm[c - 1][t - firstChain];
  }
};

// The checkpoint walks of one transform.  All groups advance together (each
// its own chain, so their latencies overlap); the longest one, the last
// pass's, sets the pace and must not start late.
class CheckpointWalker {
 public:
  // Groups of the longest plan (the sweep plan checks every length).
  static constexpr int kMaxGroups = 16;

  // Chains of the passes b0 + t for t = t0 .. t0 + T - 1 (T = 1 or 2) whose
  // cursors start at multiples of `stride` = 2^b0.
  CheckpointGroup* Add(const double* wpr, const double* wpi, int b0, int t0,
                       int passes, size_t stride) {
    CheckpointGroup& g = groups_[count_++];
    double pr[2] = {0.0, 0.0};
    double pi[2] = {0.0, 0.0};
    for (int t = t0; t < t0 + passes; ++t) {
      pr[t - t0] = wpr[b0 + t];
      pi[t - t0] = wpi[b0 + t];
    }
    g.firstChain = t0;
    g.wr = simd::V2::Set1(1.0);
    g.wi = simd::V2::Set1(0.0);
    g.wpr = simd::V2::Load(pr);
    g.wpi = simd::V2::Load(pi);
    g.stride = stride;
    g.total = ((size_t{1} << (t0 + passes - 1)) - 1) * stride;
    g.done = 0;
    g.recorded = 0;
    longest_ = g.total > longest_ ? g.total : longest_;
    return &g;
  }

  // Steps of the longest group.
  size_t Longest() const { return longest_; }

  // Up to `steps` steps on every unfinished group.
  void Advance(size_t steps) {
    for (int i = first_; i < count_; ++i) {
      CheckpointGroup& g = groups_[i];
      Walk(g, SmallerOf(steps, g.total - g.done));
    }
    while (first_ < count_ && groups_[first_].done == groups_[first_].total) {
      ++first_;
    }
  }

  // Completes one group.
  void Finish(CheckpointGroup* g) { Walk(*g, g->total - g->done); }

 private:
  void Walk(CheckpointGroup& g, size_t steps) {
    simd::V2 wr = g.wr;
    simd::V2 wi = g.wi;
    size_t done = g.done;
    const size_t end = done + steps;
    while (done < end) {
      const size_t next = static_cast<size_t>(g.recorded + 1) * g.stride;
      const size_t stop = SmallerOf(end, next);
      for (; done < stop; ++done) AdvanceTwiddle(wr, wi, g.wpr, g.wpi);
      if (done == next) {
        wr.Store(g.recRe[g.recorded]);
        wi.Store(g.recIm[g.recorded]);
        ++g.recorded;
      }
    }
    g.wr = wr;
    g.wi = wi;
    g.done = done;
  }

  CheckpointGroup groups_[kMaxGroups];
  int count_ = 0;
  int first_ = 0;
  size_t longest_ = 0;
};

// The checkpoint groups a sweep's cursors start from: chains t = 1, 2 and
// chain t = 3.
struct SweepCheckpoints {
  CheckpointGroup* low;
  CheckpointGroup* high;
};

// Where the cursors of a fused sweep over kPasses passes start and how
// they step, in kVectors vectors of L lanes: cursor lane 2^t - 1 + c walks
// the chain of pass firstPass + t from its index c, that is from (1, 0)
// for c = 0, else from checkpoint c of chain t in from.low (t < 3) or
// from.high (t = 3).  Lanes past the last cursor idle at (1, 0) with
// a zero step.  startRe and startIm take kVectors * L doubles.
template <int kPasses, int kVectors, class V>
[[gnu::always_inline]] inline void StartCursors(
    const double* wpr, const double* wpi, int firstPass,
    const SweepCheckpoints& from, double* startRe, double* startIm, V* stepR,
    V* stepI) {
  constexpr int kLanes = kVectors * V::kLanes;
  static_assert((1 << kPasses) - 1 <= kLanes);
  alignas(64) double stepRe[kLanes];
  alignas(64) double stepIm[kLanes];
  for (int lane = 0; lane < kLanes; ++lane) {
    startRe[lane] = 1.0;
    startIm[lane] = 0.0;
    stepRe[lane] = 0.0;
    stepIm[lane] = 0.0;
  }
  for (int t = 0; t < kPasses; ++t) {
    for (int c = 0; c < (1 << t); ++c) {
      const int lane = (1 << t) - 1 + c;
      stepRe[lane] = wpr[firstPass + t];
      stepIm[lane] = wpi[firstPass + t];
      if (c > 0) {
        (t < 3 ? from.low : from.high)
            ->Checkpoint(t, c, startRe[lane], startIm[lane]);
      }
    }
  }
  // Loaded here, not by the callers: the middle sweeps then compile to the
  // code they had with a set-up of their own (GCC allocates the registers
  // of the whole sweep differently otherwise).
  for (int v = 0; v < kVectors; ++v) {
    stepR[v] = V::Load(stepRe + v * V::kLanes);
    stepI[v] = V::Load(stepIm + v * V::kLanes);
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_CHECKPOINT_WALKER_H_
