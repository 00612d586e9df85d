// Chooses the kernel set for the processor, once per engine set-up.
#ifndef ONDAVEL_SRC_DISPATCH_H_
#define ONDAVEL_SRC_DISPATCH_H_

#include "kernels/kernels.h"

namespace ondavel {

// The kernel set every export calls through; the scalar set until the first
// set-up chooses one.
extern const KernelSet* activeKernels;

// Picks the best kernel set the processor supports, lowered by the
// environment variable ONDAVEL_ISA when it names a lower path.
void SelectKernels();

}  // namespace ondavel

#endif  // ONDAVEL_SRC_DISPATCH_H_
