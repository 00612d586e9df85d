// The reference kernel set: plain C++ with no instruction-set assumptions.
#include "kernels/atan2_paths.h"
#include "kernels/fast_sine_paths.h"
#include "kernels/kernels.h"
#include "kernels/measures_scalar.h"
#include "kernels/transform_scalar.h"

namespace ondavel {

const KernelSet kScalarKernels = {
    "scalar",
    TransformScalar,
    MagnitudeRatioScalar,
    PhaseDifferenceScalar,
    ChannelPhasesScalar,
    ChannelMagnitudesScalar,
    FastSineArraySimd<simd::V1>,
    Atan2ArraySimd<simd::V1>,
};

}  // namespace ondavel
