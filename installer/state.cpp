#include "installer/state.h"

namespace vek::installer {

const TPayloadTable& PayloadTable() {
  return PayloadTableOverride ? *PayloadTableOverride : ShippedPayloadTable();
}

std::unique_ptr<platform::FileStream> OpenSetupFile(int* error) {
  return platform::FileStream::Open(SetupDir + SetupName, platform::FileMode::OpenRead,
                                    platform::ShareMode::DenyNone, error);
}

std::string InstallWorkingFolder() {
  return InstallDir.size() <= 3 ? InstallDir : InstallDir.substr(0, InstallDir.size() - 1);
}

void ResetInstallerState() {
  SetupDir.clear();
  SetupName.clear();
  SetupSize = PayloadOffset = PayloadSize = 0;
  PayloadTotal = 0;
  TrailerBytes = {};
  ExpectedSum = 0;
  FreeSpace = 0;
  InstallDir.clear();
  MarqueeLine = MarqueeState = 0;
  MarqueeX = MarqueeY = 0;
  MarqueeStart = MarqueeOffset = 0;
  MarqueeSteps = MarqueeTick = MarqueeHold = 0;
  CurrentStep = NextStep = 0;
  TaskIndex = TaskTick = 0;
  SourceStream.reset();
  TargetStream.reset();
  ChunkBuffer = {};
  ComputedSum = SumCount = 0;
  FileIndex = 0;
  FileRemaining = CopiedTotal = 0;
  StepFailures = 0;
  InstallNotes.clear();
  EntryCommand.clear();
  SetupFileOverride.reset();
  PayloadTableOverride.reset();
}

}  // namespace vek::installer
