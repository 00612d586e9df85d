#include "dispatch.h"

namespace ondavel {

constinit const KernelSet* activeKernels = &kScalarKernels;

void SelectKernels() { activeKernels = &kScalarKernels; }

}  // namespace ondavel
