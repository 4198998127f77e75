#include "core/settings.h"

#include <initializer_list>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "core/file_info.h"
#include "core/shared_buffer.h"
#include "core/state.h"
#include "core/texts.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vek {

namespace {

// --- Record layout (1-based SharedBuffer positions) ------------------------------
constexpr int RecordSize = 1024;
constexpr int MaxFillerCount = 255;

constexpr int MarkOnePos = 1;
constexpr int MarkZeroPos = 2;
constexpr int StartCountPos = 3;
constexpr int OwnerFirstNamePos = 213;
constexpr int OwnerLastNamePos = 230;
constexpr int OwnerCompanyPos = 247;
constexpr int OwnerLocationPos = 280;
constexpr int OwnerEmailPos = 345;
constexpr int InfoLine1Pos = 410;
constexpr int InfoLine2Pos = 475;
constexpr int InfoLine3Pos = 540;
constexpr int TimestampEncryptionPos = 605;
constexpr int PreserveAttributesPos = 606;
constexpr int WindowsInformationPos = 607;
constexpr int DeletePlaintextAfterEncryptPos = 608;
constexpr int VerifyAfterEncryptPos = 609;
constexpr int DeleteEncryptedAfterDecryptPos = 610;
constexpr int DeleteMethodPos = 611;
constexpr int ShowHintsPos = 612;
constexpr int HintPausePos = 613;
constexpr int HintHidePausePos = 615;
constexpr int SaveWindowLayoutPos = 617;
constexpr int ScreenLockEnabledPos = 618;
constexpr int ScreenLockPasswordPos = 619;
constexpr int LockWindowSpeedPos = 636;
constexpr int InsaneModeThresholdPos = 637;
constexpr int WindowLeftPos = 848;  // slot i at + 8i
constexpr int WindowTopPos = 852;   // slot i at + 8i
constexpr int WindowPosStride = 8;
constexpr int ChecksumPos = 1022;
constexpr int ChecksummedBytes = 1021;

// --- Option ranges ---------------------------------------------------------------
constexpr uint8_t LastLockWindowSpeed = 5;
constexpr uint8_t LastInsaneModeThreshold = 21;
constexpr uint16_t ShortestHintPause = 100;  // then doubling up to 6400
constexpr uint16_t LongestHintPause = 6400;
constexpr uint16_t HintHidePauseStep = 1000;  // 1000..16000 in steps of 1000
constexpr uint16_t LongestHintHidePause = 16000;

constexpr uint32_t SettingsFileAttributes =
    platform::attr::ReadOnly | platform::attr::Hidden | platform::attr::System;

std::function<void()>& SaveWindowPositionsHook() {
  static std::function<void()> hook;
  return hook;
}

std::string SettingsPath() {
  return ProgramFolder + std::string(SettingsFileName);
}

// Written first under this name, beside the real one.
std::string TemporarySettingsPath() {
  return SettingsPath() + ".tmp";
}

// The key for N filler bytes: the extension of file-type row N + 1.
void SetSettingsKey(int fillerCount) {
  KeyState.SetKey(FileTypeRow(fillerCount + 1).Extension);
}

int WindowLeftPosition(size_t slot) {
  return WindowLeftPos + WindowPosStride * static_cast<int>(slot);
}
int WindowTopPosition(size_t slot) {
  return WindowTopPos + WindowPosStride * static_cast<int>(slot);
}

// --- Building the record -----------------------------------------------------------

// Seeds the random generator from the clock, fills the record and the
// file's tail with random bytes, and draws the filler count.
int DrawFiller() {
  CaptureNow();
  platform::RandSeed = uint32_t{NowMSec} * NowSec + NowHour + NowDay;
  for (size_t i = 0; i < static_cast<size_t>(RecordSize); ++i) {
    SharedBuffer[i] = static_cast<uint8_t>(platform::Random(256));
    SharedBuffer2[i] = static_cast<uint8_t>(platform::Random(256));
  }
  return static_cast<int>(platform::Random(MaxFillerCount + 1));
}

void StoreOptions() {
  PutByte(MarkOnePos, 1);
  PutByte(MarkZeroPos, 0);
  PutDWord(StartCountPos, StartCount);
  PutString(OwnerFirstNamePos, OwnerFirstName.Text());
  PutString(OwnerLastNamePos, OwnerLastName.Text());
  PutString(OwnerCompanyPos, OwnerCompany.Text());
  PutString(OwnerLocationPos, OwnerLocation.Text());
  PutString(OwnerEmailPos, OwnerEmail.Text());
  PutString(InfoLine1Pos, InfoLine1.Text());
  PutString(InfoLine2Pos, InfoLine2.Text());
  PutString(InfoLine3Pos, InfoLine3.Text());
  PutBool(TimestampEncryptionPos, TimestampEncryption);
  PutBool(PreserveAttributesPos, PreserveAttributes);
  PutBool(WindowsInformationPos, WindowsInformation);
  PutBool(DeletePlaintextAfterEncryptPos, DeletePlaintextAfterEncrypt);
  PutBool(VerifyAfterEncryptPos, VerifyAfterEncrypt);
  PutBool(DeleteEncryptedAfterDecryptPos, DeleteEncryptedAfterDecrypt);
  PutByte(DeleteMethodPos, DeleteMethod);
  PutBool(ShowHintsPos, ShowHints);
  PutWord(HintPausePos, HintPause);
  PutWord(HintHidePausePos, HintHidePause);
  PutBool(SaveWindowLayoutPos, SaveWindowLayout);
  PutBool(ScreenLockEnabledPos, ScreenLockEnabled);
  PutString(ScreenLockPasswordPos, ScreenLockPassword.Text());
  PutByte(LockWindowSpeedPos, LockWindowSpeed);
  PutByte(InsaneModeThresholdPos, InsaneModeThreshold);
}

void StoreWindowPositions() {
  if (const auto& hook = SaveWindowPositionsHook()) hook();
  for (size_t slot = 0; slot < WindowSlotCount; ++slot) {
    PutDWord(WindowLeftPosition(slot), WindowLeft[slot]);
    PutDWord(WindowTopPosition(slot), WindowTop[slot]);
  }
}

// Builds and enciphers the record in SharedBuffer (the tail's filler in
// SharedBuffer2) and returns the filler count.
int BuildEncipheredRecord() {
  const int fillerCount = DrawFiller();
  StoreOptions();
  if (SaveWindowLayout) StoreWindowPositions();
  PutWord(ChecksumPos, SettingsChecksum());
  SetSettingsKey(fillerCount);
  KeyState.EncipherBlock(SharedBuffer.data(), RecordSize);
  return fillerCount;
}

// --- Writing the file ----------------------------------------------------------------

bool WriteAll(platform::FileStream& stream, const uint8_t* bytes, int64_t count) {
  return count == 0 || stream.Write(bytes, count) == count;
}

// The record and `fillerCount` filler bytes, pushed through to the disk,
// in a file made anew for the user alone: one that holds the name already
// (left by a failed save, or put there by someone else) is removed, never
// written into. `made` is the file made, for the steps after.
bool WriteSettingsFile(const std::string& path, int fillerCount, platform::FileIdentity& made) {
  int error = 0;
  auto stream = platform::FileStream::Open(path, platform::FileMode::CreateNew,
                                           platform::ShareMode::Exclusive, &error);
  if (!stream && error == platform::err::FileExists && platform::DeleteFile(path)) {
    stream = platform::FileStream::Open(path, platform::FileMode::CreateNew,
                                        platform::ShareMode::Exclusive);
  }
  if (stream) made = stream->Identity();
  return stream && WriteAll(*stream, SharedBuffer.data(), RecordSize) &&
         WriteAll(*stream, SharedBuffer2.data(), fillerCount) && stream->Flush() && stream->Close();
}

// Moves `from` over `to` in one step. The old file is read-only, which the
// replacement refuses, so its attributes are cleared first and put back
// when the replacement fails. Only the file this save wrote may take the
// name: another one put under `from` meanwhile fails the save. The
// program's folder is the user's own and may be reached through a link.
bool ReplaceSettingsFile(const std::string& from, const std::string& to,
                         const platform::FileIdentity& written) {
  const std::optional<uint32_t> oldAttributes = platform::GetAttributes(to);
  if (oldAttributes && !platform::SetAttributes(to, 0)) return false;
  if (platform::RenameListedFile(from, to, written, true, platform::FolderLinks::Followed)) {
    return true;
  }
  if (oldAttributes) platform::SetAttributes(to, *oldAttributes);
  return false;
}

// --- Reading the file ----------------------------------------------------------------

// The first RecordSize bytes of the file into SharedBuffer.
bool ReadRecord() {
  const auto stream = platform::FileStream::Open(SettingsPath(), platform::FileMode::OpenRead,
                                                 platform::ShareMode::DenyNone);
  return stream && stream->Read(SharedBuffer.data(), RecordSize) == RecordSize;
}

bool IsHintPause(uint16_t milliseconds) {
  for (unsigned pause = ShortestHintPause; pause <= LongestHintPause; pause *= 2) {
    if (milliseconds == pause) return true;
  }
  return false;
}

bool IsHintHidePause(uint16_t milliseconds) {
  return milliseconds % HintHidePauseStep == 0 && milliseconds >= HintHidePauseStep &&
         milliseconds <= LongestHintHidePause;
}

bool IsInRange(uint8_t value, uint8_t first, uint8_t last) {
  return value >= first && value <= last;
}

// `value` when `valid`, else `fallback`: a stored value that no table of the
// program can take gives way to the option's default.
template <class T>
T Checked(T value, bool valid, T fallback) {
  return valid ? value : fallback;
}

void UnpackOptions() {
  StartCount = GetDWord(StartCountPos);
  OwnerFirstName.Assign(GetString(OwnerFirstNamePos));
  OwnerLastName.Assign(GetString(OwnerLastNamePos));
  OwnerCompany.Assign(GetString(OwnerCompanyPos));
  OwnerLocation.Assign(GetString(OwnerLocationPos));
  OwnerEmail.Assign(GetString(OwnerEmailPos));
  InfoLine1.Assign(GetString(InfoLine1Pos));
  InfoLine2.Assign(GetString(InfoLine2Pos));
  InfoLine3.Assign(GetString(InfoLine3Pos));
  TimestampEncryption = GetBool(TimestampEncryptionPos);
  PreserveAttributes = GetBool(PreserveAttributesPos);
  WindowsInformation = GetBool(WindowsInformationPos);
  DeletePlaintextAfterEncrypt = GetBool(DeletePlaintextAfterEncryptPos);
  VerifyAfterEncrypt = GetBool(VerifyAfterEncryptPos);
  DeleteEncryptedAfterDecrypt = GetBool(DeleteEncryptedAfterDecryptPos);
  const uint8_t method = GetByte(DeleteMethodPos);
  DeleteMethod =
      Checked(method, IsInRange(method, DeleteNormal, DeleteTriplePass), DefaultDeleteMethod);
  ShowHints = GetBool(ShowHintsPos);
  const uint16_t pause = GetWord(HintPausePos);
  HintPause = Checked(pause, IsHintPause(pause), DefaultHintPause);
  const uint16_t hidePause = GetWord(HintHidePausePos);
  HintHidePause = Checked(hidePause, IsHintHidePause(hidePause), DefaultHintHidePause);
  SaveWindowLayout = GetBool(SaveWindowLayoutPos);
  ScreenLockEnabled = GetBool(ScreenLockEnabledPos);
  ScreenLockPassword.Assign(GetString(ScreenLockPasswordPos));
  const uint8_t speed = GetByte(LockWindowSpeedPos);
  LockWindowSpeed =
      Checked(speed, IsInRange(speed, 1, LastLockWindowSpeed), DefaultLockWindowSpeed);
  const uint8_t threshold = GetByte(InsaneModeThresholdPos);
  InsaneModeThreshold =
      Checked(threshold, threshold <= LastInsaneModeThreshold, DefaultInsaneModeThreshold);
}

void UnpackWindowPositions() {
  for (size_t slot = 0; slot < WindowSlotCount; ++slot) {
    WindowLeft[slot] = GetDWord(WindowLeftPosition(slot));
    WindowTop[slot] = GetDWord(WindowTopPosition(slot));
  }
}

}  // namespace

void ApplyDefaultSettings() {
  StartCount = 0;
  std::apply([](auto&... text) { (text.Clear(), ...); },
             std::tie(OwnerFirstName, OwnerLastName, OwnerCompany, OwnerLocation, OwnerEmail,
                      InfoLine1, InfoLine2, InfoLine3, ScreenLockPassword));
  for (bool* flag : {&TimestampEncryption, &PreserveAttributes, &WindowsInformation,
                     &DeletePlaintextAfterEncrypt, &VerifyAfterEncrypt,
                     &DeleteEncryptedAfterDecrypt, &ShowHints}) {
    *flag = DefaultFlagOption;
  }
  DeleteMethod = DefaultDeleteMethod;
  HintPause = DefaultHintPause;
  HintHidePause = DefaultHintHidePause;
  SaveWindowLayout = false;
  ScreenLockEnabled = false;
  LockWindowSpeed = DefaultLockWindowSpeed;
  InsaneModeThreshold = DefaultInsaneModeThreshold;
}

TEmbeddedData OptionsOwner() {
  TEmbeddedData owner;
  owner.OwnerFirstName = OwnerFirstName;
  owner.OwnerLastName = OwnerLastName;
  owner.OwnerCompany = OwnerCompany;
  owner.OwnerLocation = OwnerLocation;
  owner.OwnerEmail = OwnerEmail;
  owner.InfoLines = {InfoLine1, InfoLine2, InfoLine3};
  return owner;
}

uint16_t SettingsChecksum() {
  const unsigned sum =
      std::accumulate(SharedBuffer.begin(), SharedBuffer.begin() + ChecksummedBytes, 0u,
                      [](unsigned total, uint8_t byte) { return total + byte; });
  return static_cast<uint16_t>(sum);
}

bool SettingsFileExists() {
  return platform::FileExists(SettingsPath());
}

bool SaveSettings() {
  const int fillerCount = BuildEncipheredRecord();
  const std::string path = SettingsPath();
  const std::string temporary = TemporarySettingsPath();
  platform::FileIdentity made;
  if (!WriteSettingsFile(temporary, fillerCount, made) ||
      !ReplaceSettingsFile(temporary, path, made)) {
    // never a file swapped in
    platform::DeleteListedFile(temporary, made, platform::FolderLinks::Followed);
    return false;
  }
  // The settings are in place; attributes the file system cannot keep are
  // no reason to report a failure.
  platform::SetAttributes(path, SettingsFileAttributes);
  return true;
}

bool LoadSettings() {
  if (!SettingsFileExists()) return false;
  ReadFileInfo(ProgramFolder, std::string(SettingsFileName));
  const int64_t fillerCount = CurrentFile.Size - RecordSize;
  if (fillerCount < 0 || fillerCount > MaxFillerCount || !ReadRecord()) return false;
  SetSettingsKey(static_cast<int>(fillerCount));
  KeyState.DecipherBlock(SharedBuffer.data(), RecordSize);
  if (GetWord(ChecksumPos) != SettingsChecksum()) return false;
  if (GetByte(MarkOnePos) != 1 || GetByte(MarkZeroPos) != 0) return false;
  UnpackOptions();
  if (SaveWindowLayout) UnpackWindowPositions();
  return true;
}

void SetSaveWindowPositionsHook(std::function<void()> hook) {
  SaveWindowPositionsHook() = std::move(hook);
}

}  // namespace vek
