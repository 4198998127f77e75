#pragma once
// Drive queries with the meanings the program relies on. A root is the
// letter, ":" and "\" ("C:\"). Kinds, space and volume figures come from the
// host mount behind the letter's root (the mount table entry with the longest
// mount point containing it); tests may replace them per letter.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

namespace drive {
inline constexpr uint32_t Unknown = 0;
inline constexpr uint32_t NoRootDir = 1;
inline constexpr uint32_t Removable = 2;
inline constexpr uint32_t Fixed = 3;
inline constexpr uint32_t Remote = 4;
inline constexpr uint32_t CdRom = 5;
inline constexpr uint32_t RamDisk = 6;
}  // namespace drive

// Kind of the drive whose root is given: an unmapped letter (and A:, B:
// without a mapping) is NoRootDir; network file systems are Remote,
// iso9660/udf CdRom, tmpfs/ramfs RamDisk, volumes on removable block devices
// Removable, everything else Fixed.
uint32_t GetDriveType(std::string_view root);

// Cluster figures (32-bit each, clamped at 0xFFFFFFFF).
struct DiskFreeSpace {
  uint32_t SectorsPerCluster = 0;
  uint32_t BytesPerSector = 0;
  uint32_t FreeClusters = 0;  // free to the caller
  uint32_t TotalClusters = 0;
};
bool GetDiskFreeSpace(std::string_view root, DiskFreeSpace* out);

struct DiskFreeSpaceEx {
  uint64_t FreeBytesAvailable = 0;  // free to the caller
  uint64_t TotalBytes = 0;
  uint64_t TotalFreeBytes = 0;
};
// False when the figures cannot be had; `offered` (when given) is false when
// the query itself is not available for the drive (the caller then works
// from the cluster figures).
bool GetDiskFreeSpaceEx(std::string_view root, DiskFreeSpaceEx* out, bool* offered = nullptr);

namespace fsflag {
inline constexpr uint32_t CaseSensitiveSearch = 0x1;
inline constexpr uint32_t CasePreservedNames = 0x2;
inline constexpr uint32_t UnicodeOnDisk = 0x4;
inline constexpr uint32_t PersistentAcls = 0x8;
inline constexpr uint32_t FileCompression = 0x10;
inline constexpr uint32_t VolumeQuotas = 0x20;
inline constexpr uint32_t SupportsSparseFiles = 0x40;
inline constexpr uint32_t SupportsReparsePoints = 0x80;
inline constexpr uint32_t VolumeIsCompressed = 0x8000;
inline constexpr uint32_t SupportsObjectIds = 0x10000;
inline constexpr uint32_t SupportsEncryption = 0x20000;
}  // namespace fsflag

struct VolumeInformation {
  std::string VolumeName;
  uint32_t SerialNumber = 0;        // from the file-system id
  uint32_t MaxComponentLength = 0;  // longest file name
  uint32_t FileSystemFlags = 0;     // fsflag bits, from a table per file-system type
  std::string FileSystemName;       // upper case: "EXT4", "TMPFS", "VFAT" -> "FAT32", ...
};
bool GetVolumeInformation(std::string_view root, VolumeInformation* out);

// Floppy drives by number (1 = A, 2 = B): size and free bytes of the disk in
// the drive, -1 when there is no readable disk.
int64_t DiskSize(int driveNumber);
int64_t DiskFree(int driveNumber);

// Figures that answer every query above for a letter in place of its
// volume, when a seam gives them (seams.h).
struct FakeDrive {
  uint32_t Type = drive::Fixed;
  std::optional<DiskFreeSpace> Space;       // nothing: GetDiskFreeSpace fails
  std::optional<DiskFreeSpaceEx> SpaceEx;   // nothing: GetDiskFreeSpaceEx fails
  bool SpaceExOffered = true;               // false: GetDiskFreeSpaceEx is not available
  std::optional<VolumeInformation> Volume;  // nothing: GetVolumeInformation fails
};
// The mount table text in force (the host's, unless a seam stands in;
// kinds, volumes and the default drive map are read from it).
std::string MountTable();

}  // namespace platform
