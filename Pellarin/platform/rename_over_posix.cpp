#include <cerrno>
#include <cstdio>

#include "platform/rename_over.h"

namespace pellarin::platform {

// rename() replaces an existing target atomically.
int RenameOver(const std::string& from, const std::string& to) {
  errno = 0;
  if (std::rename(from.c_str(), to.c_str()) == 0) return 0;
  return errno != 0 ? errno : EIO;
}

}  // namespace pellarin::platform
