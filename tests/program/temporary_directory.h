// A temporary working directory and whole-file reads, for the tests that
// write files; portable, unlike the process harness.
#ifndef PELLARIN_TESTS_PROGRAM_TEMPORARY_DIRECTORY_H_
#define PELLARIN_TESTS_PROGRAM_TEMPORARY_DIRECTORY_H_

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace pellarin::testing {

// A fresh directory under the system's temporary folder, removed with
// everything in it.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("pellarin-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(path_, error)) return;
    }
    ADD_FAILURE() << "no temporary directory under " << base;
  }
  ~TemporaryDirectory() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // The names of the entries, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string FileText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace pellarin::testing

#endif  // PELLARIN_TESTS_PROGRAM_TEMPORARY_DIRECTORY_H_
