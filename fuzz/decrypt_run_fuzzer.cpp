// A decrypt run of the whole program over a crafted encrypted file, from the
// file's examination through the header and the key check to the end of
// the run, with every question of the run answered the refusing way. The
// run comes to rest, and it leaves nothing of the file behind unless the
// key was authenticated: no decrypted file and no temporary file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "core/constants.h"
#include "core/file_info.h"
#include "core/state.h"
#include "engine/error_report_window.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "fuzz_support.h"
#include "platform/system.h"
#include "platform_doubles.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui/dialogs.h"

namespace {

using vekfuzz::Check;

// The key of the seeds that are real encrypted files.
constexpr const char* FuzzKey = "fuzzing key text";

bool Resting() {
  return vek::EngineState.Current == vek::EngineIdle;
}

bool HasLeftovers() {
  for (const auto& entry : std::filesystem::directory_iterator(vekfuzz::Drive().HostPath(""))) {
    const std::string name = entry.path().filename().string();
    if (name != "crafted.vek" && name != "home") return true;
  }
  return false;
}

void RemoveOutputs() {
  for (const auto& entry : std::filesystem::directory_iterator(vekfuzz::Drive().HostPath(""))) {
    const std::string name = entry.path().filename().string();
    if (name != "crafted.vek" && name != "home") std::filesystem::remove_all(entry.path());
  }
}

}  // namespace

// The font library keeps blocks of its own, unreferenced, once windows have
// drawn texts; they are no leak of the run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vekfuzz::StartWindows();
  platform::SetLocalNowForTest(platform::CalendarTime{2003, 12, 9, 2, 15, 7, 5, 250});
  vek::ResetProgramState();
  vek::CreateProgramWindows();
  vek::JobList.JobListCapacity = vek::JobListCapacityMax;
  vek::DeleteMethod = vek::DeleteNormal;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RemoveOutputs();
  vekfuzz::Drive().Place("crafted.vek", std::span<const uint8_t>(data, size));
  vek::JobList.JobCount = 0;
  vek::JobList.JobTotalSize = 0;
  vek::Form2->StringGrid1->SetRowCount(1);
  vek::ReadFileInfo(std::string(vekfuzz::DriveRoot), "crafted.vek");
  if (!vek::CurrentFile.IsVekFile) return 0;
  vek::Form2->AddCurrentFileToJobList();
  Check(vek::JobList.JobCount == 1, "an encrypted file is listed");

  vek::KeyAuthenticated = false;
  vek::RunMode = vek::RunDecrypt;
  vek::Form7->Show();
  vek::Form7->Edit1->SetText(FuzzKey);
  vek::Form7->Button1->Click();
  Check(vek::Form8->IsShown(), "the run starts");
  // Each question of the run is answered the refusing way: a warning is
  // cancelled, an error skips the file.
  bool finished = false;
  for (int round = 0; round < 20 && !finished; ++round) {
    Check(ui::clock::RunUntil(Resting, 600000), "the run comes to rest");
    if (vek::Form20->IsShown()) {
      vek::Form20->Button3->Click();
    } else if (vek::Form15->IsShown()) {
      vek::Form15->Button2->Click();
    } else {
      finished = true;
    }
  }
  Check(finished, "the run ends");
  const bool authenticated = vek::KeyAuthenticated;
  vek::Form8->Button1->Click();  // OK
  if (!authenticated) Check(!HasLeftovers(), "a file not authenticated leaves nothing behind");
  return 0;
}
