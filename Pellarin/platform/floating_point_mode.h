#ifndef PELLARIN_PLATFORM_FLOATING_POINT_MODE_H_
#define PELLARIN_PLATFORM_FLOATING_POINT_MODE_H_

namespace pellarin::platform {

// Which modes the calling thread ended up in.
struct FloatingPointMode {
  bool flushToZero = false;
  bool denormalsAreZero = false;
};

// Makes the calling thread flush subnormal results to zero and, where the
// processor can, treat subnormal inputs as zero, so no length's figure
// depends on slow subnormal arithmetic.  A processor without either mode
// keeps its default; the run goes on.
FloatingPointMode EnableFlushToZero();

}  // namespace pellarin::platform

#endif  // PELLARIN_PLATFORM_FLOATING_POINT_MODE_H_
