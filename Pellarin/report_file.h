#ifndef PELLARIN_REPORT_FILE_H_
#define PELLARIN_REPORT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace pellarin {

// Where the run's figures go.  The driver opens it once before the first
// length, writes one entry per length and closes it after the last.
class ReportSink {
 public:
  virtual ~ReportSink() = default;

  virtual void Open() = 0;
  virtual void Write(std::string_view text) = 0;
  // Flushes what is buffered, then closes.
  virtual void Close() = 0;

  // The errno value of the first failure, or 0 while everything succeeded.
  virtual int Error() const = 0;
  virtual std::string_view Name() const = 0;
};

// One report entry: the figure in decimal, then "," unless it is the last.
std::string ReportEntry(int32_t realtimeFactor, bool last);

// The report as a C file stream opened with mode "w", so every run replaces
// the previous report.  The text stays in the stream's buffer until Close.
// It is written to "<path>.partial" beside the report, which only a complete
// Close renames over the report: a run killed or failing before then leaves
// the previous report as it was.
class ReportFile final : public ReportSink {
 public:
  explicit ReportFile(std::string path);
  ~ReportFile() override;

  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  void Open() override;
  void Write(std::string_view text) override;
  void Close() override;

  int Error() const override { return error_; }
  std::string_view Name() const override { return path_; }

 private:
  void Fail(int error_number);

  std::string path_;
  std::string partialPath_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
};

}  // namespace pellarin

#endif  // PELLARIN_REPORT_FILE_H_
