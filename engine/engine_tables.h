#pragma once
// Small tables of the engine and their safe lookups: a number outside a
// table gives its neutral answer (no boost, drive kind 0, an empty name),
// never a read beyond it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "core/constants.h"

namespace vek {

// The progress bars' steps.
inline constexpr int ProgressSteps = 400;

// The task details' caption without the CPU boost.
inline constexpr std::string_view TaskDetailsCaption = " Task details : ";

// Status icon animations (TForm8::SetAnimation).
inline constexpr uint8_t AnimationRotate = 1;    // working
inline constexpr uint8_t AnimationVerify = 2;    // verifying
inline constexpr uint8_t AnimationBlink = 3;     // overwriting
inline constexpr uint8_t AnimationFinished = 4;  // the run has finished
inline constexpr uint8_t AnimationWarning = 5;   // a warning or an error report

// Kinds of run whose activity log has a head (TForm8::StartActivityLog).
inline constexpr uint8_t LogHeadEncrypt = 1;
inline constexpr uint8_t LogHeadDecrypt = 2;
inline constexpr uint8_t LogHeadMultiDelete = 3;

// Byte counts above which a file runs with the CPU boost, by threshold
// 1..20 (1 MB, 2 MB, 4 MB, ... 524,288 MB); entry 0 is unused.
inline constexpr uint8_t InsaneModeAlways = 21;
inline constexpr std::array<int64_t, 21> InsaneModeThresholds = [] {
  std::array<int64_t, 21> t{};
  for (size_t i = 1; i < t.size(); ++i) t[i] = int64_t{1048576} << (i - 1);
  return t;
}();

// Threshold 0 boosts nothing, 21 everything, 1..20 files above their entry;
// any other threshold nothing.
constexpr bool InsaneModeFor(uint8_t threshold, int64_t size) {
  if (threshold == InsaneModeAlways) return true;
  if (threshold == 0 || threshold >= InsaneModeThresholds.size()) return false;
  return size > InsaneModeThresholds[threshold];
}

// Overwrite passes of a delete method: 2 and 6 for the overwriting methods,
// none for the plain delete and for any unknown method.
constexpr uint8_t OverwritePasses(uint8_t method) {
  if (method == DeleteSinglePass) return 2;
  if (method == DeleteTriplePass) return 6;
  return 0;
}

constexpr std::string_view DeleteMethodName(uint8_t method) {
  return method < std::size(DeleteMethodNames) ? DeleteMethodNames[method] : std::string_view{};
}
constexpr std::string_view DeleteMethodDescription(uint8_t method) {
  return method < std::size(DeleteMethodDescriptions) ? DeleteMethodDescriptions[method]
                                                      : std::string_view{};
}

// The drive kind of a letter (either case) from DriveKinds; 0 (unknown)
// for anything that is not a letter A..Z.
uint8_t DriveKindOf(char letter);

}  // namespace vek
