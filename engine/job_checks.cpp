// What the encrypt and decrypt paths do alike for each job: show it, look
// for the source, ask before an existing target is replaced, check the free
// space, read, write and count blocks, and write the target under a
// temporary name that it exchanges for its own only once it is complete.
// Each path passes its own states.

#include <algorithm>
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

constexpr std::string_view LinkMessage =
    "This is a symbolic link, not a file: it is left as it is (list the file it points to).";
constexpr std::string_view FolderLinkMessage =
    "A folder on the way to this file is a symbolic link: it is left as it is (list the file from "
    "the folder the link points to).";
constexpr std::string_view SpecialFileMessage =
    "This is not a file (a pipe, socket or device): it is left as it is.";
constexpr std::string_view NotListedMessage =
    "File changed since it was listed (replaced or moved?), it is left as it is.";

// Whether `name` in `folder` is a job-list entry or what a run makes of
// one (its encrypted or its decrypted file): such a file is never taken
// for a leftover.
bool IsListed(const std::string& folder, const std::string& name) {
  for (uint16_t i = 1; i <= std::min(JobList.JobCount, JobListCapacityMax); ++i) {
    const std::string& listed = JobList.Name[i];
    if (JobList.Folder[i] == folder &&
        (listed == name || listed == name + ".vek" || listed + ".vek" == name)) {
      return true;
    }
  }
  return false;
}

}  // namespace

void TForm8::BeginJob(uint16_t next) {
  FileTotal = SourceSize;
  FileDone = 0;
  FileStep = SourceSize / ProgressSteps;
  ShowFileProgress();
  Label11->SetCaption(std::to_string(JobPos) + " of " + std::to_string(JobList.JobCount) + ".");
  Label12->SetCaption(EscapedText(SourceName + " -> " + TargetName));
  Label13->SetCaption(EscapedText(JobFolder));
  LogAction("Now processing: " + SourceName + " -> " + TargetName + " " + SizeToText(SourceSize));
  SetNextState(next);
}

// A link is never taken for the file it points to: the run would encrypt
// one file and delete another. The entry is reported and left as it is.
// Nor is a folder on the way that is a link walked through: it may have
// been swapped for one since the listing.
void TForm8::FindSource(uint16_t found, uint16_t retry, uint16_t missing) {
  Label1->SetCaption("Searching for source file..");
  if (platform::IsSymbolicLink(SourcePath())) {
    RaiseWarning(false, SourceName, missing, std::string(LinkMessage));
    return;
  }
  if (platform::IsBehindFolderLink(SourcePath())) {
    WarnFolderLink(SourceName, missing);
    return;
  }
  if (platform::IsSpecialFile(SourcePath())) {
    WarnSpecialFile(SourceName, missing);
    return;
  }
  SourceExists = platform::FileExists(SourcePath());
  sourceIdentity_.reset();
  if (JobList.Inode[JobPos] != 0) {
    sourceIdentity_ = platform::FileIdentity{JobList.Device[JobPos], JobList.Inode[JobPos],
                                             JobList.Links[JobPos]};
  } else if (SourceExists) {
    sourceIdentity_ = platform::IdentityOfNoLinks(SourcePath());
  }
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
  return WriteRepeatedOrRaise(stream, data, count, count, file);
}

bool TForm8::WriteRepeatedOrRaise(platform::FileStream& stream, const uint8_t* block,
                                  size_t blockLength, size_t count, const std::string& file) {
  const int64_t at = stream.Position();
  const auto length = static_cast<int64_t>(count);
  ChargeTransfer(length);
  if (stream.WriteRepeated(block, static_cast<int64_t>(blockLength), length) == length) {
    return true;
  }
  stream.Seek(at);
  ErrorFileText = file;
  RaiseError(platform::err::WriteFault, EngineState.Current);
  return false;
}

bool TForm8::SourceIsListedFile(uint16_t skip) {
  if (!sourceIdentity_ || SourceStream->Identity().SameFile(*sourceIdentity_)) return true;
  CloseSource();
  WarnNotListedFile(SourceName, skip);
  return false;
}

void TForm8::WarnNotListedFile(const std::string& name, uint16_t skip) {
  RaiseWarning(false, name, skip, std::string(NotListedMessage));
}

void TForm8::WarnSpecialFile(const std::string& name, uint16_t skip) {
  RaiseWarning(false, name, skip, std::string(SpecialFileMessage));
}

void TForm8::WarnFolderLink(const std::string& name, uint16_t skip) {
  RaiseWarning(false, name, skip, std::string(FolderLinkMessage));
}

// A temporary name that is taken holds what an interrupted run of ours
// left (its unfinished output): it is removed and the name used again, so
// that no run leaves an earlier one's data behind. A name that cannot be
// freed, or that the job list holds, is passed over for the next one.
// The file is made for its owner only and never through a link.
bool TForm8::CreateTempFile(std::unique_ptr<platform::FileStream>& stream, bool& open) {
  RemovePartialFile();  // what an earlier try of this file left
  for (int attempt = 1; attempt <= TempNameTries; ++attempt) {
    const std::string name = TempFileName(attempt);
    if (name == TargetName || IsListed(JobFolder, name)) continue;
    const std::string path = JobFolder + name;
    int error = 0;
    stream = platform::FileStream::OpenNoLinks(path, platform::FileMode::CreateNew,
                                               platform::ShareMode::Exclusive, &error);
    if (!stream && error == platform::err::FileExists && RemoveLeftTemporary(path)) {
      LogAction("Removed the temporary file an earlier run left: " + path);
      stream = platform::FileStream::OpenNoLinks(path, platform::FileMode::CreateNew,
                                                 platform::ShareMode::Exclusive, &error);
    }
    if (stream) {
      open = true;
      tempName_ = name;
      tempIdentity_ = stream->Identity();
      partialFile_ = path;
      return true;
    }
    if (error != platform::err::FileExists) return false;
  }
  return false;
}

// The leftover under a temporary name goes, reached as the job's files
// are (never through a folder that is a link): no file elsewhere.
bool TForm8::RemoveLeftTemporary(const std::string& path) {
  const auto found = platform::IdentityOfNoLinks(path);
  return found && platform::DeleteListedFile(path, *found);
}

// Only the file this run wrote takes the name, and its new name is on the
// device (the folder synced) before anything may delete the original. A
// retry after a failed folder sync only syncs again.
bool TForm8::PlaceTempFile() {
  if (!partialFile_.empty()) {
    const std::string temp = JobFolder + tempName_;
    if (!platform::RenameListedFile(temp, TargetPath(), tempIdentity_, TargetExists)) {
      return false;
    }
    partialFile_.clear();
  }
  return platform::SyncFolder(JobFolder);
}

}  // namespace vek
