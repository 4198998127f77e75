// The host mount table: reading it, finding the volume behind a folder and
// telling what kind of drive a volume is.
#include <array>
#include <filesystem>
#include <system_error>

#include "platform/drives.h"
#include "platform/internal.h"
#include "platform/seams.h"

namespace platform {
namespace {

bool IsOctalDigit(char c) {
  return c >= '0' && c <= '7';
}

// Mount table fields escape blanks, tabs, newlines and backslashes as "\ooo".
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
        IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t start = line.find_first_not_of(" \t", pos);
    if (start == std::string_view::npos) break;
    size_t end = line.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = line.size();
    fields.push_back(line.substr(start, end - start));
    pos = end;
  }
  return fields;
}

struct KindRow {
  std::string_view FsType;
  uint32_t Kind;
};

constexpr std::array kKindsByFsType{
    KindRow{"nfs", drive::Remote},         KindRow{"nfs4", drive::Remote},
    KindRow{"cifs", drive::Remote},        KindRow{"smb3", drive::Remote},
    KindRow{"smbfs", drive::Remote},       KindRow{"ncpfs", drive::Remote},
    KindRow{"9p", drive::Remote},          KindRow{"afs", drive::Remote},
    KindRow{"coda", drive::Remote},        KindRow{"ceph", drive::Remote},
    KindRow{"glusterfs", drive::Remote},   KindRow{"davfs", drive::Remote},
    KindRow{"sshfs", drive::Remote},       KindRow{"fuse.sshfs", drive::Remote},
    KindRow{"fuse.rclone", drive::Remote}, KindRow{"fuse.glusterfs", drive::Remote},
    KindRow{"fuse.davfs2", drive::Remote}, KindRow{"iso9660", drive::CdRom},
    KindRow{"udf", drive::CdRom},          KindRow{"tmpfs", drive::RamDisk},
    KindRow{"ramfs", drive::RamDisk},
};

// Whether the block device behind `source` ("/dev/sdb1", or a link to it)
// reports itself removable; a partition asks its whole disk.
bool IsRemovableBlockDevice(const std::string& source) {
  namespace fs = std::filesystem;
  if (source.rfind("/dev/", 0) != 0) return false;
  const std::string device = detail::CanonicalHostPath(source);
  const std::string name = device.substr(device.find_last_of('/') + 1);
  const std::string sysRoot =
      seam::SysBlockRoot != nullptr ? *seam::SysBlockRoot : "/sys/class/block";
  std::error_code ec;
  fs::path entry = fs::canonical(fs::path(sysRoot) / name, ec);
  if (ec) return false;
  if (fs::exists(entry / "partition", ec)) entry = entry.parent_path();
  const auto flag = detail::ReadHostFile((entry / "removable").string());
  return flag && !flag->empty() && (*flag)[0] == '1';
}

}  // namespace

std::string MountTable() {
  if (seam::MountTable != nullptr) return *seam::MountTable;
  return detail::ReadHostFile("/proc/self/mounts").value_or(std::string());
}

namespace detail {

std::vector<MountEntry> ParseMountTable(std::string_view text) {
  std::vector<MountEntry> table;
  for (const auto line : SplitLines(text)) {
    const auto fields = Fields(line);
    if (fields.size() < 3 || fields[1].empty() || fields[1][0] != '/') continue;
    table.push_back({UnescapeMountField(fields[0]), UnescapeMountField(fields[1]),
                     UnescapeMountField(fields[2])});
  }
  return table;
}

std::optional<MountEntry> MountFor(const std::vector<MountEntry>& table,
                                   std::string_view hostPath) {
  const MountEntry* best = nullptr;
  for (const auto& entry : table) {
    if (!HostPathContains(entry.MountPoint, hostPath)) continue;
    if (!best || entry.MountPoint.size() >= best->MountPoint.size()) best = &entry;
  }
  if (!best) return std::nullopt;
  return *best;
}

uint32_t MountDriveType(const MountEntry& mount) {
  for (const auto& row : kKindsByFsType) {
    if (row.FsType == mount.FsType) return row.Kind;
  }
  return IsRemovableBlockDevice(mount.Source) ? drive::Removable : drive::Fixed;
}

bool IsUnderRemovableFolder(std::string_view mountPoint) {
  return HostPathContains("/media", mountPoint) || HostPathContains("/run/media", mountPoint) ||
         HostPathContains("/mnt", mountPoint);
}

}  // namespace detail
}  // namespace platform
