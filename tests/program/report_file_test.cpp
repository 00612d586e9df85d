#include "report_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "temporary_directory.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "process_harness.h"
#endif

namespace pellarin {
namespace {

using ::pellarin::testing::FileText;
using ::pellarin::testing::TemporaryDirectory;

// No line end, which a text-mode stream would change on Windows.
constexpr char kEarlierReport[] = "an earlier, longer report";

TEST(ReportEntry, FigureInDecimalWithSeparatorUnlessLast) {
  EXPECT_EQ(ReportEntry(1066, false), "1066,");
  EXPECT_EQ(ReportEntry(-7, false), "-7,");
  EXPECT_EQ(ReportEntry(0, true), "0");
  EXPECT_EQ(ReportEntry(-2147483647 - 1, true), "-2147483648");
}

class ReportFileTest : public ::testing::Test {
 protected:
  ReportFileTest() { std::ofstream(reportPath_) << kEarlierReport; }

  TemporaryDirectory directory_;
  const std::filesystem::path reportPath_ = directory_.path() / "Pellarin.txt";
  const std::filesystem::path partialPath_ =
      directory_.path() / "Pellarin.txt.partial";
};

// Until Close the earlier report is untouched and the new text sits in the
// stream's buffer; Close puts the new report in its place.
TEST_F(ReportFileTest, ReplacesTheEarlierReportOnlyWhenClosed) {
  ReportFile report(reportPath_.string());
  report.Open();
  report.Write("12,");
  report.Write("-3");
  EXPECT_EQ(FileText(reportPath_), kEarlierReport);
  EXPECT_EQ(FileText(partialPath_), "");
  report.Close();
  EXPECT_EQ(report.Error(), 0);
  EXPECT_EQ(FileText(reportPath_), "12,-3");
  EXPECT_EQ(directory_.Entries(), std::vector<std::string>{"Pellarin.txt"});
}

TEST_F(ReportFileTest, RunEndedBeforeCloseKeepsTheEarlierReport) {
  {
    ReportFile report(reportPath_.string());
    report.Open();
    report.Write("12,");
  }
  EXPECT_EQ(FileText(reportPath_), kEarlierReport);
  EXPECT_EQ(directory_.Entries(), std::vector<std::string>{"Pellarin.txt"});
}

// The new text is complete but cannot take the report's name.
TEST_F(ReportFileTest, ReportNameTakenByAFolderFailsAtCloseLeavingNothing) {
  std::filesystem::remove(reportPath_);
  std::filesystem::create_directory(reportPath_);
  ReportFile report(reportPath_.string());
  report.Open();
  report.Write("12");
  EXPECT_EQ(report.Error(), 0);
  report.Close();
  EXPECT_NE(report.Error(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(reportPath_));
  EXPECT_EQ(directory_.Entries(), std::vector<std::string>{"Pellarin.txt"});
}

TEST_F(ReportFileTest, FolderThatCannotBeWrittenFailsAtOpen) {
  ReportFile report((directory_.path() / "missing" / "Pellarin.txt").string());
  report.Open();
  EXPECT_EQ(report.Error(), ENOENT);
  report.Write("12");
  report.Close();
  EXPECT_EQ(report.Error(), ENOENT);
  EXPECT_EQ(FileText(reportPath_), kEarlierReport);
}

#if !defined(_WIN32)

// A full disk lets the open and the buffered writes through and fails only
// when the buffer is handed over.  A file size limit of a few bytes stands in
// for the full disk, in a child since the limit is for the whole process.
TEST_F(ReportFileTest, FullDiskShowsAtCloseAndKeepsTheEarlierReport) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit = {2, 2};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    ReportFile report(reportPath_.string());
    report.Open();
    report.Write("1,2,3");
    if (report.Error() != 0) _exit(3);
    report.Close();
    _exit(report.Error() == EFBIG ? 0 : 4);
  }
  const int status = ::pellarin::testing::WaitForExit(child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(FileText(reportPath_), kEarlierReport);
  EXPECT_EQ(directory_.Entries(), std::vector<std::string>{"Pellarin.txt"});
}

#endif

}  // namespace
}  // namespace pellarin
