// The benchmarks of the instruction-set back-ends, registered at start-up
// for each one this library holds and this processor runs.
#ifndef ONDAVEL_BENCH_RUNNABLE_BACKENDS_H_
#define ONDAVEL_BENCH_RUNNABLE_BACKENDS_H_

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "backends.h"
#include "cpu_features.h"

namespace ondavel_bench {

// Registers `run` (taking the state and the back-end) as `base`/<name> for
// every runnable back-end; `configure` gets each registered benchmark.
// Prints each back-end left out and why.
template <class Run, class Configure>
void RegisterPerBackend(const std::string& base, Run run, Configure configure) {
  const ondavel::CpuFeatures cpu = ondavel::ReadCpuFeatures();
  for (const ondavel::BackendEntry& b : ondavel::kBackends) {
    if (const char* why = ondavel::WhyNotRunnable(b.backend, cpu)) {
      std::printf("%s/%s not run: %s\n", base.c_str(), b.name, why);
      continue;
    }
    const ondavel::Backend backend = b.backend;
    configure(benchmark::RegisterBenchmark(
        (base + "/" + b.name).c_str(),
        [run, backend](benchmark::State& state) { run(state, backend); }));
  }
}

template <class Run>
void RegisterPerBackend(const std::string& base, Run run) {
  RegisterPerBackend(base, run, [](benchmark::internal::Benchmark*) {});
}

// BENCHMARK_MAIN with the per-back-end registrations of `registerAll` first.
template <class RegisterAll>
int RunBenchmarks(int argc, char** argv, RegisterAll registerAll) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  registerAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace ondavel_bench

#endif  // ONDAVEL_BENCH_RUNNABLE_BACKENDS_H_
