// The transform export: checks the engine, then hands one job to the kernel.
#include "Ondavel.h"
#include "dispatch.h"
#include "engine_state.h"

extern "C" ONDAVEL_API void ONDAVEL_CALL Ondavel_Process(
    const double* source, double* destination, unsigned char applyWindow,
    unsigned char normalizeForward, unsigned char forward) {
  const ondavel::EngineState& engine = ondavel::engine;
  // No tables: no set-up yet, released, an unusable length, or a failed
  // allocation.  The destination is left as it was.
  if (engine.reorderTable == nullptr || engine.windowTable == nullptr) return;

  // Flags are whole bytes: any nonzero value is true, also 2 or 0x80.
  const bool isForward = forward != 0;
  const bool normalize = (normalizeForward != 0) == isForward;
  ondavel::TransformJob job;
  job.source = source;
  job.destination = destination;
  job.reorderTable = engine.reorderTable;
  job.windowTable =
      (isForward && applyWindow != 0) ? engine.windowTable : nullptr;
  job.length = engine.length;
  job.sign = isForward ? -1.0 : 1.0;
  job.divideBeforePasses = normalize && !isForward;
  job.divideAfterPasses = normalize && isForward;
  ondavel::activeKernels->transform(job);
}
