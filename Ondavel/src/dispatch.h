// Chooses the kernel set for the processor, once per engine set-up.
#ifndef ONDAVEL_SRC_DISPATCH_H_
#define ONDAVEL_SRC_DISPATCH_H_

#include "backends.h"
#include "kernels/kernels.h"

namespace ondavel {

// The kernel set every export calls through; the scalar set until the first
// set-up chooses one.
extern const KernelSet* activeKernels;

// The best back-end built here that this processor and its operating system
// support.
Isa BestSupportedIsa();

// The back-end named by the environment variable ONDAVEL_ISA (a name of
// kBackends), when it is built here and this processor supports it; the
// best supported back-end when the variable is unset, names nothing known
// or asks for more than the processor has.
Isa RequestedIsa();

// The kernel set of `isa`; the scalar set where `isa` is not built here.
const KernelSet& KernelsFor(Isa isa);

// Makes KernelsFor(RequestedIsa()) the active set.
void SelectKernels();

}  // namespace ondavel

#endif  // ONDAVEL_SRC_DISPATCH_H_
