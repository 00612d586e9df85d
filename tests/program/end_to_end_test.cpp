// The real Pellarin binary, run whole: without a terminal, with a report it
// cannot write, with a console nobody reads, killed halfway, and on a
// pseudo-terminal.  Pellarin.exe is run whole under wine by
// windows/pellarin_exe_under_wine.sh instead.
#include "gtest/gtest.h"

#if defined(_WIN32)

TEST(EndToEnd, RunsOfTheProgram) {
  GTEST_SKIP() << "started with fork and pseudo-terminals, POSIX only; "
                  "Pellarin.exe is run whole under wine instead";
}

#else

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "process_harness.h"

namespace pellarin::testing {
namespace {

constexpr std::string_view kPrompt = " Press any key to continue...";

// Replaces this process with Pellarin, under the processor emulator when the
// binaries are another architecture's (ONDAVEL_TEST_EMULATOR, words
// separated by spaces).
[[noreturn]] void ExecPellarin() {
  std::vector<std::string> words;
  std::string word;
  for (const char c : std::string_view(ONDAVEL_TEST_EMULATOR)) {
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  if (words.empty()) {
    execl(PELLARIN_BINARY, "Pellarin", static_cast<char*>(nullptr));
  } else {
    words.push_back(PELLARIN_BINARY);
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
  }
  _exit(127);
}

struct Outcome {
  int status = 0;
  std::string console;
  std::string errors;
};

enum class Console { kCaptured, kBrokenPipe };

struct Started {
  pid_t pid;
  int console;  // -1 when nobody reads it
  int errors;
};

// Starts Pellarin in `directory` in a session of its own: no controlling
// terminal, so its key wait ends at once even when the tests themselves run
// in a terminal.  Standard input from /dev/null.
Started StartWithoutTerminal(const std::filesystem::path& directory,
                             Console console) {
  int out[2], err[2];
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  if (console == Console::kBrokenPipe) close(out[0]);
  const pid_t pid = fork();
  if (pid == 0) {
    setsid();
    const int null_input = open("/dev/null", O_RDONLY);
    dup2(null_input, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    if (chdir(directory.c_str()) != 0) _exit(126);
    ExecPellarin();
  }
  close(out[1]);
  close(err[1]);
  return {pid, console == Console::kCaptured ? out[0] : -1, err[0]};
}

Outcome RunWithoutTerminal(const std::filesystem::path& directory,
                           Console console = Console::kCaptured) {
  const auto [pid, out, err] = StartWithoutTerminal(directory, console);
  Outcome run;
  if (out >= 0) {
    run.console = ReadFrom(out);
    close(out);
  }
  run.errors = ReadFrom(err);
  close(err);
  run.status = WaitForExit(pid);
  return run;
}

// Splits at "\n"; the last piece is what follows the last line end.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The decimal figure in " <figure> (window <length>)", or "" when the line
// has another form.
std::string FigureOfLine(const std::string& line, int length) {
  const std::string tail = " (window " + std::to_string(length) + ")";
  if (!line.starts_with(' ') || !line.ends_with(tail)) return "";
  std::string figure = line.substr(1, line.size() - 1 - tail.size());
  const std::size_t digits = figure.starts_with('-') ? 1 : 0;
  if (figure.size() == digits ||
      figure.find_first_not_of("0123456789", digits) != std::string::npos) {
    return "";
  }
  return figure;
}

// Checks the 26 lines and returns the 17 figures as written.
std::vector<std::string> FiguresOfConsole(const std::string& console) {
  const std::vector<std::string> lines = Lines(console);
  std::vector<std::string> figures;
  EXPECT_EQ(lines.size(), 26u) << console;
  if (lines.size() != 26) return figures;
  const std::string rule = " " + std::string(48, '=');
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], rule);
  EXPECT_TRUE(lines[2].starts_with(" = Pellarin (44100 kHz, Stereo), "));
  EXPECT_GT(lines[2].size(), 34u);  // the maker's notice follows
  EXPECT_EQ(lines[3], rule);
  EXPECT_EQ(lines[4], " Data windows: from 4 to 262144 (Nuttall tap.w.)");
  EXPECT_EQ(lines[5], " Realtime perfomance meter...");
  EXPECT_EQ(lines[6], "");
  for (int k = 1; k <= 17; ++k) {
    const std::string& line = lines[6 + k];
    const std::string figure = FigureOfLine(line, 2 << k);
    if (figure.empty()) {
      ADD_FAILURE() << "not the line of length " << (2 << k) << ": " << line;
      return {};
    }
    // A real run is neither unmeasurably fast nor slower than real time.
    EXPECT_GT(std::stoll(figure), 0) << line;
    EXPECT_LT(std::stoll(figure), 2147483647) << line;
    figures.push_back(figure);
  }
  EXPECT_EQ(lines[24], "");
  EXPECT_EQ(lines[25], kPrompt);
  return figures;
}

std::string Joined(const std::vector<std::string>& figures) {
  std::string text;
  for (const std::string& figure : figures) {
    text += (text.empty() ? "" : ",") + figure;
  }
  return text;
}

TEST(EndToEnd, WithoutTerminalPrintsAllLinesReplacesReportAndEnds) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  TemporaryDirectory directory;
  const auto report = directory.path() / "Pellarin.txt";
  std::ofstream(report) << "an earlier report, longer than the new one will "
                           "be, which must not survive in any part\n";

  const Outcome run = RunWithoutTerminal(directory.path());
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  EXPECT_EQ(run.errors, "");
  const std::vector<std::string> figures = FiguresOfConsole(run.console);
  ASSERT_EQ(figures.size(), 17u);
  EXPECT_EQ(FileText(report), Joined(figures));
  EXPECT_EQ(directory.Entries(), std::vector<std::string>{"Pellarin.txt"});
}

// Killed during the measurements, the run leaves the previous report whole;
// only its unfinished new one lies beside it, under a name that says so.
TEST(EndToEnd, KilledRunLeavesThePreviousReport) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  TemporaryDirectory directory;
  const auto report = directory.path() / "Pellarin.txt";
  std::ofstream(report) << "12,34";

  const auto [pid, out, err] =
      StartWithoutTerminal(directory.path(), Console::kCaptured);
  const std::string console = ReadFrom(out, "(window 8)");
  ASSERT_NE(console.find("(window 8)"), std::string::npos) << console;
  kill(pid, SIGKILL);
  const int status = WaitForExit(pid);
  close(out);
  close(err);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(FileText(report), "12,34");
  EXPECT_EQ(directory.Entries(),
            (std::vector<std::string>{"Pellarin.txt", "Pellarin.txt.partial"}));
}

// As root a read-only directory stays writable; a directory in the report's
// place fails for every user.
TEST(EndToEnd, ReportThatCannotBeCreatedIsToldAndEndsNonzero) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  TemporaryDirectory directory;
  std::filesystem::create_directory(directory.path() / "Pellarin.txt");

  const Outcome run = RunWithoutTerminal(directory.path());
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_NE(WEXITSTATUS(run.status), 0);
  EXPECT_NE(run.errors.find("Pellarin.txt"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find(std::strerror(EISDIR)), std::string::npos)
      << run.errors;
  EXPECT_EQ(FiguresOfConsole(run.console).size(), 17u);
  EXPECT_EQ(directory.Entries(), std::vector<std::string>{"Pellarin.txt"});
}

// As with "Pellarin | head": console writes fail, the run and report do not.
TEST(EndToEnd, ConsoleWithoutReaderStillWritesTheReport) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  TemporaryDirectory directory;
  const Outcome run =
      RunWithoutTerminal(directory.path(), Console::kBrokenPipe);
  ASSERT_TRUE(WIFEXITED(run.status))
      << "ended by signal " << WTERMSIG(run.status);
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  const std::string report = FileText(directory.path() / "Pellarin.txt");
  EXPECT_EQ(std::count(report.begin(), report.end(), ','), 16) << report;
  EXPECT_EQ(report.find_first_not_of("-0123456789,"), std::string::npos)
      << report;
}

TEST(EndToEnd, OnTerminalWaitsForOneSilentKeyAndLeavesTerminalAsFound) {
  PELLARIN_SKIP_WITHOUT_CHILD_PROCESSES();
  TemporaryDirectory directory;
  PseudoTerminal terminal;
  const termios before = terminal.Mode();
  const pid_t child = terminal.Spawn([&directory] {
    if (chdir(directory.path().c_str()) != 0) _exit(126);
    ExecPellarin();
  });

  const std::string console = terminal.ReadUntil(kPrompt);
  ASSERT_TRUE(console.ends_with(kPrompt)) << console;
  EXPECT_NE(console.find("(window 262144)"), std::string::npos);
  // The prompt is out and the terminal is in single-key mode: it waits.
  EXPECT_EQ(terminal.Mode().c_lflag & (ICANON | ECHO), 0u);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0);

  terminal.Type("\x1b[A");  // cursor up: three bytes
  status = WaitForExit(child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(terminal.ReadPending(), "");  // no echo, nothing after the prompt
  EXPECT_EQ(terminal.PendingInput(), 0);
  EXPECT_TRUE(SameMode(terminal.Mode(), before));
}

}  // namespace
}  // namespace pellarin::testing

#endif
