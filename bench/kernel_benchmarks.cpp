// Per-kernel timings over the benchmark's window lengths, one row per length
// and kernel set.  Run: build/release/bin/kernel_benchmarks
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Ondavel.h"
#include "dispatch.h"
#include "engine_state.h"
#include "kernels/kernels.h"
#include "runnable_backends.h"

namespace {

std::vector<double> StereoNoise(int32_t length) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> v(2 * static_cast<size_t>(length));
  for (double& x : v) x = dist(rng);
  return v;
}

void BM_Transform(benchmark::State& state) {
  const auto length = static_cast<int32_t>(state.range(0));
  Ondavel_Construction(length, 12);
  const std::vector<double> input = StereoNoise(length);
  std::vector<double> spectrum(input.size());
  for (auto _ : state) {
    Ondavel_Process(input.data(), spectrum.data(), 1, 0, 1);
    benchmark::DoNotOptimize(spectrum.data());
  }
  state.SetItemsProcessed(state.iterations() * length);
  state.SetLabel(ondavel::BackendName(ondavel::ActiveBackend()));
  Ondavel_Destruction();
}

// The transform kernel of one path directly, the benchmark's flags (windowed
// forward, no 1/N), so all paths compare in one run whatever ONDAVEL_ISA is.
void BM_TransformPath(benchmark::State& state, ondavel::Backend backend) {
  const auto length = static_cast<int32_t>(state.range(0));
  Ondavel_Construction(length, 12);
  const std::vector<double> input = StereoNoise(length);
  std::vector<double> spectrum(input.size());
  ondavel::TransformJob job;
  job.source = input.data();
  job.destination = spectrum.data();
  job.reorderTable = ondavel::engine.reorderTable;
  job.windowTable = ondavel::engine.windowTable;
  job.length = length;
  job.sign = -1.0;
  job.divideBeforePasses = false;
  job.divideAfterPasses = false;
  const ondavel::TransformKernel kernel =
      ondavel::KernelsFor(backend).transform;
  for (auto _ : state) {
    kernel(job);
    benchmark::DoNotOptimize(spectrum.data());
  }
  state.SetItemsProcessed(state.iterations() * length);
  Ondavel_Destruction();
}

template <void (*Measure)(const double*, double*)>
void BM_Measure(benchmark::State& state) {
  const auto length = static_cast<int32_t>(state.range(0));
  Ondavel_Construction(length, 12);
  const std::vector<double> input = StereoNoise(length);
  std::vector<double> spectrum(input.size());
  std::vector<double> out(static_cast<size_t>(length));
  Ondavel_Process(input.data(), spectrum.data(), 1, 0, 1);
  for (auto _ : state) {
    Measure(spectrum.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * length);
  state.SetLabel(ondavel::BackendName(ondavel::ActiveBackend()));
  Ondavel_Destruction();
}

}  // namespace

BENCHMARK(BM_Transform)->RangeMultiplier(2)->Range(4, 262144);
BENCHMARK(BM_Measure<Ondavel_ACH_LR>)->RangeMultiplier(2)->Range(4, 262144);
BENCHMARK(BM_Measure<Ondavel_PhaseLR>)->RangeMultiplier(2)->Range(4, 262144);

int main(int argc, char** argv) {
  return ondavel_bench::RunBenchmarks(argc, argv, [] {
    ondavel_bench::RegisterPerBackend("BM_TransformPath", BM_TransformPath,
                                      [](benchmark::internal::Benchmark* b) {
                                        b->RangeMultiplier(2)->Range(4, 262144);
                                      });
  });
}
