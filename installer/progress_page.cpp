#include "installer/progress_page.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "installer/error_page.h"
#include "installer/finish_page.h"
#include "installer/install_errors.h"
#include "installer/state.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/whole_file.h"
#include "ui/application.h"

namespace vek::installer {
namespace {

constexpr std::string_view kInstallFolderHelp =
    "Check the install folder and its drive, then run the installer again";
// Where a later step was refused a folder of the user's own.
constexpr std::string_view kNamedFolderHelp =
    "Check the folder named below, then run the installer again";
// Where the registry's store could not be written.
constexpr std::string_view kRegistryHelp =
    "Make the file named below writable, then run the installer again";

// Where the data must start for a 32-bit position to reach all of it.
constexpr int64_t kLargestPosition = 0x7FFFFFFF;

std::string Hex4(uint16_t code) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) text += digits[(code >> shift) & 0xF];
  return text;
}

// A payload file is written under this name beside its own until it is
// whole, then renamed over it: an install cut short at any moment leaves
// the earlier file or the new one, never part of one. The name keeps its
// extension, so the program is created runnable.
std::string TemporaryName(std::string_view name) {
  return "~" + std::string(name);
}

// A path as the user finds it on this machine.
std::string DisplayPath(const std::string& windowsPath) {
  return platform::ToHostPath(windowsPath).value_or(windowsPath);
}

// The installer file opened for reading; the system's refusal raises.
std::unique_ptr<platform::FileStream> OpenSetupFileOrRaise() {
  int error = 0;
  auto stream = OpenSetupFile(&error);
  if (!stream) RaiseSystemError(error);
  return stream;
}

}  // namespace

void TForm5::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Label1", Label1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("Label7", Label7);
  binder.Control("Label8", Label8);
  binder.Control("Image1", Image1);
  binder.Control("Label9", Label9);
  binder.Control("Label2", Label2);
  binder.Control("ProgressBar1", ProgressBar1);
  binder.Control("Label3", Label3);
  binder.Control("Timer1", Timer1);
  binder.Handler("FormShow", this, &TForm5::FormShow);
  binder.Handler("Timer1Timer", this, &TForm5::Timer1Timer);
}

void TForm5::FormShow() {
  CenterOnScreen();
  TaskIndex = 1;
  TaskTick = 0;
  StepFailures = 0;
  CurrentStep = step::Precheck;
  Timer1->SetEnabled(true);
}

void TForm5::Timer1Timer() {
  NextStep = CurrentStep;
  try {
    RunStep(CurrentStep);
  } catch (const TStepFailure& failure) {
    // The step stays current and runs again on the next tick, unless it
    // keeps failing: then the user learns why.
    if (++StepFailures >= StepRetryLimit) ShowStepFailure(failure.what(), failure.Path());
    return;
  } catch (const std::exception& failure) {
    if (++StepFailures >= StepRetryLimit) ShowStepFailure(failure.what(), {});
    return;
  }
  StepFailures = 0;
  CurrentStep = NextStep;
}

void TForm5::RunStep(uint16_t code) {
  switch (code) {
    case step::Precheck:
      return StepPrecheck();
    case step::OpenForChecksum:
      return StepOpenForChecksum();
    case step::SumChunk:
      return StepSumChunk();
    case step::CompareChecksum:
      return StepCompareChecksum();
    case step::ToFolderTask:
    case step::ToCopyTask:
    case step::ToAssociateTask:
    case step::ToShortcutsTask:
      return StepAdvanceTask();
    case step::CreateFolder:
      return StepCreateFolder();
    case step::OpenPayload:
      return StepOpenPayload();
    case step::NextFile:
      return StepNextFile();
    case step::CopyChunk:
      return StepCopyChunk();
    case step::Associate:
      return StepAssociate();
    case step::Shortcuts:
      return StepShortcuts();
    case step::Finish:
      Timer1->SetEnabled(false);
      Hide();
      Form6->Show();
      return;
    default:
      return;
  }
}

void TForm5::ShowProgress(int64_t done, int64_t total) {
  const int64_t percent = total > 0 ? std::clamp<int64_t>(done * 100 / total, 0, 100) : 0;
  ProgressBar1->SetPosition(percent);
  Label3->SetCaption(std::to_string(percent) + "%");
}

void TForm5::ShowInstallError(int code) {
  const TInstallError& error = InstallError(code);
  Form7->Label4->SetCaption(error.Description);
  Form7->Label5->SetCaption(error.Help);
  StopOnErrorPage();
}

void TForm5::ShowStepFailure(const std::string& message, const std::string& path) {
  Form7->Label4->SetCaption(std::string_view(message).substr(0, ErrorDescriptionCapacity));
  // The folder and files steps concern the install folder; later ones
  // the registry's store or other folders of the user's, which the detail
  // line names.
  const bool installFolder = CurrentStep <= step::CopyChunk || path.empty();
  Form7->Label5->SetCaption(installFolder                 ? kInstallFolderHelp
                            : path == RegistryStorePath() ? kRegistryHelp
                                                          : kNamedFolderHelp);
  Form7->Label6->SetCaption("[STEP=" + Hex4(CurrentStep) + "]" +
                            (path.empty() ? "" : " " + DisplayPath(path)));
  StopOnErrorPage();
}

void TForm5::StopOnErrorPage() {
  Timer1->SetEnabled(false);
  Hide();
  Form7->Show();
  ui::MessageBeep();
}

// --- Self-check ---------------------------------------------------------------------

// The sizes measured at start-up against the table. An unknown size passes:
// the sum then reads to the end of the file and reports that.
void TForm5::StepPrecheck() {
  Label1->SetCaption("Checking for viruses..");
  int code = 0;
  const int64_t expectedData = int64_t{PayloadTotal} + static_cast<int64_t>(TrailerSize);
  if (SetupSize >= 0) {
    if (PayloadOffset == 0 || PayloadOffset > SetupSize) {
      code = install_error::ProgramTooSmall;  // no program image, or the file ends inside it
    } else if (PayloadOffset > kLargestPosition - expectedData) {
      code = install_error::ProgramTooLarge;  // no room left to reach the data behind it
    } else if (PayloadSize < expectedData) {
      code = install_error::DataTooSmall;
    } else if (PayloadSize > expectedData) {
      code = install_error::DataTooLarge;
    }
  }
  if (code != 0) return ShowInstallError(code);
  NextStep = step::OpenForChecksum;
}

void TForm5::StepOpenForChecksum() {
  SourceStream = OpenSetupFileOrRaise();
  SumCount = 0;
  ComputedSum = 0;
  NextStep = step::SumChunk;
}

void TForm5::StepSumChunk() {
  const int64_t got = SourceStream->Read(ChunkBuffer.data(), ChunkSize);
  if (got <= 0) {
    SourceStream.reset();
    return ShowInstallError(install_error::ReadFailed);
  }
  int32_t count = 0;
  if (!AddByteSum(ComputedSum, ChunkBuffer.data(), static_cast<size_t>(got)) ||
      __builtin_add_overflow(SumCount, static_cast<int32_t>(got), &count)) {
    // No installer file this program ships grows that far.
    SourceStream.reset();
    return ShowInstallError(install_error::SetupSize);
  }
  SumCount = count;
  ShowProgress(SumCount, SetupSize);
  if (SumCount != SetupSize) return;
  // The trailer holds the sum of what lies before it. These bytes were
  // added above, so taking them out again cannot leave the range.
  for (uint8_t byte : TrailerBytes) ComputedSum -= byte;
  NextStep = step::CompareChecksum;
}

void TForm5::StepCompareChecksum() {
  SourceStream.reset();
  if (ComputedSum == ExpectedSum) {
    NextStep = step::ToFolderTask;
    return;
  }
  Form7->Label6->SetCaption("[VCS=" + std::to_string(ExpectedSum) +
                            " FCS=" + std::to_string(ComputedSum) +
                            " DCS=" + std::to_string(int64_t{ExpectedSum} - ComputedSum) + "]");
  ShowInstallError(install_error::Checksum);
}

// --- Task arrow ------------------------------------------------------------------------

ui::TLabel* TForm5::TaskLabel(uint8_t index) const {
  const std::array<ui::TLabel*, 5> labels = {Label4, Label5, Label6, Label7, Label8};
  return labels.at(static_cast<size_t>(index - 1));
}

void TForm5::StepAdvanceTask() {
  Image1->SetTop(Image1->Top() + 1);
  if (++TaskTick < TaskMoveTicks) return;
  TaskTick = 0;
  TaskLabel(TaskIndex)->SetFontBold(false);
  ++TaskIndex;
  TaskLabel(TaskIndex)->SetFontBold(true);
  NextStep = static_cast<uint16_t>(CurrentStep + 0x100);
}

// --- Folder and payload ------------------------------------------------------------------

void TForm5::StepCreateFolder() {
  // A folder that cannot be made shows when its first file cannot be created.
  platform::ForceDirectories(InstallDir);
  InstallDir = platform::IncludeTrailingBackslash(InstallDir);
  NextStep = step::ToCopyTask;
}

void TForm5::StepOpenPayload() {
  auto stream = OpenSetupFileOrRaise();
  if (!stream->Seek(PayloadOffset)) RaiseSystemError(stream->LastError());
  SourceStream = std::move(stream);
  FileIndex = 0;
  CopiedTotal = 0;
  NextStep = step::NextFile;
}

void TForm5::StepNextFile() {
  const auto next = static_cast<uint8_t>(FileIndex + 1);
  if (next > PayloadFileCount) {
    FileIndex = next;
    SourceStream.reset();
    NextStep = step::ToAssociateTask;
    return;
  }
  const TPayloadEntry& entry = PayloadTable()[next - 1u];
  const std::string temporary = InstallDir + TemporaryName(entry.Name);
  platform::DeleteFile(temporary);  // what an install cut short left; a link goes, not its target
  int error = 0;
  auto stream = platform::FileStream::Open(temporary, platform::FileMode::CreateNew,
                                           platform::ShareMode::Exclusive, &error);
  if (!stream) {
    // A folder that is not there could not be made at 0x2400: its own
    // refusal is the cause, and it may work now.
    const bool folderMissing =
        error == platform::err::PathNotFound && !platform::DirectoryExists(InstallDir);
    if (folderMissing && !platform::ForceDirectories(InstallDir)) error = platform::LastError();
    RaiseSystemError(error, InstallWorkingFolder());
  }
  FileIndex = next;
  Label9->SetCaption(entry.Name);
  FileRemaining = entry.Size;
  TargetStream = std::move(stream);
  targetPath_ = temporary;
  NextStep = step::CopyChunk;
}

void TForm5::StepCopyChunk() {
  if (FileRemaining > 0) {
    const int64_t wanted = std::min<int64_t>(FileRemaining, ChunkSize);
    const int64_t got = SourceStream->Read(ChunkBuffer.data(), wanted);
    if (got <= 0) {  // the installer file ends before its data does
      DiscardTarget();
      SourceStream.reset();
      return ShowInstallError(install_error::ReadFailed);
    }
    if (TargetStream->Write(ChunkBuffer.data(), got) != got) return FailTargetWrite();
    FileRemaining -= static_cast<int32_t>(got);
    CopiedTotal += static_cast<int32_t>(got);
    ShowProgress(CopiedTotal, PayloadTotal);
  }
  if (FileRemaining > 0) return;
  // Whole on the device before it takes the file's name.
  if (!TargetStream->Flush() || !TargetStream->Close()) return FailTargetWrite();
  TargetStream.reset();
  const std::string target = InstallDir + std::string(PayloadTable()[FileIndex - 1u].Name);
  if (!platform::ReplaceFile(targetPath_, target)) {
    const int error = platform::LastError();
    DiscardTarget();
    SourceStream.reset();
    return ShowStepFailure(SystemErrorMessage(error), target);
  }
  platform::SyncFolder(InstallDir);
  NextStep = step::NextFile;
}

void TForm5::DiscardTarget() {
  TargetStream.reset();
  platform::DeleteFile(targetPath_);
}

void TForm5::FailTargetWrite() {
  const int error = TargetStream->LastError();
  DiscardTarget();
  SourceStream.reset();
  if (error == platform::err::DiskFull) return ShowInstallError(install_error::DiskSpace);
  ShowStepFailure(SystemErrorMessage(error), InstallWorkingFolder());
}

}  // namespace vek::installer
