// Pieces of the reference transform, shared with the faster paths so that
// every path takes its twiddles from the same arithmetic.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SCALAR_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SCALAR_H_

#include <cstddef>

#include "constants.h"
#include "kernels/kernels.h"

namespace ondavel {

// The recurrence step of one butterfly pass: cos(theta) - 1 and sin(theta).
struct PassTwiddle {
  double wpr;
  double wpi;
};

// Two sine evaluations for the pass whose groups hold `groupLength` values.
PassTwiddle PassTwiddleOf(size_t groupLength, double sign);

// Internal linkage: this header is compiled into every instruction-set
// file with different target flags, and the linker must never merge an
// AVX-encoded copy into a path meant for an older processor.
namespace {

// One twiddle step, each product and sum rounded in the order written.
inline void AdvanceTwiddle(double& wr, double& wi, PassTwiddle step) {
  const double oldWr = wr;
  wr = (wr * step.wpr + wr) - wi * step.wpi;
  wi = (wi * step.wpr + wi) + oldWr * step.wpi;
}

}  // namespace

void GatherScalar(const TransformJob& job);
void DivideByLengthScalar(double* data, int32_t length);
void ButterflyPassesScalar(double* data, size_t length, double sign);
void TransformScalar(const TransformJob& job);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SCALAR_H_
