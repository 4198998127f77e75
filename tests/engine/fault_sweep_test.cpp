// The fault sweep: an encrypt run (verify, then the original overwritten
// and deleted), a decrypt run (the encrypted file overwritten and deleted),
// a decrypt run with a wrong key, job-list delete runs by each method (an
// empty file, a file of one byte, one of several blocks, a read-only file
// and a link) and the delete of one file. A clean run counts the file
// operations of each kind; then every one of them fails in turn (and every
// write in turn finds the disk full, once also with the removal of the
// unfinished file failing), or every call of a kind fails from one of them
// on, every answer the first dialog offers is given (later ones the same,
// or in turn each answer offered), the run is cancelled at every tick in
// turn, and after each run the files are checked:
// - nothing lost, nothing half-written under a real name, no temporary
//   file left, and the program back at the main window;
// - a file that is gone was overwritten by every pass before it went (a
//   descriptor kept open on the file shows what the last write left);
// - a fault either changes nothing at all (every byte as after the clean
//   run) or the run says so: a question, a log line and an error count;
// - after Stop, Cancel or Skip file nothing more happens to the files the
//   answer left, byte for byte.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "core/file_info.h"
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
// A run that neither rests nor finishes within this is trying again and again.
constexpr int64_t TryingTickLimit = 20000;
// Retry or Continue answers in a row before the sweep gives up on a file.
constexpr int RepeatLimit = 3;
constexpr std::string_view WrongKey = "not the key at all";
constexpr std::string_view Bystander = "keep.txt";

enum class TScenario {
  Encrypt,
  Decrypt,
  DecryptWrongKey,
  DeleteListWipe,
  DeleteListPlain,
  DeleteListTriple,
  DeleteOne
};

// The fault kinds of one sweep case. DiskFull is a full disk at a write;
// DiskFullUncleanable the same, and the next delete after the first
// question fails too (the unfinished file cannot be removed at once).
// The ...Always kinds fail every call of their kind from the chosen one on.
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
  OpenAlways,
  ReadAlways,
  WriteAlways,
  CloseAlways,
  DeleteAlways,
  FlushAlways,
  Cancel
};

struct TKindInfo {
  TKind Kind;
  const char* Name;
  Op Operation;
  int Error;
  bool CleanUpFails;
  bool Lasting;
};

constexpr TKindInfo Kinds[] = {
    {TKind::Open, "Open", Op::Open, platform::err::SharingViolation, false, false},
    {TKind::Read, "Read", Op::Read, platform::err::ReadFault, false, false},
    {TKind::Write, "Write", Op::Write, platform::err::WriteFault, false, false},
    {TKind::DiskFull, "DiskFull", Op::Write, platform::err::DiskFull, false, false},
    {TKind::DiskFullUncleanable, "DiskFullUncleanable", Op::Write, platform::err::DiskFull, true,
     false},
    {TKind::Close, "Close", Op::Close, platform::err::WriteFault, false, false},
    {TKind::Rename, "Rename", Op::Rename, platform::err::AccessDenied, false, false},
    {TKind::Delete, "Delete", Op::Delete, platform::err::SharingViolation, false, false},
    {TKind::SetAttributes, "SetAttributes", Op::SetAttributes, platform::err::AccessDenied, false,
     false},
    {TKind::Flush, "Flush", Op::Flush, platform::err::WriteFault, false, false},
    {TKind::CreateDirectory, "CreateDirectory", Op::CreateDirectory, platform::err::AccessDenied,
     false, false},
    {TKind::OpenAlways, "OpenAlways", Op::Open, platform::err::SharingViolation, false, true},
    {TKind::ReadAlways, "ReadAlways", Op::Read, platform::err::ReadFault, false, true},
    {TKind::WriteAlways, "WriteAlways", Op::Write, platform::err::WriteFault, false, true},
    {TKind::CloseAlways, "CloseAlways", Op::Close, platform::err::WriteFault, false, true},
    {TKind::DeleteAlways, "DeleteAlways", Op::Delete, platform::err::SharingViolation, false, true},
    {TKind::FlushAlways, "FlushAlways", Op::Flush, platform::err::WriteFault, false, true},
    {TKind::Cancel, "Cancel", Op::Open, 0, false, false},
};

const TKindInfo& InfoOf(TKind kind) {
  return *std::find_if(std::begin(Kinds), std::end(Kinds),
                       [kind](const TKindInfo& k) { return k.Kind == kind; });
}

const char* ScenarioName(TScenario scenario) {
  static constexpr const char* Names[] = {"Encrypt",        "Decrypt",         "DecryptWrongKey",
                                          "DeleteListWipe", "DeleteListPlain", "DeleteListTriple",
                                          "DeleteOne"};
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

bool Ends(TAnswer a) {
  return a == TAnswer::Cancel || a == TAnswer::StopAll;
}
bool Skips(TAnswer a) {
  return a == TAnswer::SkipFile || a == TAnswer::SkipAllErrors;
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

bool IsOffered(TAnswer a, const std::vector<TAnswer>& offered) {
  return std::find(offered.begin(), offered.end(), a) != offered.end();
}

// A later question of the same run gets the first answer where it is
// offered, else the one that goes on furthest.
TAnswer LaterAnswer(TAnswer first, const std::vector<TAnswer>& offered) {
  if (IsOffered(first, offered)) return first;
  for (const TAnswer a : {TAnswer::Continue, TAnswer::Retry, TAnswer::SkipAllErrors}) {
    if (IsOffered(a, offered)) return a;
  }
  return offered.front();
}

struct TEntry {
  std::string Name;  // as listed
  std::vector<uint8_t> Plain;
  std::vector<uint8_t> Encrypted;  // the plain bytes encrypted under the test key
  bool ReadOnly = false;
  bool Link = false;  // a link to LinkTarget; Plain is what that holds
};

TEntry Entry(std::string name, std::vector<uint8_t> plain, bool readOnly = false,
             bool link = false) {
  return {std::move(name), std::move(plain), {}, readOnly, link};
}

// What happened in one run.
struct TRunOutcome {
  bool Finished = false;
  std::vector<TAnswer> FirstOffered;  // empty: the run asked nothing
  bool FirstWasErrorReport = false;
  int Dialogs = 0;
  int ErrorReports = 0;
  int64_t Ticks = 0;  // up to the finish
  // Ended by an answer, or by the user's Cancel of a run that kept trying.
  bool Ended = false;
  bool CancelledWhileTrying = false;
  bool GaveUp = false;  // a Retry or Continue that kept meeting the same fault
  int Repeats = 0;      // Retry or Continue answers in a row
  TFolder AtEnd;        // the files when the run was ended
  std::map<std::string, std::vector<uint8_t>> Skipped;  // skipped files as they were then

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

// What a file's second name shows once the file is gone: every overwrite
// method ends with a pass of 0x55; a plain delete leaves the bytes alone.
bool IsCompleteWipeOf(const std::vector<uint8_t>& now, const std::vector<uint8_t>& before,
                      uint8_t method) {
  if (method == vek::DeleteNormal) return now == before;
  return now.size() == before.size() &&
         std::all_of(now.begin(), now.end(), [](uint8_t b) { return b == 0x55; });
}

int OverwritePasses(uint8_t method) {
  return method == vek::DeleteTriplePass ? 6 : method == vek::DeleteSinglePass ? 2 : 0;
}

// What became of a file's data after its name went: a descriptor of this
// process keeps the data reachable (as a second name would, without making
// the file one that has other names).
class TShadow {
 public:
  explicit TShadow(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    EXPECT_GE(fd_, 0) << path;
  }
  TShadow(TShadow&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  TShadow& operator=(TShadow&&) = delete;
  ~TShadow() {
    if (fd_ >= 0) ::close(fd_);
  }
  std::vector<uint8_t> Bytes() const {
    struct stat st {};
    std::vector<uint8_t> bytes;
    if (::fstat(fd_, &st) != 0) return bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    const ssize_t got = ::pread(fd_, bytes.data(), bytes.size(), 0);
    bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return bytes;
  }

 private:
  int fd_;
};

class EngineFaultSweep : public EngineTest,
                         public ::testing::WithParamInterface<std::tuple<TScenario, TKind>> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    // A drive whose errors offer Retry and Skip file as well.
    SetDriveKind('C', platform::drive::Removable);
    vek::ConfirmDeletes = true;
    switch (Scenario()) {
      case TScenario::Encrypt:
        entries_ = {Entry("one.bin", PatternBytes(1, 7)), Entry("two.bin", PatternBytes(9000, 8)),
                    Entry("three.bin", PatternBytes(16384, 9))};
        break;
      case TScenario::Decrypt:
      case TScenario::DecryptWrongKey:
        entries_ = {Entry("three.bin.vek", PatternBytes(16384, 9)),
                    Entry("one.bin.vek", PatternBytes(1, 7)), Entry("empty.bin.vek", {})};
        break;
      case TScenario::DeleteListWipe:
      case TScenario::DeleteListPlain:
      case TScenario::DeleteListTriple:
        entries_ = {Entry("empty.txt", {}), Entry("one.bin", PatternBytes(1, 7)),
                    Entry("blocks.bin", PatternBytes(2 * 8192 + 3616, 8)),
                    Entry("readonly.bin", PatternBytes(700, 9), true),
                    Entry("link.bin", Bytes("what the link points to"), false, true)};
        break;
      case TScenario::DeleteOne:
        entries_ = {Entry("blocks.bin", PatternBytes(2 * 8192 + 3616, 8), true)};
        break;
    }
    if (!IsDelete()) {
      for (TEntry& e : entries_) {
        e.Encrypted = ExpectedVekFile(PlainFields(e.Plain.size()), e.Plain, TestKey);
      }
    }
  }

  static TScenario Scenario() { return std::get<0>(GetParam()); }
  static TKind Kind() { return std::get<1>(GetParam()); }
  static bool IsDecrypt() {
    return Scenario() == TScenario::Decrypt || Scenario() == TScenario::DecryptWrongKey;
  }
  static bool IsDelete() {
    return Scenario() == TScenario::DeleteListWipe || Scenario() == TScenario::DeleteListPlain ||
           Scenario() == TScenario::DeleteListTriple || Scenario() == TScenario::DeleteOne;
  }
  static uint8_t Method() {
    switch (Scenario()) {
      case TScenario::DeleteListPlain:
        return vek::DeleteNormal;
      case TScenario::DeleteListTriple:
        return vek::DeleteTriplePass;
      default:
        return vek::DeleteSinglePass;
    }
  }

  // The file on disk before the run: the plain file, or its encrypted form.
  static const std::vector<uint8_t>& Original(const TEntry& e) {
    return IsDecrypt() ? e.Encrypted : e.Plain;
  }
  // The name of what the run makes of an entry.
  static std::string ProductName(const TEntry& e) {
    return IsDecrypt() ? e.Name.substr(0, e.Name.size() - 4) : e.Name + ".vek";
  }
  // The files outside the list that every run must keep as they are.
  std::vector<std::pair<std::string, std::vector<uint8_t>>> Kept() const {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> kept = {
        {std::string(Bystander), Bytes("not in the list")}};
    for (const TEntry& e : entries_) {
      if (e.Link) kept.emplace_back(std::string(LinkTarget), e.Plain);
    }
    return kept;
  }

  // C:\ holds the originals and the kept files; the job list holds the
  // originals (the one-file delete picks its file instead). Every regular
  // original is also held open here, to see its data once its name went.
  void Prepare() {
    for (const auto& item : std::filesystem::directory_iterator(HostPath())) {
      std::filesystem::remove_all(item.path());
    }
    shadows_.clear();
    Form2->ClearJobList();
    for (const auto& [name, bytes] : Kept()) MakeFile(HostPath(name), bytes);
    Form2->Show();
    for (const TEntry& e : entries_) {
      if (e.Link) {
        std::filesystem::create_symlink(std::string(LinkTarget), HostPath(e.Name));
      } else {
        MakeFile(HostPath(e.Name), Original(e));
        shadows_.emplace(e.Name, TShadow(HostPath(e.Name)));
        if (e.ReadOnly) {
          EXPECT_TRUE(platform::SetAttributes(WinPath(e.Name), platform::attr::ReadOnly));
        }
      }
      if (Scenario() == TScenario::Encrypt) {
        AddJobEntry(e.Name, static_cast<int64_t>(e.Plain.size()));
      } else if (Scenario() != TScenario::DeleteOne) {
        ListFile(e.Name);
      }
    }
    vek::VerifyAfterEncrypt = true;
    vek::DeletePlaintextAfterEncrypt = true;
    vek::DeleteEncryptedAfterDecrypt = true;
    vek::DeleteMethod = Method();
  }

  // The files of C:\ (a link as the text "-> " and where it points), and
  // the second names of the originals that are gone.
  TFolder Snapshot() const {
    TFolder folder;
    for (const auto& item : std::filesystem::directory_iterator(HostPath())) {
      const std::string name = item.path().filename().string();
      if (item.is_symlink()) {
        folder[name] = Bytes("-> " + std::filesystem::read_symlink(item.path()).string());
      } else {
        folder[name] = item.is_regular_file() ? ReadFileBytes(item.path()) : std::vector<uint8_t>{};
      }
    }
    for (const auto& [name, shadow] : shadows_) {
      if (!folder.contains(name)) folder[std::string(ShadowPrefix) + name] = shadow.Bytes();
    }
    return folder;
  }

  // Starts the run through the windows a user goes through.
  void Start() {
    if (IsDelete()) {
      if (Scenario() == TScenario::DeleteOne) {
        vek::ReadFileInfo(WinPath(), entries_.front().Name);
        Form2->BitBtn6->SetCaption("&Delete file");
        Form2->BitBtn6->SetEnabled(true);  // as picking a file in the browser does
      }
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

  // The answer to the `n`th question (0 the first): the first answer again
  // (as LaterAnswer), or with a lasting fault each offered answer in turn.
  // Like a user, the sweep stops trying again after a few times in a row
  // (a file left read-only stays so however often its open is retried).
  static TAnswer AnswerFor(int n, TAnswer first, size_t slot, const std::vector<TAnswer>& offered,
                           TRunOutcome& outcome) {
    TAnswer answer = InfoOf(Kind()).Lasting
                         ? offered[(slot + static_cast<size_t>(n)) % offered.size()]
                         : LaterAnswer(first, offered);
    const bool again = answer == TAnswer::Retry || answer == TAnswer::Continue;
    if (again && ++outcome.Repeats > RepeatLimit) {
      outcome.GaveUp = true;
      for (const TAnswer a : {TAnswer::SkipFile, TAnswer::SkipAllErrors, TAnswer::Cancel}) {
        if (IsOffered(a, offered)) return a;
      }
    }
    if (!again) outcome.Repeats = 0;
    return answer;
  }

  // Before an answer that ends the run or skips a file: what must then
  // stay as it is.
  void NoteAnswer(TAnswer answer, TRunOutcome& outcome) const {
    if (Ends(answer) && !outcome.Ended) {
      outcome.Ended = true;
      outcome.AtEnd = Snapshot();
    }
    if (Skips(answer) && IsDelete()) {
      const auto path = HostPath(vek::DeleteName);
      if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) {
        outcome.Skipped[vek::DeleteName] = ReadFileBytes(path);
      }
    }
  }

  // One run with `fault` planned (none for the clean run), the first
  // question answered with the `slot`th answer it offers; driven to its
  // finish and back to the main window.
  TRunOutcome Run(std::optional<std::pair<TKind, int>> fault, size_t slot, bool leaveByLog) {
    TRunOutcome outcome;
    Prepare();
    platform::faults::Reset();
    const bool lasting = fault && InfoOf(fault->first).Lasting;
    if (fault && fault->first != TKind::Cancel) {
      const TKindInfo& info = InfoOf(fault->first);
      if (info.Lasting) {
        platform::faults::FailFrom(info.Operation, fault->second, info.Error);
      } else if (info.Error == platform::err::DiskFull) {
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
      if (Form8->Button1->Caption() == "&Cancel" && Form8->Button1->Enabled()) {
        outcome.Ended = true;
        outcome.AtEnd = Snapshot();
        Form8->Button1->Click();
      }
    }
    std::optional<TAnswer> first;
    while (true) {
      const int64_t left = RunTickLimit - (ui::clock::NowMs() - start);
      if (!RunUntilIdle(std::min(left, TryingTickLimit))) {
        // A delete that keeps failing with warnings off is tried again on
        // every tick until the user cancels the run.
        if (!lasting || outcome.CancelledWhileTrying || !Form8->Button1->Enabled() ||
            Form8->Button1->Caption() != "&Cancel") {
          return outcome;
        }
        outcome.CancelledWhileTrying = true;
        outcome.Ended = true;
        outcome.AtEnd = Snapshot();
        Form8->Button1->Click();
        continue;
      }
      const std::vector<TAnswer> offered = OfferedAnswers();
      if (offered.empty()) break;  // the finish
      if (++outcome.Dialogs > DialogLimit) return outcome;
      if (Form15->IsShown()) ++outcome.ErrorReports;
      TAnswer answer;
      if (!first) {
        outcome.FirstOffered = offered;
        outcome.FirstWasErrorReport = Form15->IsShown();
        if (fault && InfoOf(fault->first).CleanUpFails) {
          platform::faults::Fail(Op::Delete, 1, platform::err::SharingViolation);
        }
        answer = *outcome.FirstAnswer(slot);
        first = answer;
        if (answer == TAnswer::Retry || answer == TAnswer::Continue) outcome.Repeats = 1;
      } else {
        answer = AnswerFor(outcome.Dialogs - 1, *first, slot, offered, outcome);
      }
      NoteAnswer(answer, outcome);
      ButtonOf(answer)->Click();
    }
    outcome.Ticks = ui::clock::NowMs() - start;
    outcome.Finished = !Form8->RunActive() && Form8->Button1->Caption() == "&OK";
    if (outcome.Finished) {
      CheckReports(outcome);
      LeaveProcessingWindow(leaveByLog);
    }
    return outcome;
  }

  // Every error report shown is counted and logged in full.
  static void CheckReports(const TRunOutcome& outcome) {
    EXPECT_EQ(LogCount("--- A processing error has occured ---"), vek::ErrorCount);
    EXPECT_GE(vek::ErrorCount, outcome.ErrorReports);
  }

  // The run told the user something went wrong: a question, a counted
  // error or a logged warning.
  static bool Reported(const TRunOutcome& outcome) {
    if (outcome.Dialogs > 0 || vek::ErrorCount > 0) return true;
    const auto texts = LogTexts();
    return std::any_of(texts.begin(), texts.end(),
                       [](const std::string& t) { return t.starts_with("WARNING: "); });
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
  // `reported`: the run told the user of a fault.
  void CheckFiles(const TFolder& after, bool reported) const {
    std::vector<std::string> allowed;
    for (const auto& [name, bytes] : Kept()) {
      allowed.push_back(name);
      ASSERT_TRUE(after.contains(name)) << name << " is gone";
      EXPECT_EQ(after.at(name), bytes) << name << " changed";
    }
    for (const TEntry& e : entries_) {
      allowed.push_back(e.Name);
      allowed.push_back(std::string(ShadowPrefix) + e.Name);
      if (!IsDelete()) allowed.push_back(ProductName(e));
    }
    for (const auto& [name, bytes] : after) {
      EXPECT_TRUE(std::find(allowed.begin(), allowed.end(), name) != allowed.end() ||
                  LoggedAsLeftOver(name))
          << "a file that should not be there: " << name;
    }
    for (const TEntry& e : entries_) {
      const auto original = after.find(e.Name);
      if (e.Link) {
        if (original != after.end()) {
          EXPECT_EQ(original->second, Bytes("-> " + std::string(LinkTarget))) << e.Name;
        }
        continue;
      }
      const bool intact = original != after.end() && original->second == Original(e);
      if (original == after.end()) {
        const auto shadow = after.find(std::string(ShadowPrefix) + e.Name);
        ASSERT_NE(shadow, after.end());
        EXPECT_TRUE(IsCompleteWipeOf(shadow->second, Original(e), Method()))
            << e.Name << " went without every overwrite pass";
      } else if (!intact) {
        EXPECT_TRUE(IsWipeOf(original->second, Original(e))) << e.Name << " changed otherwise";
        EXPECT_TRUE(reported) << e.Name << " was partly overwritten and kept without a word";
      }
      if (IsDelete()) continue;
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
      }
    }
  }

  // An unfinished file that could not be removed (every delete failing) is
  // named in the log.
  static bool LoggedAsLeftOver(const std::string& name) {
    return LogHas("*** The unfinished file " + WinPath(name) + " could not be removed");
  }
  static TFolder WithoutLeftOvers(TFolder folder) {
    std::erase_if(folder, [](const auto& file) { return LoggedAsLeftOver(file.first); });
    return folder;
  }

  // After Stop or Cancel nothing more happened to the originals (in a delete
  // run, to any file), and after Skip file nothing more to the skipped file.
  void CheckEndAndSkips(const TRunOutcome& outcome, const TFolder& after) const {
    if (outcome.Ended) {
      for (const auto& [name, bytes] : outcome.AtEnd) {
        const bool listed = std::any_of(entries_.begin(), entries_.end(),
                                        [&](const TEntry& e) { return e.Name == name; });
        if (!IsDelete() && !listed) continue;
        const auto now = after.find(name);
        EXPECT_TRUE(now != after.end() && now->second == bytes)
            << name << " changed after the run was ended";
      }
    }
    for (const auto& [name, bytes] : outcome.Skipped) {
      const auto now = after.find(name);
      EXPECT_TRUE(now != after.end() && now->second == bytes)
          << name << " changed after it was skipped";
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

  static constexpr std::string_view LinkTarget = "linked.txt";
  static constexpr std::string_view ShadowPrefix = "second name of ";
  std::vector<TEntry> entries_;
  std::map<std::string, TShadow> shadows_;
};

// How the fault runs of one case ended.
struct TTally {
  int Unchanged = 0;  // no question, every byte as after the clean run
  int Recovered = 0;  // answered, every byte as after the clean run
  int Reported = 0;   // answered, the files differ from the clean run's
  int Ended = 0;      // Stop all processing, Cancel, or the user's cancel
};

TEST_P(EngineFaultSweep, EveryFaultKeepsEveryFile) {
  // The clean run: its outcome, and the operations it makes.
  const TRunOutcome clean = Run(std::nullopt, 0, false);
  ASSERT_TRUE(clean.Finished) << "the clean run did not finish";
  const TFolder cleanResult = Snapshot();
  const TKindInfo& info = InfoOf(Kind());
  const int64_t count =
      Kind() == TKind::Cancel ? clean.Ticks : platform::faults::Count(info.Operation);
  if (IsDelete()) {
    // Each pass over each file with bytes reaches the device.
    int passes = 0;
    for (const TEntry& e : entries_) {
      if (!e.Link && !e.Plain.empty()) passes += OverwritePasses(Method());
    }
    EXPECT_EQ(platform::faults::Count(Op::Flush), passes);
  }
  if (Scenario() == TScenario::DecryptWrongKey) {
    // The first file fails its key check and its warning ends the run.
    ASSERT_EQ(clean.FirstOffered, std::vector<TAnswer>{TAnswer::Cancel});
    Prepare();
    EXPECT_EQ(cleanResult, Snapshot()) << "a wrong key changed a file";
  } else {
    EXPECT_TRUE(clean.FirstOffered.empty()) << "the clean run asked a question";
    CheckFiles(cleanResult, false);
    for (const TEntry& e : entries_) {
      EXPECT_FALSE(cleanResult.contains(e.Name)) << e.Name << " was not processed";
    }
  }

  // Every call in turn; a lasting fault from the first call and from the middle one.
  std::vector<int> starts;
  if (info.Lasting) {
    if (count > 0) starts = {1};
    if (count > 2) starts.push_back(static_cast<int>(count / 2) + 1);
  } else {
    for (int nth = 1; nth <= count; ++nth) starts.push_back(nth);
  }
  int runs = 0;
  TTally tally;
  for (const int nth : starts) {
    size_t slot = 0;
    size_t answers = 1;
    do {
      const TRunOutcome outcome = Run(std::make_pair(Kind(), nth), slot, runs % 2 == 1);
      ++runs;
      SCOPED_TRACE(Describe(Kind(), nth, outcome.FirstAnswer(slot)));
      ASSERT_TRUE(outcome.Finished) << "the run did not reach its finish";
      const TFolder after = Snapshot();
      // The user who ended the run knows its files stay as they were then.
      const bool reported = Reported(outcome) || outcome.Ended;
      CheckFiles(after, reported);
      CheckEndAndSkips(outcome, after);
      if (Kind() == TKind::Read && !outcome.FirstOffered.empty()) {
        EXPECT_TRUE(outcome.FirstWasErrorReport) << "a failing read taken for a bad file";
      }
      const std::optional<TAnswer> answer = outcome.FirstAnswer(slot);
      if (Scenario() == TScenario::DecryptWrongKey) {
        const TFolder kept = WithoutLeftOvers(after);
        Prepare();
        EXPECT_EQ(kept, Snapshot()) << "a wrong key changed a file";
      } else if (!answer && Kind() != TKind::Cancel) {
        // Nothing said, so nothing may differ, not even the bytes a gone
        // file's second name shows.
        EXPECT_EQ(after, cleanResult) << "a fault without a question changed the outcome";
        // Bytes that a failed flush or close kept from the device look the
        // same here, so these are never passed over in silence.
        EXPECT_FALSE(info.Operation == Op::Flush || info.Operation == Op::Close)
            << "a failed " << info.Name << " passed without a word";
      } else if (!info.Lasting && !outcome.GaveUp &&
                 (answer == TAnswer::Retry || answer == TAnswer::Continue ||
                  answer == TAnswer::ContinueIgnoring)) {
        EXPECT_EQ(after, cleanResult) << "the run did not recover from the fault";
      }
      if (after != cleanResult && Kind() != TKind::Cancel) {
        EXPECT_TRUE(reported) << "the files differ from the clean run's without a word";
      }
      if (::testing::Test::HasFailure()) return;
      if (outcome.Ended) {
        ++tally.Ended;
      } else if (after == cleanResult) {
        ++(answer ? tally.Recovered : tally.Unchanged);
      } else {
        ++tally.Reported;
      }
      answers = std::max<size_t>(1, outcome.FirstOffered.size());
    } while (++slot < answers);
  }
  // The figures of this case: how many operations failed in turn (for
  // Cancel, how many ticks the run was cancelled at), how many runs that
  // made and how they ended.
  std::cout << "sweep: " << ScenarioName(Scenario()) << " " << info.Name << ": "
            << (info.Lasting ? static_cast<int64_t>(starts.size()) : count)
            << (Kind() == TKind::Cancel ? " cancel points, "
                : info.Lasting          ? " lasting faults, "
                                        : " faults, ")
            << runs << " runs; unchanged " << tally.Unchanged << ", recovered " << tally.Recovered
            << ", reported " << tally.Reported << ", ended " << tally.Ended << "\n";
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
                                         TScenario::DeleteListPlain, TScenario::DeleteListTriple,
                                         TScenario::DeleteOne),
                       ::testing::Values(TKind::Open, TKind::Read, TKind::Write, TKind::DiskFull,
                                         TKind::DiskFullUncleanable, TKind::Close, TKind::Rename,
                                         TKind::Delete, TKind::SetAttributes, TKind::Flush,
                                         TKind::CreateDirectory, TKind::OpenAlways,
                                         TKind::ReadAlways, TKind::WriteAlways, TKind::CloseAlways,
                                         TKind::DeleteAlways, TKind::FlushAlways, TKind::Cancel)),
    CaseName);

}  // namespace
}  // namespace vektest
