// Chooses the kernel set for the processor, once per engine set-up.
#ifndef ONDAVEL_SRC_DISPATCH_H_
#define ONDAVEL_SRC_DISPATCH_H_

#include "kernels/kernels.h"

namespace ondavel {

// The kernel set every export calls through; the scalar set until the first
// set-up chooses one.
extern const KernelSet* activeKernels;

// The best path this processor and its operating system support.
Isa BestSupportedIsa();

// The path named by the environment variable ONDAVEL_ISA ("scalar", "sse2",
// "avx2", "avx512"), capped at what the processor supports; the best
// supported path when the variable is unset or names nothing known.
Isa RequestedIsa();

const KernelSet& KernelsFor(Isa isa);

// Makes KernelsFor(RequestedIsa()) the active set.
void SelectKernels();

}  // namespace ondavel

#endif  // ONDAVEL_SRC_DISPATCH_H_
