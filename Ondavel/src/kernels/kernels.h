// The numeric kernels behind the exports, over plain arrays.  Each
// instruction-set path provides one KernelSet; the scalar set is the
// reference every other path must match bit for bit.
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

struct KernelSet {
  const char* name;
  TransformKernel transform;
  OneOutputMeasure magnitudeRatio;     // Ondavel_ACH_LR
  OneOutputMeasure phaseDifference;    // Ondavel_PhaseLR
  TwoOutputMeasure channelPhases;      // Ondavel_ArgLR
  TwoOutputMeasure channelMagnitudes;  // Ondavel_MagLR
};

// The paths, lowest first.  Only the scalar set exists on every processor;
// the others are compiled for x86 (32- and 64-bit) and chosen at run time.
enum class Isa { kScalar, kSse2, kAvx2, kAvx512 };

extern const KernelSet kScalarKernels;
#if defined(__x86_64__) || defined(_M_X64) || defined(__i386__) || \
    defined(_M_IX86)
#define ONDAVEL_X86_KERNELS 1
extern const KernelSet kSse2Kernels;
extern const KernelSet kAvx2Kernels;
extern const KernelSet kAvx512Kernels;
#endif

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_KERNELS_H_
