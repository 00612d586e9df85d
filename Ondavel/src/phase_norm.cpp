// Ondavel_PhaseNorm: the phase-difference wrap offered for a single angle.
#include <cmath>

#include "Ondavel.h"
#include "constants.h"
#include "phase_wrap.h"

namespace {

// Up to this many turns the angle is stepped exactly as the phase
// difference is; beyond, stepping would take time in proportion to the
// angle (forever for infinities), so a remainder takes over.
constexpr double kSteppedLimit = 1024.0 * ondavel::kTwoPi;

double WrapByRemainder(double v) {
  // fmod is exact: r = v - k * 2pi for an integer k, with the sign of v.
  double r = std::fmod(v, ondavel::kTwoPi);
  if (v > 0.0) {
    if (r >= ondavel::kPi) r = r - ondavel::kTwoPi;
  } else if (r <= -ondavel::kPi) {
    r = r + ondavel::kTwoPi;
  }
  return r;
}

}  // namespace

extern "C" ONDAVEL_API double ONDAVEL_CALL Ondavel_PhaseNorm(double angle) {
  if (std::isinf(angle)) return std::nan("");
  if (std::fabs(angle) <= kSteppedLimit || std::isnan(angle)) {
    return ondavel::WrapPhaseStepwise(angle);
  }
  return WrapByRemainder(angle);
}
