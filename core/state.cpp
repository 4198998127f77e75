#include "core/state.h"

namespace vek {

namespace {

void ResetOptions() {
  StartCount = 0;
  OwnerFirstName.Clear();
  OwnerLastName.Clear();
  OwnerCompany.Clear();
  OwnerLocation.Clear();
  OwnerEmail.Clear();
  InfoLine1.Clear();
  InfoLine2.Clear();
  InfoLine3.Clear();
  TimestampEncryption = false;
  PreserveAttributes = false;
  WindowsInformation = false;
  DeletePlaintextAfterEncrypt = false;
  VerifyAfterEncrypt = false;
  DeleteEncryptedAfterDecrypt = false;
  DeleteMethod = 0;
  ShowHints = false;
  HintPause = 0;
  HintHidePause = 0;
  SaveWindowLayout = false;
  ScreenLockEnabled = false;
  ScreenLockPassword.Clear();
  LockWindowSpeed = 0;
  InsaneModeThreshold = 0;
  WindowLeft = {};
  WindowTop = {};
}

void ResetSystemInformation() {
  WindowsVersionCode = 0;
  WindowsMajorVersion = 0;
  WindowsMinorVersion = 0;
  WindowsBuildNumber = 0;
  WindowsVersionText.clear();
  WindowsComputerName.clear();
  WindowsRegisteredOwner.clear();
  WindowsRegisteredOrganization.clear();
  WindowsProductId.clear();
  DriveKinds = {};
  DriveBytesPerSector = 0;
  DriveSectorsPerCluster = 0;
  DriveBytesPerCluster = 0;
  DriveUsedClusters = 0;
  DriveFreeClusters = 0;
  DriveTotalClusters = 0;
  DriveUsedBytes = 0;
  DriveFreeBytes = 0;
  DriveTotalBytes = 0;
  DriveUsedPercent = 0;
  VolumeFileSystem.clear();
  VolumeFlags = {};
}

void ResetJobData() {
  JobList.JobCount = 0;
  JobList.JobListCapacity = 0;
  JobList.JobTotalSize = 0;
  JobList.SelectedRow = 0;
  for (size_t i = 0; i < TJobList::Slots; ++i) JobList.ClearEntry(i);
  CurrentFile = {};
  ViewerRecord = {};
  EditedEntry = {};
}

void ResetEngine() {
  EngineState = {};
  SavedErrorMode = 0;
  JobPos = 0;
  SourceName.clear();
  TargetName.clear();
  JobFolder.clear();
  SourceSize = 0;
  SourceExists = false;
  TargetExists = false;
  SourceOpen = false;
  TargetOpen = false;
  TempOpen = false;
  FileTotal = 0;
  FileDone = 0;
  FileStep = 0;
  OverallTotal = 0;
  OverallDone = 0;
  OverallStep = 0;
  InsaneMode = false;
  AnimationKind = 0;
  AnimationIcon = 0;
  BlinkPhase = 0;
  BlinkCompanion = 0;
  HeaderText.clear();
  HeaderLength = 0;
  BlockLength = 0;
  EncryptDone = 0;
  DecryptDone = 0;
  KeyAuthenticated = false;

  DeleteFolder.clear();
  DeleteName.clear();
  DeleteSize = 0;
  DeleteReturnState = 0;
  DeleteShowProgress = false;
  WipePassCount = 0;
  WipePass = 0;
  WipeBlockLength = 0;
  WipeStreamOpen = false;

  WarningsOn = false;
  ErrorReportsOn = false;
  WarningAnswer = 0;
  WarningContinuation = 0;
  ErrorCode = 0;
  ErrorType.clear();
  ErrorDetail.clear();
  ErrorAdvice.clear();
  RetryPossible = false;
  ErrorFileText.clear();
  ErrorAnswer = 0;
  RetryState = 0;
  SkipState = 0;
  StopRequested = false;
  ErrorCount = 0;

  ActionCount = 0;
  LogFileName.clear();
}

void ResetKeyEntry() {
  KeyLength = 0;
  CapsOn = false;
  KeyGenState = 0;
  KeyGenTicks = 0;
  KeyGenBlink = false;
  KeyGenBuffer.Clear();
}

void ResetCompanionWindows() {
  LockStepX = 0;
  LockStepY = 0;
  LockMaxLeft = 0;
  LockMaxTop = 0;
  LockPenaltyTicks = 0;
  UpdatePhase = 0;
  UpdateFrame = 0;
  UpdateFetched = 0;
  UpdateReply.clear();
  LatestVersion.clear();
  DownloadAddress.clear();
  WipeRow = 0;
}

}  // namespace

void ResetProgramState() {
  KeyState = {};
  RunKeystream.Wipe();
  SharedBuffer = {};
  SharedBuffer2 = {};
  NowYear = NowMonth = NowDay = NowDayOfWeek = 0;
  NowHour = NowMin = NowSec = NowMSec = 0;
  ResetOptions();
  ResetSystemInformation();
  ProgramFolder.clear();
  ExitRequested = false;
  ConfirmDeletes = false;
  RunMode = 0;
  ResetJobData();
  ResetEngine();
  ResetKeyEntry();
  ResetCompanionWindows();
}

}  // namespace vek
