// The functions each vector back-end compiles from the shared kernel
// templates, named after its list entry in cmake/Backends.cmake:
// <Kernel><SYMBOL>, as TransformSse2 or ChannelPhasesNeon.  The dispatch
// layer puts them into the back-end's BackendKernels table.
#ifndef ONDAVEL_SRC_KERNELS_BACKEND_ENTRY_POINTS_H_
#define ONDAVEL_SRC_KERNELS_BACKEND_ENTRY_POINTS_H_

#include <cstdint>

#include "kernels/kernels.h"

// function##Backend, after expanding Backend.
#define ONDAVEL_BACKEND_FUNCTION(function, Backend) \
  ONDAVEL_BACKEND_FUNCTION_PASTE(function, Backend)
#define ONDAVEL_BACKEND_FUNCTION_PASTE(function, Backend) function##Backend

#define ONDAVEL_DECLARE_BACKEND_KERNELS(Backend)                              \
  void ONDAVEL_BACKEND_FUNCTION(Transform, Backend)(const TransformJob& job); \
  void ONDAVEL_BACKEND_FUNCTION(MagnitudeRatio, Backend)(                     \
      const double* spectrum, double* ratio, int32_t length);                 \
  void ONDAVEL_BACKEND_FUNCTION(PhaseDifference, Backend)(                    \
      const double* spectrum, double* phase, int32_t length);                 \
  void ONDAVEL_BACKEND_FUNCTION(ChannelPhases, Backend)(                      \
      const double* spectrum, double* left, double* right, int32_t length);   \
  void ONDAVEL_BACKEND_FUNCTION(ChannelMagnitudes, Backend)(                  \
      const double* spectrum, double* left, double* right, int32_t length);

#endif  // ONDAVEL_SRC_KERNELS_BACKEND_ENTRY_POINTS_H_
