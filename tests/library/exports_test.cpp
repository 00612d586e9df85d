// The built library's dynamic interface, as binutils read it from the file:
// exactly the ten C names are defined, nothing from the C++ runtime appears,
// and the soname carries the major version.  Also the header used from C.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "tests/library/c_caller.h"
#include "tests/library/test_support.h"

#ifndef ONDAVEL_LIBRARY_FILE
#error "ONDAVEL_LIBRARY_FILE must name the built library"
#endif

namespace ondavel_test {
namespace {

std::string RunTool(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
      output.append(buffer, n);
    }
    EXPECT_EQ(pclose(pipe), 0) << command << "\n" << output;
  } else {
    ADD_FAILURE() << "cannot run " << command;
  }
  return output;
}

// Names in the library's dynamic symbol table; `which` is "--defined-only"
// or "--undefined-only".  Each line of nm ends in the name.
std::set<std::string> DynamicSymbols(const char* which) {
  std::istringstream lines(RunTool(std::string("nm -D ") + which + " '" +
                                   ONDAVEL_LIBRARY_FILE + "'"));
  std::set<std::string> names;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) names.insert(line.substr(line.find_last_of(' ') + 1));
  }
  return names;
}

// The checks below read an ELF file with binutils; the Windows DLL's export
// table and imports are checked by tests/binaries instead.
#if defined(_WIN32)
#define SKIP_UNLESS_ELF() \
  GTEST_SKIP() << "ELF dynamic symbols; the DLL is checked by its own test"
#else
#define SKIP_UNLESS_ELF() static_cast<void>(0)
#endif

TEST(ExportsTest, DefinesExactlyTheTenNames) {
  SKIP_UNLESS_ELF();
  const std::set<std::string> expected = {
      "Ondavel_Construction", "Ondavel_Destruction", "Ondavel_Process",
      "Ondavel_ACH_LR",       "Ondavel_PhaseLR",     "Ondavel_ArgLR",
      "Ondavel_MagLR",        "Ondavel_PhaseNorm",   "Ondavel_FFT_Node",
      "Ondavel_FreqNode"};
  EXPECT_EQ(DynamicSymbols("--defined-only"), expected) << ONDAVEL_LIBRARY_FILE;
}

TEST(ExportsTest, NoCxxNamesInTheDynamicSymbolTable) {
  SKIP_UNLESS_ELF();
  for (const char* which : {"--defined-only", "--undefined-only"}) {
    for (const std::string& name : DynamicSymbols(which)) {
      EXPECT_NE(name.rfind("_Z", 0), 0u) << name;
    }
  }
}

TEST(ExportsTest, SonameCarriesTheMajorVersion) {
  SKIP_UNLESS_ELF();
  const std::string dynamic =
      RunTool(std::string("readelf -d '") + ONDAVEL_LIBRARY_FILE + "'");
  const size_t at = dynamic.find("(SONAME)");
  ASSERT_NE(at, std::string::npos) << dynamic;
  const std::string line = dynamic.substr(at, dynamic.find('\n', at) - at);
  EXPECT_NE(line.find("[libOndavel.so.1]"), std::string::npos) << line;
}

TEST(ExportsTest, HeaderWorksFromC) {
  const std::vector<double> source = RandomValues(16, 1600);
  std::vector<double> spectrum(16, Sentinel()), measures(24, Sentinel());
  double scalars[2];
  int32_t node = 0;
  CallEveryExportFromC(source.data(), spectrum.data(), measures.data(), scalars,
                       &node);

  const ScopedEngine engine(8, 12);
  const std::vector<double> expected = Transform(source, {1, 0, 1});
  EXPECT_EQ(spectrum, expected);
  std::vector<double> same(24, Sentinel());
  Ondavel_ACH_LR(expected.data(), &same[0]);
  Ondavel_PhaseLR(expected.data(), &same[4]);
  Ondavel_ArgLR(expected.data(), &same[8], &same[12]);
  Ondavel_MagLR(expected.data(), &same[16], &same[20]);
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(Bits(measures[i]), Bits(same[i])) << i;
  }
  EXPECT_EQ(scalars[0], Ondavel_PhaseNorm(7.0));
  EXPECT_EQ(scalars[1], 3.0 * 44100.0 / 8.0);
  EXPECT_EQ(node, 3);
}

}  // namespace
}  // namespace ondavel_test
