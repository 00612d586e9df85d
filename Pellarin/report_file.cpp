#include "report_file.h"

#include <cerrno>
#include <charconv>
#include <utility>

#include "platform/rename_over.h"

namespace pellarin {

std::string ReportEntry(int32_t realtimeFactor, bool last) {
  char digits[16];
  const auto [end, ec] =
      std::to_chars(digits, digits + sizeof digits, realtimeFactor, 10);
  std::string entry(digits, end);
  if (!last) entry += ',';
  return entry;
}

ReportFile::ReportFile(std::string path)
    : path_(std::move(path)), partialPath_(path_ + ".partial") {}

ReportFile::~ReportFile() {
  // Only reached when a run ends early: the earlier report stays.
  if (file_ != nullptr) {
    (void)std::fclose(file_);
    (void)std::remove(partialPath_.c_str());
  }
}

void ReportFile::Open() {
  errno = 0;
  file_ = std::fopen(partialPath_.c_str(), "w");
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
  if (error_ == 0) {
    const int rename_error = platform::RenameOver(partialPath_, path_);
    if (rename_error != 0) Fail(rename_error);
  }
  // A report that could not be written whole is not left lying about.
  if (error_ != 0) (void)std::remove(partialPath_.c_str());
}

void ReportFile::Fail(int error_number) {
  // Some failures leave errno alone; they still need a reason to show.
  if (error_ == 0) error_ = error_number != 0 ? error_number : EIO;
}

}  // namespace pellarin
