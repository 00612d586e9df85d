// The per-bin measures over vectors of doubles, compiled once per
// instruction set.
//
// A vector holds L consecutive bins k .. k + L - 1: Z[k] is read ascending
// and Z[N - k] descending, both split into real and imaginary parts, so each
// lane computes the reference's sums, in its operand order, for its bin.
// The magnitudes round exactly as the scalar code; the angles use Atan2
// (atan2_simd.h) instead of std::atan2, with the guard and the wrap as
// selects, and give the same bits on every path.
//
// Lengths: the bins 1 .. N/2 - 1 go in whole vectors, the last one
// overlapping its predecessor (a bin written twice gets the same value).
// Fewer bins than lanes fall to the next narrower vector, down to one
// double, except for the angles (SmallBinAngles).
#ifndef ONDAVEL_SRC_KERNELS_MEASURES_SIMD_H_
#define ONDAVEL_SRC_KERNELS_MEASURES_SIMD_H_

#include <cstddef>
#include <cstdint>

#include "constants.h"
#include "kernels/atan2_simd.h"
#include "kernels/measures_scalar.h"
#include "kernels/simd/vec.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {
namespace measures_simd {

using simd::V1;

template <class V>
struct Sums {
  V leftRe, leftIm, rightRe, rightIm;
};

// The sums of SumsAt for bins k .. k + L - 1.
template <class V>
Sums<V> SumsFrom(const double* spectrum, size_t k, size_t length) {
  V a, b, c, d;
  simd::LoadComplexSplit(spectrum + 2 * k, a, b);
  simd::LoadComplexSplitDescending(
      spectrum + 2 * (length - k - (V::kLanes - 1)), c, d);
  return {AddInOrder(a, c), b - d, AddInOrder(b, d), c - a};
}

// GuardedAngle with Atan2.
template <class V>
[[gnu::always_inline]] inline V Angle(V im, V re) {
  return Select(Abs(re) < V::Set1(kAngleGuard), V::Zero(), simd::Atan2(im, re));
}

// Angle of both channels of the sums, right and left: one Atan2Pair, whose
// interleaved chains are faster than two Atan2 calls.
template <class V>
[[gnu::always_inline]] inline void Angles(const Sums<V>& s, V& right, V& left) {
  if constexpr (V::kLanes == 1) {
    right = Angle(s.rightIm, s.rightRe);
    left = Angle(s.leftIm, s.leftRe);
  } else {
    simd::Atan2Pair(s.rightIm, s.rightRe, s.leftIm, s.leftRe, right, left);
    const V guard = V::Set1(kAngleGuard);
    right = Select(Abs(s.rightRe) < guard, V::Zero(), right);
    left = Select(Abs(s.leftRe) < guard, V::Zero(), left);
  }
}

// WrapPhaseStepwise for a difference of two angles in [-pi, pi]: one step,
// which is exact (Sterbenz), and none for NaN.
template <class V>
V WrapOnce(V v) {
  const V pi = V::Set1(kPi);
  const V twoPi = V::Set1(kTwoPi);
  return Select(v >= pi, v - twoPi, Select(v <= V::Set1(-kPi), v + twoPi, v));
}

// Calls step.template operator()<W>(k) for blocks of bins covering
// 1 .. end - 1, with W = V where there are at least L bins.
template <class V, class Step>
void ForEachBlock(size_t end, const Step& step) {
  constexpr size_t kLanes = V::kLanes;
  if constexpr (kLanes > 1) {
    if (end - 1 < kLanes) {
      ForEachBlock<typename V::Half>(end, step);
      return;
    }
  }
  // One call site, so that an inlined step is compiled once.  (Not
  // std::min: its out-of-line copy would be shared with other
  // instruction-set files.)
  const size_t last = end - kLanes;
  for (size_t k = 1;; k = k + kLanes < last ? k + kLanes : last) {
    step.template operator()<V>(k);
    if (k == last) return;
  }
}

struct RatioStep {
  const double* spectrum;
  double* ratio;
  size_t length;
  template <class V>
  void operator()(size_t k) const {
    const Sums<V> s = SumsFrom<V>(spectrum, k, length);
    const V right = AddInOrder(s.rightRe * s.rightRe, s.rightIm * s.rightIm);
    const V left = AddInOrder(s.leftRe * s.leftRe, s.leftIm * s.leftIm);
    Sqrt(right / left).Store(ratio + k);
  }
};

struct PhaseStep {
  const double* spectrum;
  double* phase;
  size_t length;
  // Inlined: the loop then keeps Atan2's constants instead of setting them
  // up on every call.
  template <class V>
  [[gnu::always_inline]] void operator()(size_t k) const {
    const Sums<V> s = SumsFrom<V>(spectrum, k, length);
    V right, left;
    Angles(s, right, left);
    WrapOnce(right - left).Store(phase + k);
  }
};

struct AnglesStep {
  const double* spectrum;
  double* left;
  double* right;
  size_t length;
  template <class V>
  [[gnu::always_inline]] void operator()(size_t k) const {
    const Sums<V> s = SumsFrom<V>(spectrum, k, length);
    V r, l;
    Angles(s, r, l);
    l.Store(left + k);
    r.Store(right + k);
  }
};

struct MagnitudesStep {
  const double* spectrum;
  double* left;
  double* right;
  size_t length;
  template <class V>
  void operator()(size_t k) const {
    const Sums<V> s = SumsFrom<V>(spectrum, k, length);
    const V half = V::Set1(0.5);
    (Sqrt(AddInOrder(s.leftRe * s.leftRe, s.leftIm * s.leftIm)) * half)
        .Store(left + k);
    (Sqrt(AddInOrder(s.rightRe * s.rightRe, s.rightIm * s.rightIm)) * half)
        .Store(right + k);
  }
};

// The sums of a block of W bins 1 .. W of which at most W - 1 are asked
// for: the top lane, the middle bin N/2 for a power-of-two N, has imaginary
// sums of exactly zero, which would send the whole vector down Atan2's general
// path; it gets its neighbour's sums instead (its angle is never kept).
template <class V>
Sums<V> SumsBelowTop(const double* spectrum, size_t length) {
  const Sums<V> s = SumsFrom<V>(spectrum, 1, length);
  return {simd::RepeatBelowTop(s.leftRe), simd::RepeatBelowTop(s.leftIm),
          simd::RepeatBelowTop(s.rightRe), simd::RepeatBelowTop(s.rightIm)};
}

// The angles of bins 1 .. count when there are fewer than L bins, in as
// few Atan2 calls as possible (a call costs about the same at every width):
// a single bin's two angles as the lanes of one V2; up to L/2 bins with both
// channels in one V; else one block of L bins, computed past the last bin
// (still inside the spectrum: N - 1 >= L there) and kept to count.
template <class V>
class SmallBinAngles {
 public:
  // Angles of bin k (1 <= k <= count).
  double Right(size_t k) const { return storage_[k - 1]; }
  double Left(size_t k) const { return storage_[leftOffset_ + k - 1]; }

  SmallBinAngles(const double* spectrum, size_t length, size_t count) {
    if (count == 1) {  // N = 4: straight from registers, latency bound
      const ChannelSums s = SumsAt(spectrum, 1, length);
      const simd::V2 angles = Angle(Combine(V1{s.rightIm}, V1{s.leftIm}),
                                    Combine(V1{s.rightRe}, V1{s.leftRe}));
      storage_[0] = LowerHalf(angles).v;
      storage_[1] = UpperHalf(angles).v;
      leftOffset_ = 1;
      return;
    }
    if constexpr (V::kLanes >= 4) {
      using Half = typename V::Half;
      if (count <= Half::kLanes) {
        const Sums<Half> s = count < Half::kLanes
                                 ? SumsBelowTop<Half>(spectrum, length)
                                 : SumsFrom<Half>(spectrum, 1, length);
        Angle(Combine(s.rightIm, s.leftIm), Combine(s.rightRe, s.leftRe))
            .Store(storage_);
        leftOffset_ = Half::kLanes;
        return;
      }
    }
    const Sums<V> s = SumsBelowTop<V>(spectrum, length);
    Angle(s.rightIm, s.rightRe).Store(storage_);
    Angle(s.leftIm, s.leftRe).Store(storage_ + V::kLanes);
  }

 private:
  double storage_[2 * V::kLanes];
  size_t leftOffset_ = V::kLanes;
};

}  // namespace measures_simd

template <class V>
void MagnitudeRatioSimd(const double* spectrum, double* ratio, int32_t length) {
  ratio[0] = spectrum[1] / spectrum[0];
  const size_t end = UpperBinEnd(length);
  if (end <= 1) return;
  measures_simd::ForEachBlock<V>(
      end,
      measures_simd::RatioStep{spectrum, ratio, static_cast<size_t>(length)});
}

template <class V>
void PhaseDifferenceSimd(const double* spectrum, double* phase,
                         int32_t length) {
  phase[0] = 0.0;
  const size_t end = UpperBinEnd(length);
  if (end <= 1) return;
  const auto n = static_cast<size_t>(length);
  if (end - 1 < V::kLanes) {
    const measures_simd::SmallBinAngles<V> angles(spectrum, n, end - 1);
    for (size_t k = 1; k < end; ++k) {
      phase[k] = measures_simd::WrapOnce(simd::V1{angles.Right(k)} -
                                         simd::V1{angles.Left(k)})
                     .v;
    }
    return;
  }
  measures_simd::ForEachBlock<V>(end,
                                 measures_simd::PhaseStep{spectrum, phase, n});
}

template <class V>
void ChannelPhasesSimd(const double* spectrum, double* left, double* right,
                       int32_t length) {
  left[0] = kPi;
  right[0] = kPi;
  const size_t end = UpperBinEnd(length);
  if (end <= 1) return;
  const auto n = static_cast<size_t>(length);
  if (end - 1 < V::kLanes) {
    const measures_simd::SmallBinAngles<V> angles(spectrum, n, end - 1);
    for (size_t k = 1; k < end; ++k) {
      left[k] = angles.Left(k);
      right[k] = angles.Right(k);
    }
    return;
  }
  measures_simd::ForEachBlock<V>(
      end, measures_simd::AnglesStep{spectrum, left, right, n});
}

template <class V>
void ChannelMagnitudesSimd(const double* spectrum, double* left, double* right,
                           int32_t length) {
  left[0] = std::fabs(spectrum[0]);
  right[0] = std::fabs(spectrum[1]);
  const size_t end = UpperBinEnd(length);
  if (end <= 1) return;
  measures_simd::ForEachBlock<V>(
      end, measures_simd::MagnitudesStep{spectrum, left, right,
                                         static_cast<size_t>(length)});
}

}  // namespace

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_MEASURES_SIMD_H_
