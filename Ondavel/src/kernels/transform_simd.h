// The transform over vectors of doubles, compiled once per instruction set.
// Every butterfly and twiddle step rounds exactly like the scalar reference;
// only the order of independent butterflies and the memory layout between
// passes differ.
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
//
// Sweeps over memory:
//  1. Gather: per u, L contiguous source runs (the bit reversal sends p to a
//     run and a to an element within it), the window (transposed from its
//     runs), and the passes on the bits of k (H = 1 .. L/2).
//  2. Middle sweeps: the passes on the bits of u, up to three fused (four
//     on AVX2 and AVX-512 once the data has left the first-level cache).
//  3. Last sweep: transpose, the passes on the bits of a, interleave, store.
// The gather relies on the tables being the ones set-up builds: the reorder
// table is the bit reversal (so it is never read) and both doubles of a
// value carry the same window factor (so only the even entries are read).
//
// Twiddles.  Every pass's chain is the serial recurrence.  A fused sweep
// walks several chains side by side ("cursors", one per twiddle index it
// needs at once), lanes of one vector.  Cursors that start inside a chain
// start from checkpoints: values the serial recurrence reaches, walked a few
// steps at a time between units of earlier sweeps so that the latency of the
// long chains hides behind other work.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "constants.h"
#include "kernels/fast_sine.h"
#include "kernels/kernels.h"
#include "kernels/simd/vec.h"
#include "kernels/transform_scalar.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {

namespace transform_simd {

// Not std::min: its out-of-line copy would be shared with other
// instruction-set files.
inline size_t SmallerOf(size_t a, size_t b) { return a < b ? a : b; }

// Keeps a computed value alive when nothing reads it (a sine whose twiddle
// a pass never steps with still counts as evaluated).
template <class V>
inline void KeepEvaluated(V x) {
  __asm__ volatile("" : : "x"(x.v));
}

// Room for the steps of every pass (lengths up to 2^29), padded to whole
// vectors of sines.
constexpr int kMaxPasses = 32;
constexpr int kPassSlots = kMaxPasses + 8;

// The pass angles before the sign, 2 pi / 2^(b+1) for pass b, divided as
// the reference divides (by a power of two, so exactly).  Only constants:
// the sines are evaluated on every call.
struct PassAngles {
  alignas(64) double angle[kPassSlots];
};
constexpr PassAngles MakePassAngles() {
  PassAngles t{};
  for (int b = 0; b < kPassSlots; ++b) {
    t.angle[b] = kTwoPi / static_cast<double>(uint64_t{2} << b);
  }
  return t;
}
inline constexpr PassAngles kPassAngles = MakePassAngles();

// For lengths whose 2 log2 N sines fit one vector of L lanes: lane j < L/2
// holds pass j's theta, lane L/2 + j its half, formed as theta times a
// factor of 1 or 0.5 (the reference's 0.5 * theta, the same double).
template <int kLanes>
struct PackedPassAngles {
  alignas(64) double angle[kLanes];
  alignas(64) double factor[kLanes];
};
template <int kLanes>
constexpr PackedPassAngles<kLanes> MakePackedPassAngles() {
  PackedPassAngles<kLanes> t{};
  for (int j = 0; j < kLanes; ++j) {
    t.angle[j] = kPassAngles.angle[j % (kLanes / 2)];
    t.factor[j] = j < kLanes / 2 ? 1.0 : 0.5;
  }
  return t;
}
template <int kLanes>
inline constexpr PackedPassAngles<kLanes> kPackedPassAngles =
    MakePackedPassAngles<kLanes>();

// The steps of the passes b = 0 .. bits - 1 for bits <= L/2, from one
// vector of L sines: theta and theta / 2 of every pass side by side.
template <class VP>
[[gnu::always_inline]] inline void PackedPassSteps(int bits, double sign,
                                                   double* wpr, double* wpi) {
  constexpr int kLanes = VP::kLanes;
  const PackedPassAngles<kLanes>& packed = kPackedPassAngles<kLanes>;
  const VP theta =
      (VP::Load(packed.angle) * VP::Set1(sign)) * VP::Load(packed.factor);
  const VP sines = FastSineV(theta);
  KeepEvaluated(sines);
  alignas(64) double sine[kLanes];
  alignas(64) double twiceSquare[kLanes];
  sines.Store(sine);
  ((sines * sines) * VP::Set1(-2.0)).Store(twiceSquare);
  for (int b = 0; b < bits; ++b) {
    wpr[b] = twiceSquare[kLanes / 2 + b];
    wpi[b] = sine[b];
  }
}

// The recurrence steps of the passes b = 0 .. bits - 1, PassTwiddleOf's
// arithmetic with FastSineV (FastSine's double in every lane, which is
// std::sin's for every pass argument: fast_sine_test).  All 2 bits sines
// go into as few vectors of VS as possible, evaluated side by side: both
// sines of every pass in one vector for bits <= L/2 (a half-width one when
// that suffices: wide lanes cost issue slots even when idle), else vectors
// of thetas and vectors of halves.  wpr and wpi have kPassSlots entries;
// pass 0's pair is never stepped with but is evaluated all the same.
template <class VS>
[[gnu::always_inline]] inline void EvaluatePassSteps(int bits, double sign,
                                                     double* wpr, double* wpi) {
  constexpr int kLanes = VS::kLanes;
  if constexpr (kLanes < 4) {
    // Two lanes that both run both kernels lose to the branches of scalar
    // calls, which the processor predicts perfectly here.
    for (int b = bits - 1; b >= 0; --b) {
      const double theta = kPassAngles.angle[b] * sign;
      const double alpha = FastSine(0.5 * theta);
      wpr[b] = (alpha * alpha) * -2.0;
      wpi[b] = FastSine(theta);
      KeepEvaluated(simd::V1{wpr[b]});
      KeepEvaluated(simd::V1{wpi[b]});
    }
  } else {
#if defined(ONDAVEL_HAVE_V4)
    if constexpr (kLanes >= 8) {
      if (bits <= 2) {
        PackedPassSteps<simd::V4>(bits, sign, wpr, wpi);
        return;
      }
    }
#endif
    if (bits <= kLanes / 2) {
      PackedPassSteps<VS>(bits, sign, wpr, wpi);
      return;
    }
    const VS signs = VS::Set1(sign);
    const VS half = VS::Set1(0.5);
    const VS minusTwo = VS::Set1(-2.0);
    for (int b = 0; b < bits; b += kLanes) {
      const VS theta = VS::Load(kPassAngles.angle + b) * signs;
      const VS sines = FastSineV(theta);
      const VS alpha = FastSineV(half * theta);
      KeepEvaluated(sines);
      KeepEvaluated(alpha);
      sines.Store(wpi + b);
      ((alpha * alpha) * minusTwo).Store(wpr + b);
    }
  }
}

inline uint32_t ReverseLowBits(uint32_t x, int bits) {
  if (bits == 0) return 0;
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
  x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
  x = (x >> 16) | (x << 16);
  return x >> (32 - bits);
}

// One twiddle step, lane by lane, with the reference's operations.
template <class V>
inline void Step(V& wr, V& wi, V wpr, V wpi) {
  const V oldWr = wr;
  wr = (wr * wpr + wr) - wi * wpi;
  wi = (wi * wpr + wi) + oldWr * wpi;
}

// One radix-2 butterfly, operations and operand order as in the reference.
template <class V>
inline void Butterfly(V& topRe, V& topIm, V& botRe, V& botIm, V wr, V wi) {
  const V tr = wr * botRe - wi * botIm;
  const V ti = wr * botIm + wi * botRe;
  botRe = topRe - tr;
  botIm = topIm - ti;
  topRe = topRe + tr;
  topIm = topIm + ti;
}

// kPasses fused passes over 2^kPasses values x[c]: pass t pairs c and
// c + 2^t.  The twiddle of pass t for the pairs with c mod 2^t = j is
// twiddle(2^t - 1 + j), the "cursor lane" numbering used everywhere here.
// Fully unrolled, so re and im stay in registers.
template <int kPasses, class V, class Twiddle>
[[gnu::always_inline]] inline void FusedPasses(V* re, V* im, Twiddle twiddle) {
#pragma GCC unroll 8
  for (int t = 0; t < kPasses; ++t) {
    const int half = 1 << t;
#pragma GCC unroll 16
    for (int c = 0; c < (1 << kPasses); ++c) {
      if ((c & half) != 0) continue;
      V wr;
      V wi;
      twiddle(half - 1 + (c & (half - 1)), wr, wi);
      Butterfly(re[c], im[c], re[c + half], im[c + half], wr, wi);
    }
  }
}

constexpr int Log2(int x) { return x <= 1 ? 0 : 1 + Log2(x / 2); }

// One or two serial chains (passes 2^t * stride's chain for t = t0 ..
// t0 + T - 1, lane t - t0) walked side by side, recording w(c * stride) for
// c = 1 .. 2^(t0 + T - 1) - 1.
struct CheckpointGroup {
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
      for (; done < stop; ++done) Step(wr, wi, g.wpr, g.wpi);
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

// The transform for one vector type V and N >= L*L; the pass sines in
// lanes of VS, the widest vector of the instruction set.
template <class V, class VS>
class LaneTransform {
 public:
  static constexpr int kLanes = V::kLanes;
  static constexpr int kLaneBits = Log2(kLanes);
  // Passes a middle sweep fuses: four (16 values in flight; with AVX2's 16
  // registers some spill to the first-level cache, which still beats one
  // more pass over memory) once the data has left the first-level cache,
  // 2^13 values and up; three below, and always on two-lane vectors.
  static constexpr int kMaxSweepPasses = kLanes >= 4 ? 4 : 3;
  static constexpr int kMinBitsForFourPasses = 13;
  // Cursors of a middle sweep: up to 2^kMaxSweepPasses - 1, in vectors.
  static constexpr int kCursorVectors =
      ((1 << kMaxSweepPasses) + kLanes - 1) / kLanes;
  // Columns per chunk of a middle sweep whose values lie this many blocks
  // apart or more (see MiddleSweep).
  static constexpr size_t kChunk = 8;

  explicit LaneTransform(const TransformJob& job)
      : job_(job),
        data_(job.destination),
        n_(static_cast<size_t>(job.length)),
        bits_(Log2(job.length)),
        rowLength_(n_ / kLanes),
        blocksPerRow_(rowLength_ / kLanes) {}

  void Run() {
    EvaluatePassSteps<VS>(bits_, job_.sign, wpr_, wpi_);

    PlanMiddleSweeps();
    // The last sweep's chains: passes 2R .. N/2, checkpoints at c * R.
    lastGroup_ = kLaneBits > 1 ? walker_.Add(wpr_, wpi_, bits_ - kLaneBits, 1,
                                             kLaneBits - 1, rowLength_)
                               : nullptr;
    // Blocks the sweeps before the last one touch; the walks should be done
    // after about three quarters of them.  The rate is in 1/256 steps, so
    // the walk spreads evenly even when it is shorter than the sweeps.
    const size_t blocks = (n_ / kLanes) * (1 + sweepCount_);
    walkRate_ = (4 * 256 * walker_.Longest() + 3 * blocks - 1) / (3 * blocks);

    Gather();
    for (int s = 0; s < sweepCount_; ++s) {
      const Sweep& sweep = sweeps_[s];
      if (sweep.group != nullptr) walker_.Finish(sweep.group);
      if (sweep.groupHi != nullptr) walker_.Finish(sweep.groupHi);
      switch (sweep.passes) {
        case 4:
          if constexpr (kMaxSweepPasses >= 4) MiddleSweep<4>(sweep);
          break;
        case 3:
          MiddleSweep<3>(sweep);
          break;
        case 2:
          MiddleSweep<2>(sweep);
          break;
        default:
          MiddleSweep<1>(sweep);
          break;
      }
    }
    if (lastGroup_ != nullptr) walker_.Finish(lastGroup_);
    LastSweep();
  }

 private:
  struct Sweep {
    int shift;                 // s: the sweep's first pass has H = L * 2^s
    int passes;                // 1 .. 4
    CheckpointGroup* group;    // chains t = 1, 2
    CheckpointGroup* groupHi;  // chain t = 3
  };

  // The checkpoint steps due after a unit of `blocks` blocks.
  void WalkFor(size_t blocks) {
    walkCredit_ += walkRate_ * blocks;
    walker_.Advance(walkCredit_ >> 8);
    walkCredit_ &= 255;
  }

  double* BlockAt(size_t k, size_t u) const {
    return data_ + 2 * (k * rowLength_ + u * kLanes);
  }

  // Splits the bits of u into as few sweeps as the pass limit allows, as
  // evenly as possible (the smaller sweeps first).
  void PlanMiddleSweeps() {
    const int uBits = bits_ - 2 * kLaneBits;
    const int maxPasses = bits_ >= kMinBitsForFourPasses ? kMaxSweepPasses : 3;
    int sizes[16];
    const int count = (uBits + maxPasses - 1) / maxPasses;
    for (int i = 0; i < count; ++i) {
      sizes[i] = uBits / count + (i >= count - uBits % count ? 1 : 0);
    }
    int shift = 0;
    for (int i = 0; i < count; ++i) {
      Sweep& sweep = sweeps_[i];
      sweep.shift = shift;
      sweep.passes = sizes[i];
      const int firstPass = kLaneBits + shift;  // b of H = L * 2^s
      const size_t stride = size_t{1} << firstPass;
      const int chains = sizes[i] - 1;
      sweep.group = chains > 0 ? walker_.Add(wpr_, wpi_, firstPass, 1,
                                             chains < 2 ? chains : 2, stride)
                               : nullptr;
      sweep.groupHi = chains > 2
                          ? walker_.Add(wpr_, wpi_, firstPass, 3, 1, stride)
                          : nullptr;
      shift += sizes[i];
    }
    sweepCount_ = count;
  }

  void Gather() {
    // Twiddles of the passes H = 1 .. L/2, lane 2^t - 1 + q: short chains.
    V smallRe[kLanes];
    V smallIm[kLanes];
    for (int t = 0; t < kLaneBits; ++t) {
      const int half = 1 << t;
      simd::V1 wr = simd::V1::Set1(1.0);
      simd::V1 wi = simd::V1::Set1(0.0);
      const simd::V1 pr = simd::V1::Set1(wpr_[t]);
      const simd::V1 pi = simd::V1::Set1(wpi_[t]);
      for (int q = 0; q < half; ++q) {
        smallRe[half - 1 + q] = V::Set1(wr.v);
        smallIm[half - 1 + q] = V::Set1(wi.v);
        if (q + 1 < half) Step(wr, wi, pr, pi);
      }
    }
    const double* src = job_.source;
    const double* window = job_.windowTable;
    const V divisor = V::Set1(static_cast<double>(n_));
    const int uBits = bits_ - 2 * kLaneBits;
    const size_t rowStride = 2 * rowLength_;
    for (size_t u = 0; u < blocksPerRow_; ++u) {
      // Steps first, so the chains start as early as possible, in two halves:
      // a long run of dependent steps would crowd the schedulers.
      WalkFor(kLanes / 2);
      const double* run =
          src + 2 * kLanes * ReverseLowBits(static_cast<uint32_t>(u), uBits);
      V re[kLanes];
      V im[kLanes];
      for (int k = 0; k < kLanes; ++k) {
        const double* r =
            run +
            ReverseLowBits(static_cast<uint32_t>(k), kLaneBits) * rowStride;
        simd::DeinterleaveReversed(V::Load(r), V::Load(r + kLanes), re[k],
                                   im[k]);
      }
      WalkFor(kLanes / 2);
      if (window != nullptr) {
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
      if (job_.divideBeforePasses) {
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
        double* out = BlockAt(k, u);
        re[k].Store(out);
        im[k].Store(out + kLanes);
      }
    }
  }

  template <int kPasses>
  void MiddleSweep(const Sweep& sweep) {
    constexpr int kValues = 1 << kPasses;
    const size_t span = size_t{1} << sweep.shift;  // blocks between values
    const int firstPass = kLaneBits + sweep.shift;

    // Cursor lanes 2^t - 1 + c: pass 2^t H at j + c H.
    alignas(64) double initRe[kCursorVectors * kLanes];
    alignas(64) double initIm[kCursorVectors * kLanes];
    alignas(64) double stepRe[kCursorVectors * kLanes];
    alignas(64) double stepIm[kCursorVectors * kLanes];
    for (int lane = 0; lane < kCursorVectors * kLanes; ++lane) {
      initRe[lane] = 1.0;
      initIm[lane] = 0.0;
      stepRe[lane] = 0.0;
      stepIm[lane] = 0.0;
    }
    for (int t = 0; t < kPasses; ++t) {
      for (int c = 0; c < (1 << t); ++c) {
        const int lane = (1 << t) - 1 + c;
        stepRe[lane] = wpr_[firstPass + t];
        stepIm[lane] = wpi_[firstPass + t];
        if (c > 0) {
          (t < 3 ? sweep.group : sweep.groupHi)
              ->Checkpoint(t, c, initRe[lane], initIm[lane]);
        }
      }
    }
    V stepR[kCursorVectors];
    V stepI[kCursorVectors];
    for (int v = 0; v < kCursorVectors; ++v) {
      stepR[v] = V::Load(stepRe + v * kLanes);
      stepI[v] = V::Load(stepIm + v * kLanes);
    }

    if (span < kChunk) {
      // Blocks in the recurrence's order, the cursors stepped per block.
      alignas(64) double twRe[kCursorVectors * kLanes];
      alignas(64) double twIm[kCursorVectors * kLanes];
      for (size_t g = 0; g < blocksPerRow_; g += span * kValues) {
        V curR[kCursorVectors];
        V curI[kCursorVectors];
        for (int v = 0; v < kCursorVectors; ++v) {
          curR[v] = V::Load(initRe + v * kLanes);
          curI[v] = V::Load(initIm + v * kLanes);
        }
        for (size_t j = 0; j < span; ++j) {
          for (size_t k = 0; k < static_cast<size_t>(kLanes); ++k) {
            for (int v = 0; v < kCursorVectors; ++v) {
              curR[v].Store(twRe + v * kLanes);
              curI[v].Store(twIm + v * kLanes);
              Step(curR[v], curI[v], stepR[v], stepI[v]);
            }
            SweepBlock<kPasses>(BlockAt(k, g + j), span, twRe, twIm);
          }
        }
      }
      return;
    }

    // Wide spans: blocks in chunks of kChunk columns j, each chunk row by
    // row (k outer, j inner), so that consecutive blocks lie 2 L doubles
    // apart.  In the recurrence's order (j inner to k) they would lie a row
    // apart, a multiple of 4 KiB, with every value of a block in the same
    // cache sets as the last block's: each block would evict the lines the
    // one before is still storing (sweeps three times slower from 2^15 up).
    // The twiddles of a chunk, q = j L + k, are walked in the recurrence's
    // order one chunk ahead, a step per block of the chunk before.
    constexpr size_t kChunkSteps = kChunk * kLanes;  // = blocks per chunk
    constexpr size_t kStepDoubles = kCursorVectors * kLanes;
    alignas(64) double bufRe[2][kChunkSteps * kStepDoubles];
    alignas(64) double bufIm[2][kChunkSteps * kStepDoubles];
    const size_t groupSpan = span * kValues;
    const size_t chunksPerGroup = span / kChunk;
    const size_t chunkCount = (blocksPerRow_ / groupSpan) * chunksPerGroup;
    V curR[kCursorVectors];
    V curI[kCursorVectors];
    size_t filled = 0;  // chunks whose twiddles are walked
    // Step `step` of the chunk being filled: every cursor's value stored,
    // then one step; a chunk that starts a group starts at the checkpoints.
    const auto fillStep = [&](size_t step) {
      if (step == 0 && filled % chunksPerGroup == 0) {
        for (int v = 0; v < kCursorVectors; ++v) {
          curR[v] = V::Load(initRe + v * kLanes);
          curI[v] = V::Load(initIm + v * kLanes);
        }
      }
      double* re = bufRe[filled & 1] + step * kStepDoubles;
      double* im = bufIm[filled & 1] + step * kStepDoubles;
      for (int v = 0; v < kCursorVectors; ++v) {
        curR[v].Store(re + v * kLanes);
        curI[v].Store(im + v * kLanes);
        Step(curR[v], curI[v], stepR[v], stepI[v]);
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
          SweepBlock<kPasses>(BlockAt(k, g + j0 + j), span, twRe + at,
                              twIm + at);
        }
      }
    }
  }

  // The fused passes of a middle sweep on one block: 2^kPasses values
  // `span` blocks apart, cursor lane l's twiddle at twRe[l], twIm[l].
  template <int kPasses>
  [[gnu::always_inline]] void SweepBlock(double* base, size_t span,
                                         const double* twRe,
                                         const double* twIm) {
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
    WalkFor(kValues);
  }

  void LastSweep() {
    // Cursor lane 2^t - 1 + c: pass 2^t R at c R + p; the last lane idles.
    alignas(64) double initRe[kLanes];
    alignas(64) double initIm[kLanes];
    alignas(64) double stepRe[kLanes];
    alignas(64) double stepIm[kLanes];
    for (int lane = 0; lane < kLanes; ++lane) {
      initRe[lane] = 1.0;
      initIm[lane] = 0.0;
      stepRe[lane] = 0.0;
      stepIm[lane] = 0.0;
    }
    const int firstPass = bits_ - kLaneBits;
    for (int t = 0; t < kLaneBits; ++t) {
      for (int c = 0; c < (1 << t); ++c) {
        const int lane = (1 << t) - 1 + c;
        stepRe[lane] = wpr_[firstPass + t];
        stepIm[lane] = wpi_[firstPass + t];
        if (c > 0) lastGroup_->Checkpoint(t, c, initRe[lane], initIm[lane]);
      }
    }
    V curR = V::Load(initRe);
    V curI = V::Load(initIm);
    const V stepR = V::Load(stepRe);
    const V stepI = V::Load(stepIm);
    const V divisor = V::Set1(static_cast<double>(n_));

    for (size_t u = 0; u < blocksPerRow_; ++u) {
      V twR[kLanes];
      V twI[kLanes];
      for (int k = 0; k < kLanes; ++k) {
        twR[k] = curR;
        twI[k] = curI;
        Step(curR, curI, stepR, stepI);
      }
      simd::TransposeLanes(twR);
      simd::TransposeLanes(twI);

      V re[kLanes];
      V im[kLanes];
      for (int k = 0; k < kLanes; ++k) {
        const double* b = BlockAt(k, u);
        re[k] = V::Load(b);
        im[k] = V::Load(b + kLanes);
      }
      simd::TransposeLanes(re);
      simd::TransposeLanes(im);
      FusedPasses<kLaneBits>(re, im, [&](int lane, V& wr, V& wi) {
        wr = twR[lane];
        wi = twI[lane];
      });
      if (job_.divideAfterPasses) {
        for (int a = 0; a < kLanes; ++a) {
          re[a] = re[a] / divisor;
          im[a] = im[a] / divisor;
        }
      }
      for (int a = 0; a < kLanes; ++a) {
        V lo;
        V hi;
        simd::InterleaveComplex(re[a], im[a], lo, hi);
        double* out = BlockAt(a, u);
        lo.Store(out);
        hi.Store(out + kLanes);
      }
    }
  }

  const TransformJob& job_;
  double* const data_;
  const size_t n_;
  const int bits_;
  const size_t rowLength_;     // R = N / L
  const size_t blocksPerRow_;  // N / L^2
  // The recurrence steps of pass b: cos(theta) - 1 and sin(theta).
  alignas(64) double wpr_[kPassSlots];
  alignas(64) double wpi_[kPassSlots];
  CheckpointWalker walker_;
  Sweep sweeps_[16];
  int sweepCount_ = 0;
  CheckpointGroup* lastGroup_ = nullptr;
  size_t walkRate_ = 0;    // checkpoint steps per block, times 256
  size_t walkCredit_ = 0;  // steps owed, times 256
};

// Lengths 4 .. 16: the whole transform in straight-line code over locals,
// every index known at compile time.  All twiddles of all passes (N - 1
// values) come from their chains walked side by side.

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
      if (q + 1 < (1 << b)) {
        simd::V1 r{wr[b]};
        simd::V1 i{wi[b]};
        Step(r, i, simd::V1{wpr[b]}, simd::V1{wpi[b]});
        wr[b] = r.v;
        wi[b] = i.v;
      }
    }
  }
}

template <int kBits, class VS>
[[gnu::always_inline]] inline void SmallTransform(const TransformJob& job) {
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
#pragma GCC unroll 16
  for (int b = 0; b < kBits; ++b) {
    const int half = 1 << b;
#pragma GCC unroll 64
    for (int t = 0; t < kN; ++t) {
      if ((t & half) != 0) continue;
      const int q = t & (half - 1);
      simd::V1 tr{re[t]};
      simd::V1 ti{im[t]};
      simd::V1 br{re[t + half]};
      simd::V1 bi{im[t + half]};
      Butterfly(tr, ti, br, bi, simd::V1{twr[half - 1 + q]},
                simd::V1{twi[half - 1 + q]});
      re[t] = tr.v;
      im[t] = ti.v;
      re[t + half] = br.v;
      im[t + half] = bi.v;
    }
  }
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

#if defined(ONDAVEL_HAVE_V4)
// Lengths 16 and 32 on AVX2 and AVX-512: straight-line code over vectors of
// C complex values (C = 2 in V4, 4 in V8), interleaved as in the buffer
// (vector j holds values C j .. C j + C - 1).  Passes with H >= C pair
// whole vectors; the smaller ones pair values inside a vector, through
// permutes.  Twiddles from the chains walked as in SmallTransform, C
// consecutive ones per vector.  Below 16 the scalar stores of SmallTransform
// win: the measures that follow read the spectrum in narrower pieces, which
// wide stores cannot hand on to them directly.
namespace complex_small {

// What differs between the widths: gathering C values, a twiddle vector,
// the passes inside one vector, and the complex product's last step.
template <class V>
struct ComplexVector;

template <>
struct ComplexVector<simd::V4> {
  using V = simd::V4;
  static constexpr int kValues = 2;
  static constexpr int kValueBits = 1;

  static V Gather(const double* first, const double* second) {
    return {_mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(first)),
                                 _mm_loadu_pd(second), 1)};
  }
  // (wr br - wi bi, wr bi + wi br) from wr b and wi (b swapped).
  static V SubAdd(V p1, V p2) { return {_mm256_addsub_pd(p1.v, p2.v)}; }
  static V SwapParts(V b) { return {_mm256_permute_pd(b.v, 0x5)}; }
  // Twiddles q0, q0 + 1, each duplicated over its value's two doubles.
  static void Twiddles(const double* twr, const double* twi, V& wr, V& wi) {
    wr = {
        _mm256_permute4x64_pd(_mm256_castpd128_pd256(_mm_loadu_pd(twr)), 0x50)};
    wi = {
        _mm256_permute4x64_pd(_mm256_castpd128_pd256(_mm_loadu_pd(twi)), 0x50)};
  }
  template <class Times>
  static void InsidePasses(V* x, int count, const double* twr,
                           const double* twi, Times times) {
    // H = 1: value 0 takes top + t, value 1 top - t.
    const V w1r = V::Set1(twr[0]);
    const V w1i = V::Set1(twi[0]);
    for (int j = 0; j < count; ++j) {
      const V t = {_mm256_permute2f128_pd(x[j].v, x[j].v, 0x00)};
      const V tw =
          times(w1r, w1i, V{_mm256_permute2f128_pd(x[j].v, x[j].v, 0x11)});
      x[j] = {_mm256_blend_pd((t + tw).v, (t - tw).v, 0xC)};
    }
  }
};

#if defined(ONDAVEL_HAVE_V8)
template <>
struct ComplexVector<simd::V8> {
  using V = simd::V8;
  static constexpr int kValues = 4;
  static constexpr int kValueBits = 2;

  static V Gather(const double* v0, const double* v1, const double* v2,
                  const double* v3) {
    __m512d v = _mm512_castpd128_pd512(_mm_loadu_pd(v0));
    v = _mm512_insertf64x2(v, _mm_loadu_pd(v1), 1);
    v = _mm512_insertf64x2(v, _mm_loadu_pd(v2), 2);
    return {_mm512_insertf64x2(v, _mm_loadu_pd(v3), 3)};
  }
  // The sum everywhere, then the difference over it in the real parts.
  static V SubAdd(V p1, V p2) {
    return {_mm512_mask_sub_pd(_mm512_add_pd(p1.v, p2.v), 0x55, p1.v, p2.v)};
  }
  static V SwapParts(V b) { return {_mm512_permute_pd(b.v, 0x55)}; }
  static void Twiddles(const double* twr, const double* twi, V& wr, V& wi) {
    const __m512i dup = _mm512_setr_epi64(0, 0, 1, 1, 2, 2, 3, 3);
    wr = {_mm512_permutexvar_pd(dup,
                                _mm512_castpd256_pd512(_mm256_loadu_pd(twr)))};
    wi = {_mm512_permutexvar_pd(dup,
                                _mm512_castpd256_pd512(_mm256_loadu_pd(twi)))};
  }
  template <class Times>
  static void InsidePasses(V* x, int count, const double* twr,
                           const double* twi, Times times) {
    // H = 1: q = 0 for both pairs; H = 2: q = 0, 1 for both pairs.
    const V w1r = V::Set1(twr[0]);
    const V w1i = V::Set1(twi[0]);
    const __m512i pairOf2 = _mm512_setr_epi64(0, 0, 1, 1, 0, 0, 1, 1);
    const V w2r = {_mm512_permutexvar_pd(
        pairOf2, _mm512_castpd128_pd512(_mm_loadu_pd(twr + 1)))};
    const V w2i = {_mm512_permutexvar_pd(
        pairOf2, _mm512_castpd128_pd512(_mm_loadu_pd(twi + 1)))};
    const __m512i top1 = _mm512_setr_epi64(0, 1, 0, 1, 4, 5, 4, 5);
    const __m512i bot1 = _mm512_setr_epi64(2, 3, 2, 3, 6, 7, 6, 7);
    const __m512i top2 = _mm512_setr_epi64(0, 1, 2, 3, 0, 1, 2, 3);
    const __m512i bot2 = _mm512_setr_epi64(4, 5, 6, 7, 4, 5, 6, 7);
    for (int j = 0; j < count; ++j) {
      // Values 0 and 2 take top + t, 1 and 3 top - t.
      V t = {_mm512_permutexvar_pd(top1, x[j].v)};
      V tw = times(w1r, w1i, V{_mm512_permutexvar_pd(bot1, x[j].v)});
      x[j] = {_mm512_mask_sub_pd((t + tw).v, 0xCC, t.v, tw.v)};
      // Values 0 and 1 take top + t, 2 and 3 top - t.
      t = {_mm512_permutexvar_pd(top2, x[j].v)};
      tw = times(w2r, w2i, V{_mm512_permutexvar_pd(bot2, x[j].v)});
      x[j] = {_mm512_mask_sub_pd((t + tw).v, 0xF0, t.v, tw.v)};
    }
  }
};
#endif

template <int kBits, class V, class VS>
[[gnu::always_inline]] inline void Transform(const TransformJob& job) {
  using CV = ComplexVector<V>;
  constexpr int kN = 1 << kBits;
  constexpr int kC = CV::kValues;
  constexpr int kVectors = kN / kC;
  alignas(64) double wpr[kPassSlots];
  alignas(64) double wpi[kPassSlots];
  EvaluatePassSteps<VS>(kBits, job.sign, wpr, wpi);

  // Twiddle q of pass b at index 2^b - 1 + q.
  alignas(64) double twr[kN];
  alignas(64) double twi[kN];
  WalkAllChains<kBits>(wpr, wpi, twr, twi);
  // w times b: (wr br - wi bi, wr bi + wi br), the reference's products and
  // operand order.
  const auto times = [](V wr, V wi, V b) {
    return CV::SubAdd(wr * b, wi * CV::SwapParts(b));
  };

  V x[kVectors];
  const double* src = job.source;
  const auto at = [&](int i) {
    return src + 2 * ReverseLowBits(static_cast<uint32_t>(i), kBits);
  };
#pragma GCC unroll 16
  for (int j = 0; j < kVectors; ++j) {
    if constexpr (kC == 2) {
      x[j] = CV::Gather(at(2 * j), at(2 * j + 1));
    } else {
      x[j] = CV::Gather(at(4 * j), at(4 * j + 1), at(4 * j + 2), at(4 * j + 3));
    }
  }
  if (job.windowTable != nullptr) {
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) {
      x[j] = V::Load(job.windowTable + 2 * kC * j) * x[j];
    }
  }
  const V n = V::Set1(static_cast<double>(kN));
  if (job.divideBeforePasses) {
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) x[j] = x[j] / n;
  }
  CV::InsidePasses(x, kVectors, twr, twi, times);
  // H >= C: whole vectors.
#pragma GCC unroll 16
  for (int b = CV::kValueBits; b < kBits; ++b) {
    const int half = 1 << b;  // values
    const int halfVectors = half / kC;
#pragma GCC unroll 16
    for (int j = 0; j < kVectors; ++j) {
      if ((j & halfVectors) != 0) continue;
      const int q = (kC * j) & (half - 1);
      V wr;
      V wi;
      CV::Twiddles(twr + half - 1 + q, twi + half - 1 + q, wr, wi);
      const V t = times(wr, wi, x[j + halfVectors]);
      x[j + halfVectors] = x[j] - t;
      x[j] = x[j] + t;
    }
  }
  double* dst = job.destination;
#pragma GCC unroll 16
  for (int j = 0; j < kVectors; ++j) {
    if (job.divideAfterPasses) x[j] = x[j] / n;
    x[j].Store(dst + 2 * kC * j);
  }
}

}  // namespace complex_small
#endif

}  // namespace transform_simd

#if defined(ONDAVEL_HAVE_V4)
// The widest vector an instruction set has, as complex values.
template <class V>
using ComplexOf = std::conditional_t<(V::kLanes >= 8), V, simd::V4>;
#endif

// Lengths 4 .. 32 run straight-line code (16 and 32 over complex vectors on
// AVX2 and AVX-512, faster there than the lane layout), tested first (the
// order of these tests measurably moves the shortest lengths); longer ones
// below L*L on narrower vectors; 1 and 2 on the reference.
template <class V>
void TransformSimd(const TransformJob& job) {
  const int32_t n = job.length;
  switch (n) {
    case 4:
      transform_simd::SmallTransform<2, V>(job);
      return;
    case 8:
      transform_simd::SmallTransform<3, V>(job);
      return;
    case 16:
#if defined(ONDAVEL_HAVE_V4)
      if constexpr (V::kLanes >= 4) {
        transform_simd::complex_small::Transform<4, ComplexOf<V>, V>(job);
        return;
      }
#endif
      transform_simd::SmallTransform<4, V>(job);
      return;
    case 32:
#if defined(ONDAVEL_HAVE_V4)
      if constexpr (V::kLanes >= 4) {
        transform_simd::complex_small::Transform<5, ComplexOf<V>, V>(job);
        return;
      }
#endif
      break;
    default:
      if (n < 4) {
        TransformScalar(job);
        return;
      }
      break;
  }
#if defined(ONDAVEL_HAVE_V8)
  if constexpr (V::kLanes >= 8) {
    if (n >= 64) {
      transform_simd::LaneTransform<simd::V8, V>(job).Run();
      return;
    }
  }
#endif
#if defined(ONDAVEL_HAVE_V4)
  if constexpr (V::kLanes >= 4) {
    if (n >= 16) {
      transform_simd::LaneTransform<simd::V4, V>(job).Run();
      return;
    }
  }
#endif
  if (n >= 4) {
    transform_simd::LaneTransform<simd::V2, V>(job).Run();
    return;
  }
  TransformScalar(job);
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
