// The cipher work of a step in slices: with a small tick budget a block's
// keystream, the key set-up and the stirring from a kept state span several
// ticks, and the run still writes the same files, logs the same lines and
// ends the same way as with the whole step in one tick; a click between two
// slices stops the run there and leaves nothing half done for the next.

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/state.h"
#include "engine/engine_tables.h"
#include "engine/processing_window.h"
#include "engine_fixture.h"
#include "expected_file.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::EngineState;
using vek::Form8;

// One step a tick, each whole, against a small budget.
constexpr int64_t WholeSteps = 0;

struct TFileCase {
  std::string Name;
  std::vector<uint8_t> Content;
  std::vector<uint8_t> Encrypted;  // as the format has it
};

// What a run left and said.
struct TRunResult {
  std::vector<std::vector<uint8_t>> Files;  // the encrypted or the restored files
  std::vector<std::string> Log;             // without the lines that carry a time
  std::string Task;
  std::string SubTask;
  int TicksInSetKey = 0;  // ticks that ended inside the key set-up
  int TicksInCipher = 0;  // ... inside a block's cipher
};

class EngineCipherSlicesTest : public EngineTest {
 protected:
  void TearDown() override {
    Form8->SetTickBudget(vek::TForm8::DefaultTickBudget);
    vek::ExitRequested = false;
    EngineTest::TearDown();
  }

  static std::vector<TFileCase> Files(const std::vector<size_t>& sizes) {
    std::vector<TFileCase> files;
    for (size_t i = 0; i < sizes.size(); ++i) {
      TFileCase f{"f" + std::to_string(i) + ".bin",
                  PatternBytes(sizes[i], 7 + static_cast<uint32_t>(i)),
                  {}};
      f.Encrypted = ExpectedVekFile(PlainFields(sizes[i]), f.Content, TestKey);
      files.push_back(std::move(f));
    }
    return files;
  }

  // Lists the sources of `runMode` for `files` afresh.
  void ListSources(uint8_t runMode, const std::vector<TFileCase>& files) {
    vek::JobList.JobCount = 0;
    vek::JobList.JobTotalSize = 0;
    for (const TFileCase& f : files) {
      std::filesystem::remove(HostPath(f.Name));
      std::filesystem::remove(HostPath(f.Name + ".vek"));
      if (runMode == vek::RunEncrypt) {
        AddPlainJob(f.Name, f.Content);
      } else {
        MakeFile(HostPath(f.Name + ".vek"), f.Encrypted);
        ListFile(f.Name + ".vek");
      }
    }
  }

  std::set<std::filesystem::path> FolderNames() const {
    std::set<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(HostPath())) {
      names.insert(entry.path().filename());
    }
    return names;
  }

  static std::string Output(uint8_t runMode, const TFileCase& f) {
    return runMode == vek::RunEncrypt ? f.Name + ".vek" : f.Name;
  }

  // A run of `runMode` over `files` with `budget`, a tick at a time, to
  // the finish (OK clicked).
  TRunResult Run(uint8_t runMode, const std::vector<TFileCase>& files, int64_t budget) {
    ListSources(runMode, files);
    vek::VerifyAfterEncrypt = true;
    StartRun(runMode);
    Form8->SetTickBudget(budget);
    TRunResult r;
    for (int tick = 0; tick < 100000 && EngineState.Current != vek::EngineIdle; ++tick) {
      ui::clock::Advance(1);
      if (Form8->YieldedWork() == 0) continue;
      const uint16_t at = EngineState.Current;
      r.TicksInSetKey += at == vek::StateEncryptSetKey || at == vek::StateDecryptSetKey;
      r.TicksInCipher += at == vek::StateEncipherBlock || at == vek::StateDecipherBlock;
    }
    for (const TFileCase& f : files) r.Files.push_back(ReadHost(Output(runMode, f)));
    for (const std::string& line : LogTexts()) {
      if (line.find(" at ") == std::string::npos) r.Log.push_back(line);
    }
    r.Task = Form8->Label1->Caption();
    r.SubTask = Form8->Label14->Caption();
    Form8->Button1->Click();  // OK
    return r;
  }
};

TEST_F(EngineCipherSlicesTest, SlicesOverTicksGiveWhatWholeStepsGive) {
  struct TCase {
    std::vector<size_t> Sizes;
    int64_t Budget;
  };
  const TCase cases[] = {
      {{1}, 1000},
      {{999}, 1000},
      {{1001}, 1000},
      {{8191}, 1000},
      {{8192}, 1000},
      {{8193}, 1000},
      {{16385}, 1000},
      {{8692}, 100},  // the key set-up (128 passes) over two ticks
      // The second file ends behind what the first computed: its key-check
      // block is stirred from a kept state, over ticks.
      {{20000, 10000}, 1000},
  };
  for (const TCase& c : cases) {
    const std::vector<TFileCase> files = Files(c.Sizes);
    for (const uint8_t mode : {vek::RunEncrypt, vek::RunDecrypt}) {
      SCOPED_TRACE(std::to_string(c.Sizes.front()) + (c.Sizes.size() > 1 ? " and more" : "") +
                   (mode == vek::RunEncrypt ? ", encrypt and verify" : ", decrypt") + ", budget " +
                   std::to_string(c.Budget));
      const TRunResult whole = Run(mode, files, WholeSteps);
      const TRunResult sliced = Run(mode, files, c.Budget);
      for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(sliced.Files[i], mode == vek::RunEncrypt ? files[i].Encrypted : files[i].Content)
            << files[i].Name;
      }
      EXPECT_EQ(sliced.Files, whole.Files);
      EXPECT_EQ(sliced.Log, whole.Log);
      EXPECT_EQ(sliced.Task, "Completed.");
      EXPECT_EQ(whole.Task, "Completed.");
      EXPECT_EQ(sliced.SubTask, whole.SubTask);
      EXPECT_EQ(whole.TicksInCipher + whole.TicksInSetKey, 0);
      const size_t largest = *std::max_element(c.Sizes.begin(), c.Sizes.end());
      if (largest > static_cast<size_t>(c.Budget)) {
        EXPECT_GT(sliced.TicksInCipher, 0);
      }
      if (c.Budget < static_cast<int64_t>(vek::KeyStateSize)) {
        EXPECT_GT(sliced.TicksInSetKey, 0);
      }
    }
  }
}

// Cancel, or the window going (the exit), between two slices: the run stops
// there, no half-written file is left, the source is as it was, and the
// next run starts its key and its blocks afresh.
TEST_F(EngineCipherSlicesTest, AClickBetweenSlicesStopsTheRunThere) {
  const std::vector<TFileCase> files = Files({8192 + 3000});
  struct TCase {
    uint8_t Mode;
    bool Cancel;    // else the exit closes the window
    bool InSetKey;  // else in the second block's cipher
  };
  const TCase cases[] = {
      {vek::RunEncrypt, true, false}, {vek::RunEncrypt, false, false},
      {vek::RunEncrypt, true, true},  {vek::RunEncrypt, false, true},
      {vek::RunDecrypt, true, false}, {vek::RunDecrypt, false, false},
      {vek::RunDecrypt, true, true},  {vek::RunDecrypt, false, true},
  };
  for (const TCase& c : cases) {
    const bool encrypt = c.Mode == vek::RunEncrypt;
    SCOPED_TRACE(std::string(encrypt ? "encrypt" : "decrypt") + (c.Cancel ? ", Cancel" : ", exit") +
                 (c.InSetKey ? ", in the key set-up" : ", in a block"));
    ListSources(c.Mode, files);
    const std::string source = encrypt ? files[0].Name : files[0].Name + ".vek";
    const std::vector<uint8_t> sourceBytes = ReadHost(source);
    const std::set<std::filesystem::path> before = FolderNames();
    StartRun(c.Mode);
    Form8->SetTickBudget(100);
    const uint16_t setKey = encrypt ? vek::StateEncryptSetKey : vek::StateDecryptSetKey;
    const uint16_t cipher = encrypt ? vek::StateEncipherBlock : vek::StateDecipherBlock;
    // A tick that ended inside the key set-up, or a few into the second block.
    const auto there = [&] {
      return Form8->YieldedWork() > 0 &&
             (c.InSetKey ? EngineState.Current == setKey
                         : EngineState.Current == cipher && vek::FileDone == 8192);
    };
    int64_t ticksThere = 0;
    for (int tick = 0; tick < 100000 && ticksThere < (c.InSetKey ? 1 : 5); ++tick) {
      ASSERT_NE(EngineState.Current, vek::EngineIdle);
      ui::clock::Advance(1);
      ticksThere += there() ? 1 : 0;
    }
    ASSERT_TRUE(there());
    if (c.Cancel) {
      Form8->Button1->Click();
      ASSERT_TRUE(RunUntilIdle());
      EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
      EXPECT_EQ(vek::KeyState, vek::TKeyState{});
      Form8->Button1->Click();  // OK
    } else {
      vek::ExitRequested = true;
      EXPECT_TRUE(Form8->Close());
      vek::ExitRequested = false;
    }
    EXPECT_FALSE(Form8->RunActive());
    EXPECT_EQ(vek::RunKeystream.Kept(), 0u);
    EXPECT_EQ(Form8->YieldedWork(), 0u) << "nothing of the step waits for the next run";
    EXPECT_FALSE(HostExists(Output(c.Mode, files[0])));
    EXPECT_EQ(ReadHost(source), sourceBytes);
    EXPECT_EQ(FolderNames(), before);

    // The next run, whole steps again, gives the file as it should be.
    Form8->SetTickBudget(WholeSteps);
    const TRunResult next = Run(c.Mode, files, WholeSteps);
    EXPECT_EQ(next.Task, "Completed.");
    EXPECT_EQ(next.Files[0], encrypt ? files[0].Encrypted : files[0].Content);
  }
}

}  // namespace
}  // namespace vektest
