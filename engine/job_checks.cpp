// What the encrypt and decrypt paths do alike for each job: show it, look
// for the source, ask before an existing target is replaced, check the free
// space, read, write and count blocks, and write the target under a
// temporary name that it exchanges for its own only once it is complete.
// Each path passes its own states.

#include <string>

#include "core/system_info.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/files.h"

namespace vek {

namespace {

// "tmp.tmp", then "tmp2.tmp" ... when a name is taken.
constexpr int TempNameTries = 1000;

std::string TempFileName(int attempt) {
  return attempt == 1 ? "tmp.tmp" : "tmp" + std::to_string(attempt) + ".tmp";
}

}  // namespace

void TForm8::BeginJob(uint16_t next) {
  FileTotal = SourceSize;
  FileDone = 0;
  FileStep = SourceSize / ProgressSteps;
  ShowFileProgress();
  Label11->SetCaption(std::to_string(JobPos) + " of " + std::to_string(JobList.JobCount) + ".");
  Label12->SetCaption(SourceName + " -> " + TargetName);
  Label13->SetCaption(JobFolder);
  LogAction("Now processing: " + SourceName + " -> " + TargetName + " " + SizeToText(SourceSize));
  SetNextState(next);
}

void TForm8::FindSource(uint16_t found, uint16_t retry, uint16_t missing) {
  Label1->SetCaption("Searching for source file..");
  SourceExists = platform::FileExists(SourcePath());
  if (SourceExists) {
    SetNextState(found);
  } else if (ErrorReportsOn) {
    Label1->SetCaption("Source file not found");
    ErrorFileText = SourceName;
    RaiseError(platform::err::FileNotFound, retry);
  } else {
    SetNextState(missing);
  }
}

void TForm8::RetrySourceAnswer(uint16_t find, uint16_t skip) {
  if (ErrorAnswer == ErrorAnswerRetry) {
    LogLine("Searching again..");
    SetNextState(find);
  } else {
    LogAction("Skipping this file");
    SetNextState(skip);
  }
}

void TForm8::CheckTarget(uint16_t absent, uint16_t answer) {
  Label1->SetCaption("Searching for destination file..");
  TargetExists = platform::FileExists(TargetPath());
  if (!TargetExists || !WarningsOn) {
    SetNextState(absent);
    return;
  }
  Label1->SetCaption("Destination file exists");
  RaiseWarning(true, TargetName, answer, "This file already exists, overwrite it?");
}

void TForm8::CheckFreeSpace(int64_t need, const std::string& errorFile, uint16_t enough,
                            uint16_t skip) {
  const char letter = JobFolder.empty() ? '\0' : JobFolder[0];
  GetDriveSpace(letter);
  if (DriveFreeBytes < 0 || DriveTotalBytes < 0) {
    ErrorFileText = errorFile;
    RaiseError(platform::err::NotReady, EngineState.Current);
    return;
  }
  if (need < DriveFreeBytes) {
    SetNextState(enough);
    return;
  }
  RaiseWarning(false,
               "There is not enough free disk space on drive " + std::string(1, letter) + ": (" +
                   SizeToText(need) + " min required, " + SizeToText(DriveFreeBytes) + " free)",
               skip,
               "Either free up space on this drive or copy file to another drive with more free "
               "space.");
}

int64_t TForm8::ReadExactly(platform::FileStream& stream, uint8_t* buffer, int64_t count,
                            const std::string& file, uint16_t failureCode) {
  ChargeTransfer(count);
  const int64_t got = stream.Read(buffer, count);
  if (got == count) return got;
  if (got >= 0) LogLine("*** " + file + " ended before the size it had when it was opened");
  ErrorFileText = file;
  RaiseError(got < 0 ? failureCode : platform::err::ReadFault, EngineState.Current);
  return -1;
}

bool TForm8::WriteOrRaise(platform::FileStream& stream, const uint8_t* data, size_t count,
                          const std::string& file) {
  const int64_t at = stream.Position();
  const auto length = static_cast<int64_t>(count);
  ChargeTransfer(length);
  if (stream.Write(data, length) == length) return true;
  stream.Seek(at);
  ErrorFileText = file;
  RaiseError(platform::err::WriteFault, EngineState.Current);
  return false;
}

bool TForm8::CreateTempFile(std::unique_ptr<platform::FileStream>& stream, bool& open) {
  RemovePartialFile();  // what an earlier try of this file left
  for (int attempt = 1; attempt <= TempNameTries; ++attempt) {
    const std::string name = TempFileName(attempt);
    if (name == TargetName) continue;
    int error = 0;
    stream = platform::FileStream::Open(JobFolder + name, platform::FileMode::CreateNew,
                                        platform::ShareMode::Exclusive, &error);
    if (stream) {
      open = true;
      tempName_ = name;
      partialFile_ = JobFolder + name;
      return true;
    }
    if (error != platform::err::FileExists) return false;
  }
  return false;
}

bool TForm8::PlaceTempFile() {
  const std::string target = TargetPath();
  const std::string temp = JobFolder + tempName_;
  const bool placed =
      TargetExists ? platform::ReplaceFile(temp, target) : platform::RenameFile(temp, target);
  if (placed) partialFile_.clear();
  return placed;
}

}  // namespace vek
