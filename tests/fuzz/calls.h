// One export call each, with its arguments read from the input, followed by
// the checks of what the header promises for it.
#ifndef TESTS_FUZZ_CALLS_H_
#define TESTS_FUZZ_CALLS_H_

#include "input_reader.h"
#include "session.h"

namespace ondavel_fuzz {

void CallProcess(InputReader& in, Session& session);

enum class Measure { kMagnitudeRatio, kPhaseDifference, kPhases, kMagnitudes };
void CallMeasure(InputReader& in, const Session& session, Measure measure);

void CallPhaseNorm(InputReader& in);
void CallFftNode(InputReader& in, const Session& session);
void CallFreqNode(InputReader& in, const Session& session);

}  // namespace ondavel_fuzz

#endif  // TESTS_FUZZ_CALLS_H_
