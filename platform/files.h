#pragma once
// Files, folders, attributes, times and directory search, in Windows terms.
// Every path is a Windows path (see paths.h); an unmapped path fails with
// error 3 (path not found). Error numbers are Windows system error numbers.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Windows system error numbers the layer reports.
namespace err {
inline constexpr int Success = 0;
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int AccessDenied = 5;
inline constexpr int InvalidHandle = 6;
inline constexpr int NotSameDevice = 17;  // a rename across drives
inline constexpr int WriteProtect = 19;
inline constexpr int NotReady = 21;
inline constexpr int WriteFault = 29;
inline constexpr int ReadFault = 30;
inline constexpr int SharingViolation = 32;
inline constexpr int FileExists = 80;
inline constexpr int InvalidParameter = 87;
inline constexpr int DiskFull = 112;
inline constexpr int AlreadyExists = 183;
}  // namespace err

// Attribute bits.
namespace attr {
inline constexpr uint32_t ReadOnly = 0x01;
inline constexpr uint32_t Hidden = 0x02;
inline constexpr uint32_t System = 0x04;
inline constexpr uint32_t VolumeId = 0x08;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Archive = 0x20;
inline constexpr uint32_t Normal = 0x80;
inline constexpr uint32_t Temporary = 0x100;
inline constexpr uint32_t Compressed = 0x800;
inline constexpr uint32_t AnyFile = 0x3F;
}  // namespace attr

// A moment in local calendar time. DayOfWeek counts 0 = Sunday .. 6 = Saturday.
struct CalendarTime {
  uint16_t Year = 0, Month = 0, Day = 0, DayOfWeek = 0;
  uint16_t Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// Who a file is: its device and inode, and how many names (hard links) it has.
struct FileIdentity {
  uint64_t Device = 0;
  uint64_t Inode = 0;
  uint64_t Links = 0;
  bool SameFile(const FileIdentity& other) const {
    return Device == other.Device && Inode == other.Inode;
  }
};

// New files are private to the user (read and write for the owner only, a
// "*.exe" also runnable by the owner), whatever the umask allows.
enum class FileMode {
  Create,     // create, or truncate an existing file to 0 bytes; read and write;
              // always exclusive, whatever share mode is asked for
  CreateNew,  // create a file that does not exist yet; fails (80) when the name is taken
  OpenWrite,  // existing file only, no truncation, positioned at 0; read and write
  OpenRead,   // existing file only, read
};

enum class ShareMode {
  Exclusive,  // no other stream of this process may have the file open; flock across processes
  DenyWrite,  // others may read
  DenyNone,   // others may read and write
};

// One open file. Positions and sizes are 64-bit. Every failing call returns
// its failure value and leaves the reason in LastError().
class FileStream {
 public:
  // Nothing, with `error` set, when the file cannot be opened: missing (2),
  // folder missing (3), read-only file opened for writing (5, whatever the
  // process's privileges), already open in a way the share mode forbids (32).
  // Symbolic links are never followed when opening for writing (5).
  static std::unique_ptr<FileStream> Open(std::string_view path, FileMode mode, ShareMode share,
                                          int* error = nullptr);
  // The same, but no name below the drive's root on the way to the file, the
  // file's own included, may be a symbolic link (5): a folder swapped for a
  // link cannot lead the open elsewhere.
  static std::unique_ptr<FileStream> OpenNoLinks(std::string_view path, FileMode mode,
                                                 ShareMode share, int* error = nullptr);
  ~FileStream();  // closes, ignoring errors
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Bytes read, 0 at the end, -1 on failure.
  int64_t Read(void* buffer, int64_t count);
  // Bytes written; fewer than asked (and LastError 112) when the disk is full; -1 on failure.
  int64_t Write(const void* buffer, int64_t count);
  // Writes `count` bytes made of the `blockLength` bytes at `block` over and
  // over (the last copy cut short), in as few calls of the kernel as it
  // takes; the result and the failures are those of Write.
  int64_t WriteRepeated(const void* block, int64_t blockLength, int64_t count);
  bool Seek(int64_t position);
  int64_t Position() const;
  int64_t Size() const;  // -1 on failure
  // Pushes written data through to the device (fsync).
  bool Flush();
  // The host may drop what it keeps in memory of these bytes of the file
  // once they are on the device (a hint: nothing fails, nothing changes in
  // the file). Removing a large file whose pages are gone costs far less.
  void ReleaseCache(int64_t offset, int64_t length);
  // Closes now and reports whether that worked; later calls fail with 6.
  bool Close();
  bool IsOpen() const;
  // The open file's identity (its link count as it is now).
  FileIdentity Identity() const;
  // The host's permission bits of the open file (read, write and run for
  // its owner, group and others), or 0 when they cannot be read.
  uint32_t Permissions() const;
  int LastError() const { return lastError_; }
  const std::string& Path() const { return path_; }

 private:
  FileStream() = default;
  static std::unique_ptr<FileStream> OpenFile(std::string_view path, FileMode mode, ShareMode share,
                                              int* error, bool noLinks);
  bool Fail(int error) const;          // records the error, returns false
  int64_t FailCount(int error) const;  // records the error, returns -1
  bool CheckOpen() const;              // fails with 6 once closed
  int Release();                       // closes and forgets the file; the close's errno
  int fd_ = -1;
  bool writable_ = false;
  mutable int lastError_ = 0;
  int64_t position_ = 0;
  uint64_t device_ = 0, inode_ = 0;
  std::string path_;
};

// The error of the last failing call below, on this thread.
int LastError();

// True for an existing regular file (also through a link); false for folders.
bool FileExists(std::string_view path);
// True when the path itself is a symbolic link (whatever it points to, if anything).
bool IsSymbolicLink(std::string_view path);
// True when the path itself is a FIFO, a socket or a device: a name that
// holds no file's data.
bool IsSpecialFile(std::string_view path);
bool DirectoryExists(std::string_view path);
// Removes the file, or a symbolic link itself (never what it points to).
// Refuses (5) a file whose read-only attribute is set, and folders.
bool DeleteFile(std::string_view path);
// Renames a file; fails (183) when the new name exists already.
bool RenameFile(std::string_view from, std::string_view to);
// Renames over an existing file in one step (for safe replacement).
bool ReplaceFile(std::string_view from, std::string_view to);
bool CreateDirectory(std::string_view path);

// The identity of the name itself (a symbolic link is not followed), or
// nothing (LastError set) when there is no such name.
std::optional<FileIdentity> IdentityOf(std::string_view path);
// The same, but nothing (5) when a folder on the way below the drive's root
// is a symbolic link.
std::optional<FileIdentity> IdentityOfNoLinks(std::string_view path);
// True when the path's file is there only through a folder on the way
// (below the drive's root) that is a symbolic link.
bool IsBehindFolderLink(std::string_view path);
// How the calls below reach the folder of their file: with no symbolic link
// on the way (a listed file, whose folders could be swapped for links), or
// through whatever links lead to it (the program's own folder); the file's
// own name is never followed either way.
enum class FolderLinks { Refused, Followed };
// Removes `path` only while it is the file `expected`, reached without a link
// on the way: another file under the name fails with 2 and is left alone.
// Otherwise as DeleteFile.
bool DeleteListedFile(std::string_view path, const FileIdentity& expected,
                      FolderLinks links = FolderLinks::Refused);
// Gives the file `expected`, now named `from`, the name `to` in the same
// folder (`replace`: over an existing file, as ReplaceFile; else as
// RenameFile), reached without a link on the way. A file under `from`
// that is not `expected` fails with 2 and keeps its name.
bool RenameListedFile(std::string_view from, std::string_view to, const FileIdentity& expected,
                      bool replace, FolderLinks links = FolderLinks::Refused);
// Takes from the file every host permission bit (as FileStream::Permissions)
// that `allowed` lacks; it gains none. Reached without a link on the way,
// the file's own name included (5).
bool LimitPermissions(std::string_view path, uint32_t allowed);
// Pushes a folder's entries (names made, renamed or removed) through to the
// device. Counts as a Flush for fault injection.
bool SyncFolder(std::string_view folder);
// Creates the folder and every missing parent.
bool ForceDirectories(std::string_view path);

// Attribute bits of a file or folder, or nothing when it does not exist.
// Read-only is the owner's write bit; hidden, system, archive, temporary and
// compressed come from the extended attribute user.DOSATTRIB ("0x21") where
// the file system keeps it, else a file reads as archive; a name beginning
// with "." reads as hidden; a folder carries Directory. Normal (0x80) stands
// alone when no other bit is set.
std::optional<uint32_t> GetAttributes(std::string_view path);
// Sets read-only through the owner's write bit and stores the others in
// user.DOSATTRIB (dropped where the file system offers no extended
// attributes). Never follows a symbolic link.
bool SetAttributes(std::string_view path, uint32_t attributes);

struct FileTimes {
  CalendarTime Created;  // birth time where the file system has one, else modification
  CalendarTime Modified;
  CalendarTime Accessed;
  bool AccessedSet = false;  // the file system reports a non-zero access time
};
std::optional<FileTimes> GetFileTimes(std::string_view path);

// One entry of a directory search.
struct SearchRec {
  std::string Name;  // without folder
  int64_t Size = 0;
  uint32_t Attr = 0;
  FileTimes Times;
};

// Searches "folder\mask" ("C:\docs\*.*", "C:\docs\*.c", "C:\docs\a?.txt",
// or an exact name). "*" matches any run, "?" one character, "*.*" every
// name. Names compare as the host compares them (case-sensitive). Entries
// with the Hidden, System, Directory or VolumeId bit are returned only when
// `attrFilter` holds that bit; other files always are. "." and ".." never
// are. Names that a Windows path cannot carry are left out. Order: by name.
std::vector<SearchRec> FindFiles(std::string_view pathWithMask, uint32_t attrFilter);
// Whether `name` matches `mask` by the rules above.
bool MatchesMask(std::string_view name, std::string_view mask);

// Fault injection for tests: make the Nth call of a kind (counted from the
// moment of the call, 1 = the next one) fail with a chosen error. Calls are
// counted from the first use of any of these on (a program that uses none
// pays one flag read per file operation).
namespace faults {
enum class Op { Open, Read, Write, Close, Rename, Delete, SetAttributes, CreateDirectory, Flush };
void Fail(Op op, int nth, int error);
// From the Nth call from now on, every call of that kind fails.
void FailFrom(Op op, int nth, int error);
// Runs `action` at the Nth call of a kind from now, before the call does
// anything (another process acting at that moment, say).
void Before(Op op, int nth, std::function<void()> action);
// The Nth write from now writes half of its bytes and reports a full disk (112).
void DiskFull(int nthWrite);
// Calls of each kind since the last Reset.
int64_t Count(Op op);
void Reset();
}  // namespace faults

}  // namespace platform
