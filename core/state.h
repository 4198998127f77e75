#pragma once
// Program-wide state: every variable that outlives one call, for the whole
// program, declared here together. Windows pass nothing to each other
// directly: one stores what the next needs here and shows it, and the next
// one's show handler reads it.
//
// Everything is zero or empty at program start, lives until exit and is
// overwritten by the exit wipe; nothing here is allocated or freed.
// ResetProgramState() returns it all to the start state (tests).
//
// Indexing: the job list, the drive kinds and the work buffers' accessors
// count from 1, as the program does everywhere; window slots and volume
// capabilities count from 0, as noted at each.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "core/cipher.h"
#include "core/constants.h"
#include "core/keystream.h"
#include "core/short_string.h"

namespace vek {

// =============================================================================
// Record types
// =============================================================================

// A file's moment in local time, as the directory search gives it.
// DayOfWeek counts 0 = Sunday.
struct TDateTimeFields {
  uint16_t DayOfWeek = 0;
  uint16_t Day = 0;
  uint16_t Month = 0;
  uint16_t Year = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  friend bool operator==(const TDateTimeFields&, const TDateTimeFields&) = default;
};

// The moment a file was encrypted, as its header carries it. The fields keep
// the header's order; DayOfWeek counts 1 = Sunday (from NowDayOfWeek).
// All zero for a plain file that has not been encrypted yet.
struct TTimestampFields {
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  uint16_t DayOfWeek = 0;
  uint16_t Day = 0;
  uint16_t Month = 0;
  uint16_t Year = 0;
  friend bool operator==(const TTimestampFields&, const TTimestampFields&) = default;
};

// Major and minor version number, one byte each.
using TVersionBytes = std::array<uint8_t, 2>;

// Owner data written into every encrypted file's header.
struct TEmbeddedData {
  TShortString<16> OwnerFirstName;
  TShortString<16> OwnerLastName;
  TShortString<32> OwnerCompany;
  TShortString<64> OwnerLocation;  // download location
  TShortString<64> OwnerEmail;
  std::array<TShortString<64>, 3> InfoLines;  // information line k at [k - 1]
  friend bool operator==(const TEmbeddedData&, const TEmbeddedData&) = default;
};

// The job list: entries 1..JobCount of at most JobListCapacityMax, held as
// parallel arrays, one per field (JobList.Name[i], JobList.Size[i], ...).
// Slot 0 of every array is unused; 0 means "no entry" wherever an entry
// number is stored.
struct TJobList {
  static constexpr size_t Slots = JobListCapacityMax + 1;

  uint16_t JobCount = 0;         // entries 1..JobCount are in use
  uint16_t JobListCapacity = 0;  // 1024; set each time the main window shows
  int64_t JobTotalSize = 0;      // sum of Size over the entries
  uint16_t SelectedRow = 0;      // entry last chosen in the main window's grid; 0 = none

  std::array<bool, Slots> IsVekFile{};  // a genuine encrypted file when it was added
  std::array<std::string, Slots> Name;
  std::array<std::string, Slots> Folder;  // ends in "\"
  std::array<int64_t, Slots> Size{};
  // Encrypted file: the size before encryption, from its header; plain file: Size.
  std::array<int64_t, Slots> ContentSize{};
  std::array<TDateTimeFields, Slots> Created{};
  std::array<TDateTimeFields, Slots> Modified{};
  std::array<TDateTimeFields, Slots> Accessed{};
  std::array<uint16_t, Slots> Attributes{};  // low 16 bits of the attribute bits
  // What the header carries (encrypted entry) or will carry (plain entry).
  std::array<TEmbeddedData, Slots> Owner{};
  std::array<bool, Slots> HasTimestamp{};
  std::array<TTimestampFields, Slots> Timestamp{};
  std::array<bool, Slots> PreserveAttributes{};
  std::array<bool, Slots> HasWindowsInfo{};
  std::array<std::string, Slots> WindowsVersionText;
  std::array<std::string, Slots> RegisteredOwner;
  std::array<std::string, Slots> RegisteredOrganization;
  std::array<std::string, Slots> ComputerName;
  std::array<std::string, Slots> ProductId;
  std::array<std::string, Slots> ProductLine;
  std::array<TVersionBytes, Slots> SoftwareVersion{};
  std::array<TVersionBytes, Slots> FileFormatVersion{};
  // Who the file was when it was listed (its name itself, not what a link
  // points to); 0, 0 when not known. A run acts only on that file.
  std::array<uint64_t, Slots> Device{};
  std::array<uint64_t, Slots> Inode{};
  std::array<uint64_t, Slots> Links{};

  // Calls `visit(array)` for every per-entry array above, so that code
  // working on whole entries cannot miss a field.
  template <class Visitor>
  void ForEachField(Visitor&& visit) {
    visit(IsVekFile);
    visit(Name);
    visit(Folder);
    visit(Size);
    visit(ContentSize);
    visit(Created);
    visit(Modified);
    visit(Accessed);
    visit(Attributes);
    visit(Owner);
    visit(HasTimestamp);
    visit(Timestamp);
    visit(PreserveAttributes);
    visit(HasWindowsInfo);
    visit(WindowsVersionText);
    visit(RegisteredOwner);
    visit(RegisteredOrganization);
    visit(ComputerName);
    visit(ProductId);
    visit(ProductLine);
    visit(SoftwareVersion);
    visit(FileFormatVersion);
    visit(Device);
    visit(Inode);
    visit(Links);
  }
  // Every field of entry i back to zero or empty.
  void ClearEntry(size_t i) {
    ForEachField([i](auto& field) { field[i] = {}; });
  }
  // Every field of entry `from` into entry `to` (the remove's shift-up).
  void MoveEntry(size_t from, size_t to) {
    ForEachField([from, to](auto& field) { field[to] = std::move(field[from]); });
  }
};

// What the file examination found out about one file, or a job entry copied
// in for the embedded-data viewer.
struct TCurrentFile {
  // 0 valid encrypted file, 1 missing, 2 too short or unreadable,
  // 3 not an encrypted file (the header fields below are then not valid).
  static constexpr uint8_t StatusVekFile = 0;
  static constexpr uint8_t StatusMissing = 1;
  static constexpr uint8_t StatusShort = 2;
  static constexpr uint8_t StatusNotVek = 3;

  std::string Name;
  std::string Folder;  // ends in "\"
  int64_t Size = 0;
  TDateTimeFields Created;
  TDateTimeFields Modified;
  TDateTimeFields Accessed;
  uint32_t Attributes = 0;  // the file's attribute bits
  uint8_t Status = 0;
  bool IsVekFile = false;  // Status is 0

  // Header fields of an encrypted file.
  std::string ProductLine;
  TVersionBytes SoftwareVersion{};
  TVersionBytes FileFormatVersion{};
  TEmbeddedData Owner;
  bool HasTimestamp = false;
  TTimestampFields Timestamp;
  bool PreserveAttributes = false;
  uint32_t HeaderAttributes = 0;  // the attribute word the header stores (tag 0x30)
  bool HasWindowsInfo = false;
  std::string WindowsVersionText;
  std::string RegisteredOwner;
  std::string RegisteredOrganization;
  std::string ComputerName;
  std::string ProductId;
  int64_t ContentSize = 0;  // size before encryption (tag 0x80)
  int64_t DataStart = 0;    // file position of the first enciphered byte
};

// The embedded-data editor's working copy of a plain job entry.
struct TEditedEntry {
  std::string Name;
  int64_t Size = 0;
  TEmbeddedData Owner;
  bool HasTimestamp = false;
  bool PreserveAttributes = false;
  bool HasWindowsInfo = false;
};

// The engine's state machine: each tick copies Current into Next, runs the
// step that Current names, then takes Next. Dialog buttons, which run
// between ticks, write Current.
struct TEngineState {
  uint16_t Current = 0;
  uint16_t Next = 0;
};

// =============================================================================
// Windows
// =============================================================================
// Created once by the program entry in this order and only shown and hidden
// afterwards. The window layers reach one another through these.

class TForm1;   // start window
class TForm2;   // main window
class TForm4;   // options
class TForm6;   // about
class TForm7;   // key entry
class TForm8;   // processing (the engine)
class TForm9;   // delete confirmation
class TForm14;  // drive information
class TForm15;  // error report
class TForm16;  // embedded-data viewer
class TForm17;  // screen lock
class TForm18;  // embedded-data editor
class TForm19;  // exit wipe
class TForm20;  // warning
class TForm21;  // activity log
class TForm22;  // update check

inline TForm1* Form1 = nullptr;
inline TForm2* Form2 = nullptr;
inline TForm4* Form4 = nullptr;
inline TForm6* Form6 = nullptr;
inline TForm7* Form7 = nullptr;
inline TForm8* Form8 = nullptr;
inline TForm9* Form9 = nullptr;
inline TForm14* Form14 = nullptr;
inline TForm15* Form15 = nullptr;
inline TForm16* Form16 = nullptr;
inline TForm17* Form17 = nullptr;
inline TForm18* Form18 = nullptr;
inline TForm19* Form19 = nullptr;
inline TForm20* Form20 = nullptr;
inline TForm21* Form21 = nullptr;
inline TForm22* Form22 = nullptr;

// =============================================================================
// Cipher and work buffers
// =============================================================================

// The one key state. Set by SetKey right before each run of bytes: the
// engine (per file, again for verification, per decrypted file) and the
// settings writer and reader. The engine's cancel clears it.
inline TKeyState KeyState;
// The keystream an engine run has computed under its key, kept for the
// later files of the run and their verification. Wiped at the end of every
// run, on every way out of one, and by the exit wipe.
inline TKeystreamStore RunKeystream;

// Work buffers, addressed by positions 1..8192 through the settings
// accessors (position p is element p - 1). SharedBuffer holds one use at a
// time: the settings record, the header of a file under examination, or the
// engine's current block (also the overwrite pattern). SharedBuffer2 holds
// the settings file's random filler and the engine's verify block. Neither
// is cleared between uses.
inline std::array<uint8_t, SharedBufferSize> SharedBuffer{};
inline std::array<uint8_t, SharedBufferSize> SharedBuffer2{};

// =============================================================================
// Current moment
// =============================================================================
// Written only by CaptureNow; read after a capture by the engine's log and
// header, the key generator and the settings writer.

inline uint16_t NowYear = 0;
inline uint16_t NowMonth = 0;      // 1..12
inline uint16_t NowDay = 0;        // 1..31
inline uint16_t NowDayOfWeek = 0;  // 1 = Sunday .. 7 = Saturday
inline uint16_t NowHour = 0;       // 0..23
inline uint16_t NowMin = 0;
inline uint16_t NowSec = 0;
inline uint16_t NowMSec = 0;  // 0..999

// =============================================================================
// Options (the settings record)
// =============================================================================
// Loaded from the settings file or defaulted by the start-up, changed by the
// options dialog's Apply, stored by the settings writer; read everywhere.

inline int32_t StartCount = 0;  // starts so far, this one included
// Default owner data for new encrypted files.
inline TShortString<16> OwnerFirstName;
inline TShortString<16> OwnerLastName;
inline TShortString<32> OwnerCompany;
inline TShortString<64> OwnerLocation;
inline TShortString<64> OwnerEmail;
inline TShortString<64> InfoLine1;
inline TShortString<64> InfoLine2;
inline TShortString<64> InfoLine3;
inline bool TimestampEncryption = false;
inline bool PreserveAttributes = false;
inline bool WindowsInformation = false;
inline bool DeletePlaintextAfterEncrypt = false;
inline bool VerifyAfterEncrypt = false;
inline bool DeleteEncryptedAfterDecrypt = false;
inline uint8_t DeleteMethod = 0;  // DeleteNormal, DeleteSinglePass or DeleteTriplePass
inline bool ShowHints = false;
inline uint16_t HintPause = 0;      // milliseconds
inline uint16_t HintHidePause = 0;  // milliseconds
inline bool SaveWindowLayout = false;
inline bool ScreenLockEnabled = false;
inline TShortString<16> ScreenLockPassword;
inline uint8_t LockWindowSpeed = 0;      // 1..5
inline uint8_t InsaneModeThreshold = 0;  // 0 never, 1..20 above 2^(i-1) MB, 21 always

// Window positions, slot i for window number i + 1 (TForm1 in slot 0 ..
// TForm21 in slot 20; numbers without a window stay 0). Captured by
// SaveWindowPositions, stored in the settings when SaveWindowLayout is on,
// applied by RestoreWindowPositions.
inline std::array<int32_t, WindowSlotCount> WindowLeft{};
inline std::array<int32_t, WindowSlotCount> WindowTop{};

// =============================================================================
// System and drive information
// =============================================================================
// Version, machine texts and drive kinds: set once by the start-up. Drive
// figures and volume data: overwritten by every measurement and describing
// the last drive measured (free-space checks, drive information window).

inline uint8_t WindowsVersionCode = 0;  // 0 unknown, 1..9
inline uint32_t WindowsMajorVersion = 0;
inline uint32_t WindowsMinorVersion = 0;
inline uint32_t WindowsBuildNumber = 0;
inline std::string WindowsVersionText;
inline std::string WindowsComputerName;
inline std::string WindowsRegisteredOwner;
inline std::string WindowsRegisteredOrganization;
inline std::string WindowsProductId;

// Drive kind of letters A..Z at DriveKinds[1]..DriveKinds[26]; [0] is unused.
inline std::array<uint8_t, DriveLetterCount + 1> DriveKinds{};

// The drive figures; -1 byte figures mean a drive without figures.
inline int64_t DriveBytesPerSector = 0;
inline int64_t DriveSectorsPerCluster = 0;
inline int64_t DriveBytesPerCluster = 0;
inline int64_t DriveUsedClusters = 0;
inline int64_t DriveFreeClusters = 0;
inline int64_t DriveTotalClusters = 0;
inline int64_t DriveUsedBytes = 0;
inline int64_t DriveFreeBytes = 0;
inline int64_t DriveTotalBytes = 0;
inline uint8_t DriveUsedPercent = 0;  // 0..100

inline std::string VolumeFileSystem;
// Capabilities of the last volume queried; capability k (1..12) at [k - 1].
inline std::array<bool, VolumeFlagCount> VolumeFlags{};

// =============================================================================
// Start-up and run selection
// =============================================================================

inline std::string ProgramFolder;  // folder of the settings file, ends in "\"
// Set by the main window's exit button and the update window's download
// button; while it is clear the main and processing windows refuse to close.
// The exit wipe clears it before it closes the windows.
inline bool ExitRequested = false;
// The delete confirmation's prompt box; true at every start, never stored.
inline bool ConfirmDeletes = false;
// Set before a run: RunEncrypt, RunDecrypt, RunDeleteFile, RunDeleteJobList.
inline uint8_t RunMode = 0;

// =============================================================================
// Job list and examined files
// =============================================================================

// Changed by the main window (add, remove, clear), the embedded-data editor
// (owner data and flags), the engine (timestamps; cleared after a job-list
// delete run) and the exit wipe.
inline TJobList JobList;

// The file last examined in the main window (after start-up: the settings
// file, which the loader measures). The engine's one-file delete and the
// main window's panel read it.
inline TCurrentFile CurrentFile;
// What the embedded-data viewer shows: the main window and the editor fill
// it before they show the viewer, leaving CurrentFile to the browser.
inline TCurrentFile ViewerRecord;

// Written by the main window's grid double click, read by the editor's show.
inline TEditedEntry EditedEntry;

// =============================================================================
// Engine run
// =============================================================================
// Owned by the processing window; reset at the start of every run.

inline TEngineState EngineState;
inline uint32_t SavedErrorMode = 0;  // the process's error mode before the window showed

inline uint16_t JobPos = 0;     // current entry, 1-based; 0 before the first
inline std::string SourceName;  // file names without folder
inline std::string TargetName;
inline std::string JobFolder;  // ends in "\"
inline int64_t SourceSize = 0;
inline bool SourceExists = false;
inline bool TargetExists = false;
// The streams are the engine's own; these say which are open and must be
// closed (the finish closes whatever is still open).
inline bool SourceOpen = false;
inline bool TargetOpen = false;
inline bool TempOpen = false;  // decrypt's "tmp.tmp"

// Progress: bytes of the task, bytes done, and the total div 400 (the bars
// have 400 steps).
inline int64_t FileTotal = 0;
inline int64_t FileDone = 0;
inline int64_t FileStep = 0;
inline int64_t OverallTotal = 0;
inline int64_t OverallDone = 0;
inline int64_t OverallStep = 0;

inline bool InsaneMode = false;     // the current file runs with the CPU boost
inline uint8_t AnimationKind = 0;   // status icon animation 1..5
inline uint8_t AnimationIcon = 0;   // current icon of the rotation, 6..23
inline uint8_t BlinkPhase = 0;      // the blinking animation's alternation
inline uint8_t BlinkCompanion = 0;  // cleared with BlinkPhase and on every blink tick

// Encrypted-file header of the current job, as built and written.
inline std::string HeaderText;
inline uint16_t HeaderLength = 0;

// Block loops: the bytes of the current block (at most 8192) and the bytes
// of the current file done by the encrypt, verify and decrypt loops.
inline uint16_t BlockLength = 0;
inline int64_t EncryptDone = 0;  // encrypt and verify
inline int64_t DecryptDone = 0;
inline bool KeyAuthenticated = false;

// Delete sub-machine: its inputs, set by the caller before it enters, and
// the overwrite passes.
inline std::string DeleteFolder;  // ends in "\"
inline std::string DeleteName;
inline int64_t DeleteSize = 0;
inline uint16_t DeleteReturnState = 0;
inline bool DeleteShowProgress = false;
inline uint8_t WipePassCount = 0;  // 2 or 6
inline uint8_t WipePass = 0;       // 1-based
inline uint16_t WipeBlockLength = 0;
inline bool WipeStreamOpen = false;

// Warnings and error reports.
inline bool WarningsOn = false;
inline bool ErrorReportsOn = false;
inline uint8_t WarningAnswer = 0;  // 1 Continue, 2 Cancel
inline uint16_t WarningContinuation = 0;
inline uint16_t ErrorCode = 0;
inline std::string ErrorType;
inline std::string ErrorDetail;
inline std::string ErrorAdvice;
inline bool RetryPossible = false;
inline std::string ErrorFileText;  // set by the failing step before it reports
inline uint8_t ErrorAnswer = 0;    // 1 Retry, 2 Skip file, 3 Stop all, 4 Skip all errors
inline uint16_t RetryState = 0;
inline uint16_t SkipState = 0;
inline bool StopRequested = false;
inline int32_t ErrorCount = 0;

// Activity log.
inline uint16_t ActionCount = 0;  // lines written with LogAction this run
inline std::string LogFileName;   // where the log window's Save writes

// =============================================================================
// Key entry and key generator
// =============================================================================
// The key text itself lives only in the key entry window's edit box.

inline uint8_t KeyLength = 0;    // length of the key text at the last refresh
inline bool CapsOn = false;      // caps state of the on-screen keyboard
inline uint8_t KeyGenState = 0;  // 1..4
inline uint16_t KeyGenTicks = 0;
inline bool KeyGenBlink = false;
inline TShortString<KeyTextMaxLength> KeyGenBuffer;

// =============================================================================
// Companion windows
// =============================================================================

// Screen lock: pixels per tick before the speed factor (-7..7), the
// furthest position on screen, and the ticks left of a wrong-password pause.
inline int32_t LockStepX = 0;
inline int32_t LockStepY = 0;
inline int32_t LockMaxLeft = 0;
inline int32_t LockMaxTop = 0;
inline uint8_t LockPenaltyTicks = 0;

// Update check.
inline uint8_t UpdatePhase = 0;    // 1 request due, 2 reply due for evaluation
inline uint8_t UpdateFrame = 0;    // animation frame 1..3
inline uint8_t UpdateFetched = 0;  // 1 when the request returned without an error
inline std::string UpdateReply;
inline std::string LatestVersion;
inline std::string DownloadAddress;

// Exit wipe: the job entry the next tick overwrites, 1..1024.
inline uint16_t WipeRow = 0;

// =============================================================================

// Every variable above back to zero or empty. The window pointers are left
// alone: they belong to whoever created the windows.
void ResetProgramState();

}  // namespace vek
