#ifndef PELLARIN_BENCHMARK_DRIVER_H_
#define PELLARIN_BENCHMARK_DRIVER_H_

#include <cstdint>
#include <ostream>
#include <vector>

#include "Ondavel.h"
#include "interval_timer.h"
#include "report_file.h"

namespace pellarin {

// The window lengths 4, 8, ..., 262144.
std::vector<int32_t> StandardLengths();

// What one run measures.  The program always runs the default; tests run
// smaller plans.  Every length must divide framesPerLength.
struct BenchmarkPlan {
  std::vector<int32_t> lengths = StandardLengths();
  int32_t framesPerLength = 8388608;
};

// The five library entry points a run calls.  The program binds Ondavel's
// exports; tests bind fakes that record the calls.
struct LibraryEntryPoints {
  decltype(&Ondavel_Construction) construction;
  decltype(&Ondavel_Process) process;
  decltype(&Ondavel_ACH_LR) achLr;
  decltype(&Ondavel_PhaseLR) phaseLr;
  decltype(&Ondavel_Destruction) destruction;
};

// The closing key press: `prepare` before the prompt is written, so a key
// pressed once the prompt shows cannot slip past, then `wait`.
struct KeyWaitHooks {
  void (*prepare)();
  void (*wait)();
};

// Everything a run talks to besides the library.
struct BenchmarkEnvironment {
  std::ostream& console;
  std::ostream& errors;
  ReportSink& report;
  IntervalTimer::Counter counter;
  KeyWaitHooks keyWait;
};

// Runs the plan: banner, one measured line and report entry per length, the
// report closed, the prompt and the key wait.  Returns the exit status: 0, or
// 1 when the report could not be written (the rest of the run goes on).
int RunBenchmark(const BenchmarkPlan& plan, const LibraryEntryPoints& library,
                 const BenchmarkEnvironment& environment);

}  // namespace pellarin

#endif  // PELLARIN_BENCHMARK_DRIVER_H_
