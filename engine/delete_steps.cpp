// The job-list delete run (states 0x7000/0x7001) and the delete states that
// every path uses for one file (0x8000-0x8600): a plain delete, or
// overwrite passes of alternating 0xAA / 0x55 bytes over the file's whole
// length, each pass on the device before the next, then the delete.
//
// A symbolic link is never followed: the link itself is deleted and what it
// points to stays as it is.

#include <algorithm>
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

std::string DeletePath() {
  return DeleteFolder + DeleteName;
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
  EnterDeleteStates(JobFolder, JobList.Name[JobPos], JobList.Size[JobPos], StateDeleteListNextFile);
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
                               uint16_t returnState) {
  DeleteFolder = folder;
  DeleteName = name;
  DeleteSize = size;
  DeleteReturnState = returnState;
  DeleteShowProgress = true;
  SetNextState(StateDeleteFile);
}

void TForm8::LeaveDeleteStates() {
  deleteRetryQuiet_ = false;
  SetNextState(DeleteReturnState);
}

void TForm8::StepDeleteFile() {
  const std::string path = DeletePath();
  if (!deleteRetryQuiet_) LogAction("Deleting file: " + path);
  const bool link = platform::IsSymbolicLink(path);
  if (!link && !platform::FileExists(path)) {
    LeaveDeleteStates();
    return;
  }
  if (!link) platform::SetAttributes(path, 0);
  if (!link && OverwritePasses(DeleteMethod) > 0) {
    SetNextState(StateWipeStart);
    return;
  }
  if (platform::DeleteFile(path)) {
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

void TForm8::StepWipeStart() {
  SetAnimation(AnimationBlink);
  Label14->SetCaption(std::string(DeleteMethodName(DeleteMethod)) + " " +
                      std::string(DeleteMethodDescription(DeleteMethod)));
  WipePassCount = OverwritePasses(DeleteMethod);
  WipePass = 1;
  Label12->SetCaption(DeleteName);
  Label13->SetCaption(DeleteFolder);
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
  // A pass starts afresh; opening for writing never follows a link.
  WipeStream.reset();
  WipeStreamOpen = false;
  WipeStream = platform::FileStream::Open(DeletePath(), platform::FileMode::OpenWrite,
                                          platform::ShareMode::Exclusive);
  const int64_t length = WipeStream ? WipeStream->Size() : -1;
  if (length < 0) {
    WipeStream.reset();
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
  if (DeleteShowProgress) {
    FileTotal = DeleteSize;
    FileDone = 0;
    FileStep = FileTotal / ProgressSteps;
    ShowFileProgress();
  }
  SetNextState(DeleteSize > 0 ? StateWipeWriteBlock : StateWipeEndPass);
}

void TForm8::StepWipeWriteBlock() {
  WipeBlockLength =
      static_cast<uint16_t>(std::min<int64_t>(DeleteSize - wipeDone_, SharedBufferSize));
  WipeStream->Seek(wipeDone_);
  if (WriteOrRaise(*WipeStream, SharedBuffer.data(), WipeBlockLength, DeleteName)) {
    SetNextState(StateWipeAdvance);
  }
}

void TForm8::StepWipeAdvance() {
  wipeDone_ += WipeBlockLength;
  if (DeleteShowProgress) AdvanceProgress(WipeBlockLength);
  SetNextState(wipeDone_ < DeleteSize ? StateWipeWriteBlock : StateWipeEndPass);
}

// The pass reaches the device before the next one starts, or the cache
// would fold the passes into one.
void TForm8::StepWipeEndPass() {
  if (!WipeStream->Flush()) {
    ErrorFileText = DeleteName;
    RaiseError(platform::err::WriteFault, StateWipeEndPass);
    return;
  }
  const bool closed = WipeStream->Close();
  WipeStream.reset();
  WipeStreamOpen = false;
  if (!closed) {
    ErrorFileText = DeleteName;
    RaiseError(platform::err::WriteFault, StateWipeOpenPass);  // the pass again
    return;
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
  platform::DeleteFile(path);
  if (platform::FileExists(path)) {
    RaiseWarning(false, DeleteName, DeleteReturnState,
                 "Could not delete file (maybe in use/locked or system protected)");
    return;
  }
  LeaveDeleteStates();
}

}  // namespace vek
