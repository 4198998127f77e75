// System and drive information.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "core/state.h"
#include "core/system_info.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "test_support.h"

namespace vek {
namespace {

using platform::FakeDrive;

class SystemInfoTest : public vektest::TempDirTest {
 protected:
  void SetUp() override {
    ResetProgramState();
    platform::SetDriveMap({});
  }
  void TearDown() override {
    platform::ClearFakeDrives();
    platform::SetVersionForTest(std::nullopt);
    platform::SetRegistryFileForTest(std::nullopt);
    platform::ResetDriveMap();
  }
};

// --- Version -------------------------------------------------------------------------

platform::OsVersionInfo Version(uint32_t platformId, uint32_t major, uint32_t minor,
                                const char* servicePack = "", uint32_t build = 0) {
  platform::OsVersionInfo info;
  info.PlatformId = platformId;
  info.MajorVersion = major;
  info.MinorVersion = minor;
  info.BuildNumber = build;
  std::strncpy(info.CSDVersion, servicePack, sizeof info.CSDVersion - 1);
  return info;
}

TEST_F(SystemInfoTest, VersionCodes) {
  constexpr uint32_t Nt = platform::PlatformWin32NT;
  constexpr uint32_t Win9x = platform::PlatformWin32Windows;
  const struct {
    platform::OsVersionInfo Info;
    uint8_t Code;
  } cases[] = {
      {Version(Win9x, 4, 0), 1},
      {Version(Win9x, 4, 0, " B "), 2},
      {Version(Win9x, 4, 0, "b"), 1},
      {Version(Win9x, 4, 0, "B2"), 1},
      {Version(Win9x, 4, 10), 3},
      {Version(Win9x, 4, 10, " A "), 4},
      {Version(Win9x, 4, 10, "\tA\r\n"), 4},  // control characters are trimmed too
      {Version(Win9x, 4, 10, "a"), 3},
      {Version(Win9x, 4, 90), 5},
      {Version(Win9x, 4, 1), 0},
      {Version(Win9x, 5, 0), 0},
      {Version(0, 4, 0), 1},  // any platform but NT follows the same rules
      {Version(Nt, 3, 51), 6},
      {Version(Nt, 4, 0, "Service Pack 6"), 7},
      {Version(Nt, 5, 0), 8},
      {Version(Nt, 5, 1), 9},
      {Version(Nt, 5, 2), 8},
      {Version(Nt, 6, 0), 0},
      {Version(Nt, 6, 1), 0},
      {Version(Nt, 10, 0), 0},
      {Version(Nt, 2, 0), 0},
  };
  for (const auto& c : cases) {
    platform::SetVersionForTest(c.Info);
    EXPECT_EQ(DetectWindowsVersion(), c.Code)
        << c.Info.PlatformId << " " << c.Info.MajorVersion << "." << c.Info.MinorVersion << " '"
        << c.Info.CSDVersion << "'";
  }
}

TEST_F(SystemInfoTest, VersionNumbersAreStoredWhole) {
  platform::SetVersionForTest(Version(platform::PlatformWin32Windows, 4, 10, " A ", 0x040A08AE));
  EXPECT_EQ(DetectWindowsVersion(), 4);
  EXPECT_EQ(WindowsMajorVersion, 4u);
  EXPECT_EQ(WindowsMinorVersion, 10u);
  EXPECT_EQ(WindowsBuildNumber, 0x040A08AEu);  // the high word too
  EXPECT_EQ(MakeWindowsVersionText(4, WindowsMajorVersion, WindowsMinorVersion, 2222),
            "Windows 98 (Second editon) Version 4.10 (Build 2222)");
}

TEST_F(SystemInfoTest, VersionTexts) {
  EXPECT_EQ(MakeWindowsVersionText(9, 5, 1, 2600), "Windows XP Version 5.1 (Build 2600)");
  EXPECT_EQ(MakeWindowsVersionText(5, 4, 90, 3000),
            "Windows ME (Millenium Edition) Version 4.90 (Build 3000)");
  EXPECT_EQ(MakeWindowsVersionText(8, 5, 2, 4294967295u),
            "Windows 2000 Version 5.2 (Build 4294967295)");
  EXPECT_EQ(MakeWindowsVersionText(0, 6, 1, 7600), "Unknown version of Windows");
  EXPECT_EQ(MakeWindowsVersionText(10, 6, 1, 7600), "Unknown version of Windows");
  for (std::string_view name : WindowsVersionName) EXPECT_LE(name.size(), 22u);
}

TEST_F(SystemInfoTest, MachineRegistryStrings) {
  platform::SetRegistryFileForTest((dir / "registry").string());
  const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  ASSERT_TRUE(platform::RegCreateKey(platform::RootKey::LocalMachine, key));
  ASSERT_TRUE(platform::RegWriteString(platform::RootKey::LocalMachine, key, "ProductId", "12345"));
  EXPECT_EQ(ReadMachineRegString(key, "ProductId"), "12345");
  EXPECT_EQ(ReadMachineRegString(key, "NoSuchValue"), "");
  EXPECT_EQ(ReadMachineRegString("SOFTWARE\\NoSuchKey", "ProductId"), "");
  // Under the machine root only.
  ASSERT_TRUE(platform::RegCreateKey(platform::RootKey::CurrentUser, "Software\\Only"));
  ASSERT_TRUE(
      platform::RegWriteString(platform::RootKey::CurrentUser, "Software\\Only", "V", "user"));
  EXPECT_EQ(ReadMachineRegString("Software\\Only", "V"), "");
}

// --- Drive kinds -----------------------------------------------------------------------

FakeDrive OfKind(uint32_t kind) {
  FakeDrive drive;
  drive.Type = kind;
  return drive;
}

TEST_F(SystemInfoTest, DriveKinds) {
  platform::SetFakeDrive('A', OfKind(platform::drive::Removable));
  platform::SetFakeDrive('B', OfKind(platform::drive::Removable));
  platform::SetFakeDrive('C', OfKind(platform::drive::Fixed));
  platform::SetFakeDrive('D', OfKind(platform::drive::Removable));
  platform::SetFakeDrive('E', OfKind(platform::drive::CdRom));
  platform::SetFakeDrive('Z', OfKind(platform::drive::RamDisk));
  EXPECT_EQ(GetDriveKind('A'), DriveKindFloppy);
  EXPECT_EQ(GetDriveKind('D'), platform::drive::Removable);
  EXPECT_EQ(GetDriveKind('Q'), platform::drive::NoRootDir);

  ScanDriveKinds();
  EXPECT_EQ(DriveKinds[0], 0);  // unused
  const uint8_t expected[] = {7, 7, 3, 2, 5, 1, 1, 1, 1, 1, 1, 1, 1,
                              1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 6};
  for (size_t i = 1; i <= DriveLetterCount; ++i) {
    EXPECT_EQ(DriveKinds[i], expected[i - 1]) << static_cast<char>('A' + i - 1);
  }

  platform::SetFakeDrive('A', OfKind(platform::drive::Fixed));  // only removable A and B
  EXPECT_EQ(GetDriveKind('A'), platform::drive::Fixed);
}

// --- Drive space -------------------------------------------------------------------------

struct TFigures {
  int64_t BytesPerSector, SectorsPerCluster, BytesPerCluster;
  int64_t UsedClusters, FreeClusters, TotalClusters;
  int64_t UsedBytes, FreeBytes, TotalBytes;
  int UsedPercent;
  friend bool operator==(const TFigures&, const TFigures&) = default;
};

std::ostream& operator<<(std::ostream& out, const TFigures& f) {
  return out << "clusters " << f.BytesPerSector << "x" << f.SectorsPerCluster << "="
             << f.BytesPerCluster << " used/free/total " << f.UsedClusters << "/" << f.FreeClusters
             << "/" << f.TotalClusters << " bytes " << f.UsedBytes << "/" << f.FreeBytes << "/"
             << f.TotalBytes << " " << f.UsedPercent << "%";
}

TFigures Figures() {
  return {DriveBytesPerSector, DriveSectorsPerCluster, DriveBytesPerCluster, DriveUsedClusters,
          DriveFreeClusters,   DriveTotalClusters,     DriveUsedBytes,       DriveFreeBytes,
          DriveTotalBytes,     DriveUsedPercent};
}

void SetFigures(const TFigures& f) {
  DriveBytesPerSector = f.BytesPerSector;
  DriveSectorsPerCluster = f.SectorsPerCluster;
  DriveBytesPerCluster = f.BytesPerCluster;
  DriveUsedClusters = f.UsedClusters;
  DriveFreeClusters = f.FreeClusters;
  DriveTotalClusters = f.TotalClusters;
  DriveUsedBytes = f.UsedBytes;
  DriveFreeBytes = f.FreeBytes;
  DriveTotalBytes = f.TotalBytes;
  DriveUsedPercent = static_cast<uint8_t>(f.UsedPercent);
}

platform::DiskFreeSpace Clusters(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t free,
                                 uint32_t total) {
  return {sectorsPerCluster, bytesPerSector, free, total};
}

platform::DiskFreeSpaceEx Bytes(uint64_t free, uint64_t total) {
  return {free, total, free + 1};  // the total free bytes are not used
}

FakeDrive Space(std::optional<platform::DiskFreeSpace> clusters,
                std::optional<platform::DiskFreeSpaceEx> bytes, bool exOffered = true) {
  FakeDrive drive;
  drive.Space = clusters;
  drive.SpaceEx = bytes;
  drive.SpaceExOffered = exOffered;
  return drive;
}

TEST_F(SystemInfoTest, DriveSpace) {
  constexpr uint32_t Max32 = 0xFFFFFFFF;
  const TFigures before{-7, -7, -7, -7, -7, -7, -7, -7, -7, 42};
  const struct {
    const char* Name;
    char Letter;
    FakeDrive Drive;
    TFigures Expected;
  } cases[] = {
      {"quarter free",
       'D',
       Space(Clusters(8, 512, 10, 40), Bytes(250, 1000)),
       {512, 8, 4096, 30, 10, 40, 750, 250, 1000, 75}},
      {"999 of 1000 used",
       'D',
       Space(Clusters(1, 512, 0, 2), Bytes(1, 1000)),
       {512, 1, 512, 2, 0, 2, 999, 1, 1000, 99}},
      {"71 of 100 free",  // 29 / 100 x 100 in floating point is just below 29
       'D',
       Space(Clusters(1, 512, 0, 2), Bytes(71, 100)),
       {512, 1, 512, 2, 0, 2, 29, 71, 100, 29}},
      {"43 of 100 free",
       'D',
       Space(Clusters(1, 512, 0, 2), Bytes(43, 100)),
       {512, 1, 512, 2, 0, 2, 57, 43, 100, 57}},
      {"one byte short of the 64-bit limit used",
       'D',
       Space(Clusters(1, 512, 0, 2), Bytes(1, INT64_MAX)),
       {512, 1, 512, 2, 0, 2, INT64_MAX - 1, 1, INT64_MAX, 99}},
      {"all used",
       'D',
       Space(Clusters(1, 512, 0, 2), Bytes(0, 1000)),
       {512, 1, 512, 2, 0, 2, 1000, 0, 1000, 100}},
      {"no bytes at all",
       'D',
       Space(Clusters(0, 0, 0, 0), Bytes(0, 0)),
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"byte query fails",
       'D',
       Space(Clusters(8, 512, 10, 40), std::nullopt),
       {512, 8, 4096, 30, 10, 40, -1, -1, -1, 0}},
      {"byte query not offered",
       'D',
       Space(Clusters(8, 512, 10, 40), std::nullopt, false),
       {512, 8, 4096, 30, 10, 40, 122880, 40960, 163840, 75}},
      {"cluster query fails",
       'D',
       Space(std::nullopt, Bytes(250, 1000)),
       {0, 0, 0, 0, 0, 0, 750, 250, 1000, 75}},
      {"both fail",
       'D',
       Space(std::nullopt, std::nullopt, false),
       {0, 0, 0, 0, 0, 0, -1, -1, -1, 0}},
      {"bytes beyond 64 bits",
       'D',
       Space(Clusters(1, 512, 0, 2), Bytes(1, ~uint64_t{0})),
       {512, 1, 512, 2, 0, 2, -1, -1, -1, 0}},
      {"cluster product beyond 64 bits",
       'D',
       Space(Clusters(Max32, Max32, 1, 2), std::nullopt, false),
       {Max32, Max32, -1, 1, 1, 2, -1, -1, -1, 0}},
      {"unknown letter",
       'Q',
       FakeDrive{},  // replaced below by no drive at all
       {0, 0, 0, 0, 0, 0, -1, -1, -1, 0}},
      {"floppy",
       'A',
       Space(std::nullopt, Bytes(250, 1000)),
       {-7, -7, -7, -7, -7, -7, 750, 250, 1000, 75}},
      {"floppy, 71 of 100 free",
       'A',
       Space(std::nullopt, Bytes(71, 100)),
       {-7, -7, -7, -7, -7, -7, 29, 71, 100, 29}},
      {"floppy without a disk",
       'B',
       Space(std::nullopt, std::nullopt),
       {-7, -7, -7, -7, -7, -7, -7, -7, -1, 42}},
  };
  for (const auto& c : cases) {
    platform::ClearFakeDrives();
    if (c.Letter != 'Q') platform::SetFakeDrive(c.Letter, c.Drive);
    SetFigures(before);
    GetDriveSpace(c.Letter);
    EXPECT_EQ(Figures(), c.Expected) << c.Name;
  }
}

// --- Volumes -------------------------------------------------------------------------------

FakeDrive WithVolume(const std::string& fileSystem, uint32_t flags, uint32_t maxLength,
                     uint32_t serial = 0x00AB12CD) {
  platform::VolumeInformation volume;
  volume.SerialNumber = serial;
  volume.FileSystemName = fileSystem;
  volume.FileSystemFlags = flags;
  volume.MaxComponentLength = maxLength;
  FakeDrive drive;
  drive.Volume = volume;
  return drive;
}

TEST_F(SystemInfoTest, VolumeSerialAndFileSystem) {
  platform::SetFakeDrive('D', WithVolume("FAT", 0, 12));
  EXPECT_EQ(GetVolumeInfo('D'), "00AB12CD");
  EXPECT_EQ(VolumeFileSystem, "FAT12");
  platform::SetFakeDrive('D', WithVolume("FAT32", 0, 255, 0xDEADBEEF));
  EXPECT_EQ(GetVolumeInfo('D'), "DEADBEEF");
  EXPECT_EQ(VolumeFileSystem, "FAT32");
  platform::SetFakeDrive('D', WithVolume("NTFS", ~0u, 255, 0));
  EXPECT_EQ(GetVolumeInfo('D'), "00000000");
  EXPECT_EQ(VolumeFileSystem, "NTFS");

  platform::SetFakeDrive('D', FakeDrive{});  // the volume cannot be queried
  EXPECT_EQ(GetVolumeInfo('D'), "00000000");
  EXPECT_EQ(VolumeFileSystem, "");
  EXPECT_EQ(VolumeFlags, (std::array<bool, VolumeFlagCount>{}));
}

TEST_F(SystemInfoTest, VolumeCapabilities) {
  namespace f = platform::fsflag;
  // Capability number (1..12) of each flag, and whether it needs long names.
  const struct {
    uint32_t Flag;
    size_t Capability;
    bool NeedsLongNames;
  } flags[] = {
      {f::CaseSensitiveSearch, 1, false},   {f::CasePreservedNames, 2, false},
      {f::UnicodeOnDisk, 3, false},         {f::PersistentAcls, 4, false},
      {f::VolumeIsCompressed, 6, false},    {f::FileCompression, 7, false},
      {f::SupportsEncryption, 8, true},     {f::SupportsObjectIds, 9, true},
      {f::SupportsReparsePoints, 10, true}, {f::SupportsSparseFiles, 11, true},
      {f::VolumeQuotas, 12, true},
  };
  for (const uint32_t maxLength : {255u, 12u, 254u, 256u}) {
    for (const auto& flag : flags) {
      platform::SetFakeDrive('D', WithVolume("NTFS", flag.Flag, maxLength));
      GetVolumeInfo('D');
      std::array<bool, VolumeFlagCount> expected{};
      expected[4] = maxLength == 255;  // long file names
      expected[flag.Capability - 1] = !flag.NeedsLongNames || maxLength == 255;
      EXPECT_EQ(VolumeFlags, expected) << "flag " << flag.Flag << ", length " << maxLength;
    }
  }
}

}  // namespace
}  // namespace vek
