// Per-kernel timings over the benchmark's window lengths, one row per length
// and kernel set.  Run: build/release/bin/kernel_benchmarks
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "Ondavel.h"
#include "benchmark_input.h"
#include "dispatch.h"
#include "engine_state.h"
#include "kernels/kernels.h"
#include "runnable_backends.h"

namespace {

using ondavel_bench::StereoNoise;

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
  ondavel_bench::TimeTransform(state, ondavel::KernelsFor(backend).transform);
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
