// What the encrypt and decrypt paths do alike for each job: show it, look
// for the source, ask before an existing target is replaced, check the free
// space, and read, write and count blocks. Each path passes its own states.

#include <string>

#include "core/system_info.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/files.h"

namespace vek {

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
  SourceExists = platform::FileExists(JobFolder + SourceName);
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
  TargetExists = platform::FileExists(JobFolder + TargetName);
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
  if (stream.Write(data, length) == length) return true;
  stream.Seek(at);
  ErrorFileText = file;
  RaiseError(platform::err::WriteFault, EngineState.Current);
  return false;
}

void TForm8::AdvanceProgress(int64_t bytes) {
  FileDone += bytes;
  OverallDone += bytes;
  ShowFileProgress();
  ShowOverallProgress();
}

}  // namespace vek
