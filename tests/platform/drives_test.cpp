#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "platform/drives.h"
#include "platform/internal.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

TEST(MountTableTest, ParsesEscapesAndFindsTheLongestMountPoint) {
  const auto table = detail::ParseMountTable(
      "/dev/vda / ext4 rw 0 0\n"
      "garbage\n"
      "srv:/s /mnt/my\\040share nfs rw 0 0\n"
      "/dev/vdb /home ext4 rw 0 0\n"
      "tmpfs /home tmpfs rw 0 0\n");
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[1].MountPoint, "/mnt/my share");
  EXPECT_EQ(detail::MountFor(table, "/home/u/x")->FsType, "tmpfs");  // the later mount is on top
  EXPECT_EQ(detail::MountFor(table, "/homely")->MountPoint, "/");
  EXPECT_EQ(detail::MountFor(table, "/mnt/my share/a")->FsType, "nfs");
  EXPECT_FALSE(detail::MountFor({}, "/x"));
}

TEST(MountKindTest, KindsByFileSystemAndDevice) {
  FakeBlockDevices devices;
  struct Case {
    std::string_view Source, FsType;
    uint32_t Kind;
  };
  const Case cases[] = {
      {"srv:/x", "nfs4", drive::Remote},       {"//srv/x", "cifs", drive::Remote},
      {"u@h:/x", "fuse.sshfs", drive::Remote}, {"tag", "9p", drive::Remote},
      {"/dev/sr0", "iso9660", drive::CdRom},   {"/dev/sr0", "udf", drive::CdRom},
      {"tmpfs", "tmpfs", drive::RamDisk},      {"none", "ramfs", drive::RamDisk},
      {"/dev/sdb1", "vfat", drive::Removable}, {"/dev/sdb", "ext4", drive::Removable},
      {"/dev/vda", "ext4", drive::Fixed},      {"/dev/nothing9", "ext4", drive::Fixed},
      {"overlay", "overlay", drive::Fixed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detail::MountDriveType({std::string(c.Source), "/m", std::string(c.FsType)}), c.Kind)
        << c.Source << " " << c.FsType;
  }
}

class DriveQueryTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    for (const char* name : {"fixed", "net", "net/sub", "cd", "ram"})
      fs::create_directories(dir / name);
    SetMountTableForTest(
        "/dev/vdz1 / ext4 rw 0 0\n"
        "srv:/s " +
        Host("net") +
        " nfs rw 0 0\n"
        "/dev/sr0 " +
        Host("cd") +
        " iso9660 ro 0 0\n"
        "tmpfs " +
        Host("ram") + " tmpfs rw 0 0\n");
    SetDriveMap({{'C', Host("fixed")},
                 {'D', Host("net")},
                 {'E', Host("cd")},
                 {'F', Host("ram")},
                 {'G', Host("missing")},
                 {'X', Host("net/sub")}});
  }
};

TEST_F(DriveQueryTest, KindsFromTheMountBehindTheRoot) {
  struct Case {
    std::string_view Root;
    uint32_t Kind;
  };
  const Case cases[] = {
      {"C:\\", drive::Fixed},      {"c:", drive::Fixed},       {"D:\\", drive::Remote},
      {"X:\\", drive::Remote},     {"E:\\", drive::CdRom},     {"F:/", drive::RamDisk},
      {"G:\\", drive::NoRootDir},  {"H:\\", drive::NoRootDir}, {"A:\\", drive::NoRootDir},
      {"C:\\x", drive::NoRootDir}, {"", drive::NoRootDir},
  };
  for (const auto& c : cases) EXPECT_EQ(GetDriveType(c.Root), c.Kind) << c.Root;
}

TEST_F(DriveQueryTest, UnmappedOrMissingRootsGiveNoFigures) {
  DiskFreeSpace space;
  DiskFreeSpaceEx spaceEx;
  VolumeInformation volume;
  for (const char* root : {"H:\\", "G:\\"}) {
    EXPECT_FALSE(GetDiskFreeSpace(root, &space)) << root;
    EXPECT_EQ(LastError(), err::PathNotFound);
    bool offered = false;
    EXPECT_FALSE(GetDiskFreeSpaceEx(root, &spaceEx, &offered)) << root;
    EXPECT_TRUE(offered);
    EXPECT_FALSE(GetVolumeInformation(root, &volume)) << root;
  }
  EXPECT_EQ(DiskSize(1), -1);
  EXPECT_EQ(DiskFree(2), -1);
  EXPECT_EQ(DiskSize(0), -1);
  EXPECT_EQ(DiskSize(27), -1);
}

TEST_F(DriveQueryTest, VolumeNamesAndFlagsFollowTheFileSystemType) {
  using namespace fsflag;
  struct Case {
    std::string_view FsType, Name;
    uint32_t Flags;
  };
  const Case cases[] = {
      {"ext4", "EXT4",
       CaseSensitiveSearch | CasePreservedNames | UnicodeOnDisk | PersistentAcls |
           SupportsSparseFiles | SupportsReparsePoints | VolumeQuotas},
      {"vfat", "FAT32", CasePreservedNames | UnicodeOnDisk},
      {"msdos", "FAT", 0},
      {"tmpfs", "TMPFS",
       CaseSensitiveSearch | CasePreservedNames | UnicodeOnDisk | PersistentAcls |
           SupportsSparseFiles | SupportsReparsePoints},
      {"fuse.foofs", "FOOFS", CaseSensitiveSearch | CasePreservedNames},
      {"weird", "WEIRD", CaseSensitiveSearch | CasePreservedNames},
  };
  for (const auto& c : cases) {
    SetMountTableForTest("/dev/vdz1 " + Host("fixed") + " " + std::string(c.FsType) + " rw 0 0\n");
    VolumeInformation volume;
    ASSERT_TRUE(GetVolumeInformation("C:\\", &volume)) << c.FsType;
    EXPECT_EQ(volume.FileSystemName, c.Name);
    EXPECT_EQ(volume.FileSystemFlags, c.Flags) << c.FsType;
    EXPECT_GT(volume.MaxComponentLength, 0u);
  }
  SetMountTableForTest("");
  VolumeInformation volume;
  EXPECT_FALSE(GetVolumeInformation("C:\\", &volume));
  EXPECT_EQ(GetDriveType("C:\\"), drive::Unknown);
}

TEST_F(DriveQueryTest, FakeDrivesAnswerEveryQuery) {
  FakeDrive floppy;
  floppy.Type = drive::Removable;
  floppy.Space = DiskFreeSpace{1, 512, 100, 2880};
  floppy.SpaceEx = DiskFreeSpaceEx{51200, 1474560, 51200};
  floppy.Volume = VolumeInformation{"DISK", 0x1234ABCD, 12, 0, "FAT12"};
  SetFakeDrive('a', floppy);
  FakeDrive old;
  old.SpaceExOffered = false;
  SetFakeDrive('C', old);  // over a mapped letter

  EXPECT_EQ(GetDriveType("A:\\"), drive::Removable);
  DiskFreeSpace space;
  ASSERT_TRUE(GetDiskFreeSpace("A:\\", &space));
  EXPECT_EQ(space.TotalClusters, 2880u);
  DiskFreeSpaceEx spaceEx;
  ASSERT_TRUE(GetDiskFreeSpaceEx("A:\\", &spaceEx));
  EXPECT_EQ(spaceEx.TotalBytes, 1474560u);
  VolumeInformation volume;
  ASSERT_TRUE(GetVolumeInformation("A:\\", &volume));
  EXPECT_EQ(volume.SerialNumber, 0x1234ABCDu);
  EXPECT_EQ(DiskSize(1), 1474560);
  EXPECT_EQ(DiskFree(1), 51200);

  EXPECT_EQ(GetDriveType("C:\\"), drive::Fixed);
  bool offered = true;
  EXPECT_FALSE(GetDiskFreeSpaceEx("C:\\", &spaceEx, &offered));
  EXPECT_FALSE(offered);
  EXPECT_FALSE(GetDiskFreeSpace("C:\\", &space));
  EXPECT_FALSE(GetVolumeInformation("C:\\", &volume));
  EXPECT_EQ(DiskSize(3), -1);

  ClearFakeDrives();
  EXPECT_EQ(GetDriveType("A:\\"), drive::NoRootDir);
}

// The real volume under the temporary folder: only what holds on any machine.
TEST_F(PlatformTest, RealVolumeFiguresAreConsistent) {
  const uint32_t kind = GetDriveType("C:\\");
  EXPECT_TRUE(kind >= drive::Removable && kind <= drive::RamDisk) << kind;

  DiskFreeSpaceEx spaceEx;
  bool offered = false;
  ASSERT_TRUE(GetDiskFreeSpaceEx("C:\\", &spaceEx, &offered));
  EXPECT_TRUE(offered);
  EXPECT_GT(spaceEx.TotalBytes, 0u);
  EXPECT_LE(spaceEx.FreeBytesAvailable, spaceEx.TotalFreeBytes);
  EXPECT_LE(spaceEx.TotalFreeBytes, spaceEx.TotalBytes);

  DiskFreeSpace space;
  ASSERT_TRUE(GetDiskFreeSpace("C:\\", &space));
  const uint64_t cluster = uint64_t{space.BytesPerSector} * space.SectorsPerCluster;
  EXPECT_GT(cluster, 0u);
  EXPECT_LE(space.FreeClusters, space.TotalClusters);
  if (space.TotalClusters < 0xFFFFFFFFu) {
    EXPECT_EQ(space.TotalClusters * cluster, spaceEx.TotalBytes);
  }
  EXPECT_EQ(DiskSize(3), static_cast<int64_t>(spaceEx.TotalBytes));

  VolumeInformation first, second;
  ASSERT_TRUE(GetVolumeInformation("C:\\", &first));
  ASSERT_TRUE(GetVolumeInformation("C:\\", &second));
  EXPECT_FALSE(first.FileSystemName.empty());
  for (char c : first.FileSystemName) EXPECT_FALSE(std::islower(static_cast<unsigned char>(c)));
  EXPECT_GT(first.MaxComponentLength, 0u);
  EXPECT_EQ(first.SerialNumber, second.SerialNumber);
}
