// The doubles a call's input buffer holds, read from the fuzzer input.
#ifndef TESTS_FUZZ_BUFFER_CONTENT_H_
#define TESTS_FUZZ_BUFFER_CONTENT_H_

#include <cstddef>
#include <vector>

#include "input_reader.h"

namespace ondavel_fuzz {

// `count` doubles, by a kind the input picks: a short run of input doubles
// repeated, uniform noise in [-1, 1) from a seed, such noise with input
// doubles dropped in at input positions, noise scaled by an input double, or
// `previous` (a transform's output) when it has the right size.
std::vector<double> ReadContent(InputReader& in, size_t count,
                                const std::vector<double>& previous);

// Finite and at most 1e6 in magnitude: a transform's rounding errors stay
// tiny next to the largest value.
bool IsTame(const std::vector<double>& values);

}  // namespace ondavel_fuzz

#endif  // TESTS_FUZZ_BUFFER_CONTENT_H_
