// The job-list delete run (states 0x7000/0x7001) and the delete states that
// every path uses for one file (0x8000-0x8600): a plain delete, or
// overwrite passes of alternating 0xAA / 0x55 bytes over the file's whole
// length, each pass on the device before the next, then the delete. A pass
// goes in steps of up to WipeStepLength bytes, one step a tick for a large
// file, all through the one descriptor the first pass opened.
//
// A symbolic link is never followed: the link itself is deleted and what it
// points to stays as it is (the log says so). Every step acts on the file
// the states began with, reached without a link on the way: a file that
// took its name since is left alone. A file that has other names is only
// overwritten when the user agrees, since its data is theirs as well.

#include <algorithm>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/files.h"

namespace vek {

namespace {

constexpr uint8_t FirstPattern = 0xAA;
constexpr uint8_t SecondPattern = 0x55;
// What the host is told at a time that it may drop of the overwritten file.
constexpr int64_t WipeReleaseSlice = 2 * TForm8::WipeStepLength;

std::string DeletePath() {
  return DeleteFolder + DeleteName;
}

std::string OtherNamesMessage(uint64_t links) {
  const uint64_t others = links - 1;
  return "This file has " + std::to_string(others) +
         (others == 1 ? " other name" : " other names") +
         " (hard links) sharing its data, overwrite it under all of them?";
}

}  // namespace

// --- Job-list delete run -----------------------------------------------------------

void TForm8::StepDeleteListTotals() {
  FileDone = 0;
  FileTotal = 1;
  FileStep = 1;
  OverallDone = 0;
  OverallTotal = JobList.JobTotalSize * std::max<int64_t>(1, OverwritePasses(DeleteMethod));
  OverallStep = OverallTotal / ProgressSteps;
  SetNextState(StateDeleteListNextFile);
}

// The list is emptied by the finish, which every way out of the run passes.
void TForm8::StepDeleteListNextFile() {
  CloseAllStreams();  // what a skipped overwrite left open
  if (JobPos == 0) StartActivityLog(LogHeadMultiDelete);
  LogAction(" ");
  ++JobPos;
  Label11->SetCaption(std::to_string(JobPos) + " of " + std::to_string(JobList.JobCount) + ".");
  ShowFileProgress();
  if (JobPos > JobEntryCount() || StopRequested) {
    SetNextState(StateFinish);
    return;
  }
  // Errors describe the drive of the file being deleted.
  JobFolder = JobList.Folder[JobPos];
  std::optional<platform::FileIdentity> listed;
  if (JobList.Inode[JobPos] != 0) {
    listed = platform::FileIdentity{JobList.Device[JobPos], JobList.Inode[JobPos],
                                    JobList.Links[JobPos]};
  }
  EnterDeleteStates(JobFolder, JobList.Name[JobPos], JobList.Size[JobPos], StateDeleteListNextFile,
                    listed);
}

void TForm8::EndJobListDelete() {
  for (ui::TBitBtn* button : {Form2->BitBtn3, Form2->BitBtn4, Form2->BitBtn5, Form2->BitBtn6}) {
    button->SetEnabled(false);
  }
  Form2->ClearJobList();
  Form2->UpdateJobListCaption();
}

// --- One file ------------------------------------------------------------------------

void TForm8::EnterDeleteStates(const std::string& folder, const std::string& name, int64_t size,
                               uint16_t returnState,
                               std::optional<platform::FileIdentity> identity) {
  deleteIdentity_ = identity;
  DeleteFolder = folder;
  DeleteName = name;
  DeleteSize = size;
  DeleteReturnState = returnState;
  DeleteShowProgress = true;
  SetNextState(StateDeleteFile);
}

void TForm8::LeaveDeleteStates() {
  deleteRetryQuiet_ = false;
  deleteIdentity_.reset();
  SetNextState(DeleteReturnState);
}

bool TForm8::DeleteFileIsTheSame(const platform::FileIdentity& now) {
  if (!deleteIdentity_ || now.SameFile(*deleteIdentity_)) return true;
  const uint16_t back = DeleteReturnState;
  LeaveDeleteStates();
  WarnNotListedFile(DeleteName, back);
  return false;
}

void TForm8::StepDeleteFile() {
  const std::string path = DeletePath();
  if (!deleteRetryQuiet_) LogAction("Deleting file: " + path);
  const bool link = platform::IsSymbolicLink(path);
  const auto found = platform::IdentityOfNoLinks(path);
  if (!found && platform::FileExists(path)) {
    // There, but only through a folder that is a link (or took one's place).
    const uint16_t back = DeleteReturnState;
    LeaveDeleteStates();
    if (platform::IsBehindFolderLink(path)) {
      WarnFolderLink(DeleteName, back);
    } else {
      WarnNotListedFile(DeleteName, back);
    }
    return;
  }
  if (found && platform::IsSpecialFile(path)) {
    const uint16_t back = DeleteReturnState;
    LeaveDeleteStates();
    WarnSpecialFile(DeleteName, back);
    return;
  }
  if (!found || (!link && !platform::FileExists(path))) {
    LeaveDeleteStates();
    return;
  }
  if (!DeleteFileIsTheSame(*found)) return;
  deleteIdentity_ = *found;
  if (link && !deleteRetryQuiet_) {
    LogAction("The symbolic link is deleted, the file it points to is left as it is");
  }
  if (!link && OverwritePasses(DeleteMethod) > 0) {
    if (found->Links > 1) {
      if (WarningsOn) {
        RaiseWarning(true, DeleteName, StateWipeStart, OtherNamesMessage(found->Links));
      } else {
        const uint16_t back = DeleteReturnState;
        LeaveDeleteStates();
        RaiseWarning(false, DeleteName, back, OtherNamesMessage(found->Links));
      }
      return;
    }
    SetNextState(StateWipeStart);
    return;
  }
  if (!link) platform::SetAttributes(path, 0);
  if (platform::DeleteListedFile(path, *deleteIdentity_)) {
    LeaveDeleteStates();
    return;
  }
  // Tried again on the next tick, without another report.
  if (deleteRetryQuiet_) return;
  LogAction("File delete failed (file in use?)");
  RaiseWarning(true, DeleteName, StateDeleteRetryAnswer,
               "File delete failed, try again? (maybe in use by another program)");
}

// With warnings off the answer is automatic, and the tries that follow are
// not logged one by one.
void TForm8::StepDeleteRetryAnswer() {
  if (WarningAnswer == WarningAnswerContinue) {
    deleteRetryQuiet_ = !WarningsOn;
    SetNextState(StateDeleteFile);
  } else {
    LeaveDeleteStates();
  }
}

// --- Overwrite passes -------------------------------------------------------------------

// A read-only file loses the attribute only once its overwrite is decided.
void TForm8::StepWipeStart() {
  platform::SetAttributes(DeletePath(), 0);
  SetAnimation(AnimationBlink);
  Label14->SetCaption(std::string(DeleteMethodName(DeleteMethod)) + " " +
                      std::string(DeleteMethodDescription(DeleteMethod)));
  WipePassCount = OverwritePasses(DeleteMethod);
  WipePass = 1;
  WipeStream.reset();
  WipeStreamOpen = false;
  Label12->SetCaption(EscapedText(DeleteName));
  Label13->SetCaption(EscapedText(DeleteFolder));
  SharedBuffer.fill(FirstPattern);
  SetNextState(StateWipeOpenPass);
}

// The pass covers the file as it is now: a file that changed since it was
// listed is overwritten over its present length.
void TForm8::StepWipeOpenPass() {
  Label1->SetCaption("Deleting file... (Pass " + std::to_string(WipePass) + " of " +
                     std::to_string(WipePassCount) + ")");
  if (DeleteSize <= 0) {
    SetNextState(StateWipeRemove);
    return;
  }
  // Every pass writes through the one descriptor the first pass opened, so
  // that no other file can take the name between two passes; a retry after
  // a failure opens afresh, and never through a link.
  if (!WipeStreamOpen || !WipeStream) {
    WipeStream = platform::FileStream::OpenNoLinks(DeletePath(), platform::FileMode::OpenWrite,
                                                   platform::ShareMode::Exclusive);
    if (WipeStream && !DeleteFileIsTheSame(WipeStream->Identity())) {
      WipeStream.reset();
      return;
    }
  }
  const int64_t length = WipeStream ? WipeStream->Size() : -1;
  if (length < 0) {
    WipeStream.reset();
    WipeStreamOpen = false;
    ErrorFileText = DeleteName;
    RaiseError(platform::err::NotReady, StateWipeOpenPass);
    return;
  }
  WipeStreamOpen = true;
  if (length != DeleteSize) {
    LogAction("File size changed since it was listed: now " + SizeToText(length));
    DeleteSize = length;
  }
  wipeDone_ = 0;
  wipePassFlushed_ = false;
  if (DeleteShowProgress) {
    FileTotal = DeleteSize;
    FileDone = 0;
    FileStep = FileTotal / ProgressSteps;
    ShowFileProgress();
  }
  SetNextState(DeleteSize > 0 ? StateWipeWriteBlock : StateWipeEndPass);
}

// One step writes up to WipeStepLength bytes of the pass: the 8192-byte
// pattern in SharedBuffer over and over, handed to the host in one call.
// Writing it a block at a time would cost a call of the host per 8 KB and
// take several times as long as the device needs.
void TForm8::StepWipeWriteBlock() {
  wipeStepLength_ = std::min<int64_t>(DeleteSize - wipeDone_, WipeStepLength);
  const auto block = static_cast<int64_t>(SharedBufferSize);
  WipeBlockLength = static_cast<uint16_t>((wipeStepLength_ - 1) % block + 1);  // its last block
  WipeStream->Seek(wipeDone_);
  if (WriteRepeatedOrRaise(*WipeStream, SharedBuffer.data(), SharedBufferSize,
                           static_cast<size_t>(wipeStepLength_), DeleteName)) {
    SetNextState(StateWipeAdvance);
  }
}

void TForm8::StepWipeAdvance() {
  wipeDone_ += wipeStepLength_;
  if (DeleteShowProgress) AdvanceProgress(wipeStepLength_);
  SetNextState(wipeDone_ < DeleteSize ? StateWipeWriteBlock : StateWipeEndPass);
}

// The pass reaches the device before the next one starts, or the cache
// would fold the passes into one. After the last pass the host lets go of
// the file's pages, a slice a tick for a large file: removing a file whose
// pages are all still in memory takes longer than a tick may last. (The
// flush itself waits for the device and is a step of its own.)
void TForm8::StepWipeEndPass() {
  const bool last = WipePass >= WipePassCount;
  if (!wipePassFlushed_) {
    if (!WipeStream->Flush()) {
      ErrorFileText = DeleteName;
      RaiseError(platform::err::WriteFault, StateWipeEndPass);
      return;
    }
    wipePassFlushed_ = true;
    wipeReleased_ = 0;
    if (last && DeleteSize > WipeReleaseSlice) return;  // the first slice on the next tick
  }
  if (last) {
    const int64_t slice = std::min(DeleteSize - wipeReleased_, WipeReleaseSlice);
    WipeStream->ReleaseCache(wipeReleased_, slice);
    wipeReleased_ += slice;
    if (wipeReleased_ < DeleteSize) return;  // the next slice on the next tick
    const bool closed = WipeStream->Close();
    WipeStream.reset();
    WipeStreamOpen = false;
    if (!closed) {
      ErrorFileText = DeleteName;
      RaiseError(platform::err::WriteFault, StateWipeOpenPass);  // the pass again
      return;
    }
  }
  ++WipePass;
  if (WipePass > WipePassCount) {
    SetNextState(StateWipeRemove);
    return;
  }
  SharedBuffer.fill(SharedBuffer[0] == FirstPattern ? SecondPattern : FirstPattern);
  SetNextState(StateWipeOpenPass);
}

void TForm8::StepWipeRemove() {
  const std::string path = DeletePath();
  if (deleteIdentity_) platform::DeleteListedFile(path, *deleteIdentity_);
  const auto left = platform::IdentityOf(path);
  if (left && deleteIdentity_ && left->SameFile(*deleteIdentity_)) {
    RaiseWarning(false, DeleteName, DeleteReturnState,
                 "Could not delete file (maybe in use/locked or system protected)");
    return;
  }
  if (left && deleteIdentity_) {
    // Another file took the name meanwhile: it stays, and the user hears of it.
    const uint16_t back = DeleteReturnState;
    LeaveDeleteStates();
    WarnNotListedFile(DeleteName, back);
    return;
  }
  LeaveDeleteStates();
}

}  // namespace vek
