// The reference transform: a literal decimation-in-time radix-2 FFT whose
// twiddles come from two sines per pass and a trigonometric recurrence.
#include "kernels/transform_scalar.h"

#include <cstddef>

#include "kernels/kernels.h"
#include "kernels/transform/pass_arithmetic.h"
#include "kernels/transform/pass_steps.h"

namespace ondavel {

void GatherScalar(const TransformJob& job) {
  const size_t count = 2 * static_cast<size_t>(job.length);
  const double* src = job.source;
  const int32_t* reorder = job.reorderTable;
  double* dst = job.destination;
  if (job.windowTable != nullptr) {
    const double* window = job.windowTable;
    for (size_t i = 0; i < count; ++i) dst[i] = window[i] * src[reorder[i]];
  } else {
    for (size_t i = 0; i < count; ++i) dst[i] = src[reorder[i]];
  }
}

void DivideByLengthScalar(double* data, int32_t length) {
  const size_t count = 2 * static_cast<size_t>(length);
  const double n = static_cast<double>(length);
  for (size_t i = 0; i < count; ++i) data[i] /= n;
}

PassTwiddle PassTwiddleOf(size_t groupLength, double sign) {
  // The library's own sine, correctly rounded on these arguments, as on the
  // vector paths: every path and platform walks the same twiddles.
  return PassStepOf((kTwoPi / static_cast<double>(groupLength)) * sign);
}

void ButterflyPassesScalar(double* data, size_t length, double sign) {
  for (size_t half = 1; half < length; half *= 2) {
    const size_t group = 2 * half;
    const PassTwiddle step = PassTwiddleOf(group, sign);
    double wr = 1.0;
    double wi = 0.0;
    for (size_t q = 0; q < half; ++q) {
      for (size_t g = 0; g < length; g += group) {
        double* top = data + 2 * (g + q);
        double* bottom = top + 2 * half;
        Butterfly(top[0], top[1], bottom[0], bottom[1], wr, wi);
      }
      AdvanceTwiddle(wr, wi, step.wpr, step.wpi);
    }
  }
}

void TransformScalar(const TransformJob& job) {
  GatherScalar(job);
  if (job.divideBeforePasses) DivideByLengthScalar(job.destination, job.length);
  ButterflyPassesScalar(job.destination, static_cast<size_t>(job.length),
                        job.sign);
  if (job.divideAfterPasses) DivideByLengthScalar(job.destination, job.length);
}

}  // namespace ondavel
