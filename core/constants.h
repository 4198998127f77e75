#pragma once
// Sizes, codes and small tables that several windows share.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vek {

// --- Sizes ---------------------------------------------------------------------
inline constexpr uint16_t JobListCapacityMax = 1024;  // entries 1..1024
inline constexpr size_t SharedBufferSize = 8192;      // bytes of each work buffer
inline constexpr size_t WindowSlotCount = 21;         // windows 1..21 keep a position
inline constexpr size_t DriveLetterCount = 26;        // A..Z
inline constexpr size_t VolumeFlagCount = 12;
inline constexpr size_t KeyTextMaxLength = 128;
inline constexpr size_t KeyTextMinLength = 8;

// --- Run kinds (RunMode) ---------------------------------------------------------
inline constexpr uint8_t RunEncrypt = 0;
inline constexpr uint8_t RunDecrypt = 1;
inline constexpr uint8_t RunDeleteFile = 2;
inline constexpr uint8_t RunDeleteJobList = 3;

// --- Drive kinds ---------------------------------------------------------------------
// 0..6 are the system's drive types (platform/drives.h); 7 is our own: a
// removable drive at A or B.
inline constexpr uint8_t DriveKindFloppy = 7;

// --- Delete methods (DeleteMethod) -----------------------------------------------------
inline constexpr uint8_t DeleteNormal = 1;
inline constexpr uint8_t DeleteSinglePass = 2;  // two overwrite passes
inline constexpr uint8_t DeleteTriplePass = 3;  // six overwrite passes

// Indexed by DeleteMethod 1..3 (entry 0 is unused and empty).
inline constexpr std::string_view DeleteMethodNames[4] = {
    "", "Use normal file system delete method", "Use single pass overwriting method",
    "Use triple pass overwriting method"};
inline constexpr std::string_view DeleteMethodDescriptions[4] = {
    "", "(fastest speed but least protection)", "(faster speed and more protection)",
    "(fast speed and the best protection)"};

}  // namespace vek
