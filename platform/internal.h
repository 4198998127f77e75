#pragma once
// Pieces shared by the platform sources (and their tests). Not part of the
// layer's contract: code above platform/ includes the public headers only.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace platform::detail {

// --- Errors ----------------------------------------------------------------
void SetLastError(int error);
// Sets the thread's last error and returns false, for one-line failure paths.
bool Fail(int error);
// The Windows error number for a host errno; `fallback` where none is closer.
int WinError(int errnum, int fallback = err::AccessDenied);
// A host path that does not exist: 2 when its folder exists, else 3.
int MissingError(const std::string& hostPath);
// The Windows error of a failed call on `hostPath`: MissingError for ENOENT, else WinError.
int PathError(int errnum, const std::string& hostPath);
// For calls whose own name is known to exist or is being made, ENOENT means
// a folder on the way is missing (3); anything else is WinError.
int FolderError(int errnum, int fallback = err::AccessDenied);
// "X:\..." or "X:/...": a drive letter, ":" and a separator (mapped or not).
bool IsAbsoluteWindowsPath(std::string_view path);
// ToHostPath, failing with 3 when the path maps to no drive.
std::optional<std::string> HostPathOrFail(std::string_view windowsPath);

// --- Fault injection --------------------------------------------------------
struct InjectedFault {
  int Error = 0;           // 0: no fault for this call
  bool HalfWrite = false;  // a disk-full write: half the bytes, then 112
};
// Counts one call of `op` and hands out the fault planned for it, if any.
InjectedFault TakeFault(faults::Op op);

// --- Host folders and files --------------------------------------------------
// The user's entry in the password database (fields the database leaves
// out are empty), or nothing when there is none.
struct UserRecord {
  std::string HomeFolder;
  std::string Gecos;  // full name, then other details after ","
};
std::optional<UserRecord> UserDatabaseRecord();
// The user's home folder: $HOME when absolute, else the password database's.
std::string HomeFolder();
// An XDG base folder: $variable when absolute, else home + "/" + fallbackBelowHome.
std::string XdgFolder(const char* variable, std::string_view fallbackBelowHome);
// Whether `word` stands in a desktop entry's command as it is: nothing in
// it that has to be quoted or escaped there.
bool PlainExecWord(std::string_view word);
// The whole text of a host file, or nothing when it cannot be read.
std::optional<std::string> ReadHostFile(const std::string& hostPath);
// The lines of a text, without their "\n".
std::vector<std::string_view> SplitLines(std::string_view text);
// Whether two texts are equal when ASCII letters are compared without case.
bool EqualsNoCase(std::string_view a, std::string_view b);
// realpath(), or the path unchanged when it cannot be resolved.
std::string CanonicalHostPath(const std::string& hostPath);
// Whether `path` is `root` or lies below it, comparing whole names.
bool HostPathContains(std::string_view root, std::string_view path);

// --- Entries ---------------------------------------------------------------------
struct HostEntry {
  uint32_t Mode = 0;  // st_mode
  int64_t Size = 0;
  FileTimes Times;
};
// What a host path holds, following a link (or the link itself when it dangles).
std::optional<HostEntry> Examine(const std::string& hostPath);
// The Windows attributes of an examined entry named `name`.
uint32_t AttributesOf(const std::string& hostPath, std::string_view name, uint32_t mode);

// --- Time ----------------------------------------------------------------------
CalendarTime ToCalendar(const timespec& moment);

// --- Mounts ----------------------------------------------------------------------
struct MountEntry {
  std::string Source;
  std::string MountPoint;
  std::string FsType;
};
std::vector<MountEntry> ParseMountTable(std::string_view text);
// The entry with the longest mount point containing `hostPath` (the last of equals).
std::optional<MountEntry> MountFor(const std::vector<MountEntry>& table, std::string_view hostPath);
// Drive kind (drive::Removable .. drive::RamDisk) of a mounted volume.
uint32_t MountDriveType(const MountEntry& mount);
// Mount points where removable media and shares appear: /media, /run/media, /mnt.
bool IsUnderRemovableFolder(std::string_view mountPoint);

// --- Shell -----------------------------------------------------------------------
// The program's full path along $PATH (a path with a "/" as it is), or ""
// when there is no such program.
std::string FindProgram(const std::string& name);
// The argument vector that opens `target` ("xdg-open" or "xdg-email" first),
// or nothing (LastError set) when the target cannot be opened.
std::optional<std::vector<std::string>> ShellCommandFor(std::string_view target);
// The argument vector that starts the program file at `hostPath` directly
// (a file of this host's executable format), or nothing when it is no such
// file. A program copied in as plain data first gets the execute bits that
// its read bits allow, as a Windows program runs by its name alone.
std::optional<std::vector<std::string>> ProgramCommandFor(const std::string& hostPath);

}  // namespace platform::detail
