// The C runtime's rename() refuses an existing target, hence MoveFileExW.
#include <windows.h>

#include <cerrno>
#include <string>

#include "platform/rename_over.h"

namespace pellarin::platform {

namespace {

// Narrow names are in the ANSI code page, as fopen() takes them.
std::wstring Widened(const std::string& name) {
  const int size = MultiByteToWideChar(
      CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                        wide.data(), size);
  }
  return wide;
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return EIO;
  }
}

}  // namespace

int RenameOver(const std::string& from, const std::string& to) {
  if (MoveFileExW(Widened(from).c_str(), Widened(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return ErrnoOf(GetLastError());
}

}  // namespace pellarin::platform
