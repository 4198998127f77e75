#pragma once
// What the fuzz targets and their seed maker share: a scratch folder that
// stands in for drive C:, and a check that stops the run on a broken
// promise so that libFuzzer keeps the input that broke it.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace vekfuzz {

// A fresh host folder mapped as drive C: (and nothing else), in memory where
// the host offers a memory file system, removed again when the process ends. One per process:
// Drive() creates it on first use.
class TScratchDrive {
 public:
  TScratchDrive();
  ~TScratchDrive();
  TScratchDrive(const TScratchDrive&) = delete;
  TScratchDrive& operator=(const TScratchDrive&) = delete;

  // Host path of C:\<name>.
  std::filesystem::path HostPath(std::string_view name) const;
  // Writes `bytes` as C:\<name>, replacing whatever is there (read-only or not).
  void Place(std::string_view name, std::span<const uint8_t> bytes) const;

 private:
  std::filesystem::path root_;
};

const TScratchDrive& Drive();

// The drive's root as the program names it.
inline constexpr std::string_view DriveRoot = "C:\\";

// The bytes of a host file; the check fails when it cannot be read.
std::vector<uint8_t> ReadHostFile(const std::filesystem::path& path);

// For targets that run windows: a home of its own on the scratch drive
// (C:\home, with a Desktop folder), the ui application offscreen on the
// virtual clock, and every message box answered Cancel.
void StartWindows();

// Prints `promise` and aborts when `kept` is false.
void Check(bool kept, const char* promise);

}  // namespace vekfuzz
