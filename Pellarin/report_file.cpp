#include "report_file.h"

#include <cerrno>
#include <charconv>
#include <utility>

namespace pellarin {

std::string ReportEntry(int32_t realtimeFactor, bool last) {
  char digits[16];
  const auto [end, ec] =
      std::to_chars(digits, digits + sizeof digits, realtimeFactor, 10);
  std::string entry(digits, end);
  if (!last) entry += ',';
  return entry;
}

ReportFile::ReportFile(std::string path) : path_(std::move(path)) {}

ReportFile::~ReportFile() {
  // Only reached when a run ends early; Close reports its own failures.
  if (file_ != nullptr) (void)std::fclose(file_);
}

void ReportFile::Open() {
  errno = 0;
  file_ = std::fopen(path_.c_str(), "w");
  if (file_ == nullptr) Fail(errno);
}

void ReportFile::Write(std::string_view text) {
  if (file_ == nullptr) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    Fail(errno);
  }
}

void ReportFile::Close() {
  if (file_ == nullptr) return;
  // A full disk shows only here, when the buffer is handed to the system.
  errno = 0;
  if (std::fflush(file_) != 0) Fail(errno);
  errno = 0;
  if (std::fclose(file_) != 0) Fail(errno);
  file_ = nullptr;
}

void ReportFile::Fail(int error_number) {
  // Some failures leave errno alone; they still need a reason to show.
  if (error_ == 0) error_ = error_number != 0 ? error_number : EIO;
}

}  // namespace pellarin
