#include "dispatch.h"

#include <cstdlib>

#include "cpu_features.h"

namespace ondavel {

constinit const KernelSet* activeKernels = &kScalarKernels;

// The features are read anew at every set-up (a few hundred cycles), so the
// library keeps no hidden state and needs no thread-safe static
// initialisation.
Isa BestSupportedIsa() { return BestIsaFor(ReadCpuFeatures()); }

Isa RequestedIsa() {
  return ChosenIsa(ReadCpuFeatures(), std::getenv("ONDAVEL_ISA"));
}

const KernelSet& KernelsFor(Isa isa) {
  const KernelSet* kernels = BuiltKernels(isa);
  return kernels != nullptr ? *kernels : kScalarKernels;
}

void SelectKernels() { activeKernels = &KernelsFor(RequestedIsa()); }

}  // namespace ondavel
