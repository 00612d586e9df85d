// The process-wide settings of the platform layer and its counter.
#include <fenv.h>

#include <cerrno>
#include <cfloat>
#include <cstdint>

#include "gtest/gtest.h"
#include "platform/floating_point_mode.h"
#include "platform/performance_counter.h"
#include "platform/standard_streams.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "process_harness.h"
#endif

namespace pellarin::platform {
namespace {

TEST(FloatingPointMode, SubnormalsFlushToZero) {
  if (ONDAVEL_TEST_CPU_EMULATED) {
    GTEST_SKIP() << "the processor emulator keeps subnormals whatever the "
                    "control register says";
  }
  fenv_t saved;
  fegetenv(&saved);
  volatile double smallest_normal = DBL_MIN;
  volatile double subnormal = 0x1p-1040;
  const FloatingPointMode mode = EnableFlushToZero();
  const double result = smallest_normal * 0.5;
  // A normal product, so only treating the input as zero can make it zero.
  const double input = subnormal * 0x1p100;
  fesetenv(&saved);

#if defined(__x86_64__) || defined(__aarch64__)
  EXPECT_TRUE(mode.flushToZero);
  EXPECT_TRUE(mode.denormalsAreZero);
#endif
  EXPECT_EQ(result == 0.0, mode.flushToZero);
  EXPECT_EQ(input == 0.0, mode.denormalsAreZero);
}

// Whole ticks that never go back, at a rate that makes a tick no longer
// than a microsecond.
TEST(PerformanceCounter, RisesMonotonicallyAtAFineFixedRate) {
  const int64_t frequency = ReadPerformanceFrequency();
  EXPECT_GE(frequency, 1000000);
  EXPECT_EQ(ReadPerformanceFrequency(), frequency);
  int64_t previous = ReadPerformanceCounter();
  EXPECT_GT(previous, 0);
  bool rose = false;
  for (int i = 0; i < 1000000 && !rose; ++i) {
    const int64_t now = ReadPerformanceCounter();
    ASSERT_GE(now, previous);
    rose = now > previous;
    previous = now;
  }
  EXPECT_TRUE(rose);
}

#if defined(_WIN32)

// Descriptor 1 closed as at a start without a standard output handle: once
// prepared, it is taken again, so the next file opened cannot become the
// console.  Standard output is put back for the test's own output.
TEST(StandardStreams, ClosedStreamIsNotHandedToTheNextFile) {
  const int saved_fd = _dup(1);
  const HANDLE saved_handle = GetStdHandle(STD_OUTPUT_HANDLE);
  ASSERT_GE(saved_fd, 0);
  _close(1);
  PrepareStandardStreams();
  const intptr_t handle = _get_osfhandle(1);
  const int file = _open("NUL", _O_WRONLY);
  _dup2(saved_fd, 1);
  _close(saved_fd);
  SetStdHandle(STD_OUTPUT_HANDLE, saved_handle);
  if (file >= 0) _close(file);
  EXPECT_NE(handle, -1);
  EXPECT_NE(handle, -2);
  EXPECT_NE(file, 1);
}

#else

// In a child, since both settings are for the whole process.
TEST(StandardStreams, ClosedStreamsAndVanishedReadersAreHarmless) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  const pid_t child = fork();
  if (child == 0) {
    close(STDOUT_FILENO);
    PrepareStandardStreams();
    // The next file must not take over standard output's descriptor.
    const int file = open("/dev/null", O_WRONLY);
    if (file == STDOUT_FILENO || fcntl(STDOUT_FILENO, F_GETFD) == -1) _exit(2);
    int ends[2];
    if (pipe(ends) != 0) _exit(3);
    close(ends[0]);
    // Without SIGPIPE ignored this write would end the child.
    if (write(ends[1], "x", 1) != -1 || errno != EPIPE) _exit(4);
    _exit(0);
  }
  const int status = ::pellarin::testing::WaitForExit(child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

#endif

}  // namespace
}  // namespace pellarin::platform
