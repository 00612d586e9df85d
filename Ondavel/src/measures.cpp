// The per-bin measures of a packed stereo spectrum.  Each reads the recorded
// length once and runs the active kernel over the caller's arrays.
#include "Ondavel.h"
#include "dispatch.h"
#include "engine_state.h"

using ondavel::activeKernels;
using ondavel::engine;

extern "C" ONDAVEL_API void ONDAVEL_CALL Ondavel_ACH_LR(const double* spectrum,
                                                        double* ratio) {
  activeKernels->magnitudeRatio(spectrum, ratio, engine.length);
}

extern "C" ONDAVEL_API void ONDAVEL_CALL Ondavel_PhaseLR(const double* spectrum,
                                                         double* phase) {
  activeKernels->phaseDifference(spectrum, phase, engine.length);
}

extern "C" ONDAVEL_API void ONDAVEL_CALL Ondavel_ArgLR(const double* spectrum,
                                                       double* leftPhase,
                                                       double* rightPhase) {
  activeKernels->channelPhases(spectrum, leftPhase, rightPhase, engine.length);
}

extern "C" ONDAVEL_API void ONDAVEL_CALL Ondavel_MagLR(const double* spectrum,
                                                       double* leftMagnitude,
                                                       double* rightMagnitude) {
  activeKernels->channelMagnitudes(spectrum, leftMagnitude, rightMagnitude,
                                   engine.length);
}
