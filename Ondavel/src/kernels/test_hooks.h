// Each back-end's sine and arctangent over arrays, element by element, for
// the tests and benchmarks that compare the back-ends (the kernels call
// them inline).  Not part of the library: these are compiled per back-end
// into the OndavelTestHooks objects, which only the internal archive holds;
// backend_test_hooks.h finds a back-end's.
#ifndef ONDAVEL_SRC_KERNELS_TEST_HOOKS_H_
#define ONDAVEL_SRC_KERNELS_TEST_HOOKS_H_

#include <cstddef>

namespace ondavel {

using SineArray = void (*)(const double* x, double* y, size_t count);
using Atan2Array = void (*)(const double* y, const double* x, double* angle,
                            size_t count);

struct BackendTestHooks {
  SineArray fastSineArray;  // FastSineV
  Atan2Array atan2Array;    // simd::Atan2
};

}  // namespace ondavel

#endif  // ONDAVEL_SRC_KERNELS_TEST_HOOKS_H_
