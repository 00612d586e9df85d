// The recurrence steps of every pass, cos(theta) - 1 and sin(theta) as the
// reference forms them, from the 2 log2 N sines a transform evaluates on
// every call.  Three ways to evaluate them, by how many fit a vector.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_STEPS_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_STEPS_H_

#include <cstdint>

#include "constants.h"
#include "kernels/fast_sine.h"
#include "kernels/simd/keep_evaluated.h"
#include "kernels/simd/vec.h"
#include "kernels/transform/pass_arithmetic.h"

namespace ondavel {

// Internal linkage on purpose: each instruction-set file compiles its own
// copy with its own flags, and the linker must not merge them.
namespace {

// The step of the pass with angle theta (sign included) on one double, as
// the reference and the scalar evaluations form it.
inline PassStep<double> PassStepOf(double theta) {
  const double alpha = FastSine(0.5 * theta);
  return PassStepFrom(FastSine(theta), alpha);
}

namespace transform_simd {

using simd::KeepEvaluated;

// Room for the steps of every pass, padded to whole vectors of sines: the
// passes are evaluated kWidestLanes at a time, so the longest length's
// last vector reaches past its last pass.
constexpr int kMaxPasses = 32;
constexpr int kWidestLanes = 8;
constexpr int kPassSlots = kMaxPasses + kWidestLanes;
static_assert(kMaxLengthBits <= kMaxPasses);
static_assert((kMaxLengthBits + kWidestLanes - 1) / kWidestLanes *
                  kWidestLanes <=
              kPassSlots);

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
  // Every lane's pair; the theta lanes give wpi, the half lanes wpr.
  const PassStep<VP> steps = PassStepFrom(sines, sines);
  alignas(64) double sine[kLanes];
  alignas(64) double twiceSquare[kLanes];
  steps.wpi.Store(sine);
  steps.wpr.Store(twiceSquare);
  for (int b = 0; b < bits; ++b) {
    wpr[b] = twiceSquare[kLanes / 2 + b];
    wpi[b] = sine[b];
  }
}

// The recurrence steps of the passes b = 0 .. bits - 1, PassStepFrom on
// FastSineV (FastSine's double in every lane, which is std::sin's for
// every pass argument: fast_sine_test).  All 2 bits sines
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
      const PassStep<double> step = PassStepOf(kPassAngles.angle[b] * sign);
      wpr[b] = step.wpr;
      wpi[b] = step.wpi;
      KeepEvaluated(simd::V1{wpr[b]});
      KeepEvaluated(simd::V1{wpi[b]});
    }
  } else {
    // Eight lanes or more pack up to two passes into the half-width vector.
    if constexpr (kLanes >= 8) {
      using Narrow = typename VS::Half;
      if (bits <= Narrow::kLanes / 2) {
        PackedPassSteps<Narrow>(bits, sign, wpr, wpi);
        return;
      }
    }
    if (bits <= kLanes / 2) {
      PackedPassSteps<VS>(bits, sign, wpr, wpi);
      return;
    }
    const VS signs = VS::Set1(sign);
    const VS half = VS::Set1(0.5);
    for (int b = 0; b < bits; b += kLanes) {
      const VS theta = VS::Load(kPassAngles.angle + b) * signs;
      const VS sines = FastSineV(theta);
      const VS alpha = FastSineV(half * theta);
      KeepEvaluated(sines);
      KeepEvaluated(alpha);
      const PassStep<VS> steps = PassStepFrom(sines, alpha);
      steps.wpi.Store(wpi + b);
      steps.wpr.Store(wpr + b);
    }
  }
}

}  // namespace transform_simd
}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_PASS_STEPS_H_
