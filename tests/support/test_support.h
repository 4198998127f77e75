#pragma once
// Helpers shared by every test executable (with the platform's stand-ins
// for the host, platform_doubles.h).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform_doubles.h"

namespace vektest {

// A fresh, empty folder for one test, removed again when the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Host path of a file or folder inside the temporary folder.
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Points HOME and the XDG folders into `home` for the rest of the process, so
// no test can reach the user's real files, settings or registry store.
void UsePrivateHome(const TempDir& home);

// Sets environment variables while it lives, and puts back what they were.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::vector<std::pair<std::string, std::string>>& values);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Host path of `windowsRelative` (a path below a drive's root, with "\"
// separators) on a drive mapped to the host folder `root`; `root` itself
// for an empty one.
std::filesystem::path HostPathBelow(const std::filesystem::path& root,
                                    std::string_view windowsRelative);

// Fixture form of TempDir for tests that want `dir` at hand.
class TempDirTest : public ::testing::Test {
 protected:
  TempDir dir;
};

// Writes `bytes` to `path` (creating or replacing it) and returns the path.
std::filesystem::path MakeFile(const std::filesystem::path& path,
                               const std::vector<uint8_t>& bytes);
std::filesystem::path MakeFile(const std::filesystem::path& path, std::string_view text);
// Writes `size` bytes following a simple repeating pattern seeded by `seed`.
std::filesystem::path MakePatternFile(const std::filesystem::path& path, size_t size,
                                      uint32_t seed = 1);

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
// Every file under `folder`, one line each in name order: its path relative
// to the folder and a hash of its bytes. Two equal listings: the same files
// with the same contents.
std::string ListFiles(const std::filesystem::path& folder);
std::vector<uint8_t> PatternBytes(size_t size, uint32_t seed = 1);

// Folder under the build tree where tests leave pictures and other artefacts
// (VEK_TEST_OUTPUT when set, else test-output/ in the build folder).
std::filesystem::path OutputDir();

// What a program run to its end said: its standard output and error
// together, and its exit status (-1 when it could not be started or did
// not exit by itself).
struct TCommandResult {
  int Status = -1;
  std::string Output;
};
// Runs a program, looked up along PATH, with these arguments (the first is
// its name) in this process's environment, and waits for its end.
TCommandResult RunCommand(const std::vector<std::string>& arguments);

}  // namespace vektest
