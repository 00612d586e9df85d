// An outside C++ program using the library: the right channel is the left
// one doubled and advanced by half a radian, which the magnitude ratio and
// the phase difference must read back at the tone's bin.  Exits nonzero on
// any wrong value.
#include <Ondavel.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kLength = 256;
constexpr std::size_t kToneBin = 9;
constexpr double kGain = 2.0;
constexpr double kAdvance = 0.5;

int failures = 0;

void ExpectNear(const char* what, double actual, double expected,
                double tolerance) {
  if (!(std::fabs(actual - expected) <= tolerance)) {
    std::printf("%s is %.17g, expected %.17g\n", what, actual, expected);
    ++failures;
  }
}

}  // namespace

int main() {
  const double twoPi = 6.283185307179586;
  std::vector<double> frame(2 * kLength);
  for (std::size_t n = 0; n < kLength; ++n) {
    const double angle = twoPi * static_cast<double>(kToneBin * n) /
                         static_cast<double>(kLength);
    frame[2 * n] = std::cos(angle);
    frame[2 * n + 1] = kGain * std::cos(angle + kAdvance);
  }
  std::vector<double> spectrum(2 * kLength);
  std::vector<double> ratio(kLength / 2);
  std::vector<double> phase(kLength / 2);

  Ondavel_Construction(static_cast<int32_t>(kLength), 0);
  Ondavel_Process(frame.data(), spectrum.data(), 0, 0, 1);
  Ondavel_ACH_LR(spectrum.data(), ratio.data());
  Ondavel_PhaseLR(spectrum.data(), phase.data());
  ExpectNear("ratio at the tone", ratio[kToneBin], kGain, 1e-12);
  ExpectNear("phase difference at the tone", phase[kToneBin], kAdvance, 1e-12);
  // The bin mapping for the same length: bin 9 of 256 at 44100 Hz.
  const double frequency =
      Ondavel_FreqNode(static_cast<int32_t>(kToneBin), 44100.0);
  ExpectNear(
      "frequency of the tone's bin", frequency,
      static_cast<double>(kToneBin) * 44100.0 / static_cast<double>(kLength),
      0.0);
  if (Ondavel_FFT_Node(frequency, 44100.0) != static_cast<int32_t>(kToneBin)) {
    std::printf("the tone's frequency maps to bin %d\n",
                static_cast<int>(Ondavel_FFT_Node(frequency, 44100.0)));
    ++failures;
  }
  Ondavel_Destruction();

  if (failures == 0) std::printf("C++ consumer: all values as expected\n");
  return failures == 0 ? 0 : 1;
}
