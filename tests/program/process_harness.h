// Support for the POSIX tests that need a process or a terminal of their
// own: children with chosen standard streams and a pseudo-terminal the test
// types into.
#ifndef PELLARIN_TESTS_PROGRAM_PROCESS_HARNESS_H_
#define PELLARIN_TESTS_PROGRAM_PROCESS_HARNESS_H_

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "gtest/gtest.h"
#include "temporary_directory.h"

namespace pellarin::testing {

inline int WaitForExit(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// Reads from `fd` until end of input, or until `marker` has been read.
// A child that hangs is left to the test's timeout.
inline std::string ReadFrom(int fd, std::string_view marker = {}) {
  std::string text;
  char buffer[4096];
  while (marker.empty() || text.find(marker) == std::string::npos) {
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) break;
    text.append(buffer, static_cast<std::size_t>(count));
  }
  return text;
}

// A pseudo-terminal.  The test keeps its slave side open, so the terminal
// outlives its children and its mode and input queue stay inspectable.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
      ADD_FAILURE() << "openpty failed";
    }
  }
  ~PseudoTerminal() {
    close(master_);
    close(slave_);
  }

  // Runs `body` in a child whose controlling terminal this is, with all
  // three standard streams on it.  The child ends with status 0 after body.
  pid_t Spawn(const std::function<void()>& body) const {
    const pid_t pid = fork();
    if (pid == 0) {
      setsid();
      ioctl(slave_, TIOCSCTTY, 0);
      for (int fd = 0; fd <= 2; ++fd) dup2(slave_, fd);
      close(master_);
      close(slave_);
      body();
      _exit(0);
    }
    return pid;
  }

  termios Mode() const {
    termios mode = {};
    tcgetattr(slave_, &mode);
    return mode;
  }

  std::string ReadUntil(std::string_view marker) const {
    return ReadFrom(master_, marker);
  }

  // Whatever output arrives within a short while (echo, if any).
  std::string ReadPending() const {
    std::string text;
    pollfd request = {master_, POLLIN, 0};
    char buffer[256];
    while (poll(&request, 1, 300) > 0) {
      const ssize_t count = read(master_, buffer, sizeof buffer);
      if (count <= 0) break;
      text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
  }

  void Type(std::string_view keys) const {
    ASSERT_EQ(write(master_, keys.data(), keys.size()),
              static_cast<ssize_t>(keys.size()));
  }

  // The bytes typed but not read, which a shell would read next.
  int PendingInput() const {
    const termios mode = Mode();
    termios raw = mode;
    raw.c_lflag &= ~ICANON;  // a canonical queue hides an unfinished line
    tcsetattr(slave_, TCSANOW, &raw);
    int count = 0;
    ioctl(slave_, FIONREAD, &count);
    tcsetattr(slave_, TCSANOW, &mode);
    return count;
  }

  int slave() const { return slave_; }

 private:
  int master_ = -1;
  int slave_ = -1;
};

inline bool SameMode(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag &&
         a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
         std::equal(std::begin(a.c_cc), std::end(a.c_cc), std::begin(b.c_cc));
}

}  // namespace pellarin::testing

#endif  // PELLARIN_TESTS_PROGRAM_PROCESS_HARNESS_H_
