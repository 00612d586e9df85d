// What the transform benchmarks feed the kernels: noise in both channels,
// and the job of Pellarin's loop (windowed forward transform, no 1/N) on
// the engine's tables, which Ondavel_Construction must have set up; and the
// timing loop of a transform kernel on them.
#ifndef ONDAVEL_BENCH_BENCHMARK_INPUT_H_
#define ONDAVEL_BENCH_BENCHMARK_INPUT_H_

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Ondavel.h"
#include "engine_state.h"
#include "kernels/kernels.h"

namespace ondavel_bench {

inline std::vector<double> StereoNoise(int32_t length) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> v(2 * static_cast<size_t>(length));
  for (double& x : v) x = dist(rng);
  return v;
}

inline ondavel::TransformJob WindowedForwardJob(const double* source,
                                                double* destination,
                                                int32_t length) {
  ondavel::TransformJob job{};
  job.source = source;
  job.destination = destination;
  job.reorderTable = ondavel::engine.reorderTable;
  job.windowTable = ondavel::engine.windowTable;
  job.length = length;
  job.sign = -1.0;
  job.divideBeforePasses = false;
  job.divideAfterPasses = false;
  return job;
}

// Times `kernel` on that job for the length state.range(0).
inline void TimeTransform(benchmark::State& state,
                          ondavel::TransformKernel kernel) {
  const auto length = static_cast<int32_t>(state.range(0));
  Ondavel_Construction(length, 12);
  const std::vector<double> input = StereoNoise(length);
  std::vector<double> spectrum(input.size());
  const ondavel::TransformJob job =
      WindowedForwardJob(input.data(), spectrum.data(), length);
  for (auto _ : state) {
    kernel(job);
    benchmark::DoNotOptimize(spectrum.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * length);
  Ondavel_Destruction();
}

}  // namespace ondavel_bench

#endif  // ONDAVEL_BENCH_BENCHMARK_INPUT_H_
