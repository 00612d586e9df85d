// The numeric kernels behind the exports, over plain arrays.  Each
// instruction-set back-end provides one table of them.
#ifndef ONDAVEL_SRC_KERNELS_KERNELS_H_
#define ONDAVEL_SRC_KERNELS_KERNELS_H_

#include <cstdint>

namespace ondavel {

struct TransformJob {
  const double* source;         // 2N doubles, read only
  double* destination;          // 2N doubles, written
  const int32_t* reorderTable;  // 2N source indices, counted in doubles
  const double* windowTable;    // 2N taper factors, or null for no taper
  int32_t length;               // N, a power of two >= 1
  double sign;                  // -1.0 forward, +1.0 inverse
  bool divideBeforePasses;      // inverse transform carrying the 1/N factor
  bool divideAfterPasses;       // forward transform carrying the 1/N factor
};

// Measures take the spectrum and the recorded length N (any value; bins
// 1 .. N/2 - 1 are only visited for N >= 4).
using TransformKernel = void (*)(const TransformJob& job);
using OneOutputMeasure = void (*)(const double* spectrum, double* out,
                                  int32_t length);
using TwoOutputMeasure = void (*)(const double* spectrum, double* left,
                                  double* right, int32_t length);
// One back-end's kernels.  Every table is written with designated
// initialisers (.transform = ...), so a slot set under the wrong name does
// not compile even where two slots share a type.
struct BackendKernels {
  TransformKernel transform;
  OneOutputMeasure magnitudeRatio;     // Ondavel_ACH_LR
  OneOutputMeasure phaseDifference;    // Ondavel_PhaseLR
  TwoOutputMeasure channelPhases;      // Ondavel_ArgLR
  TwoOutputMeasure channelMagnitudes;  // Ondavel_MagLR
};

// The reference kernels, built everywhere; every other back-end's kernels
// must match them bit for bit.  dispatch.cpp.
extern const BackendKernels kScalarKernels;

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_KERNELS_H_
