// No SIGPIPE on Windows: a write to a pipe whose reader has gone just fails.
// What remains is a standard handle that is missing at start.
#include <fcntl.h>
#include <io.h>

#include <cstdint>

#include "platform/standard_streams.h"

namespace pellarin::platform {

namespace {

// The C runtime marks a descriptor whose handle was missing at start with -2
// and an unused one with -1.
bool HasHandle(int fd) {
  const intptr_t handle = _get_osfhandle(fd);
  return handle != -1 && handle != -2;
}

}  // namespace

void PrepareStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (HasHandle(fd)) continue;
    const int null_fd = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    if (null_fd < 0) continue;
    // _dup2 onto 0 to 2 also installs the handle as the process's standard
    // handle.
    if (null_fd != fd) {
      (void)_dup2(null_fd, fd);
      (void)_close(null_fd);
    }
  }
}

}  // namespace pellarin::platform
