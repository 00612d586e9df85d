#include "kernels/measures_scalar.h"

#include <cmath>

#include "constants.h"
#include "phase_wrap.h"

namespace ondavel {

void MagnitudeRatioScalar(const double* spectrum, double* ratio,
                          int32_t length) {
  // Bin 0 keeps its sign: the two channels' DC values are real.
  ratio[0] = spectrum[1] / spectrum[0];
  const size_t n = static_cast<size_t>(length);
  for (size_t k = 1, end = UpperBinEnd(length); k < end; ++k) {
    const ChannelSums s = SumsAt(spectrum, k, n);
    const double right =
        SumInOrder(s.rightRe * s.rightRe, s.rightIm * s.rightIm);
    const double left = SumInOrder(s.leftRe * s.leftRe, s.leftIm * s.leftIm);
    ratio[k] = std::sqrt(right / left);
  }
}

void PhaseDifferenceScalar(const double* spectrum, double* phase,
                           int32_t length) {
  phase[0] = 0.0;
  const size_t n = static_cast<size_t>(length);
  for (size_t k = 1, end = UpperBinEnd(length); k < end; ++k) {
    const ChannelSums s = SumsAt(spectrum, k, n);
    const double right = GuardedAngle(s.rightIm, s.rightRe);
    const double left = GuardedAngle(s.leftIm, s.leftRe);
    // Both angles lie in [-pi, pi]: at most one step.
    phase[k] = WrapPhaseStepwise(right - left);
  }
}

void ChannelPhasesScalar(const double* spectrum, double* left, double* right,
                         int32_t length) {
  left[0] = kPi;
  right[0] = kPi;
  const size_t n = static_cast<size_t>(length);
  for (size_t k = 1, end = UpperBinEnd(length); k < end; ++k) {
    const ChannelSums s = SumsAt(spectrum, k, n);
    left[k] = GuardedAngle(s.leftIm, s.leftRe);
    right[k] = GuardedAngle(s.rightIm, s.rightRe);
  }
}

void ChannelMagnitudesScalar(const double* spectrum, double* left,
                             double* right, int32_t length) {
  left[0] = std::fabs(spectrum[0]);
  right[0] = std::fabs(spectrum[1]);
  const size_t n = static_cast<size_t>(length);
  for (size_t k = 1, end = UpperBinEnd(length); k < end; ++k) {
    const ChannelSums s = SumsAt(spectrum, k, n);
    left[k] =
        std::sqrt(SumInOrder(s.leftRe * s.leftRe, s.leftIm * s.leftIm)) * 0.5;
    right[k] =
        std::sqrt(SumInOrder(s.rightRe * s.rightRe, s.rightIm * s.rightIm)) *
        0.5;
  }
}

}  // namespace ondavel
