// The encrypt path, states 0x1001-0x2A00: per job-list entry the source and
// target checks, the header, the free-space check, the enciphered data in
// blocks of SharedBuffer, the key-check block, the verification that reads
// the file back, and the hand-over of the original to the delete states.
//
// The size written into the header is the source's size as measured when
// it is opened, and exactly that many bytes are enciphered: a source that
// ends early or holds more is a read error, never a file whose header
// disagrees with its data.
//
// The verification needs no second cipher pass: while the file is written
// a digest is kept of every source block as it was read and of every
// region as it was written (each data block, the key-check block; the
// header is kept whole). Read back after the flush, each source block and
// each region of the file must give its digest again: a source byte read
// wrong once, or a byte written or stored wrong, shows as a mismatch of its
// block.
//
// The encrypted file is written under a temporary name and takes its own
// (replacing an older one the user agreed to replace) only once it is
// complete and on the device: an interrupted run never leaves half an
// encrypted file under the real name, nor costs the older one.

#include <xxhash.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/file_info.h"
#include "core/short_string.h"
#include "core/texts.h"
#include "core/vek_format.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vek {

namespace {

constexpr std::string_view BoostCaption = " Task details : (Insane! CPU boost mode activated) ";
constexpr std::string_view ZeroLengthMessage = "Cannot encrypt a file that is zero bytes long.";
constexpr std::string_view LengthFailedMessage =
    "File length failed verification (storage media maybe unreliable)";

uint64_t Digest(const uint8_t* data, size_t length) {
  return XXH3_64bits(data, length);
}

// The digest of block `index` into `digests`, which grows as needed.
void KeepDigest(std::vector<uint64_t>& digests, int64_t index, uint64_t digest) {
  const auto at = static_cast<size_t>(index);
  if (digests.size() <= at) digests.resize(at + 1);
  digests[at] = digest;
}

bool DigestMatches(const std::vector<uint64_t>& digests, int64_t index, uint64_t digest) {
  const auto at = static_cast<size_t>(index);
  return at < digests.size() && digests[at] == digest;
}

int64_t BlockIndex(int64_t done) {
  return done / static_cast<int64_t>(SharedBufferSize);
}

}  // namespace

// --- Field encoders ---------------------------------------------------------------

std::string TForm8::WordToBytes(uint16_t value) {
  return format::WordToBytes(value);
}

std::string TForm8::DWordToBytes(uint32_t value) {
  return format::DWordToBytes(value);
}

std::string TForm8::QWordToBytes(uint64_t value) {
  return format::QWordToBytes(value);
}

// --- Next file and checks -------------------------------------------------------------

void TForm8::StepEncryptNextFile() {
  // Whatever the last file left open (a skip, a warning) goes before the next.
  CloseAllStreams();
  SetAnimation(AnimationRotate);
  Label14->SetCaption("Creating the encrypted file on drive");
  if (JobPos == 0) StartActivityLog(LogHeadEncrypt);
  ++JobPos;
  if (JobPos > JobEntryCount() || StopRequested) {
    SetNextState(StateFinish);
    return;
  }
  SourceSize = JobList.Size[JobPos];
  if (SourceSize <= 0) {
    RaiseWarning(false, JobList.Name[JobPos], StateEncryptNextFile, std::string(ZeroLengthMessage));
    return;
  }
  InsaneMode = BoostApplies(SourceSize);
  if (InsaneMode) {
    ShowBoost(platform::RealtimePriorityClass, BoostCaption);
  } else {
    ShowBoost(platform::NormalPriorityClass, TaskDetailsCaption);
  }
  SourceName = JobList.Name[JobPos];
  JobFolder = JobList.Folder[JobPos];
  TargetName = SourceName + ".vek";  // the encrypted file lies beside its source
  BeginJob(StateEncryptFindSource);
}

// The error report of a missing source retries the search directly.
void TForm8::StepEncryptFindSource() {
  FindSource(StateEncryptCheckTarget, StateEncryptFindSource, StateEncryptNextFile);
}

void TForm8::StepEncryptRetrySource() {
  RetrySourceAnswer(StateEncryptFindSource, StateEncryptNextFile);
}

void TForm8::StepEncryptCheckTarget() {
  CheckTarget(StateBuildHeader, StateEncryptOverwriteAnswer);
}

void TForm8::StepEncryptOverwriteAnswer() {
  SetNextState(WarningAnswer == WarningAnswerContinue ? StateBuildHeader : StateEncryptNextFile);
}

// --- Header ---------------------------------------------------------------------------

void TForm8::StepBuildHeader() {
  SetAnimation(AnimationRotate);
  BuildHeaderText();
  SetNextState(StateEncryptCheckSpace);
}

void TForm8::BuildHeaderText() {
  const uint16_t i = JobPos;
  TCurrentFile fields;
  fields.ProductLine = JobList.ProductLine[i];
  fields.SoftwareVersion = format::WrittenSoftwareVersion;
  fields.FileFormatVersion = format::WrittenFileFormatVersion;
  fields.Owner = JobList.Owner[i];
  fields.HasTimestamp = JobList.HasTimestamp[i];
  if (fields.HasTimestamp) {
    CaptureNow();
    JobList.Timestamp[i] = {NowHour, NowMin, NowSec, NowDayOfWeek, NowDay, NowMonth, NowYear};
    fields.Timestamp = JobList.Timestamp[i];
  }
  fields.PreserveAttributes = JobList.PreserveAttributes[i];
  fields.HeaderAttributes = JobList.Attributes[i];
  fields.HasWindowsInfo = JobList.HasWindowsInfo[i];
  if (fields.HasWindowsInfo) {
    fields.WindowsVersionText = WindowsVersionText;
    fields.RegisteredOwner = WindowsRegisteredOwner;
    fields.RegisteredOrganization = WindowsRegisteredOrganization;
    fields.ComputerName = WindowsComputerName;
    fields.ProductId = WindowsProductId;
  }
  fields.ContentSize = SourceSize;

  const std::string header = format::BuildHeader(fields);
  HeaderText = header;
  HeaderLength = static_cast<uint16_t>(header.size());
}

void TForm8::StepEncryptCheckSpace() {
  CheckFreeSpace(int64_t{HeaderLength} + SourceSize + KeyCheckLength, TargetName,
                 StateEncryptSetKey, StateEncryptNextFile);
}

void TForm8::StepEncryptSetKey() {
  if (SetKeyFromKeyEntry()) SetNextState(StateEncryptOpenSource);
}

// --- Writing the encrypted file ---------------------------------------------------------

void TForm8::StepEncryptOpenSource() {
  // Back here after a size change and its space check, the source is open.
  if (!SourceOpen) {
    if (!OpenForReading(SourceStream, SourceOpen, SourcePath(), SourceName,
                        platform::err::FileNotFound) ||
        !SourceIsListedFile(StateEncryptNextFile)) {
      return;
    }
    EncryptDone = 0;
    sourceDigests_.clear();
    writtenDigests_.clear();
    if (!AdoptMeasuredSourceSize()) return;
  }
  SetNextState(StateEncryptCreateTarget);
}

// The source as it is now, not as it was listed: its size goes into the
// header. True when it is unchanged; otherwise the next state is set (the
// space check again, or the next file).
bool TForm8::AdoptMeasuredSourceSize() {
  const int64_t measured = SourceStream->Size();
  if (measured == SourceSize) return true;
  if (measured < 0) {
    CloseSource();
    ErrorFileText = SourceName;
    RaiseError(platform::err::ReadFault, StateEncryptOpenSource);
    return false;
  }
  LogAction("Source file size changed since it was listed: now " + SizeToText(measured));
  if (measured == 0) {
    CloseSource();
    RaiseWarning(false, SourceName, StateEncryptNextFile, std::string(ZeroLengthMessage));
    return false;
  }
  OverallTotal += (measured - SourceSize) * (VerifyAfterEncrypt ? 2 : 1);
  OverallStep = OverallTotal / ProgressSteps;
  SourceSize = measured;
  FileTotal = measured;
  FileStep = measured / ProgressSteps;
  ShowFileProgress();
  // The size is always the header's last field.
  HeaderText.replace(HeaderText.size() - 8, 8, QWordToBytes(static_cast<uint64_t>(measured)));
  SetNextState(StateEncryptCheckSpace);
  return false;
}

void TForm8::StepEncryptCreateTarget() {
  if (!CreateTempFile(TargetStream, TargetOpen)) {
    ErrorFileText = TargetName;
    RaiseError(platform::err::NotReady, StateEncryptCreateTarget);
    return;
  }
  SetNextState(StateWriteHeader);
}

void TForm8::StepWriteHeader() {
  Label1->SetCaption("Encrypting file..");
  std::copy(HeaderText.begin(), HeaderText.end(), SharedBuffer.begin());
  if (WriteOrRaise(*TargetStream, SharedBuffer.data(), HeaderLength, TargetName)) {
    SetNextState(StateEncryptReadBlock);
  }
}

// After the measured size: more data (or a failing read) is a read error.
bool TForm8::SourceHasMoreData() {
  uint8_t probe = 0;
  const int64_t got = SourceStream->Read(&probe, 1);
  if (got == 0) return false;
  if (got > 0) LogLine("*** " + SourceName + " holds more than the size it had when it was opened");
  ErrorFileText = SourceName;
  RaiseError(platform::err::ReadFault, EngineState.Current);
  return true;
}

void TForm8::StepEncryptReadBlock() {
  const int64_t want = std::min<int64_t>(SourceSize - EncryptDone, SharedBufferSize);
  if (want == 0) {
    if (SourceHasMoreData()) return;
    BlockLength = 0;
  } else {
    const int64_t got =
        ReadExactly(*SourceStream, SharedBuffer.data(), want, SourceName, platform::err::ReadFault);
    if (got < 0) return;
    BlockLength = static_cast<uint16_t>(got);
    KeepDigest(sourceDigests_, BlockIndex(EncryptDone), Digest(SharedBuffer.data(), BlockLength));
  }
  SetNextState(StateEncipherBlock);
}

void TForm8::StepEncipherBlock() {
  // The end of the data (an empty block) leaves the key state where it is.
  if (BlockLength > 0 && !CipherBlockInSlices(false)) return;
  SetNextState(StateEncryptWriteBlock);
}

void TForm8::StepEncryptWriteBlock() {
  if (BlockLength == 0) {
    SetNextState(StateEncryptAdvance);
  } else if (WriteOrRaise(*TargetStream, SharedBuffer.data(), BlockLength, TargetName)) {
    KeepDigest(writtenDigests_, BlockIndex(EncryptDone), Digest(SharedBuffer.data(), BlockLength));
    SetNextState(StateEncryptAdvance);
  }
}

void TForm8::StepEncryptAdvance() {
  if (BlockLength > 0) {
    EncryptDone += BlockLength;
    AdvanceProgress(BlockLength);
    SetNextState(StateEncryptReadBlock);
  } else {
    SetNextState(StateEncryptCloseSource);
  }
}

void TForm8::StepEncryptCloseSource() {
  CloseSource();
  SetNextState(StateWriteKeyCheck);
}

void TForm8::StepWriteKeyCheck() {
  if (WriteOrRaise(*TargetStream, KeyState.State, KeyCheckLength, TargetName)) {
    keyCheckDigest_ = Digest(KeyState.State, KeyCheckLength);
    SetNextState(StateEncryptCloseTarget);
  }
}

// The encrypted data is on the device before the original may go. A retry
// after a failed rename only renames.
void TForm8::StepEncryptCloseTarget() {
  if (TargetOpen) {
    const bool closed = TargetStream->Flush() && TargetStream->Close();
    CloseTarget();
    if (!closed) {
      // The file may be incomplete: it goes, and a retry writes it anew.
      RemovePartialFile();
      ErrorFileText = TargetName;
      RaiseError(platform::err::WriteFault, StateEncryptSetKey);
      return;
    }
  }
  if (!PlaceTempFile()) {
    ErrorFileText = TargetName;
    RaiseError(platform::err::WriteFault, StateEncryptCloseTarget);
    return;
  }
  SetNextState(VerifyAfterEncrypt ? StateVerifyDisketteEject : StateDeletePlaintext);
}

// --- Verification -------------------------------------------------------------------------

void TForm8::StepVerifyDisketteEject() {
  const char letter = JobFolder.empty() ? '\0' : JobFolder[0];
  if (letter != 'A' && letter != 'B' && letter != 'a' && letter != 'b') {
    SetNextState(StateVerifyStart);
    return;
  }
  RaiseWarning(true, "Please eject the diskette, re-insert again and click Continue.",
               StateVerifyStart,
               "(This eliminates the effects of buffering for file read verification)");
}

void TForm8::StepVerifyStart() {
  Label1->SetCaption("Verifying encrypted file..");
  Label14->SetCaption("Checking data integrity of encrypted file");
  Label12->SetCaption(EscapedText(TargetName));
  FileDone = 0;
  SetAnimation(AnimationVerify);
  ShowFileProgress();
  SetNextState(StateVerifyOpenSource);
}

void TForm8::StepVerifyOpenSource() {
  if (OpenForReading(SourceStream, SourceOpen, SourcePath(), SourceName,
                     platform::err::FileNotFound) &&
      SourceIsListedFile(StateEncryptNextFile)) {
    SetNextState(StateVerifyOpenTarget);
  }
}

// What is verified is the file this run wrote, not whatever took its name.
void TForm8::StepVerifyOpenTarget() {
  if (!OpenForReading(TargetStream, TargetOpen, TargetPath(), TargetName,
                      platform::err::NotReady)) {
    return;
  }
  if (!TargetStream->Identity().SameFile(tempIdentity_)) {
    CloseAllStreams();
    WarnNotListedFile(TargetName, StateEncryptNextFile);
    return;
  }
  SetNextState(StateVerifyHeader);
}

// A failed verification leaves the file (closing both) for the next one;
// the encrypted file stays, and the original is kept.
void TForm8::LeaveFileWithWarning(const std::string& message) {
  CloseAllStreams();
  RaiseWarning(false, TargetName, StateEncryptNextFile, message);
}

// Reads `count` bytes of the encrypted file into SharedBuffer2: false after
// a read error or (fewer bytes) the length warning.
bool TForm8::ReadTargetBlock(int64_t count) {
  ChargeTransfer(count);
  const int64_t got = TargetStream->Read(SharedBuffer2.data(), count);
  if (got < 0) {
    ErrorFileText = TargetName;
    RaiseError(platform::err::ReadFault, EngineState.Current);
    return false;
  }
  if (got < count) {
    LeaveFileWithWarning(std::string(LengthFailedMessage));
    return false;
  }
  return true;
}

void TForm8::StepVerifyHeader() {
  if (!ReadTargetBlock(HeaderLength)) return;
  if (std::memcmp(SharedBuffer2.data(), HeaderText.data(), HeaderLength) != 0) {
    LeaveFileWithWarning(
        "File header information verification failed (storage media maybe unreliable)");
    return;
  }
  EncryptDone = 0;
  SetNextState(StateVerifyReadSource);
}

void TForm8::StepVerifyReadSource() {
  BlockLength =
      static_cast<uint16_t>(std::min<int64_t>(SourceSize - EncryptDone, SharedBufferSize));
  if (ReadExactly(*SourceStream, SharedBuffer.data(), BlockLength, SourceName,
                  platform::err::ReadFault) >= 0) {
    SetNextState(StateVerifyReadTarget);
  }
}

void TForm8::StepVerifyReadTarget() {
  if (ReadTargetBlock(BlockLength)) SetNextState(StateVerifyEncipher);
}

// The two blocks as read back, by their digests.
void TForm8::StepVerifyEncipher() {
  verifySourceDigest_ = Digest(SharedBuffer.data(), BlockLength);
  verifyTargetDigest_ = Digest(SharedBuffer2.data(), BlockLength);
  SetNextState(StateVerifyCompare);
}

void TForm8::StepVerifyCompare() {
  const int64_t block = BlockIndex(EncryptDone);
  if (!DigestMatches(sourceDigests_, block, verifySourceDigest_) ||
      !DigestMatches(writtenDigests_, block, verifyTargetDigest_)) {
    LeaveFileWithWarning("File data integrity error (storage media maybe unreliable)");
    return;
  }
  SetNextState(StateVerifyAdvance);
}

void TForm8::StepVerifyAdvance() {
  EncryptDone += BlockLength;
  AdvanceProgress(BlockLength);
  SetNextState(EncryptDone < SourceSize ? StateVerifyReadSource : StateVerifyKeyCheck);
}

void TForm8::StepVerifyKeyCheck() {
  if (!ReadTargetBlock(KeyCheckLength)) return;
  if (Digest(SharedBuffer2.data(), KeyCheckLength) != keyCheckDigest_) {
    LeaveFileWithWarning("File key integrity error (storage media maybe unreliable)");
    return;
  }
  // Nothing may follow the key check, and the original must still be what
  // was encrypted before it may be deleted.
  if (!EncryptedFileEndsHere() || SourceHasMoreData()) return;
  SetNextState(StateVerifyCloseSource);
}

// False after the length warning (more bytes follow) or a read error.
bool TForm8::EncryptedFileEndsHere() {
  uint8_t probe = 0;
  const int64_t got = TargetStream->Read(&probe, 1);
  if (got == 0) return true;
  if (got > 0) {
    LeaveFileWithWarning(std::string(LengthFailedMessage));
  } else {
    ErrorFileText = TargetName;
    RaiseError(platform::err::ReadFault, EngineState.Current);
  }
  return false;
}

void TForm8::StepVerifyCloseSource() {
  CloseSource();
  SetNextState(StateVerifyCloseTarget);
}

void TForm8::StepVerifyCloseTarget() {
  CloseTarget();
  SetNextState(StateDeletePlaintext);
}

// --- The original ----------------------------------------------------------------------------

// Reached only after the encrypted file closed without error and, with
// verification on, verified.
void TForm8::StepDeletePlaintext() {
  if (!DeletePlaintextAfterEncrypt) {
    SetNextState(StateEncryptNextFile);
    return;
  }
  Label14->SetCaption("Deleting original non-encrypted file by request");
  Label12->SetCaption(EscapedText(SourceName));
  EnterDeleteStates(JobFolder, SourceName, SourceSize, StateEncryptNextFile, sourceIdentity_);
}

}  // namespace vek
