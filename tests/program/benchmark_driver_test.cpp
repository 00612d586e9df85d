// The driver with a small plan, a fake library, a scripted counter and a
// recording report, key wait and console: everything in one ordered log.
#include "benchmark_driver.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "input_signal.h"

namespace {

std::vector<std::string> g_log;
// The driver's buffers are its only array allocations: while a run is
// logged, each new[] is named by its order within the length (A input,
// B spectrum, C ratio, D phase) and the fakes log names, not addresses.
bool g_log_arrays = false;
std::map<const void*, std::string> g_names;

void LogArray(const char* what, void* pointer, std::size_t bytes) {
  if (!g_log_arrays || pointer == nullptr) return;
  g_log_arrays = false;  // the log's own growth is not logged
  std::string entry = what;
  if (bytes != 0) {
    entry += std::to_string(bytes) + " ";
    g_names[pointer] = std::string(1, static_cast<char>('A' + g_names.size()));
  }
  g_log.push_back(entry + g_names[pointer]);
  g_log_arrays = true;
}

}  // namespace

void* operator new[](std::size_t bytes) {
  void* pointer = std::malloc(bytes == 0 ? 1 : bytes);
  if (pointer == nullptr) throw std::bad_alloc();
  LogArray("new[] ", pointer, bytes);
  return pointer;
}
void operator delete[](void* pointer) noexcept {
  LogArray("delete[] ", pointer, 0);
  std::free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
  operator delete[](pointer);
}

namespace pellarin {
namespace {

// Logs each flushed piece of console text, as a terminal would show it.
class LoggingConsole : public std::stringbuf {
 protected:
  int sync() override {
    g_log.push_back("console " + str().substr(logged_));
    logged_ = str().size();
    return 0;
  }

 private:
  std::size_t logged_ = 0;
};

class RecordingReport : public ReportSink {
 public:
  std::string text;
  int failOnOpen = 0;
  int failOnClose = 0;

  void Open() override {
    g_log.push_back("report open");
    error_ = failOnOpen;
  }
  void Write(std::string_view entry) override {
    g_log.push_back("report " + std::string(entry));
    text += entry;
  }
  void Close() override {
    g_log.push_back("report close");
    if (error_ == 0) error_ = failOnClose;
  }
  int Error() const override { return error_; }
  std::string_view Name() const override { return "Pellarin.txt"; }

 private:
  int error_ = 0;
};

// Start and Stop readings for the lengths 4, 8, 16 and 32 over 64 frames,
// at 1e9 ticks per second; the figure is (64 / seconds) / 44100:
//   14520 ticks       -> 99.948 -> 99 (truncated, not rounded)
//   -1000000 ticks    -> -1.45  -> -1 (a counter running backwards)
//   0 ticks           -> saturated to 2147483647
//   2000000000 ticks  -> 0.0007 -> 0
constexpr std::array<int64_t, 8> kCounts = {1000, 15520, 15520, -984480,
                                            5,    5,     7,     2000000007};
std::size_t g_next_count = 0;
int64_t FakeCount() {
  g_log.push_back("count");
  return kCounts.at(g_next_count++);
}
int64_t FakeFrequency() {
  g_log.push_back("frequency");
  return 1000000000;
}

// The fakes read and write every double the library may, so the sanitizer
// build catches a buffer of the wrong size.  On the first repetition they
// check that the input holds the test signal and the outputs were touched.
int32_t g_length = 0;
bool g_first_repetition = false;

void FakeConstruction(int32_t length, uint32_t window_type) {
  g_log.push_back("construction " + std::to_string(length) + " " +
                  std::to_string(window_type));
  g_length = length;
  g_first_repetition = true;
  g_names.clear();
}

void FakeProcess(const double* source, double* destination,
                 unsigned char apply_window, unsigned char normalize_forward,
                 unsigned char forward) {
  const std::size_t values = 2 * static_cast<std::size_t>(g_length);
  if (g_first_repetition) {
    std::vector<double> signal(values);
    FillTestSignal(signal.data(), g_length);
    EXPECT_EQ(std::memcmp(source, signal.data(), values * sizeof(double)), 0);
    EXPECT_EQ(std::count(destination, destination + values, 0.0),
              static_cast<std::ptrdiff_t>(values));
  }
  std::copy_n(source, values, destination);
  g_log.push_back("process " + g_names[source] + " " + g_names[destination] +
                  " " + std::to_string(apply_window) +
                  std::to_string(normalize_forward) + std::to_string(forward));
}

void FakeMeasure(const char* name, const double* spectrum, double* output) {
  const std::size_t n = static_cast<std::size_t>(g_length);
  if (g_first_repetition) {
    EXPECT_EQ(std::count(output, output + n, 0.0),
              static_cast<std::ptrdiff_t>(n));
  }
  std::copy_n(spectrum + n, n, output);
  g_log.push_back(std::string(name) + " " + g_names[spectrum] + " " +
                  g_names[output]);
}
void FakeAchLr(const double* spectrum, double* ratio) {
  FakeMeasure("achLr", spectrum, ratio);
}
void FakePhaseLr(const double* spectrum, double* phase) {
  FakeMeasure("phaseLr", spectrum, phase);
  g_first_repetition = false;
}
void FakeDestruction() { g_log.push_back("destruction"); }
void FakePrepare() { g_log.push_back("key prepare"); }
void FakeWait() { g_log.push_back("key wait"); }

class BenchmarkDriverTest : public ::testing::Test {
 protected:
  int Run() {
    g_log.clear();
    g_next_count = 0;
    const BenchmarkPlan plan = {.lengths = {4, 8, 16, 32},
                                .framesPerLength = 64};
    const LibraryEntryPoints library = {&FakeConstruction, &FakeProcess,
                                        &FakeAchLr, &FakePhaseLr,
                                        &FakeDestruction};
    const BenchmarkEnvironment environment = {
        .console = console_,
        .errors = errors_,
        .report = report_,
        .counter = {&FakeCount, &FakeFrequency},
        .keyWait = {&FakePrepare, &FakeWait}};
    g_log_arrays = true;
    const int status = RunBenchmark(plan, library, environment);
    g_log_arrays = false;
    return status;
  }

  LoggingConsole consoleBuffer_;
  std::ostream console_{&consoleBuffer_};
  std::ostringstream errors_;
  RecordingReport report_;
};

TEST_F(BenchmarkDriverTest, RunsEveryStepInOrder) {
  EXPECT_EQ(Run(), 0);

  const std::string rule =
      "console  ================================================\n";
  std::vector<std::string> expected = {
      "console \n",
      rule,
      "console  = Pellarin (44100 kHz, Stereo), (c) 2026 Pellarin developers\n",
      rule,
      "console  Data windows: from 4 to 262144 (Nuttall tap.w.)\n",
      "console  Realtime perfomance meter...\n",
      "console \n",
      "frequency",
      "report open"};
  const std::vector<std::string> figures = {"99", "-1", "2147483647", "0"};
  for (int k = 0; k < 4; ++k) {
    const int n = 4 << k;
    const std::string complex_bytes = std::to_string(16 * n);
    const std::string real_bytes = std::to_string(8 * n);
    expected.insert(
        expected.end(),
        {"construction " + std::to_string(n) + " 12",
         "new[] " + complex_bytes + " A", "new[] " + complex_bytes + " B",
         "new[] " + real_bytes + " C", "new[] " + real_bytes + " D", "count"});
    for (int r = 0; r < 64 / n; ++r) {
      expected.insert(expected.end(),
                      {"process A B 101", "achLr B C", "phaseLr B D"});
    }
    expected.insert(
        expected.end(),
        {"count",
         "console  " + figures[k] + " (window " + std::to_string(n) + ")\n",
         "report " + figures[k] + (k < 3 ? "," : ""), "delete[] A",
         "delete[] B", "delete[] C", "delete[] D", "destruction"});
  }
  expected.insert(expected.end(),
                  {"report close", "console \n", "key prepare",
                   "console  Press any key to continue...", "key wait"});
  EXPECT_EQ(g_log, expected);
}

TEST_F(BenchmarkDriverTest, ConsoleAndReportTextByteForByte) {
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(consoleBuffer_.str(),
            "\n"
            " ================================================\n"
            " = Pellarin (44100 kHz, Stereo), (c) 2026 Pellarin developers\n"
            " ================================================\n"
            " Data windows: from 4 to 262144 (Nuttall tap.w.)\n"
            " Realtime perfomance meter...\n"
            "\n"
            " 99 (window 4)\n"
            " -1 (window 8)\n"
            " 2147483647 (window 16)\n"
            " 0 (window 32)\n"
            "\n"
            " Press any key to continue...");
  EXPECT_EQ(report_.text, "99,-1,2147483647,0");
  EXPECT_EQ(errors_.str(), "");
}

// A report failure, found at the open or only at the close, is told once
// with the file's name and the reason; every length is still measured, the
// key still awaited, and the run ends nonzero.
class ReportFailureTest : public BenchmarkDriverTest,
                          public ::testing::WithParamInterface<bool> {};

TEST_P(ReportFailureTest, IsToldOnceAndEndsNonzero) {
  (GetParam() ? report_.failOnOpen : report_.failOnClose) = ENOSPC;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(errors_.str(),
            "Pellarin: cannot write the report "
            "\"Pellarin.txt\": " +
                std::string(std::strerror(ENOSPC)) + "\n");
  EXPECT_TRUE(consoleBuffer_.str().ends_with(
      " 0 (window 32)\n\n Press any key to continue..."));
  EXPECT_EQ(g_log.back(), "key wait");
}

INSTANTIATE_TEST_SUITE_P(Report, ReportFailureTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "AtOpen" : "AtClose";
                         });

TEST(InputSignal, IsNormalNonzeroAndDiffersBetweenChannels) {
  constexpr std::size_t kLength = 4096;
  std::vector<double> values(2 * kLength);
  FillTestSignal(values.data(), kLength);
  for (std::size_t n = 0; n < kLength; ++n) {
    const double left = values[2 * n], right = values[2 * n + 1];
    ASSERT_TRUE(std::isnormal(left) && std::isnormal(right)) << "at " << n;
    ASSERT_LT(std::max(std::abs(left), std::abs(right)), 1.0);
    ASSERT_NE(left, right);
  }
}

}  // namespace
}  // namespace pellarin
