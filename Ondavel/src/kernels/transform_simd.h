// The transform over vectors of doubles, compiled once per instruction set.
// PLACEHOLDER: forwards to the scalar kernel until the vector version lands.
#ifndef ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
#define ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_

#include "kernels/kernels.h"
#include "kernels/simd/vec.h"
#include "kernels/transform_scalar.h"

namespace ondavel {

template <class V>
void TransformSimd(const TransformJob& job) {
  TransformScalar(job);
}

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TRANSFORM_SIMD_H_
