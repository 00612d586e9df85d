// Two builds of libOndavel compared in one process: Pellarin's timed loop
// (windowed transform, ratio, phase difference) per window length, the two
// libraries alternating round by round, the median ratio of their speeds.
//
//   library_ab A.so B.so [rounds [length ...]]   (default 7 rounds, 4 .. 2^18)
//
// On a shared machine whose speed drifts by tens of percent over a minute,
// runs of whole programs one after the other compare drift more than code;
// alternating every fraction of a second inside one process does not.  The
// two files must have different paths (copies of the .so), so that the
// loader keeps two engines.  ONDAVEL_ISA applies to both.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Ondavel.h"
#include "input_signal.h"

namespace {

struct Library {
  decltype(&Ondavel_Construction) construction;
  decltype(&Ondavel_Destruction) destruction;
  decltype(&Ondavel_Process) process;
  decltype(&Ondavel_ACH_LR) ratio;
  decltype(&Ondavel_PhaseLR) phase;
};

template <class F>
F Symbol(void* handle, const char* name) {
  void* address = dlsym(handle, name);
  if (address == nullptr) {
    (void)std::fprintf(stderr, "library_ab: %s: %s\n", name, dlerror());
    std::exit(2);
  }
  return reinterpret_cast<F>(address);
}

Library Open(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    (void)std::fprintf(stderr, "library_ab: %s\n", dlerror());
    std::exit(2);
  }
  return {
      Symbol<decltype(&Ondavel_Construction)>(handle, "Ondavel_Construction"),
      Symbol<decltype(&Ondavel_Destruction)>(handle, "Ondavel_Destruction"),
      Symbol<decltype(&Ondavel_Process)>(handle, "Ondavel_Process"),
      Symbol<decltype(&Ondavel_ACH_LR)>(handle, "Ondavel_ACH_LR"),
      Symbol<decltype(&Ondavel_PhaseLR)>(handle, "Ondavel_PhaseLR")};
}

// Seconds per frame of Pellarin's loop over `frames` frames, set-up and
// buffers as Pellarin has them.
double SecondsPerFrame(const Library& library, int32_t length, int64_t frames) {
  library.construction(length, 12);
  const auto n = static_cast<size_t>(length);
  auto input = std::make_unique<double[]>(2 * n);
  auto spectrum = std::make_unique<double[]>(2 * n);
  auto ratio = std::make_unique<double[]>(n);
  auto phase = std::make_unique<double[]>(n);
  pellarin::FillTestSignal(input.get(), length);
  const int64_t repetitions = frames / length;
  const auto start = std::chrono::steady_clock::now();
  for (int64_t r = 0; r < repetitions; ++r) {
    library.process(input.get(), spectrum.get(), 1, 0, 1);
    library.ratio(spectrum.get(), ratio.get());
    library.phase(spectrum.get(), phase.get());
  }
  const auto stop = std::chrono::steady_clock::now();
  library.destruction();
  return std::chrono::duration<double>(stop - start).count() /
         static_cast<double>(repetitions * length);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    (void)std::fprintf(stderr,
                       "usage: library_ab A.so B.so [rounds [length ...]]\n");
    return 2;
  }
  const Library a = Open(argv[1]);
  const Library b = Open(argv[2]);
  const int rounds =
      argc > 3
          ? std::max(1, static_cast<int>(std::strtol(argv[3], nullptr, 10)))
          : 7;
  std::vector<int32_t> lengths;
  for (int i = 4; i < argc; ++i)
    lengths.push_back(static_cast<int32_t>(std::strtol(argv[i], nullptr, 10)));
  if (lengths.empty()) {
    for (int32_t n = 4; n <= 262144; n *= 2) lengths.push_back(n);
  }
  constexpr int64_t kFrames = int64_t{1} << 21;  // a quarter of Pellarin's
  constexpr double kRate = 44100.0;

  std::printf("%7s %9s %9s %7s  (realtime factors, medians of %d rounds)\n",
              "N", "A", "B", "B/A", rounds);
  for (const int32_t length : lengths) {
    if (length < 1 || (length & (length - 1)) != 0) continue;
    std::vector<double> timesA, timesB, ratios;
    for (int r = 0; r < rounds; ++r) {
      // Alternate which goes first, so neither always follows the other.
      double ta = 0.0, tb = 0.0;
      if (r % 2 == 0) {
        ta = SecondsPerFrame(a, length, kFrames);
        tb = SecondsPerFrame(b, length, kFrames);
      } else {
        tb = SecondsPerFrame(b, length, kFrames);
        ta = SecondsPerFrame(a, length, kFrames);
      }
      timesA.push_back(ta);
      timesB.push_back(tb);
      ratios.push_back(ta / tb);
    }
    std::printf("%7d %9.0f %9.0f %7.3f\n", length, 1.0 / Median(timesA) / kRate,
                1.0 / Median(timesB) / kRate, Median(ratios));
  }
  return 0;
}
