// The key wait on a pseudo-terminal, called directly in a child process.
#include "platform/key_wait.h"

#include <fcntl.h>
#include <unistd.h>

#include "gtest/gtest.h"
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

// Input from a file marks an unattended run, even with a terminal at hand.
TEST(KeyWait, EndsAtOnceWhenStandardInputIsNoTerminal) {
  PseudoTerminal terminal;
  const termios before = terminal.Mode();
  const pid_t child = terminal.Spawn([] {
    const int null_input = open("/dev/null", O_RDONLY);
    dup2(null_input, STDIN_FILENO);
    WaitInChild();
  });
  const int status = WaitForExit(child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(SameMode(terminal.Mode(), before));
}

// Standard input on a terminal that is not the session's: /dev/tty fails.
TEST(KeyWait, EndsAtOnceWithoutAControllingTerminal) {
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

}  // namespace
}  // namespace pellarin::platform
