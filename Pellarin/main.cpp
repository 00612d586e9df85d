// Pellarin: how many times faster than real time Ondavel takes 44100 Hz
// stereo through a windowed FFT and two per-bin channel measures, for the
// window lengths 4 to 262144.  No arguments, environment or configuration:
// every run is the same fixed plan.
#include <iostream>

#include "Ondavel.h"
#include "benchmark_driver.h"
#include "platform/floating_point_mode.h"
#include "platform/key_wait.h"
#include "platform/performance_counter.h"
#include "platform/standard_streams.h"
#include "report_file.h"

int main() {
  // Before anything else, so every library call runs in the same mode.
  pellarin::platform::EnableFlushToZero();
  pellarin::platform::PrepareStandardStreams();

  const pellarin::LibraryEntryPoints library = {
      .construction = &Ondavel_Construction,
      .process = &Ondavel_Process,
      .achLr = &Ondavel_ACH_LR,
      .phaseLr = &Ondavel_PhaseLR,
      .destruction = &Ondavel_Destruction,
  };
  pellarin::ReportFile report("Pellarin.txt");
  const pellarin::BenchmarkEnvironment environment = {
      .console = std::cout,
      .errors = std::cerr,
      .report = report,
      .counter = {.count = &pellarin::platform::ReadPerformanceCounter,
                  .frequency = &pellarin::platform::ReadPerformanceFrequency},
      .keyWait = {.prepare = &pellarin::platform::PrepareKeyWait,
                  .wait = &pellarin::platform::WaitForKey},
  };
  return pellarin::RunBenchmark(pellarin::BenchmarkPlan{}, library,
                                environment);
}
