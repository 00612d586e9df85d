// The key is read from /dev/tty with termios, whatever standard input is; the
// mode the terminal had is restored afterwards, also when a termination
// signal cuts the wait short, and for as long as a stop signal holds the
// program stopped.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>
#include <iterator>

#include "platform/key_wait.h"

namespace pellarin::platform {

namespace {

// How long the rest of a multi-byte key may take to arrive after its first
// byte; a terminal sends the whole sequence at once.
constexpr int kSequenceGapMilliseconds = 100;
// No real key sends more; the bound only stops a stream of garbage.
constexpr int kMaxSequenceBytes = 32;

constexpr int kTerminationSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};
// Stop requests from outside (kill -TSTP) and a background job touching the
// terminal; Ctrl+Z itself arrives as a key, since signal keys are off.
constexpr int kStopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};
constexpr std::size_t kTerminationCount = std::size(kTerminationSignals);
constexpr std::size_t kSignalCount =
    kTerminationCount + std::size(kStopSignals);

constexpr int SignalAt(std::size_t i) {
  return i < kTerminationCount ? kTerminationSignals[i]
                               : kStopSignals[i - kTerminationCount];
}

// Shared with the signal handlers, hence plain globals.
volatile sig_atomic_t g_terminal = -1;
termios g_saved_mode;
termios g_single_key_mode;
struct sigaction g_previous_actions[kSignalCount];
bool g_handler_installed[kSignalCount];

void RestoreModeAndRaise(int signal_number) {
  const int terminal = g_terminal;
  if (terminal >= 0) tcsetattr(terminal, TCSANOW, &g_saved_mode);
  // SA_RESETHAND has put back the default action: this ends the process.
  (void)raise(signal_number);
}

// Only the foreground job may set the terminal's mode; from the background
// the change would land under the shell (stop signals are blocked in the
// handler, so nothing would stop it).
bool InForeground(int terminal) { return tcgetpgrp(terminal) == getpgrp(); }

// Gives the terminal its earlier mode back, stops the way the signal's
// default action does, and once continued in the foreground takes single
// keys again.  The interrupted read simply goes on afterwards.
void StopWithModeRestored(int signal_number) {
  const int saved_errno = errno;
  const int terminal = g_terminal;
  if (terminal >= 0 && InForeground(terminal)) {
    tcsetattr(terminal, TCSANOW, &g_saved_mode);
  }
  struct sigaction stop = {};
  stop.sa_handler = SIG_DFL;
  sigemptyset(&stop.sa_mask);
  struct sigaction mine;
  sigaction(signal_number, &stop, &mine);
  // Blocked while its handler runs: pending until unblocked just below,
  // which stops the process right there.  The kernel discards it instead
  // when no shell is left to continue the job (an orphaned process group).
  (void)raise(signal_number);
  sigset_t only_this, previous;
  sigemptyset(&only_this);
  sigaddset(&only_this, signal_number);
  sigprocmask(SIG_UNBLOCK, &only_this, &previous);
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  sigaction(signal_number, &mine, nullptr);
  // Continued in the background (bg), the next read brings SIGTTIN and so
  // another stop; the single-key mode returns with the foreground.
  if (terminal >= 0 && InForeground(terminal)) {
    tcsetattr(terminal, TCSANOW, &g_single_key_mode);
  }
  errno = saved_errno;
}

void InstallSignalHandlers() {
  struct sigaction terminate = {};
  terminate.sa_handler = RestoreModeAndRaise;
  terminate.sa_flags = SA_RESETHAND;
  sigemptyset(&terminate.sa_mask);
  struct sigaction stop = {};
  stop.sa_handler = StopWithModeRestored;
  stop.sa_flags = SA_RESTART;
  sigemptyset(&stop.sa_mask);
  for (const int signal_number : kStopSignals) {
    sigaddset(&stop.sa_mask, signal_number);
  }
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    sigaction(SignalAt(i), nullptr, &g_previous_actions[i]);
    // A signal ignored on purpose (nohup) stays ignored.
    g_handler_installed[i] = g_previous_actions[i].sa_handler != SIG_IGN;
    if (g_handler_installed[i]) {
      sigaction(SignalAt(i), i < kTerminationCount ? &terminate : &stop,
                nullptr);
    }
  }
}

void RemoveSignalHandlers() {
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (g_handler_installed[i]) {
      sigaction(SignalAt(i), &g_previous_actions[i], nullptr);
      g_handler_installed[i] = false;
    }
  }
}

// tcsetattr, again when a stop signal cut it short.
bool SetMode(int terminal, int when, const termios& mode) {
  for (;;) {
    if (tcsetattr(terminal, when, &mode) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// Reads one byte; false on end of input, a read error or, with a timeout
// (milliseconds, -1 for none), when nothing arrives in time.
bool ReadByte(int terminal, unsigned char& byte, int timeout) {
  for (;;) {
    if (timeout >= 0) {
      pollfd request = {terminal, POLLIN, 0};
      const int ready = poll(&request, 1, timeout);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
    }
    const ssize_t count = read(terminal, &byte, 1);
    if (count == 1) return true;
    if (count < 0 && errno == EINTR) continue;
    return false;
  }
}

// Consumes the continuation bytes that a UTF-8 lead byte announces.
void ConsumeUtf8Tail(int terminal, unsigned char lead) {
  const int count = (lead & 0xE0) == 0xC0   ? 1
                    : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3
                                            : 0;
  unsigned char byte;
  for (int i = 0; i < count; ++i) {
    if (!ReadByte(terminal, byte, kSequenceGapMilliseconds)) return;
  }
}

// Consumes what follows the first byte of a key: the rest of an escape
// sequence (CSI "ESC [ ... final", SS3 "ESC O x", Alt+key "ESC x") or of a
// UTF-8 character.  A lone Escape key sends nothing more.
void ConsumeRestOfKey(int terminal, unsigned char first) {
  if (first != 0x1B) {
    ConsumeUtf8Tail(terminal, first);
    return;
  }
  unsigned char byte;
  if (!ReadByte(terminal, byte, kSequenceGapMilliseconds)) return;
  if (byte == '[') {
    // Parameter and intermediate bytes run up to a final byte in @..~.
    for (int i = 0; i < kMaxSequenceBytes; ++i) {
      if (!ReadByte(terminal, byte, kSequenceGapMilliseconds)) return;
      if (byte >= 0x40 && byte <= 0x7E) return;
    }
  } else if (byte == 'O') {
    ReadByte(terminal, byte, kSequenceGapMilliseconds);
  } else {
    ConsumeUtf8Tail(terminal, byte);
  }
}

void RestoreAndRelease() {
  const int terminal = g_terminal;
  if (terminal < 0) return;
  // Flushing input drops whatever else the key sent, so nothing is left
  // behind for the shell.
  SetMode(terminal, TCSAFLUSH, g_saved_mode);
  g_terminal = -1;
  RemoveSignalHandlers();
  close(terminal);
}

}  // namespace

void PrepareKeyWait() {
  if (g_terminal >= 0) return;
  // Fails without a controlling terminal (setsid, cron, a service).
  const int terminal = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return;
  termios mode;
  if (tcgetattr(terminal, &mode) != 0) {
    close(terminal);
    return;
  }
  g_saved_mode = mode;
  // No line editing, echo, signal keys, extended processing or flow control:
  // every key arrives as bytes, one read at a time.
  mode.c_lflag &= ~(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
  mode.c_iflag &= ~(IXON | ICRNL | INLCR | IGNCR);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  g_single_key_mode = mode;
  g_terminal = terminal;
  InstallSignalHandlers();
  // TCSAFLUSH drops keys typed during the run: the wait is for a key pressed
  // once the prompt is there.
  if (!SetMode(terminal, TCSAFLUSH, mode)) RestoreAndRelease();
}

void WaitForKey() {
  const int terminal = g_terminal;
  if (terminal < 0) return;
  unsigned char first;
  if (ReadByte(terminal, first, -1)) ConsumeRestOfKey(terminal, first);
  RestoreAndRelease();
}

}  // namespace pellarin::platform
