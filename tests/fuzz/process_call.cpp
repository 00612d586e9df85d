// Ondavel_Process: the source stays as it was, the destination is written
// whole (or, without tables, not at all) and nothing around either, and the
// result has the same bits on every path as the flags, read as the header
// reads them, ask for.
#include <Ondavel.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "buffer_content.h"
#include "calls.h"
#include "comparison.h"
#include "dispatch.h"
#include "engine_state.h"
#include "guarded_array.h"

namespace ondavel_fuzz {
namespace {

// The caller's side of a set-up's buffers: N values, or one value where the
// length has no tables (the call must not touch them at all then).
size_t BufferValues(const Session& session) {
  const int32_t n = session.length;
  return n >= 1 && n <= kRareMaxLength ? static_cast<size_t>(n) : 1;
}

void CheckSourceAndGuards(const GuardedArray& source,
                          const std::vector<double>& content,
                          const GuardedArray& destination, const char* who) {
  if (!source.Equals(content)) Fail("%s changed its source", who);
  if (!source.GuardsIntact()) Fail("%s wrote around its source", who);
  if (!destination.GuardsIntact()) {
    Fail("%s wrote outside its destination", who);
  }
}

// Forward then inverse with the same normalisation flag gives back the
// input, to rounding.  The tolerance, 1e-7 of the largest value, lies far
// above the rounding of any length set up here and far below what a wrong
// twiddle, sign, order or scale does; the absolute 1e-300 covers bits that
// subnormal values lose when divided by N.
void CheckRoundTrip(const std::vector<double>& input,
                    const GuardedArray& spectrum, unsigned char applyWindow,
                    unsigned char normalizeForward) {
  GuardedArray back(input.size(), ArrayLayout{});
  Ondavel_Process(spectrum.data(), back.data(), applyWindow, normalizeForward,
                  0);
  double largest = 0.0;
  for (double v : input) largest = std::max(largest, std::fabs(v));
  const double tolerance = 1e-7 * largest + 1e-300;
  for (size_t i = 0; i < input.size(); ++i) {
    if (!(std::fabs(back[i] - input[i]) <= tolerance)) {
      Fail("inverse of the forward transform: double %zu is %a, was %a", i,
           back[i], input[i]);
    }
  }
}

}  // namespace

void CallProcess(InputReader& in, Session& session) {
  const unsigned char applyWindow = in.Byte();
  const unsigned char normalizeForward = in.Byte();
  const unsigned char forward = in.Byte();
  const ArrayLayout sourceLayout = ArrayLayout::FromByte(in.Byte());
  const ArrayLayout destinationLayout = ArrayLayout::FromByte(in.Byte());
  const size_t doubles = 2 * BufferValues(session);
  const std::vector<double> content =
      ReadContent(in, doubles, session.lastSpectrum);

  GuardedArray source(doubles, sourceLayout);
  source.Assign(content);
  GuardedArray destination(doubles, destinationLayout);
  Ondavel_Process(source.data(), destination.data(), applyWindow,
                  normalizeForward, forward);
  CheckSourceAndGuards(source, content, destination, "Ondavel_Process");

  if (!session.hasTables) {
    for (size_t i = 0; i < doubles; ++i) {
      if (!IsSentinel(destination[i])) {
        Fail("Ondavel_Process without tables (length %d) wrote double %zu",
             session.length, i);
      }
    }
    return;
  }
  const size_t unwritten = destination.FirstUnwritten(doubles);
  if (unwritten != doubles) {
    Fail("Ondavel_Process left double %zu of %zu unwritten", unwritten,
         doubles);
  }

  // The flags as the header defines them: any nonzero byte is true, the
  // window only tapers forward transforms, and 1/N goes with the direction
  // the normalisation flag names.
  const bool isForward = forward != 0;
  const bool normalize = normalizeForward != 0;
  const ondavel::EngineState& engine = ondavel::engine;
  ondavel::TransformJob job{};
  job.source = source.data();
  job.reorderTable = engine.reorderTable;
  job.windowTable =
      isForward && applyWindow != 0 ? engine.windowTable : nullptr;
  job.length = session.length;
  job.sign = isForward ? -1.0 : 1.0;
  job.divideBeforePasses = !isForward && !normalize;
  job.divideAfterPasses = isForward && normalize;

  // Every path, scalar first, bit for bit against the call through the
  // export (NaN payloads aside).
  for (ondavel::Backend backend : HostBackends()) {
    GuardedArray result(doubles, destinationLayout);
    job.destination = result.data();
    ondavel::KernelsFor(backend).transform(job);
    CheckSourceAndGuards(source, content, result, BackendName(backend));
    for (size_t i = 0; i < doubles; ++i) {
      if (!SameValue(result[i], destination[i])) {
        Fail(
            "transform on %s (flags %d %d %d, length %d): double %zu is %a, "
            "the %s path through the export gave %a",
            BackendName(backend), applyWindow, normalizeForward, forward,
            session.length, i, result[i], BackendName(session.activeBackend),
            destination[i]);
      }
    }
  }

  session.lastSpectrum.assign(destination.data(), destination.data() + doubles);
  if (isForward && applyWindow == 0 && IsTame(content)) {
    CheckRoundTrip(content, destination, in.Byte(), normalizeForward);
  }
}

}  // namespace ondavel_fuzz
