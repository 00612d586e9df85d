#ifndef PELLARIN_INPUT_SIGNAL_H_
#define PELLARIN_INPUT_SIGNAL_H_

#include <cstdint>

namespace pellarin {

// Fills `length` complex values (2 * length doubles) with a stereo test
// signal, left channel in the real parts and right in the imaginary parts.
// Two tones per channel, the right channel shifted in phase against the left,
// plus low-level noise from a fixed seed: the same values on every run, every
// value a normal nonzero double, so the measures do their full work on every
// bin and no subnormal or NaN input skews the timing.
void FillTestSignal(double* values, int32_t length);

}  // namespace pellarin

#endif  // PELLARIN_INPUT_SIGNAL_H_
