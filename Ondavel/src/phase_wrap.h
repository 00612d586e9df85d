// Wrapping an angle into one turn by whole steps of 2 pi.
#ifndef ONDAVEL_SRC_PHASE_WRAP_H_
#define ONDAVEL_SRC_PHASE_WRAP_H_

#include "constants.h"

namespace ondavel {

// Internal linkage: this header is compiled into every instruction-set
// file with different target flags, and the linker must never merge an
// AVX-encoded copy into a path meant for an older processor.
namespace {

// A positive angle ends in [-pi, pi), any other in (-pi, pi]; NaN is kept.
// Each step is one rounded subtraction or addition of 2 pi, so the loop only
// terminates for finite angles; callers bound the number of steps.
inline double WrapPhaseStepwise(double v) {
  if (v > 0.0) {
    while (v >= kPi) v = v - kTwoPi;
  } else {
    while (v <= -kPi) v = v + kTwoPi;
  }
  return v;
}

}  // namespace
}  // namespace ondavel

#endif  // ONDAVEL_SRC_PHASE_WRAP_H_
