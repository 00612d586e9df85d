// Pieces of the reference transform.  Its twiddle step, butterfly and pass
// steps are those of transform/pass_arithmetic.h on plain doubles, the
// code every faster path runs in its lanes.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SCALAR_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SCALAR_H_

#include <cstddef>

#include "constants.h"
#include "kernels/kernels.h"
#include "kernels/transform/pass_arithmetic.h"

namespace ondavel {

// The recurrence step of one butterfly pass: cos(theta) - 1 and sin(theta).
using PassTwiddle = PassStep<double>;

// Two sine evaluations for the pass whose groups hold `groupLength` values.
PassTwiddle PassTwiddleOf(size_t groupLength, double sign);

void GatherScalar(const TransformJob& job);
void DivideByLengthScalar(double* data, int32_t length);
void ButterflyPassesScalar(double* data, size_t length, double sign);
void TransformScalar(const TransformJob& job);

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SCALAR_H_
