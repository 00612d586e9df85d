// The per-bin measures and the vector arctangent on each instruction-set
// path, called directly, so all paths compare in one run whatever
// ONDAVEL_ISA says.  Run: build/release/bin/measure_benchmarks
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "Ondavel.h"
#include "backend_test_hooks.h"
#include "benchmark_input.h"
#include "dispatch.h"
#include "kernels/atan2_paths.h"
#include "kernels/kernels.h"
#include "runnable_backends.h"

namespace {

using ondavel::Backend;

// The windowed forward transform of stereo noise, as the benchmark program
// hands it to the measures.
std::vector<double> Spectrum(int32_t length) {
  const std::vector<double> input = ondavel_bench::StereoNoise(length);
  std::vector<double> spectrum(input.size());
  Ondavel_Construction(length, 12);
  Ondavel_Process(input.data(), spectrum.data(), 1, 0, 1);
  Ondavel_Destruction();
  return spectrum;
}

enum class Measure { kRatio, kPhase };

template <Measure kMeasure>
void BM_MeasurePath(benchmark::State& state, Backend backend) {
  const auto length = static_cast<int32_t>(state.range(0));
  const std::vector<double> spectrum = Spectrum(length);
  std::vector<double> out(static_cast<size_t>(length));
  const ondavel::BackendKernels& kernels = ondavel::KernelsFor(backend);
  const ondavel::OneOutputMeasure measure = kMeasure == Measure::kRatio
                                                ? kernels.magnitudeRatio
                                                : kernels.phaseDifference;
  for (auto _ : state) {
    measure(spectrum.data(), out.data(), length);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * length);
}

// Angles of workload-like sums (magnitudes 1e-3 .. 1e6, all quadrants).
void BM_Atan2Path(benchmark::State& state, Backend backend) {
  constexpr size_t kCount = 4096;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> decades(-3.0, 6.0);
  std::vector<double> y(kCount), x(kCount), angle(kCount);
  for (size_t i = 0; i < kCount; ++i) {
    y[i] = unit(rng) * std::pow(10.0, decades(rng));
    x[i] = unit(rng) * std::pow(10.0, decades(rng));
  }
  const ondavel::Atan2Array atan2 = ondavel::TestHooksFor(backend)->atan2Array;
  for (auto _ : state) {
    atan2(y.data(), x.data(), angle.data(), kCount);
    benchmark::DoNotOptimize(angle.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_StdAtan2(benchmark::State& state) {
  constexpr size_t kCount = 4096;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> decades(-3.0, 6.0);
  std::vector<double> y(kCount), x(kCount), angle(kCount);
  for (size_t i = 0; i < kCount; ++i) {
    y[i] = unit(rng) * std::pow(10.0, decades(rng));
    x[i] = unit(rng) * std::pow(10.0, decades(rng));
  }
  for (auto _ : state) {
    for (size_t i = 0; i < kCount; ++i) angle[i] = std::atan2(y[i], x[i]);
    benchmark::DoNotOptimize(angle.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_StdAtan2);

}  // namespace

int main(int argc, char** argv) {
  return ondavel_bench::RunBenchmarks(argc, argv, [] {
    const auto lengths = [](benchmark::internal::Benchmark* b) {
      b->RangeMultiplier(2)->Range(4, 262144);
    };
    ondavel_bench::RegisterPerBackend("BM_MeasurePath<kRatio>",
                                      BM_MeasurePath<Measure::kRatio>, lengths);
    ondavel_bench::RegisterPerBackend("BM_MeasurePath<kPhase>",
                                      BM_MeasurePath<Measure::kPhase>, lengths);
    ondavel_bench::RegisterPerBackend("BM_Atan2Path", BM_Atan2Path);
  });
}
