// The process-wide settings of the platform layer.
#include <fcntl.h>
#include <fenv.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>

#include "gtest/gtest.h"
#include "platform/floating_point_mode.h"
#include "platform/standard_streams.h"
#include "process_harness.h"

namespace pellarin::platform {
namespace {

using ::pellarin::testing::WaitForExit;

TEST(FloatingPointMode, SubnormalsFlushToZero) {
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
  EXPECT_TRUE(mode.flush_to_zero);
  EXPECT_TRUE(mode.denormals_are_zero);
#endif
  EXPECT_EQ(result == 0.0, mode.flush_to_zero);
  EXPECT_EQ(input == 0.0, mode.denormals_are_zero);
}

// In a child, since both settings are for the whole process.
TEST(StandardStreams, ClosedStreamsAndVanishedReadersAreHarmless) {
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
  const int status = WaitForExit(child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace pellarin::platform
