// The per-bin measures and the vector arctangent on each instruction-set
// path, called directly, so all paths compare in one run whatever
// ONDAVEL_ISA says.  Run: build/release/bin/measure_benchmarks
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "Ondavel.h"
#include "dispatch.h"
#include "kernels/atan2_paths.h"
#include "kernels/kernels.h"

namespace {

using ondavel::Isa;

bool Skipped(Isa isa, benchmark::State& state) {
  if (isa <= ondavel::BestSupportedIsa()) return false;
  state.SkipWithError("path not supported here");
  return true;
}

// The windowed forward transform of stereo noise, as the benchmark program
// hands it to the measures.
std::vector<double> Spectrum(int32_t length) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> input(2 * static_cast<size_t>(length));
  for (double& x : input) x = dist(rng);
  std::vector<double> spectrum(input.size());
  Ondavel_Construction(length, 12);
  Ondavel_Process(input.data(), spectrum.data(), 1, 0, 1);
  Ondavel_Destruction();
  return spectrum;
}

enum class Measure { kRatio, kPhase };

template <Isa kIsa, Measure kMeasure>
void BM_MeasurePath(benchmark::State& state) {
  if (Skipped(kIsa, state)) return;
  const auto length = static_cast<int32_t>(state.range(0));
  const std::vector<double> spectrum = Spectrum(length);
  std::vector<double> out(static_cast<size_t>(length));
  const ondavel::KernelSet& kernels = ondavel::KernelsFor(kIsa);
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
template <Isa kIsa>
void BM_Atan2Path(benchmark::State& state) {
  if (Skipped(kIsa, state)) return;
  constexpr size_t kCount = 4096;
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_real_distribution<double> decades(-3.0, 6.0);
  std::vector<double> y(kCount), x(kCount), angle(kCount);
  for (size_t i = 0; i < kCount; ++i) {
    y[i] = unit(rng) * std::pow(10.0, decades(rng));
    x[i] = unit(rng) * std::pow(10.0, decades(rng));
  }
  const ondavel::Atan2Array atan2 = ondavel::Atan2ArrayFor(kIsa);
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

#define ONDAVEL_MEASURE_PATHS(kMeasure)             \
  BENCHMARK(BM_MeasurePath<Isa::kScalar, kMeasure>) \
      ->RangeMultiplier(2)                          \
      ->Range(4, 262144);                           \
  BENCHMARK(BM_MeasurePath<Isa::kSse2, kMeasure>)   \
      ->RangeMultiplier(2)                          \
      ->Range(4, 262144);                           \
  BENCHMARK(BM_MeasurePath<Isa::kAvx2, kMeasure>)   \
      ->RangeMultiplier(2)                          \
      ->Range(4, 262144);                           \
  BENCHMARK(BM_MeasurePath<Isa::kAvx512, kMeasure>) \
      ->RangeMultiplier(2)                          \
      ->Range(4, 262144)

ONDAVEL_MEASURE_PATHS(Measure::kRatio);
ONDAVEL_MEASURE_PATHS(Measure::kPhase);
BENCHMARK(BM_StdAtan2);
BENCHMARK(BM_Atan2Path<Isa::kScalar>);
BENCHMARK(BM_Atan2Path<Isa::kSse2>);
BENCHMARK(BM_Atan2Path<Isa::kAvx2>);
BENCHMARK(BM_Atan2Path<Isa::kAvx512>);

}  // namespace

BENCHMARK_MAIN();
