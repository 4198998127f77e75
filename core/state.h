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
  friend bool operator==(const TCurrentFile&, const TCurrentFile&) = default;
};

// The embedded-data editor's working copy of a plain job entry.
struct TEditedEntry {
  std::string Name;
  int64_t Size = 0;
  TEmbeddedData Owner;
  bool HasTimestamp = false;
  bool PreserveAttributes = false;
  bool HasWindowsInfo = false;
  friend bool operator==(const TEditedEntry&, const TEditedEntry&) = default;
};

// The engine's state machine: each tick copies Current into Next, runs the
// step that Current names, then takes Next. Dialog buttons, which run
// between ticks, write Current.
struct TEngineState {
  uint16_t Current = 0;
  uint16_t Next = 0;
  friend bool operator==(const TEngineState&, const TEngineState&) = default;
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
// Program-wide variables
// =============================================================================
// Each group below is one list, VEK_..._VARIABLES(X), with one X(Name, Type)
// line per variable. The list declares the variables (zero or empty at
// start) and gives the group its ForEach... visitor, which calls
// `visit("Name", Name)` for every variable in the list's order. The start
// state reset, the engine's run reset, the exit wipe and its test all walk
// these visitors, so a variable added to a group is reset, wiped and checked
// without another edit.

using TSharedBufferBytes = std::array<uint8_t, SharedBufferSize>;
using TWindowPositions = std::array<int32_t, WindowSlotCount>;
using TDriveKindTable = std::array<uint8_t, DriveLetterCount + 1>;
using TVolumeFlagSet = std::array<bool, VolumeFlagCount>;

// Cipher and work buffers.
//   KeyState: the one key state. Set by SetKey right before each run of
//     bytes: the engine (per file, again for verification, per decrypted
//     file) and the settings writer and reader. The engine's cancel clears it.
//   RunKeystream: the keystream an engine run has computed under its key,
//     kept for the later files of the run and their verification. Wiped at
//     the end of every run, on every way out of one, and by the exit wipe.
//   SharedBuffer, SharedBuffer2: work buffers, addressed by positions
//     1..8192 through the settings accessors (position p is element p - 1).
//     SharedBuffer holds one use at a time: the settings record, the header
//     of a file under examination, or the engine's current block (also the
//     overwrite pattern). SharedBuffer2 holds the settings file's random
//     filler and the engine's verify block. Neither is cleared between uses.
#define VEK_CIPHER_VARIABLES(X)       \
  X(KeyState, TKeyState)              \
  X(RunKeystream, TKeystreamStore)    \
  X(SharedBuffer, TSharedBufferBytes) \
  X(SharedBuffer2, TSharedBufferBytes)

// Current moment: written only by CaptureNow; read after a capture by the
// engine's log and header, the key generator and the settings writer.
#define VEK_NOW_VARIABLES(X)                                 \
  X(NowYear, uint16_t)                                       \
  X(NowMonth, uint16_t)     /* 1..12 */                      \
  X(NowDay, uint16_t)       /* 1..31 */                      \
  X(NowDayOfWeek, uint16_t) /* 1 = Sunday .. 7 = Saturday */ \
  X(NowHour, uint16_t)      /* 0..23 */                      \
  X(NowMin, uint16_t)                                        \
  X(NowSec, uint16_t)                                        \
  X(NowMSec, uint16_t) /* 0..999 */

// Options (the settings record): loaded from the settings file or defaulted
// by the start-up, changed by the options dialog's Apply, stored by the
// settings writer; read everywhere. The owner fields are the default owner
// data for new encrypted files.
//   WindowLeft, WindowTop: window positions, slot i for window number i + 1
//     (TForm1 in slot 0 .. TForm21 in slot 20; numbers without a window stay
//     0). Captured by SaveWindowPositions, stored in the settings when
//     SaveWindowLayout is on, applied by RestoreWindowPositions.
#define VEK_OPTION_VARIABLES(X)                                                     \
  X(StartCount, int32_t) /* starts so far, this one included */                     \
  X(OwnerFirstName, TShortString<16>)                                               \
  X(OwnerLastName, TShortString<16>)                                                \
  X(OwnerCompany, TShortString<32>)                                                 \
  X(OwnerLocation, TShortString<64>)                                                \
  X(OwnerEmail, TShortString<64>)                                                   \
  X(InfoLine1, TShortString<64>)                                                    \
  X(InfoLine2, TShortString<64>)                                                    \
  X(InfoLine3, TShortString<64>)                                                    \
  X(TimestampEncryption, bool)                                                      \
  X(PreserveAttributes, bool)                                                       \
  X(WindowsInformation, bool)                                                       \
  X(DeletePlaintextAfterEncrypt, bool)                                              \
  X(VerifyAfterEncrypt, bool)                                                       \
  X(DeleteEncryptedAfterDecrypt, bool)                                              \
  X(DeleteMethod, uint8_t) /* DeleteNormal, DeleteSinglePass or DeleteTriplePass */ \
  X(ShowHints, bool)                                                                \
  X(HintPause, uint16_t)     /* milliseconds */                                     \
  X(HintHidePause, uint16_t) /* milliseconds */                                     \
  X(SaveWindowLayout, bool)                                                         \
  X(ScreenLockEnabled, bool)                                                        \
  X(ScreenLockPassword, TShortString<16>)                                           \
  X(LockWindowSpeed, uint8_t)     /* 1..5 */                                        \
  X(InsaneModeThreshold, uint8_t) /* 0 never, 1..20 above 2^(i-1) MB, 21 always */  \
  X(WindowLeft, TWindowPositions)                                                   \
  X(WindowTop, TWindowPositions)

// System and drive information. Version, machine texts and drive kinds: set
// once by the start-up. Drive figures and volume data: overwritten by every
// measurement and describing the last drive measured (free-space checks,
// drive information window).
//   DriveKinds: drive kind of letters A..Z at [1]..[26]; [0] is unused.
//   Drive...: the drive figures; -1 byte figures mean a drive without figures.
//   VolumeFlags: capabilities of the last volume queried; capability k
//     (1..12) at [k - 1].
#define VEK_SYSTEM_INFORMATION_VARIABLES(X)            \
  X(WindowsVersionCode, uint8_t) /* 0 unknown, 1..9 */ \
  X(WindowsMajorVersion, uint32_t)                     \
  X(WindowsMinorVersion, uint32_t)                     \
  X(WindowsBuildNumber, uint32_t)                      \
  X(WindowsVersionText, std::string)                   \
  X(WindowsComputerName, std::string)                  \
  X(WindowsRegisteredOwner, std::string)               \
  X(WindowsRegisteredOrganization, std::string)        \
  X(WindowsProductId, std::string)                     \
  X(DriveKinds, TDriveKindTable)                       \
  X(DriveBytesPerSector, int64_t)                      \
  X(DriveSectorsPerCluster, int64_t)                   \
  X(DriveBytesPerCluster, int64_t)                     \
  X(DriveUsedClusters, int64_t)                        \
  X(DriveFreeClusters, int64_t)                        \
  X(DriveTotalClusters, int64_t)                       \
  X(DriveUsedBytes, int64_t)                           \
  X(DriveFreeBytes, int64_t)                           \
  X(DriveTotalBytes, int64_t)                          \
  X(DriveUsedPercent, uint8_t) /* 0..100 */            \
  X(VolumeFileSystem, std::string)                     \
  X(VolumeFlags, TVolumeFlagSet)

// Start-up and run selection.
//   ExitRequested: set by the main window's exit button and the update
//     window's download button; while it is clear the main and processing
//     windows refuse to close. The exit wipe clears it before it closes the
//     windows.
//   ConfirmDeletes: the delete confirmation's prompt box; true at every
//     start, never stored.
//   RunMode: set before a run: RunEncrypt, RunDecrypt, RunDeleteFile,
//     RunDeleteJobList.
#define VEK_START_UP_VARIABLES(X)                                              \
  X(ProgramFolder, std::string) /* folder of the settings file, ends in "\" */ \
  X(ExitRequested, bool)                                                       \
  X(ConfirmDeletes, bool)                                                      \
  X(RunMode, uint8_t)

// Job list and examined files.
//   JobList: changed by the main window (add, remove, clear), the
//     embedded-data editor (owner data and flags), the engine (timestamps;
//     cleared after a job-list delete run) and the exit wipe.
//   CurrentFile: the file last examined in the main window (after start-up:
//     the settings file, which the loader measures). The engine's one-file
//     delete and the main window's panel read it.
//   ViewerRecord: what the embedded-data viewer shows: the main window and
//     the editor fill it before they show the viewer, leaving CurrentFile to
//     the browser.
//   EditedEntry: written by the main window's grid double click, read by the
//     editor's show.
#define VEK_JOB_DATA_VARIABLES(X) \
  X(JobList, TJobList)            \
  X(CurrentFile, TCurrentFile)    \
  X(ViewerRecord, TCurrentFile)   \
  X(EditedEntry, TEditedEntry)

// Processing window: owned by the engine for as long as it exists.
//   SourceOpen, TargetOpen, TempOpen: the streams are the engine's own;
//     these say which are open and must be closed (the finish closes
//     whatever is still open). TempOpen is decrypt's "tmp.tmp".
#define VEK_ENGINE_VARIABLES(X)                                                       \
  X(EngineState, TEngineState)                                                        \
  X(SavedErrorMode, uint32_t) /* the process's error mode before the window showed */ \
  X(SourceOpen, bool)                                                                 \
  X(TargetOpen, bool)                                                                 \
  X(TempOpen, bool)                                                                   \
  X(AnimationKind, uint8_t) /* status icon animation 1..5 */

// Engine run: reset at the start of every run.
//   FileTotal .. OverallStep: progress: bytes of the task, bytes done, and
//     the total div 400 (the bars have 400 steps).
//   HeaderText, HeaderLength: encrypted-file header of the current job, as
//     built and written.
//   BlockLength, EncryptDone, DecryptDone: block loops: the bytes of the
//     current block (at most 8192) and the bytes of the current file done by
//     the encrypt (and verify) and decrypt loops.
#define VEK_RUN_VARIABLES(X)                                                       \
  X(JobPos, uint16_t)        /* current entry, 1-based; 0 before the first */      \
  X(SourceName, std::string) /* file names without folder */                       \
  X(TargetName, std::string)                                                       \
  X(JobFolder, std::string) /* ends in "\" */                                      \
  X(SourceSize, int64_t)                                                           \
  X(SourceExists, bool)                                                            \
  X(TargetExists, bool)                                                            \
  X(FileTotal, int64_t)                                                            \
  X(FileDone, int64_t)                                                             \
  X(FileStep, int64_t)                                                             \
  X(OverallTotal, int64_t)                                                         \
  X(OverallDone, int64_t)                                                          \
  X(OverallStep, int64_t)                                                          \
  X(InsaneMode, bool)        /* the current file runs with the CPU boost */        \
  X(AnimationIcon, uint8_t)  /* current icon of the rotation, 6..23 */             \
  X(BlinkPhase, uint8_t)     /* the blinking animation's alternation */            \
  X(BlinkCompanion, uint8_t) /* cleared with BlinkPhase and on every blink tick */ \
  X(HeaderText, std::string)                                                       \
  X(HeaderLength, uint16_t)                                                        \
  X(BlockLength, uint16_t)                                                         \
  X(EncryptDone, int64_t)                                                          \
  X(DecryptDone, int64_t)                                                          \
  X(KeyAuthenticated, bool)

// Delete sub-machine: its inputs, set by the caller before it enters, and
// the overwrite passes.
#define VEK_DELETE_VARIABLES(X)                  \
  X(DeleteFolder, std::string) /* ends in "\" */ \
  X(DeleteName, std::string)                     \
  X(DeleteSize, int64_t)                         \
  X(DeleteReturnState, uint16_t)                 \
  X(DeleteShowProgress, bool)                    \
  X(WipePassCount, uint8_t) /* 2 or 6 */         \
  X(WipePass, uint8_t)      /* 1-based */        \
  X(WipeBlockLength, uint16_t)                   \
  X(WipeStreamOpen, bool)

// Warnings and error reports.
#define VEK_WARNING_AND_ERROR_VARIABLES(X)                                                \
  X(WarningsOn, bool)                                                                     \
  X(ErrorReportsOn, bool)                                                                 \
  X(WarningAnswer, uint8_t) /* 1 Continue, 2 Cancel */                                    \
  X(WarningContinuation, uint16_t)                                                        \
  X(ErrorCode, uint16_t)                                                                  \
  X(ErrorType, std::string)                                                               \
  X(ErrorDetail, std::string)                                                             \
  X(ErrorAdvice, std::string)                                                             \
  X(RetryPossible, bool)                                                                  \
  X(ErrorFileText, std::string) /* set by the failing step before it reports */           \
  X(ErrorAnswer, uint8_t)       /* 1 Retry, 2 Skip file, 3 Stop all, 4 Skip all errors */ \
  X(RetryState, uint16_t)                                                                 \
  X(SkipState, uint16_t)                                                                  \
  X(StopRequested, bool)                                                                  \
  X(ErrorCount, int32_t)

// Activity log.
#define VEK_ACTIVITY_LOG_VARIABLES(X)                                     \
  X(ActionCount, uint16_t)    /* lines written with LogAction this run */ \
  X(LogFileName, std::string) /* where the log window's Save writes */

// Key entry and key generator. The key text itself lives only in the key
// entry window's edit box.
#define VEK_KEY_ENTRY_VARIABLES(X)                                         \
  X(KeyLength, uint8_t)   /* length of the key text at the last refresh */ \
  X(CapsOn, bool)         /* caps state of the on-screen keyboard */       \
  X(KeyGenState, uint8_t) /* 1..4 */                                       \
  X(KeyGenTicks, uint16_t)                                                 \
  X(KeyGenBlink, bool)                                                     \
  X(KeyGenBuffer, TShortString<KeyTextMaxLength>)

// Companion windows.
//   Lock...: screen lock: pixels per tick before the speed factor (-7..7),
//     the furthest position on screen, and the ticks left of a
//     wrong-password pause.
//   Update...: update check.
//   WipeRow: exit wipe: the job entry the next tick overwrites, 1..1024.
#define VEK_COMPANION_WINDOW_VARIABLES(X)                                      \
  X(LockStepX, int32_t)                                                        \
  X(LockStepY, int32_t)                                                        \
  X(LockMaxLeft, int32_t)                                                      \
  X(LockMaxTop, int32_t)                                                       \
  X(LockPenaltyTicks, uint8_t)                                                 \
  X(UpdatePhase, uint8_t)   /* 1 request due, 2 reply due for evaluation */    \
  X(UpdateFrame, uint8_t)   /* animation frame 1..3 */                         \
  X(UpdateFetched, uint8_t) /* 1 when the request returned without an error */ \
  X(UpdateReply, std::string)                                                  \
  X(LatestVersion, std::string)                                                \
  X(DownloadAddress, std::string)                                              \
  X(WipeRow, uint16_t)

#define VEK_DECLARE_STATE_VARIABLE(Name, ...) inline __VA_ARGS__ Name{};
#define VEK_VISIT_STATE_VARIABLE(Name, ...) visit(#Name, Name);
#define VEK_STATE_GROUP(List, Visitor)                \
  List(VEK_DECLARE_STATE_VARIABLE) template <class V> \
  void Visitor(V&& visit) {                           \
    List(VEK_VISIT_STATE_VARIABLE)                    \
  }

VEK_STATE_GROUP(VEK_CIPHER_VARIABLES, ForEachCipherVariable)
VEK_STATE_GROUP(VEK_NOW_VARIABLES, ForEachNowVariable)
VEK_STATE_GROUP(VEK_OPTION_VARIABLES, ForEachOption)
VEK_STATE_GROUP(VEK_SYSTEM_INFORMATION_VARIABLES, ForEachSystemInformation)
VEK_STATE_GROUP(VEK_START_UP_VARIABLES, ForEachStartUpVariable)
VEK_STATE_GROUP(VEK_JOB_DATA_VARIABLES, ForEachJobDataVariable)
VEK_STATE_GROUP(VEK_ENGINE_VARIABLES, ForEachEngineVariable)
VEK_STATE_GROUP(VEK_RUN_VARIABLES, ForEachRunVariable)
VEK_STATE_GROUP(VEK_DELETE_VARIABLES, ForEachDeleteVariable)
VEK_STATE_GROUP(VEK_WARNING_AND_ERROR_VARIABLES, ForEachWarningAndErrorVariable)
VEK_STATE_GROUP(VEK_ACTIVITY_LOG_VARIABLES, ForEachActivityLogVariable)
VEK_STATE_GROUP(VEK_KEY_ENTRY_VARIABLES, ForEachKeyEntryVariable)
VEK_STATE_GROUP(VEK_COMPANION_WINDOW_VARIABLES, ForEachCompanionWindowVariable)

#undef VEK_STATE_GROUP
#undef VEK_VISIT_STATE_VARIABLE
#undef VEK_DECLARE_STATE_VARIABLE

// Every variable of every group above, group by group.
template <class V>
void ForEachProgramVariable(V&& visit) {
  ForEachCipherVariable(visit);
  ForEachNowVariable(visit);
  ForEachOption(visit);
  ForEachSystemInformation(visit);
  ForEachStartUpVariable(visit);
  ForEachJobDataVariable(visit);
  ForEachEngineVariable(visit);
  ForEachRunVariable(visit);
  ForEachDeleteVariable(visit);
  ForEachWarningAndErrorVariable(visit);
  ForEachActivityLogVariable(visit);
  ForEachKeyEntryVariable(visit);
  ForEachCompanionWindowVariable(visit);
}

// =============================================================================

// Every variable above back to zero or empty. The window pointers are left
// alone: they belong to whoever created the windows.
void ResetProgramState();

}  // namespace vek
