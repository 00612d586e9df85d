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
using TransformFunction = void(const TransformJob& job);
using OneOutputFunction = void(const double* spectrum, double* out,
                               int32_t length);
using TwoOutputFunction = void(const double* spectrum, double* left,
                               double* right, int32_t length);
using TransformKernel = TransformFunction*;
using OneOutputMeasure = OneOutputFunction*;
using TwoOutputMeasure = TwoOutputFunction*;

// Every kernel of a back-end, one entry each:
//   X(Name, member, Function, argument)
// Back-end B implements it as the function NameB of type Function (the
// scalar reference as NameScalar), and its table holds it as `member`.
// `argument` is passed through for the caller's use.
#define ONDAVEL_KERNELS(X, argument)                               \
  X(Transform, transform, TransformFunction, argument)             \
  X(MagnitudeRatio, magnitudeRatio, OneOutputFunction, argument)   \
  X(PhaseDifference, phaseDifference, OneOutputFunction, argument) \
  X(ChannelPhases, channelPhases, TwoOutputFunction, argument)     \
  X(ChannelMagnitudes, channelMagnitudes, TwoOutputFunction, argument)

// One back-end's kernels, in the list's order: the exports Ondavel_Process,
// Ondavel_ACH_LR, Ondavel_PhaseLR, Ondavel_ArgLR and Ondavel_MagLR.  Tables
// are generated from the list with designated initialisers, so no slot can
// be set from another kernel even where two share a type.
struct BackendKernels {
#define ONDAVEL_KERNEL_MEMBER(Name, member, Function, argument) \
  Function* member;
  ONDAVEL_KERNELS(ONDAVEL_KERNEL_MEMBER, )
#undef ONDAVEL_KERNEL_MEMBER
};

// The reference kernels, built everywhere; every other back-end's kernels
// must match them bit for bit.  dispatch.cpp.
extern const BackendKernels kScalarKernels;

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_KERNELS_H_
