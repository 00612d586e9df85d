// The x86 kernel sets, one per instruction set.
#include "kernels/isa_kernels.h"
#include "kernels/kernels.h"

namespace ondavel {

const KernelSet kSse2Kernels = {
    "sse2",
    TransformSse2,
    MagnitudeRatioSse2,
    PhaseDifferenceSse2,
    ChannelPhasesSse2,
    ChannelMagnitudesSse2,
};

const KernelSet kAvx2Kernels = {
    "avx2",
    TransformAvx2,
    MagnitudeRatioAvx2,
    PhaseDifferenceAvx2,
    ChannelPhasesAvx2,
    ChannelMagnitudesAvx2,
};

const KernelSet kAvx512Kernels = {
    "avx512",
    TransformAvx512,
    MagnitudeRatioAvx512,
    PhaseDifferenceAvx512,
    ChannelPhasesAvx512,
    ChannelMagnitudesAvx512,
};

}  // namespace ondavel
