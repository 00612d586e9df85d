#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/standard_streams.h"

namespace pellarin::platform {

void PrepareStandardStreams() {
  (void)signal(SIGPIPE, SIG_IGN);
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    // open() takes the lowest free descriptor, which is this one.
    const int null_fd =
        open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null_fd != fd && null_fd >= 0) close(null_fd);
  }
}

}  // namespace pellarin::platform
