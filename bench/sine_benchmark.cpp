// FastSine against std::sin, in ns per call.  Run:
// build/release/bin/sine_benchmark --benchmark_repetitions=9
//   --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "backend_test_hooks.h"
#include "constants.h"
#include "dispatch.h"
#include "kernels/fast_sine.h"
#include "kernels/fast_sine_paths.h"
#include "kernels/kernels.h"
#include "runnable_backends.h"

namespace {

double LibrarySine(double x) { return std::sin(x); }

// Both sines of every pass of every length up to 2^30, both directions:
// the arguments the transform asks for.
std::vector<double> PassArguments() {
  std::vector<double> args;
  for (int bits = 1; bits <= 30; ++bits) {
    for (const double sign : {-1.0, 1.0}) {
      const double theta =
          (ondavel::kTwoPi / static_cast<double>(size_t{1} << bits)) * sign;
      args.push_back(0.5 * theta);
      args.push_back(theta);
    }
  }
  return args;
}

std::vector<double> UniformArguments() {
  std::mt19937_64 rng(2024);
  std::uniform_real_distribution<double> dist(-ondavel::kPi, ondavel::kPi);
  std::vector<double> args(4096);
  for (double& x : args) x = dist(rng);
  return args;
}

// Independent calls: how many the core overlaps.
template <double (*Sine)(double)>
void Throughput(benchmark::State& state, const std::vector<double>& args) {
  for (auto _ : state) {
    double sum = 0.0;
    for (const double x : args) sum += Sine(x);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<int64_t>(args.size()));
}

template <double (*Sine)(double)>
void BM_ThroughputPassArguments(benchmark::State& state) {
  Throughput<Sine>(state, PassArguments());
}

template <double (*Sine)(double)>
void BM_ThroughputUniform(benchmark::State& state) {
  Throughput<Sine>(state, UniformArguments());
}

// Each call waits for the previous one: x <- 3.1 sin(x) wanders chaotically
// over [-3.1, 3.1], so every branch is taken and often mispredicted.  One
// multiply per call is included for both functions.
template <double (*Sine)(double)>
void BM_LatencyChaotic(benchmark::State& state) {
  constexpr int kChain = 1024;
  double x = 1.0;
  for (auto _ : state) {
    for (int i = 0; i < kChain; ++i) x = 3.1 * Sine(x);
    benchmark::DoNotOptimize(x);
  }
  state.SetItemsProcessed(state.iterations() * kChain);
}

// Each call waits for the previous one but takes the next pass argument:
// adding 0 * y (not foldable without -ffast-math) chains the calls.  One
// multiply and one add per call are included for both functions.
template <double (*Sine)(double)>
void BM_LatencyPassArguments(benchmark::State& state) {
  const std::vector<double> args = PassArguments();
  double y = 0.0;
  for (auto _ : state) {
    for (const double x : args) y = Sine(x + 0.0 * y);
    benchmark::DoNotOptimize(y);
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<int64_t>(args.size()));
}

// FastSineV over the pass arguments on one path, vectors of its width: ns
// per sine, to set against the scalar calls above.
void BM_ThroughputPassArgumentsInLanes(benchmark::State& state,
                                       ondavel::Backend backend) {
  const std::vector<double> args = PassArguments();
  std::vector<double> out(args.size());
  const ondavel::SineArray sines =
      ondavel::TestHooksFor(backend)->fastSineArray;
  for (auto _ : state) {
    sines(args.data(), out.data(), args.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<int64_t>(args.size()));
}

}  // namespace

BENCHMARK(BM_ThroughputPassArguments<ondavel::FastSine>);
BENCHMARK(BM_ThroughputPassArguments<LibrarySine>);
BENCHMARK(BM_ThroughputUniform<ondavel::FastSine>);
BENCHMARK(BM_ThroughputUniform<LibrarySine>);
BENCHMARK(BM_LatencyPassArguments<ondavel::FastSine>);
BENCHMARK(BM_LatencyPassArguments<LibrarySine>);
BENCHMARK(BM_LatencyChaotic<ondavel::FastSine>);
BENCHMARK(BM_LatencyChaotic<LibrarySine>);

int main(int argc, char** argv) {
  return ondavel_bench::RunBenchmarks(argc, argv, [] {
    ondavel_bench::RegisterPerBackend("BM_ThroughputPassArgumentsInLanes",
                                      BM_ThroughputPassArgumentsInLanes);
  });
}
