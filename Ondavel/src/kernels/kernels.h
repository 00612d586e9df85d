// The numeric kernels behind the exports, over plain arrays.  Each
// instruction-set back-end provides one KernelSet; the scalar set is the
// reference every other path must match bit for bit.
#ifndef ONDAVEL_SRC_KERNELS_KERNELS_H_
#define ONDAVEL_SRC_KERNELS_KERNELS_H_

#include <cstddef>
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
// The set's sine and arctangent over arrays, element by element, for the
// tests and benchmarks that compare the sets (the kernels call them inline).
using SineArray = void (*)(const double* x, double* y, size_t count);
using Atan2Array = void (*)(const double* y, const double* x, double* angle,
                            size_t count);

struct KernelSet {
  const char* name;
  TransformKernel transform;
  OneOutputMeasure magnitudeRatio;     // Ondavel_ACH_LR
  OneOutputMeasure phaseDifference;    // Ondavel_PhaseLR
  TwoOutputMeasure channelPhases;      // Ondavel_ArgLR
  TwoOutputMeasure channelMagnitudes;  // Ondavel_MagLR
  SineArray fastSineArray;             // FastSineV
  Atan2Array atan2Array;               // simd::Atan2
};

// The reference set, built everywhere; the instruction-set back-ends'
// sets are listed in backends.h.
extern const KernelSet kScalarKernels;

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_KERNELS_H_
