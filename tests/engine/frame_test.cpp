// The engine's frame: the path by run kind, the run reset, the totals, the
// progress display, the boost rule, the status animation, the buttons and
// the three outcomes of the finish.

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/activity_log_window.h"
#include "engine/delete_confirmation.h"
#include "engine/engine_tables.h"
#include "engine/error_report_window.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "platform/drives.h"
#include "platform/system.h"
#include "tools/editor_window.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::EngineState;
using vek::Form8;

using EngineFrameTest = EngineTest;

TEST_F(EngineFrameTest, StepTableNamesEveryStateWithAHandler) {
  EXPECT_EQ(vek::TForm8::StepFor(vek::StateFinish), &vek::TForm8::StepFinish);
  EXPECT_EQ(vek::TForm8::StepFor(vek::StateErrorAnswer), &vek::TForm8::StepErrorAnswer);
  EXPECT_EQ(vek::TForm8::StepFor(vek::StateDeleteRetryAnswer), &vek::TForm8::StepDeleteRetryAnswer);
  EXPECT_EQ(vek::TForm8::StepFor(vek::EngineIdle), nullptr);
  EXPECT_EQ(vek::TForm8::StepFor(0), nullptr);
  EXPECT_EQ(vek::TForm8::StepFor(0x1234), nullptr);
}

struct TPathCase {
  uint8_t RunMode;
  uint16_t Skip;
  uint16_t Next;
};

TEST_F(EngineFrameTest, StateThreeChoosesThePathByRunKind) {
  const TPathCase cases[] = {
      {vek::RunEncrypt, vek::StateEncryptNextFile, vek::StateEncryptTotals},
      {vek::RunDecrypt, vek::StateDecryptNextFile, vek::StateDecryptTotals},
      {vek::RunDeleteFile, vek::StateFinish, vek::StateDeleteFile},
      {vek::RunDeleteJobList, vek::StateDeleteListNextFile, vek::StateDeleteListTotals},
      {4, 0, vek::StateChoosePath},
      {255, 0, vek::StateChoosePath},
  };
  for (const TPathCase& c : cases) {
    vek::RunMode = c.RunMode;
    vek::SkipState = 0;
    Form8->Show();
    EXPECT_EQ(EngineState.Current, vek::StateClearDisplay);
    RunSteps(3);
    EXPECT_EQ(vek::SkipState, c.Skip) << "run kind " << int{c.RunMode};
    EXPECT_EQ(EngineState.Current, c.Next) << "run kind " << int{c.RunMode};
    Form8->Hide();
  }
}

TEST_F(EngineFrameTest, EveryRunStartsFromZero) {
  AddJobEntry("a.txt", 1000);
  AddJobEntry("b.txt", 3000);
  AddJobEntry("empty.txt", 0);
  vek::VerifyAfterEncrypt = true;
  vek::DeletePlaintextAfterEncrypt = true;
  vek::DeleteMethod = vek::DeleteSinglePass;
  // What an earlier run may have left.
  vek::OverallTotal = 123456;
  vek::OverallDone = 99;
  vek::InsaneMode = true;
  vek::ErrorCount = 3;
  vek::ActionCount = 7;
  vek::WarningsOn = false;
  vek::ErrorReportsOn = false;
  vek::Form21->ListBox1->AddItem("old line");
  StartRun(vek::RunEncrypt);
  RunSteps(2);  // states 1 and 2
  EXPECT_EQ(EngineState.Current, vek::StateChoosePath);
  EXPECT_EQ(vek::OverallTotal, 0);
  EXPECT_EQ(vek::OverallDone, 0);
  EXPECT_FALSE(vek::InsaneMode);
  EXPECT_EQ(vek::ErrorCount, 0);
  EXPECT_EQ(vek::ActionCount, 0);
  EXPECT_TRUE(vek::WarningsOn);
  EXPECT_TRUE(vek::ErrorReportsOn);
  EXPECT_EQ(vek::Form21->ListBox1->Count(), 0);
  RunSteps(2);  // states 3 and 0x1000
  // Sizes twice (verify), plus two overwrite passes over the kilobytes
  // rounded up (1000 bytes: 0 KB; 3000 bytes: 3 KB), the empty file included.
  EXPECT_EQ(vek::OverallTotal, 2000 + 6000 + 3 * 1024 * 2);
  EXPECT_EQ(vek::OverallStep, vek::OverallTotal / 400);
}

TEST_F(EngineFrameTest, AJobCountBeyondTheListStopsAtItsEnd) {
  for (size_t i = 1; i < vek::TJobList::Slots; ++i) vek::JobList.Size[i] = 1;
  vek::JobList.JobCount = vek::JobListCapacityMax + 6;
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptNextFile));
  EXPECT_EQ(vek::OverallTotal, vek::JobListCapacityMax);
  Form8->Button1->Click();
}

TEST_F(EngineFrameTest, AKeyThatTrimsToNothingStopsTheRun) {
  AddPlainJob("a.txt", PatternBytes(10));
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptSetKey));
  vek::Form7->Edit1->SetText("         ");
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(LogHas("*** The key is empty"));
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_FALSE(HostExists("a.txt.vek"));
}

TEST_F(EngineFrameTest, KilobytesRoundedUp) {
  const std::pair<int64_t, int64_t> cases[] = {
      {0, 0}, {1023, 0}, {1024, 2}, {1536, 2}, {2048, 3}, {1048576, 1024}, {1049600, 1026}};
  for (const auto& [size, kilobytes] : cases) {
    EXPECT_EQ(vek::TForm8::KilobytesRoundedUp(size), kilobytes) << size;
  }
}

struct TProgressCase {
  int64_t Done, Total, Step;
  int Bar;
  std::string FilePercent;
  std::string OverallPercent;
};

TEST_F(EngineFrameTest, ProgressDisplay) {
  const TProgressCase cases[] = {
      {0, 0, 0, 400, "100%", "100"},  // a task of no bytes
      {0, 300, 0, 400, "0%", "0%"},   // step 0: the bar is full
      {0, 4000, 10, 0, "0%", "0%"},         {1333, 4000, 10, 133, "33%", "33%"},  // truncated
      {29, 100, 1, 29, "29%", "29%"},  // whole percents: not 28.99..
      {3999, 4000, 10, 399, "99%", "99%"},  {4000, 4000, 10, 400, "100%", "100"},
      {5000, 4000, 10, 400, "100%", "100"},  // clamped
  };
  for (const TProgressCase& c : cases) {
    vek::FileDone = vek::OverallDone = c.Done;
    vek::FileTotal = vek::OverallTotal = c.Total;
    vek::FileStep = vek::OverallStep = c.Step;
    Form8->ShowFileProgress();
    Form8->ShowOverallProgress();
    const std::string amount = vek::SizeToText(c.Done) + " of " + vek::SizeToText(c.Total);
    EXPECT_EQ(Form8->Label7->Caption(), amount);
    EXPECT_EQ(Form8->ProgressBar1->Position(), c.Bar) << c.Done << " of " << c.Total;
    EXPECT_EQ(Form8->Label6->Caption(), c.FilePercent) << c.Done << " of " << c.Total;
    EXPECT_EQ(Form8->Label10->Caption(), amount);
    EXPECT_EQ(Form8->ProgressBar2->Position(), c.Bar);
    EXPECT_EQ(Form8->Label9->Caption(), c.OverallPercent);
    EXPECT_EQ(Form8->Caption(), "VEK: " + c.OverallPercent + " complete");
  }
}

struct TBoostCase {
  uint8_t Threshold;
  int64_t Size;
  bool Boost;
};

TEST_F(EngineFrameTest, BoostRule) {
  const TBoostCase cases[] = {
      {0, int64_t{1} << 40, false},
      {21, 1, true},
      {1, 1048576, false},
      {1, 1048577, true},
      {2, 2097152, false},
      {2, 2097153, true},
      {20, int64_t{524288} << 20, false},
      {20, (int64_t{524288} << 20) + 1, true},
      {22, int64_t{1} << 40, false},
      {255, int64_t{1} << 40, false},
  };
  for (const TBoostCase& c : cases) {
    vek::InsaneModeThreshold = c.Threshold;
    EXPECT_EQ(vek::TForm8::BoostApplies(c.Size), c.Boost)
        << "threshold " << int{c.Threshold} << ", " << c.Size << " bytes";
  }
}

TEST_F(EngineFrameTest, BoostOfTheCurrentFileSetsPriorityAndCaption) {
  vek::InsaneModeThreshold = 1;
  AddPlainJob("small.bin", PatternBytes(10));
  AddJobEntry("big.bin", 2 * 1048576);  // listed only: its source is missing
  SetDriveKind('C', platform::drive::Fixed);
  platform::ClearPriorityRequests();
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptFindSource));
  EXPECT_FALSE(vek::InsaneMode);
  EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : ");
  EXPECT_EQ(platform::PriorityClass(), platform::NormalPriorityClass);
  RunSteps(1);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptFindSource));
  EXPECT_TRUE(vek::InsaneMode);
  EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : (Insane! CPU boost mode activated) ");
  EXPECT_EQ(platform::PriorityClass(), platform::RealtimePriorityClass);
  // The error report lowers the priority while it waits; the answer raises it again.
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(platform::PriorityClass(), platform::NormalPriorityClass);
  vek::Form15->Button3->Click();  // Stop all processing
  RunSteps(1);
  EXPECT_EQ(platform::PriorityClass(), platform::RealtimePriorityClass);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(platform::PriorityClass(), platform::NormalPriorityClass);
  EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : ");
}

TEST_F(EngineFrameTest, StatusAnimation) {
  Form8->SetAnimation(1);
  vek::AnimationIcon = 22;
  Form8->AnimateStatusIcon();
  EXPECT_TRUE(Form8->StatusIcons[23 - 2]->Visible());
  Form8->AnimateStatusIcon();
  EXPECT_FALSE(Form8->StatusIcons[23 - 2]->Visible());
  EXPECT_TRUE(Form8->StatusIcons[6 - 2]->Visible());
  EXPECT_EQ(vek::AnimationIcon, 6);

  Form8->SetAnimation(3);
  Form8->AnimateStatusIcon();
  EXPECT_TRUE(Form8->StatusIcons[4 - 2]->Visible());
  EXPECT_FALSE(Form8->StatusIcons[3 - 2]->Visible());
  Form8->AnimateStatusIcon();
  EXPECT_TRUE(Form8->StatusIcons[3 - 2]->Visible());
  EXPECT_FALSE(Form8->StatusIcons[4 - 2]->Visible());

  for (const auto& [kind, icon] : {std::pair{2, 2}, {4, 5}, {5, 24}}) {
    Form8->SetAnimation(static_cast<uint8_t>(kind));
    Form8->AnimateStatusIcon();
    const auto shown = std::count_if(Form8->StatusIcons.begin(), Form8->StatusIcons.end(),
                                     [](ui::TImage* i) { return i->Visible(); });
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(Form8->StatusIcons[static_cast<size_t>(icon - 2)]->Visible()) << kind;
  }
  Form8->ShowStatusIcon(1, true);  // outside Image2..Image24: nothing
  Form8->ShowStatusIcon(25, true);
}

TEST_F(EngineFrameTest, FinishCompleted) {
  AddPlainJob("a.txt", PatternBytes(100));
  platform::SetErrorMode(0);
  EncryptAll();
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(Form8->Label14->Caption(), "Finished all tasks");
  EXPECT_EQ(Form8->Caption(), "VEK: Finished");
  EXPECT_EQ(Form8->Button1->Caption(), "&OK");
  EXPECT_EQ(Form8->Label11->Caption(), "All");
  EXPECT_EQ(Form8->Label6->Caption(), "100%");
  EXPECT_EQ(Form8->Label9->Caption(), "100%");
  EXPECT_EQ(Form8->ProgressBar2->Position(), 400);
  EXPECT_FALSE(Form8->Button2->Enabled());
  EXPECT_TRUE(Form8->Button4->Enabled());
  // Counted before the finish's own lines (head 3, the file 1; then 2 more).
  EXPECT_EQ(vek::Form21->Label4->Caption(), "4");
  EXPECT_EQ(vek::ActionCount, 6);
  EXPECT_EQ(vek::Form21->Label6->Caption(), "0");
  const auto texts = LogTexts();
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], " ");
  EXPECT_EQ(texts.back(), "Processing finished at 3:07:05pm, Tuesday 9th of December 2003");
  EXPECT_FALSE(LogHas("*** Processing interupted by user"));
  Screenshot(Form8, "engine_processing_finished");

  // OK: back to the main window, the engine stopped, the error mode as before.
  Form8->Button1->Click();
  EXPECT_FALSE(Form8->IsShown());
  EXPECT_TRUE(vek::Form2->IsShown());
  EXPECT_FALSE(Form8->Timer1->Enabled());
  EXPECT_EQ(platform::SetErrorMode(0), 0u);
}

TEST_F(EngineFrameTest, FinishWithErrors) {
  AddJobEntry("missing.txt", 10);
  AddPlainJob("b.txt", PatternBytes(10));
  SetDriveKind('C', platform::drive::Removable);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(vek::Form15->IsShown());
  vek::Form15->Button2->Click();  // Skip file
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_EQ(vek::Form21->Label6->Caption(), "1");
  EXPECT_EQ(Form8->Button1->Caption(), "&OK");
  EXPECT_TRUE(HostExists("b.txt.vek"));
}

TEST_F(EngineFrameTest, FinishStoppedAfterAnErrorCountsAsStopped) {
  AddJobEntry("missing.txt", 10);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  vek::Form15->Button3->Click();  // Stop all processing
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(vek::ErrorCount, 1);
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_EQ(Form8->Label14->Caption(), "Did not complete all tasks");
  EXPECT_EQ(Form8->Caption(), "VEK: Interrupted");
  EXPECT_TRUE(LogHas("User response: Stop all processing"));
  EXPECT_TRUE(LogHas("*** Processing interupted by user"));
  // Head 3, the file 1, the answer 1; the interruption and the last two after.
  EXPECT_EQ(vek::Form21->Label4->Caption(), "5");
  EXPECT_EQ(vek::Form21->Label6->Caption(), "1");
  EXPECT_EQ(vek::ActionCount, 8);
}

TEST_F(EngineFrameTest, CancelInTheMiddleOfAFile) {
  const auto content = PatternBytes(3 * 8192);
  AddPlainJob("a.bin", content);
  AddPlainJob("b.bin", PatternBytes(10));
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncipherBlock));
  RunSteps(4);  // into the second block
  ASSERT_TRUE(vek::SourceOpen && vek::TargetOpen);
  Screenshot(Form8, "engine_processing_running");

  Form8->Button1->Click();
  EXPECT_EQ(EngineState.Current, vek::StateFinish);
  EXPECT_EQ(vek::KeyState, vek::TKeyState{});  // cleared, stream reset
  RunSteps(1);
  EXPECT_EQ(EngineState.Current, vek::EngineIdle);
  EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen);
  EXPECT_EQ(Form8->SourceStream, nullptr);
  EXPECT_EQ(Form8->TargetStream, nullptr);
  EXPECT_FALSE(Form8->RunActive());
  // The half-written file is gone; the original and the next file untouched.
  EXPECT_FALSE(HostExists("a.bin.vek"));
  EXPECT_FALSE(HostExists("b.bin.vek"));
  EXPECT_EQ(ReadHost("a.bin"), content);
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  const auto texts = LogTexts();
  const auto cancel =
      std::find(texts.begin(), texts.end(), "*** User requested to cancel operations");
  const auto stopped = std::find(texts.begin(), texts.end(), "*** Processing interupted by user");
  EXPECT_NE(cancel, texts.end());
  EXPECT_GT(stopped, cancel);
  // The source can be opened again exclusively: nothing holds it.
  EXPECT_NE(platform::FileStream::Open(WinPath("a.bin"), platform::FileMode::OpenRead,
                                       platform::ShareMode::Exclusive),
            nullptr);
}

TEST_F(EngineFrameTest, ClosingDuringARunIsRefused) {
  AddPlainJob("a.bin", PatternBytes(3 * 8192));
  StartRun(vek::RunEncrypt);
  RunSteps(10);
  Form8->Button2->Click();  // minimise
  EXPECT_TRUE(Form8->Minimized());
  EXPECT_FALSE(Form8->Timer2->Enabled());
  EXPECT_FALSE(Form8->Close());
  EXPECT_TRUE(Form8->IsShown());
  EXPECT_FALSE(Form8->Minimized());
  EXPECT_TRUE(Form8->Timer2->Enabled());
  EXPECT_TRUE(Form8->RunActive());
  vek::ExitRequested = true;
  EXPECT_TRUE(Form8->Close());
  EXPECT_FALSE(Form8->RunActive());
  EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen);
  EXPECT_FALSE(HostExists("a.bin.vek"));
}

// The editor would change the job list under the run, and the delete
// confirmation would start a run of its own: both go when a run starts.
TEST_F(EngineFrameTest, WindowsThatWouldDisturbTheRunGoWhenItStarts) {
  AddPlainJob("a.txt", PatternBytes(10));
  vek::Form18->Show();
  vek::Form9->ShowConfirmation();
  ASSERT_TRUE(vek::Form18->IsShown() && vek::Form9->IsShown());
  StartRun(vek::RunEncrypt);
  EXPECT_TRUE(Form8->RunActive());
  EXPECT_FALSE(vek::Form18->IsShown());
  EXPECT_FALSE(vek::Form9->IsShown());
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
}

TEST_F(EngineFrameTest, FromTheMainWindowThroughTheKeyToTheFinish) {
  vek::Form2->Show();  // its show empties the job list
  AddPlainJob("a.txt", PatternBytes(100));
  vek::Form2->BitBtn1->Click();
  ASSERT_TRUE(vek::Form7->IsShown());
  EXPECT_EQ(vek::RunMode, vek::RunEncrypt);
  vek::Form7->Edit1->TypeText(TestKey);
  vek::Form7->Button1->Click();
  EXPECT_FALSE(vek::Form2->IsShown());
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_TRUE(HostExists("a.txt.vek"));
  Form8->Button1->Click();
  EXPECT_TRUE(vek::Form2->IsShown());
  EXPECT_EQ(vek::JobList.JobCount, 0);
}

TEST_F(EngineFrameTest, ViewLogAfterTheFinish) {
  AddPlainJob("a.txt", PatternBytes(10));
  EncryptAll();
  Form8->Button4->Click();
  EXPECT_FALSE(Form8->IsShown());
  EXPECT_TRUE(vek::Form21->IsShown());
  vek::Form21->Button1->Click();
  EXPECT_FALSE(vek::Form21->IsShown());
  EXPECT_TRUE(vek::Form2->IsShown());
}

TEST_F(EngineFrameTest, ATickRunsStepsUntilABlockOfKeystreamIsComputed) {
  vek::VerifyAfterEncrypt = true;
  AddPlainJob("a.bin", PatternBytes(3 * 8192));
  StartRun(vek::RunEncrypt);
  const int64_t start = ui::clock::NowMs();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  // About fifty steps: each of the three blocks enciphered ends its tick,
  // and nothing else does (the verification uses the keystream computed
  // for the encryption).
  const int64_t ticks = ui::clock::NowMs() - start;
  EXPECT_GE(ticks, 3);
  EXPECT_LE(ticks, 5);
}

// Reads and writes count too, 256 bytes a byte of keystream: the
// verification, whose keystream is all kept, still leaves the window to
// the user between blocks of a large file.
TEST_F(EngineFrameTest, ReadsAndWritesCountTowardsATick) {
  vek::VerifyAfterEncrypt = true;
  AddPlainJob("a.bin", PatternBytes(3 * 8192));
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateVerifyStart));
  // A block read from each file per tick.
  Form8->SetTickBudget(2 * 8192 / 256);
  const int64_t start = ui::clock::NowMs();
  const bool finished = RunUntilIdle();
  Form8->SetTickBudget(Form8->DefaultTickBudget);
  ASSERT_TRUE(finished);
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_GE(ui::clock::NowMs() - start, 3);
}

TEST_F(EngineFrameTest, NoKeystreamOutlivesARun) {
  const auto content = PatternBytes(3 * 8192);
  vek::VerifyAfterEncrypt = true;
  AddPlainJob("a.bin", content);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateVerifyStart));
  EXPECT_EQ(vek::RunKeystream.Kept(), content.size());  // kept while the run lasts
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(vek::RunKeystream.Kept(), 0u);
  Form8->Button1->Click();  // OK

  vek::JobList.JobCount = 0;
  AddPlainJob("b.bin", content);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateEncryptAdvance));
  EXPECT_GT(vek::RunKeystream.Kept(), 0u);
  Form8->Button1->Click();  // Cancel
  EXPECT_EQ(vek::RunKeystream.Kept(), 0u);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
}

}  // namespace
}  // namespace vektest
