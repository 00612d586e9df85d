#include "benchmark_driver.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "console_output.h"
#include "input_signal.h"
#include "realtime_factor.h"

namespace pellarin {

namespace {

constexpr uint32_t kNuttallMinimum4Term = 12;
constexpr unsigned char kApplyWindow = 1;
constexpr unsigned char kNormalizeForward = 0;
constexpr unsigned char kForward = 1;

// Measures one length and reports its figure.  The engine is set up before
// the buffers exist and torn down after they are gone; only the three calls
// per repetition run between Start and Stop.
void MeasureLength(int32_t length, int32_t frames,
                   const LibraryEntryPoints& library, IntervalTimer& timer,
                   const BenchmarkEnvironment& environment, bool last) {
  library.construction(length, kNuttallMinimum4Term);

  const std::size_t n = static_cast<std::size_t>(length);
  auto input = std::make_unique_for_overwrite<double[]>(2 * n);
  auto spectrum = std::make_unique_for_overwrite<double[]>(2 * n);
  auto ratio = std::make_unique_for_overwrite<double[]>(n);
  auto phase = std::make_unique_for_overwrite<double[]>(n);
  // A fresh allocation holds zero pages or heap leftovers; neither is a
  // signal.  Writing the outputs once keeps first-touch page faults out of
  // the timed loop.
  FillTestSignal(input.get(), length);
  std::fill_n(spectrum.get(), 2 * n, 0.0);
  std::fill_n(ratio.get(), n, 0.0);
  std::fill_n(phase.get(), n, 0.0);

  const int32_t repetitions = frames / length;
  const auto process = library.process;
  const auto achLr = library.achLr;
  const auto phaseLr = library.phaseLr;
  double* const source = input.get();
  double* const destination = spectrum.get();
  double* const ratios = ratio.get();
  double* const phases = phase.get();

  timer.Start();
  for (int32_t r = 0; r < repetitions; ++r) {
    process(source, destination, kApplyWindow, kNormalizeForward, kForward);
    achLr(destination, ratios);
    phaseLr(destination, phases);
  }
  timer.Stop();
  const double seconds = timer.ElapsedSeconds();

  const int32_t realtimeFactor =
      RealtimeFactor(int64_t{repetitions} * length, seconds);
  WriteLengthLine(environment.console, realtimeFactor, length);
  environment.report.Write(ReportEntry(realtimeFactor, last));

  input.reset();
  spectrum.reset();
  ratio.reset();
  phase.reset();
  library.destruction();
}

}  // namespace

std::vector<int32_t> StandardLengths() {
  std::vector<int32_t> lengths;
  for (int k = 1; k <= 17; ++k) lengths.push_back(int32_t{2} << k);
  return lengths;
}

int RunBenchmark(const BenchmarkPlan& plan, const LibraryEntryPoints& library,
                 const BenchmarkEnvironment& environment) {
  ReportSink& report = environment.report;
  WriteBanner(environment.console);
  IntervalTimer timer(environment.counter);

  // The report is the run's only file output, so a failure is told at once
  // and again in the exit status; the measurements go on regardless.
  report.Open();
  bool failure_told = false;
  const auto tell_failure = [&] {
    if (report.Error() == 0 || failure_told) return;
    WriteReportFailure(environment.errors, report.Name(), report.Error());
    failure_told = true;
  };
  tell_failure();

  for (std::size_t k = 0; k < plan.lengths.size(); ++k) {
    MeasureLength(plan.lengths[k], plan.framesPerLength, library, timer,
                  environment, k + 1 == plan.lengths.size());
  }

  report.Close();
  tell_failure();

  WriteClosingLine(environment.console);
  environment.keyWait.prepare();
  WritePrompt(environment.console);
  // A line-buffered terminal would otherwise hold the prompt back until
  // after the key.
  environment.console.flush();
  environment.keyWait.wait();
  return report.Error() == 0 ? 0 : 1;
}

}  // namespace pellarin
