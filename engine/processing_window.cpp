// The processing window's frame: the show, the two timers and the state
// dispatch, the run start states, the progress display, the CPU boost, the
// status animation, the buttons and the finish.

#include "engine/processing_window.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>

#include "app/main_window.h"
#include "core/texts.h"
#include "engine/activity_log_window.h"
#include "engine/delete_confirmation.h"
#include "engine/engine_tables.h"
#include "engine/key_entry_window.h"
#include "platform/files.h"
#include "platform/secret_string.h"
#include "platform/system.h"
#include "tools/editor_window.h"
#include "ui/clock.h"

namespace vek {

namespace {

constexpr int FirstRotationIcon = 6;
constexpr int LastRotationIcon = 23;
constexpr int VerifyIcon = 2;
constexpr int BlinkIconA = 3;
constexpr int BlinkIconB = 4;
constexpr int FinishedIcon = 5;
constexpr int WarningIcon = 24;

// Moving this many bytes from or to a file counts as much tick work as one
// keystream byte computed.
constexpr int64_t TransferBytesPerUnit = 256;
// On the real clock a tick also ends after this long.
constexpr std::chrono::milliseconds TickTimeLimit{8};
// On the real clock keystream is computed this many bytes at a time, the
// time checked after each: about 0.4 ms here, little enough that a machine
// several times slower still ends its ticks in time.
constexpr size_t RealClockSlice = 1024;
// Keystream overwritten in one step of the finish: well within a tick.
constexpr size_t FinishWipeSlice = size_t{4} << 20;
// On the real clock the finish overwrites it this much at a time, as long
// as the tick has time for one more.
constexpr size_t RealClockWipePiece = size_t{512} << 10;

constexpr std::string_view ReadyCaption = "VEK 2003 - Ready";
constexpr std::string_view CancelCaption = "&Cancel";
constexpr std::string_view OkCaption = "&OK";

// What the progress figures show: "<done> of <total>", the bar position and
// the whole percent, all within their maximum.
struct TProgressText {
  std::string Amount;
  int64_t Bar;
  std::string Percent;
};

TProgressText ProgressOf(int64_t done, int64_t total, int64_t step) {
  TProgressText p;
  p.Amount = SizeToText(done) + " of " + SizeToText(total);
  p.Bar = step == 0 ? ProgressSteps : std::clamp<int64_t>(done / step, 0, ProgressSteps);
  const int64_t percent = total <= 0 ? 100 : WholePercent(done, total);
  p.Percent = std::to_string(percent) + "%";
  return p;
}

// The state of each code, sorted by code. States missing here have no handler.
struct TStepEntry {
  uint16_t State;
  TForm8::TStep Step;
};

}  // namespace

TForm8::TStep TForm8::StepFor(uint16_t state) {
  static constexpr TStepEntry Table[] = {
      {StateClearDisplay, &TForm8::StepClearDisplay},
      {StateResetRun, &TForm8::StepResetRun},
      {StateChoosePath, &TForm8::StepChoosePath},
      {StateEncryptTotals, &TForm8::StepEncryptTotals},
      {StateEncryptNextFile, &TForm8::StepEncryptNextFile},
      {StateEncryptFindSource, &TForm8::StepEncryptFindSource},
      {StateEncryptRetrySource, &TForm8::StepEncryptRetrySource},
      {StateEncryptCheckTarget, &TForm8::StepEncryptCheckTarget},
      {StateEncryptOverwriteAnswer, &TForm8::StepEncryptOverwriteAnswer},
      {StateBuildHeader, &TForm8::StepBuildHeader},
      {StateEncryptCheckSpace, &TForm8::StepEncryptCheckSpace},
      {StateEncryptSetKey, &TForm8::StepEncryptSetKey},
      {StateEncryptOpenSource, &TForm8::StepEncryptOpenSource},
      {StateEncryptCreateTarget, &TForm8::StepEncryptCreateTarget},
      {StateWriteHeader, &TForm8::StepWriteHeader},
      {StateEncryptReadBlock, &TForm8::StepEncryptReadBlock},
      {StateEncipherBlock, &TForm8::StepEncipherBlock},
      {StateEncryptWriteBlock, &TForm8::StepEncryptWriteBlock},
      {StateEncryptAdvance, &TForm8::StepEncryptAdvance},
      {StateEncryptCloseSource, &TForm8::StepEncryptCloseSource},
      {StateWriteKeyCheck, &TForm8::StepWriteKeyCheck},
      {StateEncryptCloseTarget, &TForm8::StepEncryptCloseTarget},
      {StateVerifyDisketteEject, &TForm8::StepVerifyDisketteEject},
      {StateVerifyStart, &TForm8::StepVerifyStart},
      {StateVerifyOpenSource, &TForm8::StepVerifyOpenSource},
      {StateVerifyOpenTarget, &TForm8::StepVerifyOpenTarget},
      {StateVerifyHeader, &TForm8::StepVerifyHeader},
      {StateVerifyReadSource, &TForm8::StepVerifyReadSource},
      {StateVerifyReadTarget, &TForm8::StepVerifyReadTarget},
      {StateVerifyEncipher, &TForm8::StepVerifyEncipher},
      {StateVerifyCompare, &TForm8::StepVerifyCompare},
      {StateVerifyAdvance, &TForm8::StepVerifyAdvance},
      {StateVerifyKeyCheck, &TForm8::StepVerifyKeyCheck},
      {StateVerifyCloseSource, &TForm8::StepVerifyCloseSource},
      {StateVerifyCloseTarget, &TForm8::StepVerifyCloseTarget},
      {StateDeletePlaintext, &TForm8::StepDeletePlaintext},
      {StateDecryptTotals, &TForm8::StepDecryptTotals},
      {StateDecryptNextFile, &TForm8::StepDecryptNextFile},
      {StateDecryptFindSource, &TForm8::StepDecryptFindSource},
      {StateDecryptRetrySource, &TForm8::StepDecryptRetrySource},
      {StateDecryptCheckTarget, &TForm8::StepDecryptCheckTarget},
      {StateDecryptOverwriteAnswer, &TForm8::StepDecryptOverwriteAnswer},
      {StateDecryptCheckSpace, &TForm8::StepDecryptCheckSpace},
      {StateDecryptSetKey, &TForm8::StepDecryptSetKey},
      {StateDecryptOpenSource, &TForm8::StepDecryptOpenSource},
      {StateDecryptCreateTemp, &TForm8::StepDecryptCreateTemp},
      {StateDecryptReadBlock, &TForm8::StepDecryptReadBlock},
      {StateDecipherBlock, &TForm8::StepDecipherBlock},
      {StateDecryptWriteBlock, &TForm8::StepDecryptWriteBlock},
      {StateDecryptAdvance, &TForm8::StepDecryptAdvance},
      {StateReadKeyCheck, &TForm8::StepReadKeyCheck},
      {StateDecryptCloseSource, &TForm8::StepDecryptCloseSource},
      {StateDecryptCloseTemp, &TForm8::StepDecryptCloseTemp},
      {StateAuthenticateKey, &TForm8::StepAuthenticateKey},
      {StatePlaceDecryptedFile, &TForm8::StepPlaceDecryptedFile},
      {StateDeleteEncrypted, &TForm8::StepDeleteEncrypted},
      {StateDeleteListTotals, &TForm8::StepDeleteListTotals},
      {StateDeleteListNextFile, &TForm8::StepDeleteListNextFile},
      {StateDeleteFile, &TForm8::StepDeleteFile},
      {StateDeleteRetryAnswer, &TForm8::StepDeleteRetryAnswer},
      {StateWipeStart, &TForm8::StepWipeStart},
      {StateWipeOpenPass, &TForm8::StepWipeOpenPass},
      {StateWipeWriteBlock, &TForm8::StepWipeWriteBlock},
      {StateWipeAdvance, &TForm8::StepWipeAdvance},
      {StateWipeEndPass, &TForm8::StepWipeEndPass},
      {StateWipeRemove, &TForm8::StepWipeRemove},
      {StateFinish, &TForm8::StepFinish},
      {StateErrorAnswer, &TForm8::StepErrorAnswer},
  };
  static_assert(
      std::is_sorted(std::begin(Table), std::end(Table),
                     [](const TStepEntry& a, const TStepEntry& b) { return a.State < b.State; }),
      "the step table is searched by halves");
  const auto* entry =
      std::lower_bound(std::begin(Table), std::end(Table), state,
                       [](const TStepEntry& e, uint16_t code) { return e.State < code; });
  return entry != std::end(Table) && entry->State == state ? entry->Step : nullptr;
}

void TForm8::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Label1", Label1);
  binder.Control("Label14", Label14);
  for (int n = FirstStatusIcon; n <= LastStatusIcon; ++n) {
    binder.Control("Image" + std::to_string(n),
                   StatusIcons[static_cast<size_t>(n - FirstStatusIcon)]);
  }
  binder.Control("GroupBox2", GroupBox2);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label8", Label8);
  binder.Control("Label11", Label11);
  binder.Control("Label12", Label12);
  binder.Control("Label13", Label13);
  binder.Control("Label7", Label7);
  binder.Control("Label6", Label6);
  binder.Control("Label10", Label10);
  binder.Control("Label9", Label9);
  binder.Control("ProgressBar1", ProgressBar1);
  binder.Control("ProgressBar2", ProgressBar2);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Control("Button4", Button4);
  binder.Control("Timer1", Timer1);
  binder.Control("Timer2", Timer2);
  binder.Handler("FormShow", this, &TForm8::FormShow);
  binder.Handler("FormHide", this, &TForm8::FormHide);
  binder.Handler("FormClose", this, &TForm8::FormClose);
  binder.Handler("Timer1Timer", this, &TForm8::Timer1Timer);
  binder.Handler("Timer2Timer", this, &TForm8::Timer2Timer);
  binder.Handler("Button1Click", this, &TForm8::Button1Click);
  binder.Handler("Button2Click", this, &TForm8::Button2Click);
  binder.Handler("Button3Click", this, &TForm8::Button3Click);
  binder.Handler("Button4Click", this, &TForm8::Button4Click);
}

// --- Lifecycle -------------------------------------------------------------------

void TForm8::FormShow() {
  SavedErrorMode = platform::SetErrorMode(platform::SemFailCriticalErrors);
  CloseAllStreams();
  ErrorReportsOn = true;
  StopRequested = false;
  runActive_ = true;
  keystreamLockLogged_ = false;
  Form2->Hide();
  // Windows that would change the job list or start a run of their own
  // have nothing to do while this one runs: they go, and come back only
  // when asked for again.
  Form9->Hide();
  Form18->Hide();
  SetCaption(ReadyCaption);
  Button2->SetEnabled(true);
  Button3->SetEnabled(true);
  Button4->SetEnabled(false);
  SetAnimation(AnimationRotate);
  EngineState.Current = StateClearDisplay;
  Button1->SetEnabled(true);
  Timer2->SetInterval(1000);
  Timer2->SetEnabled(true);
  Timer1->SetEnabled(true);
}

// However the window goes (OK, the log window, the exit), the engine stops
// and lets go of its files and of the error mode.
void TForm8::FormHide() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  CloseAllStreams();
  RunKeystream.Wipe();
  cipherDone_ = 0;
  keyPremixed_ = 0;
  platform::WipeStackBelow();
  // What is still there now is past this run's care: a later run must not
  // remove a file that someone else may have put under that name since.
  leftovers_.clear();
  runActive_ = false;
  platform::SetErrorMode(SavedErrorMode);
}

void TForm8::FormClose(ui::TCloseAction& action) {
  if (ExitRequested) return;
  action = ui::TCloseAction::None;
  if (Minimized()) {
    Timer2->SetEnabled(true);
    SendSysCommand(ui::SC_RESTORE);
  }
}

// One tick runs steps, each as the state machine gives it, until a step
// waits (for the user, for a retry, at the finish) or the tick has done its
// work: about one block of fresh keystream. Steps that cost next to nothing
// (reads, writes, compares, progress, the next file) run on in the same
// tick; a click lands between two ticks, so always between two steps.
void TForm8::Timer1Timer() {
  // The engine state is the program's, moved by its one processing window
  // while that window's run lasts; a finished run's ticks have nothing to do.
  if (Form8 != this || !runActive_) return;
  RunTickSteps();
  ShowDueProgress();
}

void TForm8::RunTickSteps() {
  tickWork_ = 0;
  const bool realClock = ui::clock::Mode() == ui::ClockMode::Real;
  const auto started = std::chrono::steady_clock::now();
  tickStarted_ = started;
  longestSlice_ = {};
  auto stepStarted = started;
  std::chrono::steady_clock::duration longestStep{};
  while (true) {
    const uint16_t state = EngineState.Current;
    EngineState.Next = state;
    if (const TStep step = StepFor(state)) (this->*step)();
    EngineState.Current = EngineState.Next;
    if (EngineState.Current == EngineIdle || EngineState.Current == state) return;
    if (!Timer1->Enabled() || tickWork_ >= tickBudget_) return;
    // On the real clock the tick also ends before its time runs out: when
    // a step as long as the longest so far would take it past the limit
    // (a slow device, a busy machine), the next step waits for the next tick.
    if (realClock) {
      const auto now = std::chrono::steady_clock::now();
      longestStep = std::max(longestStep, now - stepStarted);
      stepStarted = now;
      if (now - started + longestStep >= TickTimeLimit) return;
    }
  }
}

void TForm8::ChargeTick(int64_t keystreamBytes) {
  tickWork_ += keystreamBytes;
}

void TForm8::ChargeTransfer(int64_t bytes) {
  tickWork_ += bytes / TransferBytesPerUnit;
}

// The tick's budget, and on the real clock a slice at a time while the tick
// has time for one more as long as its longest (a tick's first slice always
// runs, so every tick gets on).
size_t TForm8::SliceAllowance() {
  if (tickBudget_ <= 0) return static_cast<size_t>(-1);
  size_t allowance = static_cast<size_t>(std::max<int64_t>(tickBudget_ - tickWork_, 0));
  if (ui::clock::Mode() == ui::ClockMode::Real) {
    const auto now = std::chrono::steady_clock::now();
    if (now - tickStarted_ + longestSlice_ >= TickTimeLimit) return 0;
    allowance = std::min(allowance, RealClockSlice);
  }
  return allowance;
}

void TForm8::EndSlice(std::chrono::steady_clock::time_point began, size_t allowed, size_t left) {
  ChargeTick(static_cast<int64_t>(allowed - left));
  if (ui::clock::Mode() == ui::ClockMode::Real) {
    longestSlice_ = std::max(longestSlice_, std::chrono::steady_clock::now() - began);
  }
}

void TForm8::Timer2Timer() {
  AnimateStatusIcon();
}

void TForm8::Button1Click() {
  Timer2->SetEnabled(false);
  platform::SetPriorityClass(platform::NormalPriorityClass);
  ClearKeyState();
  ResetKeyStream();
  RunKeystream.Wipe();
  platform::WipeStackBelow();
  if (Button1->Caption() == CancelCaption) {
    LogAction("*** User requested to cancel operations");
    StopRequested = true;
    EngineState.Current = StateFinish;
    return;
  }
  Hide();
  Form2->Show();
  Form2->BringToFront();
}

void TForm8::Button2Click() {
  SendSysCommand(ui::SC_MINIMIZE);
  Timer2->SetEnabled(false);
}

void TForm8::Button3Click() {
  Button2Click();
}

void TForm8::Button4Click() {
  Timer1->SetEnabled(false);
  Hide();
  Form21->Show();
  Form21->BringToFront();
}

void TForm8::CloseAllStreams() {
  CloseSource();
  CloseTarget();
  TempStream.reset();
  WipeStream.reset();
  TempOpen = false;
  WipeStreamOpen = false;
  RemovePartialFile();
}

void TForm8::RemovePartialFile() {
  if (!partialFile_.empty()) {
    leftovers_.push_back({partialFile_, tempIdentity_});
    partialFile_.clear();
  }
  RemoveLeftovers();
}

// Only the file this run made goes, reached without a link on the way: a
// file that took its name meanwhile stays (and the finish says that the
// unfinished file could not be removed).
void TForm8::RemoveLeftovers() {
  std::erase_if(leftovers_, [](const TLeftover& left) {
    return platform::DeleteListedFile(left.Path, left.Identity) || !platform::FileExists(left.Path);
  });
}

void TForm8::CloseSource() {
  SourceStream.reset();
  SourceOpen = false;
}

void TForm8::CloseTarget() {
  TargetStream.reset();
  TargetOpen = false;
}

bool TForm8::OpenForReading(std::unique_ptr<platform::FileStream>& stream, bool& open,
                            const std::string& path, const std::string& file, uint16_t code) {
  stream = platform::FileStream::OpenNoLinks(path, platform::FileMode::OpenRead,
                                             platform::ShareMode::Exclusive);
  open = stream != nullptr;
  if (!open) {
    ErrorFileText = file;
    RaiseError(code, EngineState.Current);
  }
  return open;
}

// --- Run start states --------------------------------------------------------------

void TForm8::StepClearDisplay() {
  HideStatusIcons();
  Label1->SetCaption("");
  if (RunMode == RunDeleteFile) {
    Label11->SetCaption("N/A (Single file delete)");
    Label12->SetCaption(EscapedText(DeleteName));
    Label13->SetCaption(EscapedText(DeleteFolder));
  } else {
    Label11->SetCaption("");
    Label12->SetCaption("");
    Label13->SetCaption("");
  }
  Label7->SetCaption("");
  Label6->SetCaption("");
  Label10->SetCaption("");
  Label9->SetCaption("");
  ProgressBar1->SetPosition(0);
  ProgressBar2->SetPosition(0);
  Button1->SetCaption(CancelCaption);
  Button1->SetEnabled(true);
  SetNextState(StateResetRun);
}

void TForm8::StepResetRun() {
  ResetRunVariables();
  Form21->ListBox1->Clear();
  AssignLogFileName();
  SetNextState(StateChoosePath);
}

// Nothing of an earlier run carries over. The delete sub-machine's inputs
// are the caller's, and a one-file delete's caller sets its overall totals
// before the window shows.
void TForm8::ResetRunVariables() {
  const int64_t callerTotals[] = {OverallTotal, OverallDone, OverallStep};
  const auto reset = [](const char*, auto& value) { value = {}; };
  ForEachRunVariable(reset);
  ForEachWarningAndErrorVariable(reset);
  ForEachActivityLogVariable(reset);
  if (RunMode == RunDeleteFile) {
    OverallTotal = callerTotals[0];
    OverallDone = callerTotals[1];
    OverallStep = callerTotals[2];
  }
  AnimationIcon = FirstRotationIcon;
  sourceIdentity_.reset();
  if (RunMode == RunDeleteFile) deleteIdentity_.reset();
  progressHeld_ = false;
  progressShownAt_ = ui::clock::NowMs();
  WarningsOn = true;
  ErrorReportsOn = true;
  fileBoostClass_ = platform::NormalPriorityClass;
  deleteRetryQuiet_ = false;
}

void TForm8::StepChoosePath() {
  struct TPath {
    uint8_t Mode;
    uint16_t Skip;
    uint16_t First;
  };
  static constexpr TPath Paths[] = {
      {RunEncrypt, StateEncryptNextFile, StateEncryptTotals},
      {RunDecrypt, StateDecryptNextFile, StateDecryptTotals},
      {RunDeleteFile, StateFinish, StateDeleteFile},
      {RunDeleteJobList, StateDeleteListNextFile, StateDeleteListTotals},
  };
  for (const TPath& path : Paths) {
    if (path.Mode == RunMode) {
      SkipState = path.Skip;
      SetNextState(path.First);
    }
  }
}

uint16_t TForm8::JobEntryCount() {
  return std::min(JobList.JobCount, JobListCapacityMax);
}

void TForm8::StepEncryptTotals() {
  OverallDone = 0;
  for (uint16_t i = 1; i <= JobEntryCount(); ++i) {
    const int64_t size = JobList.Size[i];
    OverallTotal += size;
    if (VerifyAfterEncrypt) OverallTotal += size;
    if (DeletePlaintextAfterEncrypt) OverallTotal += OverwriteProgressBytes(size);
  }
  OverallStep = OverallTotal / ProgressSteps;
  SetNextState(StateEncryptNextFile);
}

int64_t TForm8::KilobytesRoundedUp(int64_t size) {
  const int64_t q = size / 1024;
  return q % 1024 > 0 ? q + 1 : q;
}

int64_t TForm8::OverwriteProgressBytes(int64_t size) {
  return KilobytesRoundedUp(size) * 1024 * OverwritePasses(DeleteMethod);
}

// --- Progress ---------------------------------------------------------------------

// The progress lines follow the work at most every progress interval on
// the window's clock; what is held back is shown at the end of a tick that
// finds it due, or that leaves the engine waiting (for the user).
void TForm8::AdvanceProgress(int64_t bytes) {
  FileDone += bytes;
  OverallDone += bytes;
  if (ui::clock::NowMs() - progressShownAt_ < progressInterval_) {
    progressHeld_ = true;
    return;
  }
  ShowProgressNow();
}

void TForm8::ShowProgressNow() {
  progressHeld_ = false;
  progressShownAt_ = ui::clock::NowMs();
  ShowFileProgress();
  ShowOverallProgress();
}

void TForm8::ShowDueProgress() {
  if (!progressHeld_) return;
  const bool waiting = !runActive_ || StepFor(EngineState.Current) == nullptr;
  if (waiting || ui::clock::NowMs() - progressShownAt_ >= progressInterval_) ShowProgressNow();
}

void TForm8::ShowFileProgress() {
  const TProgressText p = ProgressOf(FileDone, FileTotal, FileStep);
  Label7->SetCaption(p.Amount);
  ProgressBar1->SetPosition(p.Bar);
  Label6->SetCaption(p.Percent);
}

// The overall percent keeps three characters ("100%" shows as "100"), and
// the window's caption carries it while the window is minimised.
void TForm8::ShowOverallProgress() {
  const TProgressText p = ProgressOf(OverallDone, OverallTotal, OverallStep);
  const std::string percent = p.Percent.substr(0, 3);
  Label10->SetCaption(p.Amount);
  ProgressBar2->SetPosition(p.Bar);
  Label9->SetCaption(percent);
  SetCaption("VEK: " + percent + " complete");
}

// --- CPU boost -----------------------------------------------------------------------

bool TForm8::BoostApplies(int64_t size) {
  return InsaneModeFor(InsaneModeThreshold, size);
}

void TForm8::ShowBoost(uint32_t priorityClass, std::string_view caption) {
  fileBoostClass_ = priorityClass;
  platform::SetPriorityClass(priorityClass);
  GroupBox2->SetCaption(caption);
}

void TForm8::RestoreBoost() {
  if (fileBoostClass_ != platform::NormalPriorityClass) platform::SetPriorityClass(fileBoostClass_);
}

// --- Status icons ----------------------------------------------------------------------

void TForm8::ShowStatusIcon(int number, bool visible) {
  if (number < FirstStatusIcon || number > LastStatusIcon) return;
  StatusIcons[static_cast<size_t>(number - FirstStatusIcon)]->SetVisible(visible);
}

void TForm8::HideStatusIcons() {
  for (ui::TImage* icon : StatusIcons) icon->SetVisible(false);
}

void TForm8::SetAnimation(uint8_t kind) {
  HideStatusIcons();
  AnimationKind = kind;
}

void TForm8::AnimateStatusIcon() {
  switch (AnimationKind) {
    case AnimationRotate:
      ShowStatusIcon(AnimationIcon, false);
      AnimationIcon = static_cast<uint8_t>(AnimationIcon >= LastRotationIcon ? FirstRotationIcon
                                                                             : AnimationIcon + 1);
      ShowStatusIcon(AnimationIcon, true);
      break;
    case AnimationVerify:
      ShowStatusIcon(VerifyIcon, true);
      break;
    case AnimationBlink:
      BlinkCompanion = 0;
      ShowStatusIcon(BlinkPhase == 0 ? BlinkIconA : BlinkIconB, false);
      ShowStatusIcon(BlinkPhase == 0 ? BlinkIconB : BlinkIconA, true);
      BlinkPhase = BlinkPhase == 0 ? 1 : 0;
      break;
    case AnimationFinished:
      ShowStatusIcon(FinishedIcon, true);
      break;
    case AnimationWarning:
      ShowStatusIcon(WarningIcon, true);
      break;
    default:
      break;
  }
}

// --- Finish ------------------------------------------------------------------------------

void TForm8::StepFinish() {
  // Nothing of the run's keystream outlives it. A full store takes longer
  // to overwrite than a tick may last, so it goes a slice a tick, and the
  // finish goes on (and offers OK) only once all of it is gone.
  if (!WipeRunKeystreamSlices()) return;
  // The key box was where each file took its key from; the run is done
  // with it, and the window empties it when it is shown again anyway.
  Form7->Edit1->SetText("");
  // What the key's set-up and the cipher left on the stack below.
  platform::WipeStackBelow();
  Timer2->SetEnabled(false);
  platform::SetPriorityClass(platform::NormalPriorityClass);
  fileBoostClass_ = platform::NormalPriorityClass;
  progressHeld_ = false;  // the finish shows its own figures
  sourceDigests_ = {};
  writtenDigests_ = {};
  CloseAllStreams();
  for (const TLeftover& left : leftovers_) {
    LogAction("*** The unfinished file " + left.Path + " could not be removed");
  }
  GroupBox2->SetCaption(TaskDetailsCaption);
  Label11->SetCaption("All");

  if (FileTotal == 1) FileTotal = 0;
  Label7->SetCaption(SizeToText(FileTotal) + " of " + SizeToText(FileTotal));
  Label6->SetCaption("100%");
  ProgressBar1->SetPosition(ProgressSteps);
  Label10->SetCaption(SizeToText(OverallTotal) + " of " + SizeToText(OverallTotal));
  Label9->SetCaption("100%");
  ProgressBar2->SetPosition(ProgressSteps);

  SetAnimation(AnimationFinished);
  AnimateStatusIcon();  // the animation timer is off now: show it at once
  Button1->SetEnabled(true);
  Button2->SetEnabled(false);
  Button3->SetEnabled(false);
  Button4->SetEnabled(true);
  if (RunMode == RunDeleteJobList) EndJobListDelete();
  Form2->FileListBox1->Update();
  // The counts as the run left them, before the finish's own lines.
  Form21->Label4->SetCaption(std::to_string(ActionCount));
  Form21->Label6->SetCaption(std::to_string(ErrorCount));

  // A stop by request counts first, whether or not errors came before it.
  if (StopRequested) {
    LogAction("*** Processing interupted by user");
    Label1->SetCaption("Stopped by request.");
    Label14->SetCaption("Did not complete all tasks");
    SetCaption("VEK: Interrupted");
  } else {
    Label1->SetCaption(ErrorCount != 0 ? "Completed (including errors)" : "Completed.");
    Label14->SetCaption("Finished all tasks");
    SetCaption("VEK: Finished");
  }
  Button1->SetCaption(OkCaption);
  LogAction(" ");
  LogAction("Processing finished at " + NowText());

  runActive_ = false;
  SetNextState(EngineIdle);
  SendSysCommand(ui::SC_RESTORE);
}

bool TForm8::WipeRunKeystreamSlices() {
  if (ui::clock::Mode() != ui::ClockMode::Real) return RunKeystream.WipeSome(FinishWipeSlice);
  std::chrono::steady_clock::duration longest{};
  while (true) {
    const auto began = std::chrono::steady_clock::now();
    if (RunKeystream.WipeSome(RealClockWipePiece)) return true;
    const auto now = std::chrono::steady_clock::now();
    longest = std::max(longest, now - began);
    if (now - tickStarted_ + longest >= TickTimeLimit) return false;
  }
}

// --- Cipher ---------------------------------------------------------------------------------

void TForm8::SetKey(std::string_view key) {
  KeyState.SetKey(key);
}
uint8_t TForm8::EncipherByte(uint8_t value) {
  return KeyState.EncipherByte(value);
}
uint8_t TForm8::DecipherByte(uint8_t value) {
  return KeyState.DecipherByte(value);
}
void TForm8::ClearKeyState() {
  KeyState.ClearKeyState();
}
void TForm8::ResetKeyStream() {
  KeyState.ResetKeyStream();
}

bool TForm8::CipherBlockInSlices(bool decipher) {
  const size_t length = BlockLength;
  while (true) {
    const size_t allowed = SliceAllowance();
    if (allowed == 0) return false;
    const auto began = std::chrono::steady_clock::now();
    size_t left = allowed;
    if (cipherDone_ < length) {
      uint8_t* const at = SharedBuffer.data() + cipherDone_;
      cipherDone_ += decipher ? RunKeystream.DecipherSome(KeyState, at, length - cipherDone_, left)
                              : RunKeystream.EncipherSome(KeyState, at, length - cipherDone_, left);
    }
    const bool done = cipherDone_ == length && RunKeystream.SyncKey(KeyState, left);
    EndSlice(began, allowed, left);
    NoteKeystreamLock();
    if (done) {
      cipherDone_ = 0;
      return true;
    }
  }
}

// The keystream is kept only in memory the system has locked; when it locks
// less than the run could use, the run says so once and computes the rest.
void TForm8::NoteKeystreamLock() {
  if (keystreamLockLogged_ || !RunKeystream.LockRefused()) return;
  keystreamLockLogged_ = true;
  const size_t kept = RunKeystream.Kept();
  LogAction(kept == 0
                ? std::string("*** The system refused to lock memory for the keystream: it is "
                              "computed as it is needed")
                : "*** The system locked memory for " + SizeToText(static_cast<int64_t>(kept)) +
                      " of keystream only: the rest is computed as it is needed");
}

bool TForm8::SetKeyFromKeyEntry() {
  if (keyPremixed_ == 0) {
    // Both copies of the key text are overwritten when they go.
    const platform::SecretString typed(Form7->Edit1->Text());
    const platform::SecretString key(TrimKeyText(typed));
    if (key.empty()) {
      // The key window never lets such a key through; the run stops rather
      // than encipher without a key.
      LogAction("*** The key is empty");
      StopRequested = true;
      SetNextState(StateFinish);
      return false;
    }
    KeyState.FillKey(key);
  }
  // The premix: a pass per state byte.
  while (keyPremixed_ < KeyStateSize) {
    const size_t allowed = SliceAllowance();
    if (allowed == 0) return false;
    const auto began = std::chrono::steady_clock::now();
    const size_t count = std::min(allowed, KeyStateSize - keyPremixed_);
    KeyState.PremixKeyState(keyPremixed_, keyPremixed_ + count);
    keyPremixed_ += count;
    EndSlice(began, allowed, allowed - count);
  }
  keyPremixed_ = 0;
  RunKeystream.Begin(KeyState);
  return true;
}

}  // namespace vek
