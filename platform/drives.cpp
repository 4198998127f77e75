// Drive kinds, space and volume figures, answered from the volume mounted
// behind a letter's root folder (or from figures a seam gives, seams.h).
#include "platform/drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <limits>
#include <map>

#include "platform/files.h"
#include "platform/internal.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace platform {
namespace {

constexpr uint32_t kSectorBytes = 512;

// "C:\", "c:", "C:/" -> 'C'.
std::optional<char> RootLetter(std::string_view root) {
  if (root.size() < 2 || root.size() > 3 || !std::isalpha(static_cast<unsigned char>(root[0])) ||
      root[1] != ':' || (root.size() == 3 && root[2] != '\\' && root[2] != '/')) {
    return std::nullopt;
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
}

const FakeDrive* FakeFor(char letter) {
  if (seam::Drives == nullptr) return nullptr;
  const auto found = seam::Drives->find(letter);
  return found == seam::Drives->end() ? nullptr : &found->second;
}

// The host folder behind a letter, resolved, when it exists; else LastError 3.
std::optional<std::string> ExistingRoot(char letter) {
  const auto root = DriveRoot(letter);
  struct stat st {};
  if (!root || ::stat(root->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    detail::SetLastError(err::PathNotFound);
    return std::nullopt;
  }
  return detail::CanonicalHostPath(*root);
}

std::optional<detail::MountEntry> MountBehind(const std::string& hostRoot) {
  return detail::MountFor(detail::ParseMountTable(MountTable()), hostRoot);
}

std::optional<struct statvfs> StatVolume(const std::string& hostRoot) {
  struct statvfs st {};
  if (::statvfs(hostRoot.c_str(), &st) != 0) {
    detail::SetLastError(detail::FolderError(errno, err::NotReady));
    return std::nullopt;
  }
  return st;
}

uint32_t Clamp32(uint64_t value) {
  return value > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : static_cast<uint32_t>(value);
}

uint64_t SaturatingProduct(uint64_t a, uint64_t b) {
  uint64_t product = 0;
  return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<uint64_t>::max() : product;
}

uint64_t FragmentSize(const struct statvfs& st) {
  return st.f_frsize ? st.f_frsize : st.f_bsize;
}

// What a file-system type reports itself as, and what it can do.
struct FileSystemRow {
  std::string_view FsType;
  std::string_view Name;
  uint32_t Flags;
};

using namespace fsflag;
constexpr uint32_t kPosixFlags = CaseSensitiveSearch | CasePreservedNames | UnicodeOnDisk |
                                 PersistentAcls | SupportsSparseFiles | SupportsReparsePoints;
constexpr uint32_t kFatFlags = CasePreservedNames | UnicodeOnDisk;
constexpr uint32_t kNtfsFlags = CasePreservedNames | UnicodeOnDisk | PersistentAcls |
                                FileCompression | VolumeQuotas | SupportsSparseFiles |
                                SupportsReparsePoints | SupportsObjectIds | SupportsEncryption;
constexpr uint32_t kUnknownFlags = CaseSensitiveSearch | CasePreservedNames;

constexpr std::array kFileSystems{
    FileSystemRow{"ext2", "EXT2", kPosixFlags},
    FileSystemRow{"ext3", "EXT3", kPosixFlags | VolumeQuotas},
    FileSystemRow{"ext4", "EXT4", kPosixFlags | VolumeQuotas},
    FileSystemRow{"xfs", "XFS", kPosixFlags | VolumeQuotas},
    FileSystemRow{"btrfs", "BTRFS", kPosixFlags | FileCompression | VolumeQuotas},
    FileSystemRow{"f2fs", "F2FS", kPosixFlags | FileCompression},
    FileSystemRow{"zfs", "ZFS", kPosixFlags | FileCompression | VolumeQuotas},
    FileSystemRow{"tmpfs", "TMPFS", kPosixFlags},
    FileSystemRow{"vfat", "FAT32", kFatFlags},
    FileSystemRow{"msdos", "FAT", 0},
    FileSystemRow{"exfat", "EXFAT", kFatFlags},
    FileSystemRow{"ntfs", "NTFS", kNtfsFlags},
    FileSystemRow{"ntfs3", "NTFS", kNtfsFlags},
    FileSystemRow{"iso9660", "CDFS", CasePreservedNames | UnicodeOnDisk},
    FileSystemRow{"udf", "UDF", CaseSensitiveSearch | CasePreservedNames | UnicodeOnDisk},
    FileSystemRow{"nfs", "NFS",
                  CaseSensitiveSearch | CasePreservedNames | UnicodeOnDisk | PersistentAcls},
    FileSystemRow{"nfs4", "NFS",
                  CaseSensitiveSearch | CasePreservedNames | UnicodeOnDisk | PersistentAcls},
    FileSystemRow{"cifs", "CIFS", CasePreservedNames | UnicodeOnDisk | PersistentAcls},
    FileSystemRow{"smb3", "CIFS", CasePreservedNames | UnicodeOnDisk | PersistentAcls},
};

FileSystemRow DescribeFileSystem(std::string_view fsType) {
  for (const auto& row : kFileSystems) {
    if (row.FsType == fsType) return row;
  }
  return {fsType, {}, kUnknownFlags};
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string FileSystemName(std::string_view fsType) {
  const FileSystemRow row = DescribeFileSystem(fsType);
  if (!row.Name.empty()) return std::string(row.Name);
  if (fsType.rfind("fuse.", 0) == 0) fsType.remove_prefix(5);
  return Upper(fsType);
}

// Removable media and shares are named after their mount folder, as desktops show them.
std::string VolumeLabel(const std::string& mountPoint) {
  if (!detail::IsUnderRemovableFolder(mountPoint)) return {};
  return mountPoint.substr(mountPoint.find_last_of('/') + 1);
}

// Answers a drive query from the letter's fake drive, or from the volume
// mounted behind its root folder.
template <typename Out, typename FromFake, typename FromVolume>
bool QueryDrive(std::string_view root, Out* out, FromFake fromFake, FromVolume fromVolume) {
  const auto letter = RootLetter(root);
  if (!out || !letter) return detail::Fail(err::InvalidParameter);
  if (const FakeDrive* fake = FakeFor(*letter)) return fromFake(*fake);
  const auto host = ExistingRoot(*letter);
  if (!host) return false;
  const auto st = StatVolume(*host);
  return st && fromVolume(*host, *st);
}

// A fake drive's figures; a fake without them fails as a drive without a disk.
template <typename T>
bool CopyFigures(const std::optional<T>& figures, T* out) {
  if (!figures) return detail::Fail(err::NotReady);
  *out = *figures;
  return true;
}

}  // namespace

uint32_t GetDriveType(std::string_view root) {
  const auto letter = RootLetter(root);
  if (!letter) return drive::NoRootDir;
  if (const FakeDrive* fake = FakeFor(*letter)) return fake->Type;
  const auto host = ExistingRoot(*letter);
  if (!host) return drive::NoRootDir;
  const auto mount = MountBehind(*host);
  return mount ? detail::MountDriveType(*mount) : drive::Unknown;
}

bool GetDiskFreeSpace(std::string_view root, DiskFreeSpace* out) {
  return QueryDrive(
      root, out, [out](const FakeDrive& fake) { return CopyFigures(fake.Space, out); },
      [out](const std::string&, const struct statvfs& st) {
        const uint64_t cluster = FragmentSize(st);
        const bool wholeSectors = cluster >= kSectorBytes && cluster % kSectorBytes == 0;
        out->BytesPerSector = wholeSectors ? kSectorBytes : Clamp32(cluster);
        out->SectorsPerCluster = wholeSectors ? Clamp32(cluster / kSectorBytes) : 1;
        out->FreeClusters = Clamp32(st.f_bavail);
        out->TotalClusters = Clamp32(st.f_blocks);
        return true;
      });
}

bool GetDiskFreeSpaceEx(std::string_view root, DiskFreeSpaceEx* out, bool* offered) {
  if (offered) *offered = true;
  return QueryDrive(
      root, out,
      [out, offered](const FakeDrive& fake) {
        if (offered) *offered = fake.SpaceExOffered;
        return fake.SpaceExOffered ? CopyFigures(fake.SpaceEx, out) : detail::Fail(err::NotReady);
      },
      [out](const std::string&, const struct statvfs& st) {
        const uint64_t fragment = FragmentSize(st);
        out->FreeBytesAvailable = SaturatingProduct(st.f_bavail, fragment);
        out->TotalBytes = SaturatingProduct(st.f_blocks, fragment);
        out->TotalFreeBytes = SaturatingProduct(st.f_bfree, fragment);
        return true;
      });
}

bool GetVolumeInformation(std::string_view root, VolumeInformation* out) {
  return QueryDrive(
      root, out, [out](const FakeDrive& fake) { return CopyFigures(fake.Volume, out); },
      [out](const std::string& host, const struct statvfs& st) {
        const auto mount = MountBehind(host);
        if (!mount) return detail::Fail(err::NotReady);
        const uint64_t fsid = st.f_fsid;
        out->VolumeName = VolumeLabel(mount->MountPoint);
        out->SerialNumber = static_cast<uint32_t>(fsid ^ (fsid >> 32));
        out->MaxComponentLength = Clamp32(st.f_namemax);
        out->FileSystemFlags = DescribeFileSystem(mount->FsType).Flags;
        out->FileSystemName = FileSystemName(mount->FsType);
        return true;
      });
}

namespace {
// Byte figures of a drive by number (1 = A), through the extended space query.
std::optional<DiskFreeSpaceEx> SpaceOfDriveNumber(int driveNumber) {
  if (driveNumber < 1 || driveNumber > 26) return std::nullopt;
  const char root[] = {static_cast<char>('A' + driveNumber - 1), ':', '\\', '\0'};
  DiskFreeSpaceEx space;
  if (!GetDiskFreeSpaceEx(root, &space)) return std::nullopt;
  return space;
}

int64_t AsFigure(uint64_t bytes) {
  return bytes > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
             ? std::numeric_limits<int64_t>::max()
             : static_cast<int64_t>(bytes);
}
}  // namespace

int64_t DiskSize(int driveNumber) {
  const auto space = SpaceOfDriveNumber(driveNumber);
  return space ? AsFigure(space->TotalBytes) : -1;
}

int64_t DiskFree(int driveNumber) {
  const auto space = SpaceOfDriveNumber(driveNumber);
  return space ? AsFigure(space->FreeBytesAvailable) : -1;
}

}  // namespace platform
