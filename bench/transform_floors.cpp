// The transform's time next to the two floors its rules leave it, per
// back-end and length:
//  - chain floor: the last pass's twiddle recurrence alone, its N/2 - 1
//    steps one after another (each step needs the one before);
//  - work floor: the same transform with every twiddle chain cut
//    (chain_cut_transform_backend.cpp), so only its operations count.
// The transform can run no faster than the larger of the two; how far above
// it runs is latency left exposed.  Run:
//   build/release/bin/transform_floors [--benchmark_filter=avx2]
// The table at the end gives medians in ns per stereo frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "Ondavel.h"
#include "backends.h"
#include "benchmark_input.h"
#include "dispatch.h"
#include "kernels/kernels.h"
#include "kernels/transform/pass_arithmetic.h"
#include "runnable_backends.h"

namespace ondavel_bench {

#define ONDAVEL_CUT_DECLARATION_0(Symbol)
#define ONDAVEL_CUT_DECLARATION_1(Symbol) \
  extern const ondavel::TransformKernel kChainCutTransform##Symbol;
#define ONDAVEL_CUT_DECLARATION(Symbol, built) \
  ONDAVEL_CUT_DECLARATION_##built(Symbol)
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  ONDAVEL_CUT_DECLARATION(Symbol, built)
#include "backend_list.inc"
#undef ONDAVEL_BACKEND_ENTRY

// The scalar reference is a transform of its own, not the templates the
// vector back-ends share, so it has no cut copy.
extern const ondavel::TransformKernel kChainCutTransformScalar = nullptr;

namespace {

#define ONDAVEL_CUT_POINTER_0(Symbol) nullptr,
#define ONDAVEL_CUT_POINTER_1(Symbol) &kChainCutTransform##Symbol,
#define ONDAVEL_CUT_POINTER(Symbol, built) ONDAVEL_CUT_POINTER_##built(Symbol)
#define ONDAVEL_BACKEND_ENTRY(Symbol, name, built) \
  ONDAVEL_CUT_POINTER(Symbol, built)
constexpr const ondavel::TransformKernel* kChainCutTransforms[] = {
#include "backend_list.inc"
};
#undef ONDAVEL_BACKEND_ENTRY

constexpr int kRepetitions = 9;

std::vector<int32_t> Lengths() {
  std::vector<int32_t> lengths;
  for (int32_t n = 4; n <= 262144; n *= 2) lengths.push_back(n);
  return lengths;
}

// The last pass's N/2 - 1 twiddle steps, each from the one before.
[[gnu::noinline]] void WalkLastChain(int32_t length,
                                     ondavel::PassStep<double> step, double& wr,
                                     double& wi) {
  for (int32_t i = 1; i < length / 2; ++i) {
    ondavel::AdvanceTwiddle(wr, wi, step.wpr, step.wpi);
  }
}

void BM_ChainFloor(benchmark::State& state) {
  const auto length = static_cast<int32_t>(state.range(0));
  const double theta = -2.0 * std::numbers::pi / length;
  const ondavel::PassStep<double> step =
      ondavel::PassStepFrom(std::sin(theta), std::sin(0.5 * theta));
  for (auto _ : state) {
    double wr = 1.0;
    double wi = 0.0;
    WalkLastChain(length, step, wr, wi);
    benchmark::DoNotOptimize(wr);
    benchmark::DoNotOptimize(wi);
  }
}

// Collects the medians and prints them as one table per back-end after the
// usual output.
class FloorsReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
        continue;
      medians_[run.run_name.function_name + "/" + run.run_name.args] =
          run.GetAdjustedRealTime() * 1e9 /
          benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf(
        "\nns per stereo frame, median of %d; floor = the larger of the "
        "two\n%-8s %7s %10s %12s %11s %16s\n",
        kRepetitions, "back-end", "N", "transform", "chain floor", "work floor",
        "transform/floor");
    for (const ondavel::BackendEntry& b : ondavel::kBackends) {
      for (const int32_t n : Lengths()) {
        const std::string args = std::to_string(n);
        const auto transform =
            medians_.find(std::string("Transform/") + b.name + "/" + args);
        const auto work =
            medians_.find(std::string("WorkFloor/") + b.name + "/" + args);
        const auto chain = medians_.find("ChainFloor/" + args);
        if (transform == medians_.end() || work == medians_.end() ||
            chain == medians_.end()) {
          continue;
        }
        const double floor =
            chain->second > work->second ? chain->second : work->second;
        std::printf("%-8s %7d %10.3f %12.3f %11.3f %16.2f\n", b.name, n,
                    transform->second / n, chain->second / n, work->second / n,
                    transform->second / floor);
      }
    }
  }

 private:
  std::map<std::string, double> medians_;  // ns per call, by name/args
};

void Configure(benchmark::internal::Benchmark* b, int32_t length) {
  b->Arg(length)
      ->Repetitions(kRepetitions)
      ->ReportAggregatesOnly(true)
      ->Unit(benchmark::kNanosecond);
}

// Per length: the chain floor, then each runnable vector back-end's
// transform and work floor, so the three figures of a row are measured
// close together in time.
void RegisterAll() {
  const ondavel::CpuFeatures cpu = ondavel::ReadCpuFeatures();
  std::vector<const ondavel::BackendEntry*> timed;
  for (const ondavel::BackendEntry& b : ondavel::kBackends) {
    const ondavel::TransformKernel* cut =
        kChainCutTransforms[static_cast<int>(b.backend)];
    if (cut == nullptr || *cut == nullptr) continue;
    if (const char* why = ondavel::WhyNotRunnable(b.backend, cpu)) {
      std::printf("%s not run: %s\n", b.name, why);
      continue;
    }
    timed.push_back(&b);
  }
  for (const int32_t n : Lengths()) {
    Configure(benchmark::RegisterBenchmark("ChainFloor", BM_ChainFloor), n);
    for (const ondavel::BackendEntry* b : timed) {
      const ondavel::TransformKernel kernel =
          ondavel::KernelsFor(b->backend).transform;
      const ondavel::TransformKernel cut =
          *kChainCutTransforms[static_cast<int>(b->backend)];
      Configure(
          benchmark::RegisterBenchmark(
              (std::string("Transform/") + b->name).c_str(),
              [kernel](benchmark::State& s) { TimeTransform(s, kernel); }),
          n);
      Configure(benchmark::RegisterBenchmark(
                    (std::string("WorkFloor/") + b->name).c_str(),
                    [cut](benchmark::State& s) { TimeTransform(s, cut); }),
                n);
    }
  }
}

// Whether every runnable back-end's cut copy really runs with its chains
// cut: a copy compiled with the real twiddle step (the switch lost, say, by
// an earlier include of the arithmetic) would time the transform itself as
// its own work floor.  The cut twiddles are zeros after a chain's first
// step, so the spectra must differ at every length.
int CheckChainsAreCut() {
  const ondavel::CpuFeatures cpu = ondavel::ReadCpuFeatures();
  int failures = 0;
  for (const ondavel::BackendEntry& b : ondavel::kBackends) {
    const ondavel::TransformKernel* cut =
        kChainCutTransforms[static_cast<int>(b.backend)];
    if (cut == nullptr || *cut == nullptr ||
        ondavel::WhyNotRunnable(b.backend, cpu) != nullptr) {
      continue;
    }
    for (const int32_t n : Lengths()) {
      Ondavel_Construction(n, 12);
      const std::vector<double> input = StereoNoise(n);
      std::vector<double> real(input.size());
      std::vector<double> cutOutput(input.size());
      ondavel::KernelsFor(b.backend).transform(
          WindowedForwardJob(input.data(), real.data(), n));
      (*cut)(WindowedForwardJob(input.data(), cutOutput.data(), n));
      Ondavel_Destruction();
      if (real == cutOutput) {
        std::printf("%s N=%d: the cut copy computes the real transform\n",
                    b.name, n);
        ++failures;
      }
    }
    std::printf("%s: chains cut at every length\n", b.name);
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace ondavel_bench

// --check-cut: only CheckChainsAreCut (a test).  Repetitions run in random
// order across all benchmarks unless the command line says otherwise, so the
// machine's drift falls on every column alike.
int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--check-cut") {
    return ondavel_bench::CheckChainsAreCut();
  }
  std::vector<char*> args(argv, argv + argc);
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  ondavel_bench::RegisterAll();
  ondavel_bench::FloorsReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
