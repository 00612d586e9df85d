// The functions each vector back-end compiles from the shared kernel
// templates, named after its list entry in cmake/Backends.cmake:
// <Kernel><SYMBOL>, as TransformSse2 or ChannelPhasesNeon.  The dispatch
// layer puts them into the back-end's BackendKernels table.
#ifndef ONDAVEL_SRC_KERNELS_BACKEND_ENTRY_POINTS_H_
#define ONDAVEL_SRC_KERNELS_BACKEND_ENTRY_POINTS_H_

#include "kernels/kernels.h"

// function##Backend, after expanding Backend.
#define ONDAVEL_BACKEND_FUNCTION(function, Backend) \
  ONDAVEL_BACKEND_FUNCTION_PASTE(function, Backend)
#define ONDAVEL_BACKEND_FUNCTION_PASTE(function, Backend) function##Backend

// Declares every kernel of back-end `Backend` (kernels.h's list).
#define ONDAVEL_DECLARE_BACKEND_KERNEL(Name, member, Function, Backend) \
  Function ONDAVEL_BACKEND_FUNCTION(Name, Backend);
#define ONDAVEL_DECLARE_BACKEND_KERNELS(Backend) \
  ONDAVEL_KERNELS(ONDAVEL_DECLARE_BACKEND_KERNEL, Backend)

#endif  // ONDAVEL_SRC_KERNELS_BACKEND_ENTRY_POINTS_H_
