// The kernels of every back-end built here, and the choice of the one the
// exports call, once per engine set-up.
#ifndef ONDAVEL_SRC_DISPATCH_H_
#define ONDAVEL_SRC_DISPATCH_H_

#include "backends.h"
#include "kernels/kernels.h"

namespace ondavel {

// The kernel table every export calls through; the scalar one until the
// first set-up chooses one.
extern const BackendKernels* activeKernels;

// The kernels of `backend` in this library, or null where it is not built
// (another architecture's back-end).
const BackendKernels* BuiltKernels(Backend backend);

// The back-end named by the environment variable ONDAVEL_ISA (a name of
// kBackends), when it is built here and this processor supports it; the
// best supported back-end when the variable is unset, names nothing known
// or asks for more than the processor has.
Backend RequestedBackend();

// The kernels of `backend`; the scalar ones where `backend` is not built.
const BackendKernels& KernelsFor(Backend backend);

// The back-end whose table is active.
Backend ActiveBackend();

// Makes KernelsFor(RequestedBackend()) the active table.
void SelectKernels();

}  // namespace ondavel

#endif  // ONDAVEL_SRC_DISPATCH_H_
