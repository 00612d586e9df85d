// The key wait on a pseudo-terminal, called directly in a child process.
// The Windows console wait is run whole under wine instead, by
// windows/pellarin_exe_under_wine.sh.
#include "platform/key_wait.h"

#include "gtest/gtest.h"

#if defined(_WIN32)

TEST(KeyWait, OnPseudoTerminals) {
  GTEST_SKIP() << "pseudo-terminals are POSIX only; the console wait is "
                  "tested by running Pellarin.exe under wine";
}

#else

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "process_harness.h"

namespace pellarin::platform {
namespace {

using ::pellarin::testing::PseudoTerminal;
using ::pellarin::testing::SameMode;
using ::pellarin::testing::WaitForExit;

constexpr std::string_view kReady = "READY";

// A child that prepares the wait, says so, and waits for a key.
void WaitInChild() {
  PrepareKeyWait();
  write(STDOUT_FILENO, kReady.data(), kReady.size());
  WaitForKey();
}

struct Key {
  const char* name;
  std::string_view bytes;
};

class KeyWaitTest : public ::testing::TestWithParam<Key> {};

// Each key ends the wait, is consumed whole, is not echoed, and the terminal
// is in its earlier mode afterwards.
TEST_P(KeyWaitTest, ConsumesTheWholeKeySilentlyAndRestoresTheMode) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  PseudoTerminal terminal;
  const termios before = terminal.Mode();
  const pid_t child = terminal.Spawn(WaitInChild);
  terminal.ReadUntil(kReady);
  EXPECT_EQ(terminal.Mode().c_lflag & (ICANON | ECHO | ISIG), 0u);

  terminal.Type(GetParam().bytes);
  const int status = WaitForExit(child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(terminal.ReadPending(), "");
  EXPECT_EQ(terminal.PendingInput(), 0);
  EXPECT_TRUE(SameMode(terminal.Mode(), before));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyWaitTest,
    ::testing::Values(Key{"Letter", "x"}, Key{"CtrlC", "\x03"},
                      Key{"CtrlBackslash", "\x1c"}, Key{"Up", "\x1b[A"},
                      Key{"F1", "\x1bOP"}, Key{"F5", "\x1b[15~"},
                      Key{"CtrlRight", "\x1b[1;5C"}, Key{"Escape", "\x1b"},
                      Key{"AltX", "\x1bx"}, Key{"EAcute", "\xc3\xa9"},
                      Key{"Euro", "\xe2\x82\xac"}),
    [](const ::testing::TestParamInfo<Key>& info) { return info.param.name; });

TEST(KeyWait, TerminationSignalRestoresTheModeBeforeTheEnd) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  PseudoTerminal terminal;
  const termios before = terminal.Mode();
  const pid_t child = terminal.Spawn(WaitInChild);
  terminal.ReadUntil(kReady);

  kill(child, SIGTERM);
  const int status = WaitForExit(child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_TRUE(SameMode(terminal.Mode(), before));
}

// The key comes from the terminal itself: input from a file still waits.
TEST(KeyWait, WaitsOnTheTerminalWithStandardInputFromAFile) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  PseudoTerminal terminal;
  const termios before = terminal.Mode();
  const pid_t child = terminal.Spawn([] {
    const int null_input = open("/dev/null", O_RDONLY);
    dup2(null_input, STDIN_FILENO);
    WaitInChild();
  });
  terminal.ReadUntil(kReady);
  EXPECT_EQ(terminal.Mode().c_lflag & (ICANON | ECHO), 0u);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0);

  terminal.Type("x");
  status = WaitForExit(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(SameMode(terminal.Mode(), before));
}

// Standard input on a terminal that is not the session's: /dev/tty fails.
// Every test that runs the program without wanting a wait relies on this.
TEST(KeyWait, EndsAtOnceWithoutAControllingTerminal) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  PseudoTerminal terminal;
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    dup2(terminal.slave(), STDIN_FILENO);
    PrepareKeyWait();
    WaitForKey();
    _exit(0);
  }
  const int status = WaitForExit(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A job as a shell runs it: the pseudo-terminal's session leader starts it in
// a process group of its own in the terminal's foreground and reports what
// becomes of it.  Without a parent in another group of the session the job
// would be orphaned, and the kernel would discard its stop signals.
class ForegroundJob {
 public:
  explicit ForegroundJob(const PseudoTerminal& terminal) {
    int ends[2];
    if (pipe(ends) != 0) ADD_FAILURE() << "pipe failed";
    events_ = ends[0];
    const int report = ends[1];
    shell_ = terminal.Spawn([report] {
      const pid_t job = fork();
      if (job == 0) {
        setpgid(0, 0);
        close(report);
        // Into the foreground first, as a shell's job would be.
        for (int i = 0; i < 5000 && tcgetpgrp(STDIN_FILENO) != getpgrp(); ++i) {
          usleep(1000);
        }
        WaitInChild();
        _exit(0);
      }
      setpgid(job, job);
      signal(SIGTTOU, SIG_IGN);
      tcsetpgrp(STDIN_FILENO, job);
      (void)!write(report, &job, sizeof job);
      for (;;) {
        int status = 0;
        if (waitpid(job, &status, WUNTRACED | WCONTINUED) != job) _exit(1);
        const char event = WIFSTOPPED(status)     ? 'S'
                           : WIFCONTINUED(status) ? 'C'
                           : WIFEXITED(status) && WEXITSTATUS(status) == 0
                               ? 'E'
                               : 'F';
        (void)!write(report, &event, 1);
        if (event == 'E' || event == 'F') _exit(0);
      }
    });
    close(report);
    if (read(events_, &job_, sizeof job_) != sizeof job_) {
      ADD_FAILURE() << "no job started";
    }
  }
  ~ForegroundJob() {
    close(events_);
    WaitForExit(shell_);
  }

  pid_t Pid() const { return job_; }

  // The next thing that happened to the job: 'S' stopped, 'C' continued,
  // 'E' ended with status 0, 'F' ended otherwise.  A hung job is left to the
  // test's timeout.
  char NextEvent() const {
    char event = 0;
    return read(events_, &event, 1) == 1 ? event : 0;
  }

 private:
  int events_ = -1;
  pid_t shell_ = -1;
  pid_t job_ = -1;
};

// The terminal's mode, once it differs from `from` (single keys set again
// after a continue come a moment later than the continue itself).
termios ModeOnceChangedFrom(const PseudoTerminal& terminal,
                            const termios& from) {
  for (int i = 0; i < 500 && SameMode(terminal.Mode(), from); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return terminal.Mode();
}

// kill -TSTP while waiting: the terminal is as it was for the shell while the
// job is stopped, single-key again once it is continued, and a key still
// ends the wait.
TEST(KeyWait, StopSignalGivesTheTerminalBackUntilContinued) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  PseudoTerminal terminal;
  const termios before = terminal.Mode();
  ForegroundJob job(terminal);
  terminal.ReadUntil(kReady);
  const termios single_key = terminal.Mode();
  ASSERT_EQ(single_key.c_lflag & (ICANON | ECHO), 0u);

  for (const int stop_signal : {SIGTSTP, SIGTTIN}) {
    kill(job.Pid(), stop_signal);
    ASSERT_EQ(job.NextEvent(), 'S') << strsignal(stop_signal);
    EXPECT_TRUE(SameMode(terminal.Mode(), before)) << strsignal(stop_signal);

    kill(job.Pid(), SIGCONT);
    ASSERT_EQ(job.NextEvent(), 'C');
    EXPECT_TRUE(SameMode(ModeOnceChangedFrom(terminal, before), single_key))
        << strsignal(stop_signal);
  }

  terminal.Type("x");
  EXPECT_EQ(job.NextEvent(), 'E');
  EXPECT_TRUE(SameMode(terminal.Mode(), before));
}

}  // namespace
}  // namespace pellarin::platform

#endif
