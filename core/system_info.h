#pragma once
// What the program asks the system about itself and about drives. Every
// answer lands in the program-wide variables of core/state.h; nothing here
// reports an error: a failed query leaves values that say "no figures".

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

// Names by WindowsVersionCode 1..9; code 0 has none.
inline constexpr std::array<std::string_view, 10> WindowsVersionName = {"",
                                                                        "95",
                                                                        "95 (Service Pack 2)",
                                                                        "98",
                                                                        "98 (Second editon)",
                                                                        "ME (Millenium Edition)",
                                                                        "NT 3.x",
                                                                        "NT 4.x",
                                                                        "2000",
                                                                        "XP"};

// Asks the system for its version, stores WindowsMajorVersion,
// WindowsMinorVersion and WindowsBuildNumber, and returns the version code
// 0..9 (the caller stores it in WindowsVersionCode).
uint8_t DetectWindowsVersion();

// "Windows XP Version 5.1 (Build 2600)", or "Unknown version of Windows"
// for code 0 (and any code without a name).
std::string MakeWindowsVersionText(uint8_t code, uint32_t major, uint32_t minor, uint32_t build);

// A text value under HKEY_LOCAL_MACHINE; empty when the key or the value
// does not exist.
std::string ReadMachineRegString(std::string_view keyPath, std::string_view valueName);

// The system's drive type of the letter's root, or DriveKindFloppy for a
// removable drive at A or B.
uint8_t GetDriveKind(char letter);
// DriveKinds[1..26] for A..Z, A first.
void ScanDriveKinds();

// Measures the drive and sets the drive figures. A and B set only the byte
// figures (and DriveTotalBytes -1 alone when there is no readable disk).
// Other letters set the cluster figures too (0 when the cluster query
// fails). Byte figures that cannot be had are -1, with a used percentage of
// 0; so is a figure whose product would not fit into 64 bits. A drive of 0
// bytes is 0 % used.
void GetDriveSpace(char letter);

// The volume's serial number as 8 upper-case hexadecimal digits, or
// "00000000" when the volume cannot be queried. Sets VolumeFileSystem
// ("FAT" reads "FAT12"; empty after a failed query) and VolumeFlags (all
// off after a failed query).
std::string GetVolumeInfo(char letter);

}  // namespace vek
