#include "core/system_info.h"

#include <cctype>
#include <cstdio>
#include <limits>
#include <optional>

#include "core/state.h"
#include "core/texts.h"
#include "platform/drives.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace vek {

namespace {

constexpr uint32_t VersionRecordSize = 148;
constexpr uint32_t LongNameLength = 255;  // maximum component length of long-name volumes

// --- Version ---------------------------------------------------------------------

// The service-pack text without leading and trailing blanks and control
// characters.
std::string_view TrimmedServicePack(const platform::OsVersionInfo& info) {
  const std::string_view text(info.CSDVersion, sizeof info.CSDVersion);
  return TrimBlanks(text.substr(0, text.find('\0')));
}

uint8_t NtVersionCode(const platform::OsVersionInfo& info) {
  switch (info.MajorVersion) {
    case 3:
      return 6;
    case 4:
      return 7;
    case 5:
      return info.MinorVersion == 1 ? 9 : 8;
    default:
      return 0;
  }
}

uint8_t Windows9xVersionCode(const platform::OsVersionInfo& info) {
  if (info.MajorVersion != 4) return 0;
  switch (info.MinorVersion) {
    case 0:
      return TrimmedServicePack(info) == "B" ? 2 : 1;
    case 10:
      return TrimmedServicePack(info) == "A" ? 4 : 3;
    case 90:
      return 5;
    default:
      return 0;
  }
}

// --- Drive figures -----------------------------------------------------------------

std::string RootOf(char letter) {
  return {letter, ':', '\\'};
}

char Upper(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

bool IsFloppyLetter(char letter) {
  return Upper(letter) == 'A' || Upper(letter) == 'B';
}

std::optional<int64_t> CheckedProduct(int64_t a, int64_t b) {
  int64_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) return std::nullopt;
  return product;
}

std::optional<int64_t> AsFigure(uint64_t bytes) {
  if (bytes > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
  return static_cast<int64_t>(bytes);
}

void SetByteFigures(int64_t total, int64_t free) {
  DriveTotalBytes = total;
  DriveFreeBytes = free;
  DriveUsedBytes = total - free;  // both are 0 or more: cannot overflow
  DriveUsedPercent = static_cast<uint8_t>(WholePercent(DriveUsedBytes, total));
}

void SetNoByteFigures() {
  DriveTotalBytes = DriveFreeBytes = DriveUsedBytes = -1;
  DriveUsedPercent = 0;
}

void SetByteFigures(std::optional<int64_t> total, std::optional<int64_t> free) {
  if (total && free) {
    SetByteFigures(*total, *free);
  } else {
    SetNoByteFigures();
  }
}

// The byte figures of the disk in drive A or B; DriveTotalBytes alone
// becomes -1 when there is no readable disk.
void MeasureFloppy(char letter) {
  const int number = Upper(letter) - 'A' + 1;
  DriveTotalBytes = platform::DiskSize(number);
  if (DriveTotalBytes < 0) return;
  const int64_t free = platform::DiskFree(number);
  if (free < 0) {
    DriveTotalBytes = -1;  // the disk went between the two questions
    return;
  }
  SetByteFigures(DriveTotalBytes, free);
}

// The cluster figures (0 when the query fails); whether they could be had.
bool MeasureClusters(const std::string& root) {
  platform::DiskFreeSpace space;
  const bool known = platform::GetDiskFreeSpace(root, &space);
  if (!known) space = {};
  DriveBytesPerSector = space.BytesPerSector;
  DriveSectorsPerCluster = space.SectorsPerCluster;
  DriveBytesPerCluster = CheckedProduct(DriveBytesPerSector, DriveSectorsPerCluster).value_or(-1);
  DriveFreeClusters = space.FreeClusters;
  DriveTotalClusters = space.TotalClusters;
  DriveUsedClusters = DriveTotalClusters - DriveFreeClusters;
  return known && DriveBytesPerCluster >= 0;
}

// Byte figures from the extended query or, where that query is not offered,
// from the cluster figures.
void MeasureBytes(const std::string& root, bool clustersKnown) {
  platform::DiskFreeSpaceEx space;
  bool offered = true;
  if (platform::GetDiskFreeSpaceEx(root, &space, &offered)) {
    SetByteFigures(AsFigure(space.TotalBytes), AsFigure(space.FreeBytesAvailable));
  } else if (!offered && clustersKnown) {
    SetByteFigures(CheckedProduct(DriveTotalClusters, DriveBytesPerCluster),
                   CheckedProduct(DriveFreeClusters, DriveBytesPerCluster));
  } else {
    SetNoByteFigures();
  }
}

// --- Volume ------------------------------------------------------------------------

void SetVolumeFlags(uint32_t flags, uint32_t maxComponentLength) {
  namespace fs = platform::fsflag;
  const bool longNames = maxComponentLength == LongNameLength;
  const auto has = [flags](uint32_t flag) { return (flags & flag) != 0; };
  VolumeFlags = {has(fs::CaseSensitiveSearch),
                 has(fs::CasePreservedNames),
                 has(fs::UnicodeOnDisk),
                 has(fs::PersistentAcls),
                 longNames,
                 has(fs::VolumeIsCompressed),
                 has(fs::FileCompression),
                 longNames && has(fs::SupportsEncryption),
                 longNames && has(fs::SupportsObjectIds),
                 longNames && has(fs::SupportsReparsePoints),
                 longNames && has(fs::SupportsSparseFiles),
                 longNames && has(fs::VolumeQuotas)};
}

}  // namespace

uint8_t DetectWindowsVersion() {
  platform::OsVersionInfo info{};
  info.OSVersionInfoSize = VersionRecordSize;
  platform::GetVersionEx(&info);  // a failure leaves the record zero: code 0
  WindowsMajorVersion = info.MajorVersion;
  WindowsMinorVersion = info.MinorVersion;
  WindowsBuildNumber = info.BuildNumber;
  return info.PlatformId == platform::PlatformWin32NT ? NtVersionCode(info)
                                                      : Windows9xVersionCode(info);
}

std::string MakeWindowsVersionText(uint8_t code, uint32_t major, uint32_t minor, uint32_t build) {
  if (code == 0 || code >= WindowsVersionName.size()) return "Unknown version of Windows";
  return "Windows " + std::string(WindowsVersionName[code]) + " Version " + std::to_string(major) +
         "." + std::to_string(minor) + " (Build " + std::to_string(build) + ")";
}

std::string ReadMachineRegString(std::string_view keyPath, std::string_view valueName) {
  return platform::RegReadString(platform::RootKey::LocalMachine, keyPath, valueName)
      .value_or(std::string());
}

uint8_t GetDriveKind(char letter) {
  const uint32_t kind = platform::GetDriveType(RootOf(letter));
  if (kind == platform::drive::Removable && IsFloppyLetter(letter)) return DriveKindFloppy;
  return static_cast<uint8_t>(kind);
}

void ScanDriveKinds() {
  for (size_t i = 1; i <= DriveLetterCount; ++i) {
    DriveKinds[i] = GetDriveKind(static_cast<char>('A' + i - 1));
  }
}

void GetDriveSpace(char letter) {
  if (IsFloppyLetter(letter)) {
    MeasureFloppy(letter);
    return;
  }
  const std::string root = RootOf(letter);
  MeasureBytes(root, MeasureClusters(root));
}

std::string GetVolumeInfo(char letter) {
  platform::VolumeInformation volume;
  if (!platform::GetVolumeInformation(RootOf(letter), &volume)) {
    VolumeFileSystem.clear();
    VolumeFlags = {};
    return "00000000";
  }
  VolumeFileSystem = volume.FileSystemName == "FAT" ? "FAT12" : volume.FileSystemName;
  SetVolumeFlags(volume.FileSystemFlags, volume.MaxComponentLength);
  char serial[9];
  std::snprintf(serial, sizeof serial, "%08X", static_cast<unsigned>(volume.SerialNumber));
  return serial;
}

}  // namespace vek
