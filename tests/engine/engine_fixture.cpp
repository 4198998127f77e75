#include "engine_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "core/file_info.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/activity_log_window.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "platform/drives.h"
#include "ui/clock.h"

namespace vektest {

THeaderFields PlainFields(uint64_t size) {
  THeaderFields f;
  f.ProductLine = std::string(PlainProductLine);
  f.Size = size;
  return f;
}

void EngineTest::SetUp() {
  ProgramTest::SetUp();
  vek::DeleteMethod = vek::DeleteNormal;
  vek::JobList.JobListCapacity = vek::JobListCapacityMax;
}

uint16_t EngineTest::AddJobEntry(const std::string& name, int64_t size) {
  auto& list = vek::JobList;
  const uint16_t i = ++list.JobCount;
  list.Name[i] = name;
  list.Folder[i] = WinPath();
  list.Size[i] = size;
  list.ContentSize[i] = size;
  list.Attributes[i] = 0x20;
  list.ProductLine[i] = std::string(PlainProductLine);
  list.JobTotalSize += size;
  return i;
}

uint16_t EngineTest::AddPlainJob(const std::string& name, const std::vector<uint8_t>& content) {
  MakeFile(HostPath(name), content);
  return AddJobEntry(name, static_cast<int64_t>(content.size()));
}

uint16_t EngineTest::ListFile(const std::string& relative) {
  const std::string path = WinPath(relative);
  const size_t cut = path.find_last_of('\\') + 1;
  vek::ReadFileInfo(path.substr(0, cut), path.substr(cut));
  vek::Form2->AddCurrentFileToJobList();
  return vek::JobList.JobCount;
}

uint16_t EngineTest::AddVekJob(const std::string& name, const std::vector<uint8_t>& content,
                               std::string_view key) {
  MakeFile(HostPath(name), ExpectedVekFile(PlainFields(content.size()), content, key));
  const uint16_t i = ListFile(name);
  EXPECT_TRUE(vek::JobList.IsVekFile[i]) << name;
  return i;
}

void EngineTest::StartRun(uint8_t runMode, std::string_view key) {
  vek::RunMode = runMode;
  vek::Form7->Show();
  vek::Form7->Edit1->SetText(key);
  ASSERT_TRUE(vek::Form7->Button1->Enabled());
  vek::Form7->Button1->Click();
  ASSERT_TRUE(vek::Form8->IsShown());
}

bool EngineTest::RunUntilIdle(int64_t maxTicks) {
  return ui::clock::RunUntil([] { return vek::EngineState.Current == vek::EngineIdle; }, maxTicks);
}

namespace {

// A tick runs many steps; to stop right before a given one, the engine
// runs one step a tick meanwhile.
class TOneStepATick {
 public:
  // Each step shows its progress at once, for the tests that look after it.
  TOneStepATick()
      : budget_(vek::Form8->TickBudget()), progressInterval_(vek::Form8->ProgressInterval()) {
    vek::Form8->SetTickBudget(0);
    vek::Form8->SetProgressInterval(0);
  }
  ~TOneStepATick() {
    vek::Form8->SetTickBudget(budget_);
    vek::Form8->SetProgressInterval(progressInterval_);
  }
  TOneStepATick(const TOneStepATick&) = delete;
  TOneStepATick& operator=(const TOneStepATick&) = delete;

 private:
  int64_t budget_;
  int64_t progressInterval_;
};

}  // namespace

void EngineTest::RunSteps(int64_t steps) {
  const TOneStepATick oneStep;
  ui::clock::Advance(steps);
}

bool EngineTest::RunUntilState(uint16_t state, int64_t maxTicks) {
  const TOneStepATick oneStep;
  return ui::clock::RunUntil([state] { return vek::EngineState.Current == state; }, maxTicks);
}

bool EngineTest::PassesOnTheWayToIdle(uint16_t state) {
  const TOneStepATick oneStep;
  bool passed = false;
  EXPECT_TRUE(ui::clock::RunUntil(
      [state, &passed] {
        passed |= vek::EngineState.Current == state;
        return vek::EngineState.Current == vek::EngineIdle;
      },
      200000));
  return passed;
}

void EngineTest::EncryptAll(std::string_view key) {
  StartRun(vek::RunEncrypt, key);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_FALSE(vek::Form8->RunActive()) << "the run waits for a dialog";
}

void EngineTest::DecryptAll(std::string_view key) {
  StartRun(vek::RunDecrypt, key);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_FALSE(vek::Form8->RunActive()) << "the run waits for a dialog";
}

TProgressShown FileProgressShown() {
  return {vek::Form8->Label7->Caption(), vek::Form8->Label6->Caption(),
          vek::Form8->ProgressBar1->Position()};
}

TProgressShown OverallProgressShown() {
  return {vek::Form8->Label10->Caption(), vek::Form8->Label9->Caption(),
          vek::Form8->ProgressBar2->Position()};
}

std::string Amount(int64_t done, int64_t total) {
  return vek::SizeToText(done) + " of " + vek::SizeToText(total);
}

void FlipBits(const std::filesystem::path& path, size_t offset, uint8_t bits) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekg(static_cast<std::streamoff>(offset));
  const int c = file.get();
  ASSERT_NE(c, std::char_traits<char>::eof()) << path << " has no byte " << offset;
  file.seekp(static_cast<std::streamoff>(offset));
  file.put(static_cast<char>(c ^ bits));
}

void SetDrive(char letter, uint32_t type, std::optional<int64_t> free, int64_t total) {
  platform::FakeDrive drive;
  drive.Type = type;
  if (free) {
    drive.Space = platform::DiskFreeSpace{1, 512, 0, 0};
    drive.SpaceEx = platform::DiskFreeSpaceEx{
        static_cast<uint64_t>(*free), static_cast<uint64_t>(total), static_cast<uint64_t>(*free)};
  }
  platform::SetFakeDrive(letter, drive);
}

void EngineTest::SetDriveKind(char letter, uint32_t kind) {
  vek::DriveKinds[static_cast<size_t>(letter - 'A' + 1)] = static_cast<uint8_t>(kind);
}

std::vector<std::string> EngineTest::LogLines() {
  return vek::Form21->ListBox1->Items();
}

std::vector<std::string> EngineTest::LogTexts() {
  std::vector<std::string> texts;
  for (const std::string& line : LogLines())
    texts.push_back(line.substr(std::min<size_t>(9, line.size())));
  return texts;
}

bool EngineTest::LogHas(std::string_view text) {
  const auto texts = LogTexts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

int EngineTest::LogCount(std::string_view text) {
  const auto texts = LogTexts();
  return static_cast<int>(std::count(texts.begin(), texts.end(), text));
}

std::vector<uint8_t> EngineTest::ReadHost(std::string_view relative) const {
  return ReadFileBytes(HostPath(relative));
}

bool EngineTest::HostExists(std::string_view relative) const {
  return std::filesystem::exists(HostPath(relative));
}

}  // namespace vektest
