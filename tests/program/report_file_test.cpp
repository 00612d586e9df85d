#include "report_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "gtest/gtest.h"
#include "process_harness.h"

namespace pellarin {
namespace {

using ::pellarin::testing::FileText;
using ::pellarin::testing::TemporaryDirectory;

TEST(ReportEntry, FigureInDecimalWithSeparatorUnlessLast) {
  EXPECT_EQ(ReportEntry(1066, false), "1066,");
  EXPECT_EQ(ReportEntry(-7, false), "-7,");
  EXPECT_EQ(ReportEntry(0, true), "0");
  EXPECT_EQ(ReportEntry(-2147483647 - 1, true), "-2147483648");
}

TEST(ReportFile, ReplacesAnEarlierReportAndHoldsTheTextUntilClosed) {
  TemporaryDirectory directory;
  const auto path = directory.path() / "Pellarin.txt";
  std::ofstream(path) << "an earlier, longer report\n";

  ReportFile report(path.string());
  report.Open();
  report.Write("12,");
  report.Write("-3");
  EXPECT_EQ(FileText(path), "");  // emptied, the text still buffered
  report.Close();
  EXPECT_EQ(FileText(path), "12,-3");
  EXPECT_EQ(report.error(), 0);
}

// A full disk lets the open and the buffered writes through and fails only
// when the buffer is handed over.
TEST(ReportFile, FullDiskShowsAtClose) {
  ReportFile report("/dev/full");
  report.Open();
  report.Write("1,2,3");
  EXPECT_EQ(report.error(), 0);
  report.Close();
  EXPECT_EQ(report.error(), ENOSPC);
}

}  // namespace
}  // namespace pellarin
