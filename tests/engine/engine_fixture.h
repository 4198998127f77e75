#pragma once
// The whole program's windows with helpers for engine runs: job-list
// entries made from files in the test's drive C:, a key typed into the key
// window, and the engine driven tick by tick on the virtual clock.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "expected_file.h"
#include "program_fixture.h"

namespace vektest {

inline constexpr std::string_view PlainProductLine =
    "VEK 2003 for Microsoft Windows 95/98/ME/NT/2000/XP (c)2003 Quarne T. Velso";
inline constexpr std::string_view TestKey = "correct horse battery";

// The header fields of a plain job entry as the job list makes it.
THeaderFields PlainFields(uint64_t size);

class EngineTest : public ProgramTest {
 protected:
  void SetUp() override;

  // Writes `content` as C:\<name> and adds it to the job list as a plain
  // file (product line, no owner data, all flags off). Returns the entry.
  uint16_t AddPlainJob(const std::string& name, const std::vector<uint8_t>& content);
  // The same without writing a file.
  uint16_t AddJobEntry(const std::string& name, int64_t size);
  // Examines C:\<relative> and adds it as the main window does. Returns the entry.
  uint16_t ListFile(const std::string& relative);
  // Writes `content` encrypted under `key` as C:\<name> and lists it.
  uint16_t AddVekJob(const std::string& name, const std::vector<uint8_t>& content,
                     std::string_view key = TestKey);

  // Shows the key window for `runMode`, types the key and proceeds.
  void StartRun(uint8_t runMode, std::string_view key = TestKey);
  // Ticks until the engine rests (a dialog waits, or the run finished).
  // False when it did not rest within `maxTicks`.
  bool RunUntilIdle(int64_t maxTicks = 200000);
  // `steps` ticks of one step each.
  void RunSteps(int64_t steps);
  // Ticks, one step each, until the engine is about to run `state`.
  bool RunUntilState(uint16_t state, int64_t maxTicks = 200000);
  // Ticks, one step each, until the engine rests; true when it was about to
  // run `state` on the way.
  bool PassesOnTheWayToIdle(uint16_t state);
  // Encrypts (decrypts) the job list with `key` to the finish.
  void EncryptAll(std::string_view key = TestKey);
  void DecryptAll(std::string_view key = TestKey);

  // DriveKinds of a letter (platform::drive values).
  static void SetDriveKind(char letter, uint32_t kind);

  static std::vector<std::string> LogLines();
  // Log lines without their "hh:mm:ss " prefix.
  static std::vector<std::string> LogTexts();
  static bool LogHas(std::string_view text);
  static int LogCount(std::string_view text);
  std::vector<uint8_t> ReadHost(std::string_view relative) const;
  bool HostExists(std::string_view relative) const;
};

// What a progress line of the processing window shows: the amount ("x of
// y"), the percent and the bar.
struct TProgressShown {
  std::string Amount;
  std::string Percent;
  int Bar = 0;
  friend bool operator==(const TProgressShown&, const TProgressShown&) = default;
  friend void PrintTo(const TProgressShown& p, std::ostream* os) {
    *os << "{" << p.Amount << ", " << p.Percent << ", " << p.Bar << "}";
  }
};
// The line of the current file, and that of the whole run.
TProgressShown FileProgressShown();
TProgressShown OverallProgressShown();
// An amount as the progress lines show it: "<done> of <total>".
std::string Amount(int64_t done, int64_t total);

// Turns over the `bits` of the byte at `offset` of the host file `path`.
void FlipBits(const std::filesystem::path& path, size_t offset, uint8_t bits);

// Drive `letter` of `type` (a platform::drive value) with `free` bytes free
// of `total` (none: no figures to be had).
void SetDrive(char letter, uint32_t type, std::optional<int64_t> free,
              int64_t total = int64_t{1} << 40);

}  // namespace vektest
