// libFuzzer entry: an input is a sequence of calls to the library's ten
// exports, one after another on the one engine, each checked against what
// the header promises and, where the library has several instruction-set
// paths, against every path this processor runs.
//
// Input: one byte picks the export (its value modulo 10), the bytes after
// it give that call's arguments (see the Call* functions); reads past the
// end give zeros.  Each input starts from the state at load and ends with a
// release, so inputs do not depend on each other and leaks show.
#include <Ondavel.h>

#include <cstddef>
#include <cstdint>

#include "calls.h"
#include "input_reader.h"
#include "session.h"

namespace {

using ondavel_fuzz::Measure;

// Enough for set-up, several calls and a second set-up; long inputs would
// only slow each execution down.
constexpr int kMaxCalls = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ondavel_fuzz::InputReader in(data, size);
  ondavel_fuzz::Session session;
  ondavel_fuzz::ResetLibrary(session);
  for (int call = 0; call < kMaxCalls && !in.AtEnd(); ++call) {
    switch (in.Byte() % 10) {
      case 0:
        ondavel_fuzz::CallConstruction(in, session);
        break;
      case 1:
        ondavel_fuzz::CallDestruction(session);
        break;
      case 2:
        ondavel_fuzz::CallProcess(in, session);
        break;
      case 3:
        ondavel_fuzz::CallMeasure(in, session, Measure::kMagnitudeRatio);
        break;
      case 4:
        ondavel_fuzz::CallMeasure(in, session, Measure::kPhaseDifference);
        break;
      case 5:
        ondavel_fuzz::CallMeasure(in, session, Measure::kPhases);
        break;
      case 6:
        ondavel_fuzz::CallMeasure(in, session, Measure::kMagnitudes);
        break;
      case 7:
        ondavel_fuzz::CallPhaseNorm(in);
        break;
      case 8:
        ondavel_fuzz::CallFftNode(in, session);
        break;
      default:
        ondavel_fuzz::CallFreqNode(in, session);
        break;
    }
  }
  Ondavel_Destruction();
  return 0;
}
