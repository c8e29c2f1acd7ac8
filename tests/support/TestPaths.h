#pragma once
// Where tests find their fixtures, and a scratch folder per test.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testpaths {

// Our own fixtures under tests/data.
inline std::filesystem::path testData(const std::string& rel = {}) {
  return std::filesystem::path(TARVANE_TEST_DATA_DIR) / rel;
}

// The shared real data beside the repository; may be absent.
inline std::filesystem::path sharedData(const std::string& rel = {}) {
  return std::filesystem::path(TARVANE_SHARED_DATA_DIR) / rel;
}

// A fresh, empty folder for the running test, removed when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& p);   // whole file, bytes as they are
void writeFile(const std::filesystem::path& p, const std::string& bytes);

}  // namespace testpaths

// Skips the current test when the shared data (or one file of it) is not there.
#define SKIP_WITHOUT_SHARED_DATA(rel)                                              \
  do {                                                                             \
    if (!std::filesystem::exists(testpaths::sharedData(rel)))                      \
      GTEST_SKIP() << "shared data not present: " << testpaths::sharedData(rel);   \
  } while (0)
