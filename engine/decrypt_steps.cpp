// Decrypt and key authentication, states 0x4000-0x4F00: per genuine
// encrypted entry of the job list the data region is deciphered into a
// temporary file beside it, and only when the key state after the last
// byte equals the file's key-check block does that file take the plain
// name. The encrypted file is handed to the delete states only once the
// plain file stands complete under its name.
//
// Nothing the program did not create is destroyed on the way: the
// temporary file is created under a name that nothing holds, and an
// existing target is replaced in one step, and only when the user agreed
// to it (or switched the question off).

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "core/file_info.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vek {

namespace {

constexpr std::string_view BoostCaption = " Task details : (Insane CPU mode activated) ";
constexpr std::string_view NotGenuineMessage =
    "Not a genuine VEK 1024 Bit encrypted file (or is corrupted?).";
constexpr std::string_view EncryptedExtension = ".vek";
constexpr std::string_view TempFileText = "(VEK temporary file)";

// The plain name: without a final ".vek" (exactly so, and not the whole
// name), else marked as not having that extension.
std::string DecryptedName(const std::string& name) {
  const size_t n = EncryptedExtension.size();
  if (name.size() > n && name.compare(name.size() - n, n, EncryptedExtension) == 0) {
    return name.substr(0, name.size() - n);
  }
  return "(Encrypted extension not .vek) " + name;
}

}  // namespace

// --- Totals and next job ------------------------------------------------------------

void TForm8::StepDecryptTotals() {
  OverallDone = 0;
  for (uint16_t i = 1; i <= JobEntryCount(); ++i) {
    if (!JobList.IsVekFile[i]) continue;
    OverallTotal += JobList.ContentSize[i];
    if (DeleteEncryptedAfterDecrypt) OverallTotal += OverwriteProgressBytes(JobList.Size[i]);
  }
  OverallStep = OverallTotal / ProgressSteps;
  SetNextState(StateDecryptNextFile);
}

void TForm8::StepDecryptNextFile() {
  // Whatever the last file left open (a skip, a warning) goes before the next.
  CloseAllStreams();
  SetAnimation(AnimationRotate);
  Label14->SetCaption("Checking authentication of specified key in encrypted file");
  if (JobPos == 0) StartActivityLog(LogHeadDecrypt);
  LogAction(" ");
  ++JobPos;
  if (JobPos > JobEntryCount() || StopRequested) {
    SetNextState(StateFinish);
    return;
  }
  SourceName = JobList.Name[JobPos];
  JobFolder = JobList.Folder[JobPos];
  if (!JobList.IsVekFile[JobPos]) {
    RaiseWarning(false, SourceName, StateDecryptNextFile, std::string(NotGenuineMessage));
    return;
  }
  SourceSize = JobList.Size[JobPos];
  if (BoostApplies(SourceSize)) {
    ShowBoost(platform::HighPriorityClass, BoostCaption);
  } else {
    ShowBoost(platform::NormalPriorityClass, TaskDetailsCaption);
  }
  TargetName = DecryptedName(SourceName);
  BeginJob(StateDecryptFindSource);
}

// --- Checks -----------------------------------------------------------------------------

// A missing source is reported with 0x4003 to retry, which searches again.
void TForm8::StepDecryptFindSource() {
  FindSource(StateDecryptCheckTarget, StateDecryptRetrySource, StateDecryptNextFile);
}

void TForm8::StepDecryptRetrySource() {
  RetrySourceAnswer(StateDecryptFindSource, StateDecryptNextFile);
}

void TForm8::StepDecryptCheckTarget() {
  CheckTarget(StateDecryptCheckSpace, StateDecryptOverwriteAnswer);
}

void TForm8::StepDecryptOverwriteAnswer() {
  SetNextState(WarningAnswer == WarningAnswerContinue ? StateDecryptCheckSpace
                                                      : StateDecryptNextFile);
}

void TForm8::StepDecryptCheckSpace() {
  SetAnimation(AnimationRotate);
  CheckFreeSpace(JobList.ContentSize[JobPos], SourceName, StateDecryptSetKey, StateDecryptNextFile);
}

void TForm8::StepDecryptSetKey() {
  if (SetKeyFromKeyEntry()) SetNextState(StateDecryptOpenSource);
}

// --- Source and temporary file ----------------------------------------------------------

// The file may have changed since it was listed: its header is read again,
// and its size, the size field and the room for the data and the key-check
// block must still be what the entry says. Anything else is not the file
// that was listed, and nothing of it is deciphered.
void TForm8::StepDecryptOpenSource() {
  CloseSource();  // a retry opens afresh
  if (!OpenForReading(SourceStream, SourceOpen, SourcePath(), SourceName,
                      platform::err::FileNotFound) ||
      !SourceIsListedFile(StateDecryptNextFile)) {
    return;
  }
  switch (SourceStillAsListed()) {
    case TListedCheck::AsListed:
      break;
    case TListedCheck::Unreadable:  // a failing device, not a bad file: it may be retried
      CloseSource();
      ErrorFileText = SourceName;
      RaiseError(platform::err::FileNotFound, StateDecryptOpenSource);
      return;
    case TListedCheck::Changed:
      CloseSource();
      RaiseWarning(false, SourceName, StateDecryptNextFile, std::string(NotGenuineMessage));
      return;
  }
  const int64_t dataStart = SourceSize - JobList.ContentSize[JobPos] - KeyCheckLength;
  if (!SourceStream->Seek(dataStart)) {
    CloseSource();
    ErrorFileText = SourceName;
    RaiseError(platform::err::FileNotFound, StateDecryptOpenSource);
    return;
  }
  SetNextState(StateDecryptCreateTemp);
}

TForm8::TListedCheck TForm8::SourceStillAsListed() {
  preservedAttributes_.reset();
  sourcePermissions_ = SourceStream->Permissions();
  const int64_t size = SourceStream->Size();
  if (size < 0) return TListedCheck::Unreadable;
  if (size != JobList.Size[JobPos]) return TListedCheck::Changed;
  TCurrentFile header;
  const std::optional<uint8_t> status = ReadHeader(*SourceStream, header);
  if (!status) return TListedCheck::Unreadable;
  if (*status != TCurrentFile::StatusVekFile) return TListedCheck::Changed;
  preservedAttributes_ =
      header.PreserveAttributes ? std::optional<uint32_t>(header.HeaderAttributes) : std::nullopt;
  const bool asListed =
      header.ContentSize == JobList.ContentSize[JobPos] && SizeFieldFits(header, size);
  return asListed ? TListedCheck::AsListed : TListedCheck::Changed;
}

void TForm8::StepDecryptCreateTemp() {
  if (!CreateTempFile(TempStream, TempOpen)) {
    ErrorFileText = TempFileText;
    RaiseError(platform::err::NotReady, StateDecryptCreateTemp);
    return;
  }
  Label1->SetCaption("Authenticating key specified...");
  DecryptDone = 0;
  SetNextState(StateDecryptReadBlock);
}

// --- Deciphering ---------------------------------------------------------------------------

void TForm8::StepDecryptReadBlock() {
  BlockLength = static_cast<uint16_t>(
      std::min<int64_t>(JobList.ContentSize[JobPos] - DecryptDone, SharedBufferSize));
  if (ReadExactly(*SourceStream, SharedBuffer.data(), BlockLength, SourceName,
                  platform::err::FileNotFound) >= 0) {
    SetNextState(StateDecipherBlock);
  }
}

void TForm8::StepDecipherBlock() {
  if (!CipherBlockInSlices(true)) return;
  SetNextState(StateDecryptWriteBlock);
}

void TForm8::StepDecryptWriteBlock() {
  if (WriteOrRaise(*TempStream, SharedBuffer.data(), BlockLength, SourceName)) {
    SetNextState(StateDecryptAdvance);
  }
}

// The last block is not counted in the progress figures.
void TForm8::StepDecryptAdvance() {
  DecryptDone += BlockLength;
  if (DecryptDone < JobList.ContentSize[JobPos]) {
    AdvanceProgress(BlockLength);
    SetNextState(StateDecryptReadBlock);
  } else {
    SetNextState(StateReadKeyCheck);
  }
}

void TForm8::StepReadKeyCheck() {
  if (ReadExactly(*SourceStream, SharedBuffer.data(), KeyCheckLength, SourceName,
                  platform::err::FileNotFound) < 0) {
    return;
  }
  KeyAuthenticated = std::memcmp(SharedBuffer.data(), KeyState.State, KeyCheckLength) == 0;
  SetNextState(StateDecryptCloseSource);
}

void TForm8::StepDecryptCloseSource() {
  CloseSource();
  SetNextState(StateDecryptCloseTemp);
}

// The plain data must be on the device before the encrypted file may go.
void TForm8::StepDecryptCloseTemp() {
  const bool closed = TempStream->Flush() && TempStream->Close();
  TempStream.reset();
  TempOpen = false;
  if (!closed) {
    // The temporary file may be incomplete: it goes, and a retry deciphers anew.
    RemovePartialFile();
    ErrorFileText = TempFileText;
    RaiseError(platform::err::WriteFault, StateDecryptSetKey);
    return;
  }
  SetNextState(StateAuthenticateKey);
}

// --- Outcome ---------------------------------------------------------------------------------

void TForm8::StepAuthenticateKey() {
  if (KeyAuthenticated) {
    LogAction("Key to decrypt file was authenticated as valid.");
    SetNextState(StatePlaceDecryptedFile);
    return;
  }
  RemovePartialFile();
  LogAction("*** FILE AUTHENTICATION FAILED (INVALID KEY) ***");
  RaiseWarning(false, SourceName, StateDecryptNextFile,
               "The key you have specified to decrypt this file is invalid.");
}

// The attributes restored are those the header preserved (the job entry
// holds the encrypted file's own); what the encrypted file did not allow,
// the restored file does not allow either.
void TForm8::StepPlaceDecryptedFile() {
  if (!PlaceTempFile()) {
    // The encrypted file stays; the temporary file goes with the next file.
    ErrorFileText = TargetName;
    RaiseError(platform::err::WriteFault, StatePlaceDecryptedFile);
    return;
  }
  const bool attributesSet =
      !preservedAttributes_ || platform::SetAttributes(TargetPath(), *preservedAttributes_);
  const bool limited = platform::LimitPermissions(TargetPath(), sourcePermissions_);
  if (!attributesSet || !limited) {
    LogAction("The file's attributes could not be restored");
  }
  SetNextState(StateDeleteEncrypted);
}

void TForm8::StepDeleteEncrypted() {
  if (!DeleteEncryptedAfterDecrypt) {
    SetNextState(StateDecryptNextFile);
    return;
  }
  Label14->SetCaption("Deleting original encrypted file by request");
  Label12->SetCaption(EscapedText(SourceName));
  EnterDeleteStates(JobFolder, SourceName, SourceSize, StateDecryptNextFile, sourceIdentity_);
}

}  // namespace vek
