// Caller buffers carry no alignment promise.  On every back-end this host runs,
// the transform and the four measures give the same bits when source,
// destination, spectrum and outputs start a whole number of doubles past a
// 64-byte boundary as when they start on it, and write nothing beyond.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Ondavel.h"
#include "backend_harness.h"
#include "kernels/kernels.h"

namespace ondavel {
namespace {

constexpr size_t kLineBytes = 64;
constexpr size_t kGuardDoubles = 8;
const double kUntouched = std::bit_cast<double>(uint64_t{0x7FF4BADC0FFEE001u});

// `count` doubles that start `offset` doubles past a 64-byte boundary, with
// untouched guards on both sides.
class PlacedBuffer {
 public:
  PlacedBuffer(size_t count, size_t offset)
      : count_(count),
        storage_(count + offset + 2 * kGuardDoubles + kLineBytes / 8,
                 kUntouched) {
    void* start = storage_.data() + kGuardDoubles;
    size_t space = (storage_.size() - kGuardDoubles) * sizeof(double);
    std::align(kLineBytes, sizeof(double), start, space);
    data_ = static_cast<double*>(start) + offset;
  }
  // data_ points into storage_, whose heap block a move keeps and a copy
  // would not.
  PlacedBuffer(const PlacedBuffer&) = delete;
  PlacedBuffer& operator=(const PlacedBuffer&) = delete;
  PlacedBuffer(PlacedBuffer&&) = default;
  PlacedBuffer& operator=(PlacedBuffer&&) = default;
  double* Data() { return data_; }
  const double* Data() const { return data_; }
  size_t Size() const { return count_; }
  void Fill(const std::vector<double>& values) {
    std::memcpy(data_, values.data(), count_ * sizeof(double));
  }
  bool GuardsUntouched() const {
    for (const double* p = storage_.data(); p < data_; ++p) {
      if (!Untouched(*p)) return false;
    }
    for (const double* p = data_ + count_;
         p < storage_.data() + storage_.size(); ++p) {
      if (!Untouched(*p)) return false;
    }
    return true;
  }

 private:
  static bool Untouched(double v) {
    return std::bit_cast<uint64_t>(v) == std::bit_cast<uint64_t>(kUntouched);
  }
  size_t count_;
  std::vector<double> storage_;
  double* data_;
};

// The bits of the placed buffer against those of the aligned one.
::testing::AssertionResult SameBits(const std::string& output, int32_t length,
                                    const PlacedBuffer& placed,
                                    const PlacedBuffer& aligned) {
  return ondavel::SameBits(output, length, placed.Data(), aligned.Data(),
                           placed.Size());
}

// Offsets in doubles past the boundary: one double off, a source and
// destination off by different amounts, and each alone.
struct Placement {
  size_t first;
  size_t second;
};
constexpr Placement kPlacements[] = {{1, 1}, {1, 0}, {0, 1}, {3, 6}, {7, 5}};

std::string Describe(Placement p) {
  return "offsets " + std::to_string(p.first) + "," + std::to_string(p.second) +
         " doubles";
}

class UnalignedBuffers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RunnableBackends(); }
};

TEST_F(UnalignedBuffers, TransformGivesTheAlignedBits) {
  struct Flags {
    bool window, normalizeForward, forward;
  };
  const Flags flagSets[] = {
      {true, false, true}, {false, false, false}, {false, true, true}};
  for (int m = 0; m <= 16; ++m) {
    const int32_t length = int32_t{1} << m;
    const size_t doubles = 2 * static_cast<size_t>(length);
    const auto tables = TablesFor(length, 12);
    const std::vector<double> input = RandomValues(doubles, 17 + m);
    ForEachBackend([&](Backend, const BackendKernels& kernels) {
      for (Flags f : flagSets) {
        const bool normalize = f.normalizeForward == f.forward;
        auto run = [&](Placement p) {
          PlacedBuffer source(doubles, p.first);
          PlacedBuffer destination(doubles, p.second);
          source.Fill(input);
          kernels.transform(
              {source.Data(), destination.Data(), tables->reorder.data(),
               (f.forward && f.window) ? tables->window.data() : nullptr,
               length, f.forward ? -1.0 : 1.0, normalize && !f.forward,
               normalize && f.forward});
          EXPECT_TRUE(destination.GuardsUntouched()) << "wrote outside";
          return destination;
        };
        const PlacedBuffer aligned = run({0, 0});
        for (Placement p : kPlacements) {
          SCOPED_TRACE(Describe(p) + " window=" + std::to_string(f.window) +
                       " forward=" + std::to_string(f.forward));
          ASSERT_TRUE(SameBits("transform", length, run(p), aligned));
        }
      }
    });
  }
}

TEST_F(UnalignedBuffers, MeasuresGiveTheAlignedBits) {
  std::vector<int32_t> lengths = {3, 7, 1023};
  for (int32_t n = 1; n <= (1 << 16); n *= 2) lengths.push_back(n);
  for (int32_t length : lengths) {
    const size_t spectrumDoubles = 2 * static_cast<size_t>(length);
    const size_t outputs = length >= 4 ? static_cast<size_t>(length / 2) : 1;
    const std::vector<double> spectrumValues =
        RandomValues(spectrumDoubles, 5 + static_cast<uint32_t>(length));
    ForEachBackend([&](Backend, const BackendKernels& k) {
      // Spectrum at the first offset; the first output at the second, the
      // other output one double further.
      auto run = [&](Placement p) {
        PlacedBuffer spectrum(spectrumDoubles, p.first);
        spectrum.Fill(spectrumValues);
        std::vector<PlacedBuffer> out;
        for (size_t o = 0; o < 6; ++o) {
          out.emplace_back(outputs, (p.second + o % 2) % (kLineBytes / 8));
        }
        k.magnitudeRatio(spectrum.Data(), out[0].Data(), length);
        k.phaseDifference(spectrum.Data(), out[1].Data(), length);
        k.channelPhases(spectrum.Data(), out[2].Data(), out[3].Data(), length);
        k.channelMagnitudes(spectrum.Data(), out[4].Data(), out[5].Data(),
                            length);
        for (const PlacedBuffer& b : out) {
          EXPECT_TRUE(b.GuardsUntouched()) << "wrote outside an output";
        }
        return out;
      };
      const std::vector<PlacedBuffer> aligned = run({0, 0});
      const char* const names[] = {"ratio",          "phase difference",
                                   "left phase",     "right phase",
                                   "left magnitude", "right magnitude"};
      for (Placement p : kPlacements) {
        SCOPED_TRACE(Describe(p));
        const std::vector<PlacedBuffer> placed = run(p);
        for (size_t o = 0; o < placed.size(); ++o) {
          ASSERT_TRUE(SameBits(names[o], length, placed[o], aligned[o]));
        }
      }
    });
  }
}

// Through the exports, on the back-end the library picks, with the engine's own
// tables: the same bits from buffers off the boundary.
TEST_F(UnalignedBuffers, ExportsGiveTheAlignedBits) {
  for (int m : {2, 5, 10, 15}) {
    const int32_t length = int32_t{1} << m;
    const size_t doubles = 2 * static_cast<size_t>(length);
    const std::vector<double> input = RandomValues(doubles, 300 + m);
    Ondavel_Construction(length, 12);
    auto run = [&](size_t offset) {
      PlacedBuffer source(doubles, offset);
      PlacedBuffer spectrum(doubles, offset);
      PlacedBuffer ratio(doubles / 4, offset);
      source.Fill(input);
      Ondavel_Process(source.Data(), spectrum.Data(), 1, 0, 1);
      Ondavel_ACH_LR(spectrum.Data(), ratio.Data());
      return std::make_pair(std::move(spectrum), std::move(ratio));
    };
    const auto aligned = run(0);
    const auto placed = run(1);
    Ondavel_Destruction();
    EXPECT_TRUE(
        SameBits("Ondavel_Process", length, placed.first, aligned.first));
    EXPECT_TRUE(
        SameBits("Ondavel_ACH_LR", length, placed.second, aligned.second));
  }
}

}  // namespace
}  // namespace ondavel
