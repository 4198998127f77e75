// The fault sweep: an encrypt run (verify, then the original overwritten
// and deleted), a decrypt run (the encrypted file overwritten and deleted),
// a decrypt run with a wrong key and job-list delete runs, each over a
// small job list. A clean run counts the file operations of each kind;
// then every one of them fails in turn (and every write in turn finds the
// disk full, once also with the removal of the unfinished file failing),
// every answer the first dialog offers is given, the run is cancelled at
// every tick in turn, and after each run the files are checked: nothing
// lost, nothing half-written under a real name, no temporary file left, and
// the program back at the main window.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/state.h"
#include "engine/activity_log_window.h"
#include "engine/delete_confirmation.h"
#include "engine/error_report_window.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "expected_file.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using platform::faults::Op;
using vek::Form15;
using vek::Form2;
using vek::Form20;
using vek::Form8;
using vek::Form9;

using TFolder = std::map<std::string, std::vector<uint8_t>>;

// A run that takes longer than this on the virtual clock is stuck.
constexpr int64_t RunTickLimit = 100000;
// A run that puts more questions than this is going round in circles.
constexpr int DialogLimit = 40;
constexpr std::string_view WrongKey = "not the key at all";
constexpr std::string_view Bystander = "keep.txt";

enum class TScenario { Encrypt, Decrypt, DecryptWrongKey, DeleteListWipe, DeleteListPlain };

// The fault kinds of one sweep case. DiskFull is a full disk at a write;
// DiskFullUncleanable the same, and the next delete after the first
// question fails too (the unfinished file cannot be removed at once).
// Cancel is no fault: the user cancels the run at the Nth tick.
enum class TKind {
  Open,
  Read,
  Write,
  DiskFull,
  DiskFullUncleanable,
  Close,
  Rename,
  Delete,
  SetAttributes,
  Flush,
  CreateDirectory,
  Cancel
};

struct TKindInfo {
  TKind Kind;
  const char* Name;
  Op Operation;
  int Error;
  bool CleanUpFails;
};

constexpr TKindInfo Kinds[] = {
    {TKind::Open, "Open", Op::Open, platform::err::SharingViolation, false},
    {TKind::Read, "Read", Op::Read, platform::err::ReadFault, false},
    {TKind::Write, "Write", Op::Write, platform::err::WriteFault, false},
    {TKind::DiskFull, "DiskFull", Op::Write, platform::err::DiskFull, false},
    {TKind::DiskFullUncleanable, "DiskFullUncleanable", Op::Write, platform::err::DiskFull, true},
    {TKind::Close, "Close", Op::Close, platform::err::WriteFault, false},
    {TKind::Rename, "Rename", Op::Rename, platform::err::AccessDenied, false},
    {TKind::Delete, "Delete", Op::Delete, platform::err::SharingViolation, false},
    {TKind::SetAttributes, "SetAttributes", Op::SetAttributes, platform::err::AccessDenied, false},
    {TKind::Flush, "Flush", Op::Flush, platform::err::WriteFault, false},
    {TKind::CreateDirectory, "CreateDirectory", Op::CreateDirectory, platform::err::AccessDenied,
     false},
    {TKind::Cancel, "Cancel", Op::Open, 0, false},
};

const TKindInfo& InfoOf(TKind kind) {
  return *std::find_if(std::begin(Kinds), std::end(Kinds),
                       [kind](const TKindInfo& k) { return k.Kind == kind; });
}

const char* ScenarioName(TScenario scenario) {
  static constexpr const char* Names[] = {"Encrypt", "Decrypt", "DecryptWrongKey", "DeleteListWipe",
                                          "DeleteListPlain"};
  return Names[static_cast<size_t>(scenario)];
}

// For the test names that CTest shows.
void PrintTo(TScenario scenario, std::ostream* out) {
  *out << ScenarioName(scenario);
}
void PrintTo(TKind kind, std::ostream* out) {
  *out << InfoOf(kind).Name;
}

// The answers of the two dialogs, in the order of their buttons.
enum class TAnswer { Continue, ContinueIgnoring, Cancel, Retry, SkipFile, StopAll, SkipAllErrors };

const char* AnswerName(TAnswer a) {
  static constexpr const char* Names[] = {
      "Continue",  "Continue ignoring",   "Cancel",         "Retry",
      "Skip file", "Stop all processing", "Skip all errors"};
  return Names[static_cast<size_t>(a)];
}

ui::TButton* ButtonOf(TAnswer a) {
  switch (a) {
    case TAnswer::Continue:
      return Form20->Button1;
    case TAnswer::ContinueIgnoring:
      return Form20->Button2;
    case TAnswer::Cancel:
      return Form20->Button3;
    case TAnswer::Retry:
      return Form15->Button1;
    case TAnswer::SkipFile:
      return Form15->Button2;
    case TAnswer::StopAll:
      return Form15->Button3;
    case TAnswer::SkipAllErrors:
      return Form15->Button4;
  }
  return nullptr;
}

// The answers the dialog on screen offers.
std::vector<TAnswer> OfferedAnswers() {
  std::vector<TAnswer> all;
  if (Form20->IsShown()) all = {TAnswer::Continue, TAnswer::ContinueIgnoring, TAnswer::Cancel};
  if (Form15->IsShown()) {
    all = {TAnswer::Retry, TAnswer::SkipFile, TAnswer::StopAll, TAnswer::SkipAllErrors};
  }
  std::vector<TAnswer> offered;
  for (const TAnswer a : all) {
    if (ButtonOf(a)->Enabled()) offered.push_back(a);
  }
  return offered;
}

// A later question of the same run gets the first answer where it is
// offered, else the one that goes on furthest.
TAnswer LaterAnswer(TAnswer first, const std::vector<TAnswer>& offered) {
  if (std::find(offered.begin(), offered.end(), first) != offered.end()) return first;
  for (const TAnswer a : {TAnswer::Continue, TAnswer::Retry, TAnswer::SkipAllErrors}) {
    if (std::find(offered.begin(), offered.end(), a) != offered.end()) return a;
  }
  return offered.front();
}

struct TEntry {
  std::string Name;  // as listed
  std::vector<uint8_t> Plain;
  std::vector<uint8_t> Encrypted;  // the plain bytes encrypted under the test key
};

// What happened in one run.
struct TRunOutcome {
  bool Finished = false;
  std::vector<TAnswer> FirstOffered;  // empty: the run asked nothing
  bool FirstWasErrorReport = false;
  int Dialogs = 0;
  int64_t Ticks = 0;  // up to the finish

  // The answer given to the first question when the run gives the `slot`th
  // one it offers.
  std::optional<TAnswer> FirstAnswer(size_t slot) const {
    if (FirstOffered.empty()) return std::nullopt;
    return FirstOffered[std::min(slot, FirstOffered.size() - 1)];
  }
};

bool IsWipeOf(const std::vector<uint8_t>& now, const std::vector<uint8_t>& before) {
  if (now.size() != before.size()) return false;
  for (size_t i = 0; i < now.size(); ++i) {
    if (now[i] != before[i] && now[i] != 0xAA && now[i] != 0x55) return false;
  }
  return true;
}

class EngineFaultSweep : public EngineTest,
                         public ::testing::WithParamInterface<std::tuple<TScenario, TKind>> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    // A drive whose errors offer Retry and Skip file as well.
    SetDriveKind('C', platform::drive::Removable);
    vek::ConfirmDeletes = true;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    switch (Scenario()) {
      case TScenario::Encrypt:
        files = {{"one.bin", PatternBytes(1, 7)},
                 {"two.bin", PatternBytes(9000, 8)},
                 {"three.bin", PatternBytes(16384, 9)}};
        break;
      case TScenario::Decrypt:
      case TScenario::DecryptWrongKey:
        files = {{"three.bin.vek", PatternBytes(16384, 9)},
                 {"one.bin.vek", PatternBytes(1, 7)},
                 {"empty.bin.vek", {}}};
        break;
      case TScenario::DeleteListWipe:
      case TScenario::DeleteListPlain:
        files = {
            {"empty.txt", {}}, {"one.bin", PatternBytes(1, 7)}, {"two.bin", PatternBytes(9000, 8)}};
        break;
    }
    for (auto& [name, plain] : files) {
      std::vector<uint8_t> encrypted =
          IsDelete() ? std::vector<uint8_t>{}
                     : ExpectedVekFile(PlainFields(plain.size()), plain, TestKey);
      entries_.push_back({name, std::move(plain), std::move(encrypted)});
    }
  }

  static TScenario Scenario() { return std::get<0>(GetParam()); }
  static TKind Kind() { return std::get<1>(GetParam()); }
  static bool IsDecrypt() {
    return Scenario() == TScenario::Decrypt || Scenario() == TScenario::DecryptWrongKey;
  }
  static bool IsDelete() {
    return Scenario() == TScenario::DeleteListWipe || Scenario() == TScenario::DeleteListPlain;
  }

  // The file on disk before the run: the plain file, or its encrypted form.
  static const std::vector<uint8_t>& Original(const TEntry& e) {
    return IsDecrypt() ? e.Encrypted : e.Plain;
  }
  // The name of what the run makes of an entry.
  static std::string ProductName(const TEntry& e) {
    return IsDecrypt() ? e.Name.substr(0, e.Name.size() - 4) : e.Name + ".vek";
  }

  // C:\ holds the originals and a file outside the list; the job list
  // holds the originals.
  void Prepare() {
    for (const auto& item : std::filesystem::directory_iterator(HostPath())) {
      std::filesystem::remove_all(item.path());
    }
    Form2->ClearJobList();
    MakeFile(HostPath(Bystander), "not in the list");
    Form2->Show();
    for (const TEntry& e : entries_) {
      if (Scenario() == TScenario::Encrypt) {
        AddPlainJob(e.Name, e.Plain);
      } else {
        MakeFile(HostPath(e.Name), Original(e));
        ListFile(e.Name);
      }
    }
    vek::VerifyAfterEncrypt = true;
    vek::DeletePlaintextAfterEncrypt = true;
    vek::DeleteEncryptedAfterDecrypt = true;
    vek::DeleteMethod =
        Scenario() == TScenario::DeleteListPlain ? vek::DeleteNormal : vek::DeleteSinglePass;
  }

  TFolder Snapshot() const {
    TFolder folder;
    for (const auto& item : std::filesystem::directory_iterator(HostPath())) {
      folder[item.path().filename().string()] =
          item.is_regular_file() ? ReadFileBytes(item.path()) : std::vector<uint8_t>{};
    }
    return folder;
  }

  // Starts the run through the windows a user goes through.
  void Start() {
    if (IsDelete()) {
      ASSERT_TRUE(Form2->BitBtn6->Enabled());
      Form2->BitBtn6->Click();
      ASSERT_TRUE(Form9->IsShown());
      Form9->Button1->Click();
      ASSERT_TRUE(Form8->IsShown());
      return;
    }
    StartRun(IsDecrypt() ? vek::RunDecrypt : vek::RunEncrypt,
             Scenario() == TScenario::DecryptWrongKey ? WrongKey : TestKey);
  }

  // One run with `fault` planned (none for the clean run), the first
  // question answered with the `slot`th answer it offers; driven to its
  // finish and back to the main window.
  TRunOutcome Run(std::optional<std::pair<TKind, int>> fault, size_t slot, bool leaveByLog) {
    TRunOutcome outcome;
    Prepare();
    platform::faults::Reset();
    if (fault && fault->first != TKind::Cancel) {
      const TKindInfo& info = InfoOf(fault->first);
      if (info.Error == platform::err::DiskFull) {
        platform::faults::DiskFull(fault->second);
      } else {
        platform::faults::Fail(info.Operation, fault->second, info.Error);
      }
    }
    Start();
    if (::testing::Test::HasFatalFailure()) return outcome;
    const int64_t start = ui::clock::NowMs();
    if (fault && fault->first == TKind::Cancel) {
      ui::clock::Advance(fault->second);
      if (Form8->Button1->Caption() == "&Cancel") Form8->Button1->Click();
    }
    std::optional<TAnswer> first;
    while (true) {
      if (!RunUntilIdle(RunTickLimit - (ui::clock::NowMs() - start))) return outcome;
      const std::vector<TAnswer> offered = OfferedAnswers();
      if (offered.empty()) break;  // the finish
      if (++outcome.Dialogs > DialogLimit) return outcome;
      TAnswer answer;
      if (!first) {
        outcome.FirstOffered = offered;
        outcome.FirstWasErrorReport = Form15->IsShown();
        if (fault && InfoOf(fault->first).CleanUpFails) {
          platform::faults::Fail(Op::Delete, 1, platform::err::SharingViolation);
        }
        answer = *outcome.FirstAnswer(slot);
        first = answer;
      } else {
        answer = LaterAnswer(*first, offered);
      }
      ButtonOf(answer)->Click();
    }
    outcome.Ticks = ui::clock::NowMs() - start;
    outcome.Finished = !Form8->RunActive() && Form8->Button1->Caption() == "&OK";
    if (outcome.Finished) LeaveProcessingWindow(leaveByLog);
    return outcome;
  }

  // OK, or the log window and its close button: either way back to the
  // main window with nothing of the run left open.
  void LeaveProcessingWindow(bool byLog) {
    EXPECT_FALSE(Form20->IsShown());
    EXPECT_FALSE(Form15->IsShown());
    EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen || vek::TempOpen || vek::WipeStreamOpen);
    if (byLog) {
      ASSERT_TRUE(Form8->Button4->Enabled());
      Form8->Button4->Click();
      ASSERT_TRUE(vek::Form21->IsShown());
      vek::Form21->Button1->Click();
      EXPECT_FALSE(vek::Form21->IsShown());
    } else {
      Form8->Button1->Click();
    }
    EXPECT_FALSE(Form8->IsShown());
    EXPECT_TRUE(Form2->IsShown());
  }

  // What the files must look like after any run, however it ended.
  void CheckFiles(const TFolder& after) const {
    std::vector<std::string> allowed = {std::string(Bystander)};
    for (const TEntry& e : entries_) {
      allowed.push_back(e.Name);
      if (!IsDelete()) allowed.push_back(ProductName(e));
    }
    for (const auto& [name, bytes] : after) {
      EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end())
          << "a file that should not be there: " << name;
    }
    ASSERT_TRUE(after.contains(std::string(Bystander)));
    EXPECT_EQ(after.at(std::string(Bystander)), Bytes("not in the list"));
    for (const TEntry& e : entries_) {
      const auto original = after.find(e.Name);
      const bool intact = original != after.end() && original->second == Original(e);
      if (IsDelete()) {
        if (original != after.end()) {
          EXPECT_TRUE(IsWipeOf(original->second, e.Plain)) << e.Name << " changed otherwise";
        }
        continue;
      }
      const auto product = after.find(ProductName(e));
      // What the run makes stands only complete under its name.
      const std::vector<uint8_t>& complete = IsDecrypt() ? e.Plain : e.Encrypted;
      const bool made = product != after.end() && product->second == complete;
      if (product != after.end()) {
        EXPECT_TRUE(made) << "an incomplete " << ProductName(e) << " under the real name";
      }
      if (!intact) {
        EXPECT_TRUE(made) << e.Name << " is gone or changed while " << ProductName(e)
                          << " does not stand complete";
        if (original != after.end()) {
          EXPECT_TRUE(IsWipeOf(original->second, Original(e))) << e.Name << " changed otherwise";
        }
      }
    }
  }

  static std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

  // A description of the run for failure messages.
  static std::string Describe(TKind kind, int nth, std::optional<TAnswer> answer) {
    std::ostringstream s;
    s << InfoOf(kind).Name << " #" << nth;
    if (answer) s << ", answered " << AnswerName(*answer);
    return s.str();
  }

  std::vector<TEntry> entries_;
};

TEST_P(EngineFaultSweep, EveryFaultKeepsEveryFile) {
  // The clean run: its outcome, and the operations it makes.
  const TRunOutcome clean = Run(std::nullopt, 0, false);
  ASSERT_TRUE(clean.Finished) << "the clean run did not finish";
  const TFolder cleanResult = Snapshot();
  const TKindInfo& info = InfoOf(Kind());
  const int64_t count =
      Kind() == TKind::Cancel ? clean.Ticks : platform::faults::Count(info.Operation);
  if (Scenario() == TScenario::DecryptWrongKey) {
    // The first file fails its key check and its warning ends the run.
    ASSERT_EQ(clean.FirstOffered, std::vector<TAnswer>{TAnswer::Cancel});
    Prepare();
    EXPECT_EQ(cleanResult, Snapshot()) << "a wrong key changed a file";
  } else {
    EXPECT_TRUE(clean.FirstOffered.empty()) << "the clean run asked a question";
    CheckFiles(cleanResult);
    for (const TEntry& e : entries_) {
      EXPECT_FALSE(cleanResult.contains(e.Name)) << e.Name << " was not processed";
    }
  }

  int runs = 0;
  for (int nth = 1; nth <= count; ++nth) {
    size_t slot = 0;
    size_t answers = 1;
    do {
      const TRunOutcome outcome = Run(std::make_pair(Kind(), nth), slot, runs % 2 == 1);
      ++runs;
      SCOPED_TRACE(Describe(Kind(), nth, outcome.FirstAnswer(slot)));
      ASSERT_TRUE(outcome.Finished) << "the run did not reach its finish";
      const TFolder after = Snapshot();
      CheckFiles(after);
      if (Kind() == TKind::Read && !outcome.FirstOffered.empty()) {
        EXPECT_TRUE(outcome.FirstWasErrorReport) << "a failing read taken for a bad file";
      }
      const std::optional<TAnswer> answer = outcome.FirstAnswer(slot);
      if (Scenario() == TScenario::DecryptWrongKey) {
        Prepare();
        EXPECT_EQ(after, Snapshot()) << "a wrong key changed a file";
      } else if (!answer && Kind() != TKind::Cancel) {
        EXPECT_EQ(after, cleanResult) << "a fault without a question changed the outcome";
      } else if (answer == TAnswer::Retry || answer == TAnswer::Continue ||
                 answer == TAnswer::ContinueIgnoring) {
        EXPECT_EQ(after, cleanResult) << "the run did not recover from the fault";
      }
      if (::testing::Test::HasFailure()) return;
      answers = std::max<size_t>(1, outcome.FirstOffered.size());
    } while (++slot < answers);
  }
  // The figures of this case: how many operations failed in turn (for
  // Cancel, how many ticks the run was cancelled at) and how many runs that made.
  std::cout << "sweep: " << ScenarioName(Scenario()) << " " << info.Name << ": " << count
            << (Kind() == TKind::Cancel ? " cancel points, " : " faults, ") << runs << " runs\n";
  RecordProperty("faults", static_cast<int>(count));
  RecordProperty("runs", runs);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<TScenario, TKind>>& p) {
  return std::string(ScenarioName(std::get<0>(p.param))) + InfoOf(std::get<1>(p.param)).Name;
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineFaultSweep,
    ::testing::Combine(::testing::Values(TScenario::Encrypt, TScenario::Decrypt,
                                         TScenario::DecryptWrongKey, TScenario::DeleteListWipe,
                                         TScenario::DeleteListPlain),
                       ::testing::Values(TKind::Open, TKind::Read, TKind::Write, TKind::DiskFull,
                                         TKind::DiskFullUncleanable, TKind::Close, TKind::Rename,
                                         TKind::Delete, TKind::SetAttributes, TKind::Flush,
                                         TKind::CreateDirectory, TKind::Cancel)),
    CaseName);

}  // namespace
}  // namespace vektest
