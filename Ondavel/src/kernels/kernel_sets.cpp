// The kernel sets of the back-ends built into this library: the scalar
// reference and those that cmake/Backends.cmake lists for this architecture
// (generated into built_backends.inc).
#include "backends.h"
#include "kernels/isa_kernels.h"
#include "kernels/kernels.h"

namespace ondavel {

#define ONDAVEL_BACKEND(Backend) ONDAVEL_DECLARE_BACKEND_KERNELS(Backend)
#include "built_backends.inc"
#undef ONDAVEL_BACKEND

namespace {

#define ONDAVEL_BACKEND(Backend)                                   \
  constexpr KernelSet k##Backend##Kernels = {                      \
      BackendOf(Isa::k##Backend).name, Transform##Backend,         \
      MagnitudeRatio##Backend,         PhaseDifference##Backend,   \
      ChannelPhases##Backend,          ChannelMagnitudes##Backend, \
      FastSineArray##Backend,          Atan2Array##Backend,        \
  };
#include "built_backends.inc"
#undef ONDAVEL_BACKEND

struct BuiltSet {
  Isa isa;
  const KernelSet* kernels;
};

constexpr BuiltSet kBuiltSets[] = {
    {Isa::kScalar, &kScalarKernels},
#define ONDAVEL_BACKEND(Backend) {Isa::k##Backend, &k##Backend##Kernels},
#include "built_backends.inc"
#undef ONDAVEL_BACKEND
};

}  // namespace

const KernelSet* BuiltKernels(Isa isa) {
  for (const BuiltSet& s : kBuiltSets) {
    if (s.isa == isa) return s.kernels;
  }
  return nullptr;
}

}  // namespace ondavel
