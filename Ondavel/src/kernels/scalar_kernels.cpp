// The reference kernel set: plain C++ with no instruction-set assumptions.
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
};

}  // namespace ondavel
