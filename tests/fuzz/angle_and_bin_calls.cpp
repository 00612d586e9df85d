// The exports without buffers: the angle wrap and the bin mapping, against
// the rules the header states for them.
#include <Ondavel.h>

#include <cmath>
#include <cstdint>

#include "calls.h"
#include "comparison.h"

namespace ondavel_fuzz {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr int32_t kNoBin = INT32_MIN;

// The stepwise wrap: whole steps of 2 pi, each one rounded subtraction or
// addition.
double WrapByStepping(double v) {
  if (v > 0.0) {
    while (v >= kPi) v = v - kTwoPi;
  } else {
    while (v <= -kPi) v = v + kTwoPi;
  }
  return v;
}

}  // namespace

void CallPhaseNorm(InputReader& in) {
  const double angle = in.Double();
  const double wrapped = Ondavel_PhaseNorm(angle);
  if (!std::isfinite(angle)) {
    if (!std::isnan(wrapped))
      Fail("PhaseNorm(%a) is %a, not NaN", angle, wrapped);
    return;
  }
  const bool inInterval = angle > 0.0 ? wrapped >= -kPi && wrapped < kPi
                                      : wrapped > -kPi && wrapped <= kPi;
  if (!inInterval)
    Fail("PhaseNorm(%a) is %a, outside its interval", angle, wrapped);
  // Within 1024 turns the steps are taken one by one (at most 1025 here).
  if (std::fabs(angle) <= 1024.0 * kTwoPi &&
      Bits(wrapped) != Bits(WrapByStepping(angle))) {
    Fail("PhaseNorm(%a) is %a, stepping gives %a", angle, wrapped,
         WrapByStepping(angle));
  }
}

void CallFftNode(InputReader& in, const Session& session) {
  const double frequency = in.Double();
  const double rate = in.Double();
  const int32_t bin = Ondavel_FFT_Node(frequency, rate);
  const double quotient =
      (static_cast<double>(session.length) * frequency) / rate;
  int32_t expected = kNoBin;
  // Beyond 2^32 no single-precision ceiling can be an int32.
  if (rate != 0.0 && std::fabs(quotient) < 0x1p32) {
    const float ceiling = std::ceil(static_cast<float>(quotient));
    if (ceiling >= -2147483648.0f && ceiling < 2147483648.0f) {
      expected = static_cast<int32_t>(ceiling);
    }
  }
  if (bin != expected) {
    Fail("FFT_Node(%a, %a) for length %d is %d, not %d", frequency, rate,
         session.length, bin, expected);
  }
}

void CallFreqNode(InputReader& in, const Session& session) {
  const int32_t bin = in.Byte() < 0x80 ? in.Byte() : in.I32();
  const double rate = in.Double();
  const double frequency = Ondavel_FreqNode(bin, rate);
  const double expected =
      (static_cast<double>(bin) * rate) / static_cast<double>(session.length);
  if (!SameValue(frequency, expected)) {
    Fail("FreqNode(%d, %a) for length %d is %a, not %a", bin, rate,
         session.length, frequency, expected);
  }
}

}  // namespace ondavel_fuzz
