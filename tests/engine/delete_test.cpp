// The delete states on real files: the overwrite passes read back between
// passes, plain deletes and their retry, links, read-only and missing
// files, the job-list run with its totals and its end, and the delete
// confirmation that starts a run.

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/file_info.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/delete_confirmation.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "ui/clock.h"
#include "ui/dialogs.h"
#include "ui_doubles.h"

namespace vektest {
namespace {

using platform::faults::Count;
using platform::faults::Op;
using vek::Form15;
using vek::Form2;
using vek::Form20;
using vek::Form8;
using vek::Form9;

constexpr std::string_view FileDeleteCaption = "&Delete file";
constexpr std::string_view DeleteFailedMessage =
    "File delete failed, try again? (maybe in use by another program)";

class EngineDeleteTest : public EngineTest {
 protected:
  // Starts the delete of C:\<name> as the main window's delete button does
  // with the prompt off.
  void StartFileDelete(const std::string& name, uint8_t method) {
    vek::DeleteMethod = method;
    vek::ReadFileInfo(WinPath(), name);
    Form2->BitBtn6->SetCaption(FileDeleteCaption);
    Form9->StartDeleteRun();
    ASSERT_TRUE(Form8->IsShown());
  }
  void RunFileDelete(const std::string& name, uint8_t method) {
    StartFileDelete(name, method);
    ASSERT_TRUE(RunUntilIdle());
  }
  // Picks C:\<name> in the main window and presses its delete button with
  // the prompt on: the confirmation asks.
  void AskToDeleteFile(const std::string& name) {
    vek::ConfirmDeletes = true;
    Form2->Show();
    vek::ReadFileInfo(WinPath(), name);
    Form2->BitBtn6->SetCaption(FileDeleteCaption);
    Form2->BitBtn6->SetEnabled(true);  // as picking a file in the browser does
    Form2->BitBtn6->Click();
    ASSERT_TRUE(Form9->IsShown());
  }
  // Shows the main window and lists C:\<name> for each name.
  void ListFiles(const std::vector<std::string>& names) {
    Form2->Show();
    for (const std::string& name : names) ListFile(name);
  }
  std::string DeletingLine(const std::string& name) const {
    return "Deleting file: " + WinPath(name);
  }
};

constexpr int64_t WipeStep = vek::TForm8::WipeStepLength;

struct TMethodCase {
  uint8_t Method;
  std::vector<uint8_t> Patterns;
  size_t Size;
  int64_t WritesAPass;
};

TEST_F(EngineDeleteTest, EachPassOverwritesTheWholeFileWithTheNextPattern) {
  constexpr size_t Small = 2 * 8192 + 1;         // one step of three blocks, the last of one byte
  constexpr size_t Large = 2 * WipeStep + 8193;  // three steps, the last of a block and a byte
  const TMethodCase cases[] = {
      {vek::DeleteNormal, {}, Small, 0},  // no pass: deleted without a byte written
      {vek::DeleteSinglePass, {0xAA, 0x55}, Small, 1},
      {vek::DeleteTriplePass, {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, Small, 1},
      {vek::DeleteSinglePass, {0xAA, 0x55}, Large, 3},
  };
  for (const TMethodCase& c : cases) {
    MakeFile(HostPath("secret.bin"), PatternBytes(c.Size));
    platform::faults::Reset();
    StartFileDelete("secret.bin", c.Method);
    for (size_t pass = 1; pass <= c.Patterns.size(); ++pass) {
      ASSERT_TRUE(RunUntilState(vek::StateWipeEndPass));
      EXPECT_EQ(Form8->Label1->Caption(), "Deleting file... (Pass " + std::to_string(pass) +
                                              " of " + std::to_string(c.Patterns.size()) + ")");
      EXPECT_EQ(Form8->Label14->Caption(),
                std::string(vek::DeleteMethodNames[c.Method]) + " " +
                    std::string(vek::DeleteMethodDescriptions[c.Method]));
      EXPECT_EQ(vek::AnimationKind, 3);  // the blinking icons while passes run
      RunSteps(1);                       // the pass ends
      EXPECT_EQ(ReadHost("secret.bin"), std::vector<uint8_t>(c.Size, c.Patterns[pass - 1]))
          << "method " << int{c.Method} << " size " << c.Size << " pass " << pass;
      EXPECT_EQ(Count(Op::Flush), static_cast<int64_t>(pass));
      EXPECT_EQ(Count(Op::Write), c.WritesAPass * static_cast<int64_t>(pass));
    }
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_FALSE(HostExists("secret.bin"));
    EXPECT_EQ(Count(Op::Write), c.WritesAPass * static_cast<int64_t>(c.Patterns.size()));
    EXPECT_EQ(Count(Op::Flush), static_cast<int64_t>(c.Patterns.size()));
    EXPECT_EQ(vek::OverallTotal, static_cast<int64_t>(c.Size * c.Patterns.size()));
    EXPECT_EQ(vek::OverallDone, vek::OverallTotal);
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
    EXPECT_FALSE(LogHas("VEK 2003 ACTIVITY LOG:"));  // one file: no log head
    Form8->Button1->Click();
  }
}

// Ticks as the run has them (not one step a tick): a pass of a large file
// is written a step a tick, a Cancel between two ticks stops it where it
// stands, and after the last pass's flush the file is let go of over a few
// ticks before it is removed, through the one descriptor all along.
TEST_F(EngineDeleteTest, ALargePassGoesAStepATickAndACancelLandsBetweenTwo) {
  constexpr size_t Size = 2 * WipeStep + 8193;
  MakeFile(HostPath("large.bin"), PatternBytes(Size));
  platform::faults::Reset();
  StartFileDelete("large.bin", vek::DeleteSinglePass);
  const int64_t opens = Count(Op::Open);
  // A tick writes one step, and at most the short end of a pass before it.
  constexpr int64_t MostATick = WipeStep + 8193;
  int64_t done = 0;
  for (int tick = 0; tick < 100 && !(vek::WipePass == 2 && Count(Op::Write) == 4); ++tick) {
    ui::clock::Advance(1);
    EXPECT_LE(vek::OverallDone - done, MostATick) << "tick " << tick;
    done = vek::OverallDone;
  }
  ASSERT_EQ(vek::EngineState.Current, vek::StateWipeAdvance);
  Form8->Button1->Click();  // "&Cancel"
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_FALSE(vek::WipeStreamOpen);
  std::vector<uint8_t> expected(Size, 0xAA);
  std::fill_n(expected.begin(), WipeStep, 0x55);
  EXPECT_EQ(ReadHost("large.bin"), expected);
  EXPECT_EQ(Count(Op::Flush), 1);
  EXPECT_EQ(Count(Op::Open) - opens, 1);
  Form8->Button1->Click();

  StartFileDelete("large.bin", vek::DeleteSinglePass);
  const int64_t flushes = Count(Op::Flush);
  done = 0;
  while (Count(Op::Flush) - flushes < 2 && vek::EngineState.Current != vek::EngineIdle) {
    ui::clock::Advance(1);
    EXPECT_LE(vek::OverallDone - done, MostATick);
    done = vek::OverallDone;
  }
  EXPECT_EQ(vek::EngineState.Current, vek::StateWipeEndPass);  // the flush had its tick
  EXPECT_TRUE(vek::WipeStreamOpen);
  EXPECT_EQ(ReadHost("large.bin"), std::vector<uint8_t>(Size, 0x55));
  ui::clock::Advance(1);
  EXPECT_EQ(vek::EngineState.Current, vek::StateWipeEndPass);  // more of it to let go
  EXPECT_TRUE(vek::WipeStreamOpen);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("large.bin"));
  EXPECT_EQ(Count(Op::Flush) - flushes, 2);
}

TEST_F(EngineDeleteTest, APassCoversTheFileAsItIsNow) {
  MakeFile(HostPath("grown.bin"), PatternBytes(1000));
  StartFileDelete("grown.bin", vek::DeleteSinglePass);
  MakeFile(HostPath("grown.bin"), PatternBytes(20000));  // after it was listed
  ASSERT_TRUE(RunUntilState(vek::StateWipeEndPass));
  RunSteps(1);
  EXPECT_EQ(ReadHost("grown.bin"), std::vector<uint8_t>(20000, 0xAA));
  EXPECT_TRUE(LogHas("File size changed since it was listed: now " + vek::SizeToText(20000)));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("grown.bin"));
}

TEST_F(EngineDeleteTest, AnEmptyFileIsDeletedWithoutBeingOpened) {
  MakeFile(HostPath("empty.txt"), "");
  StartFileDelete("empty.txt", vek::DeleteTriplePass);
  const int64_t opens = Count(Op::Open);  // the examination's open is behind
  ASSERT_TRUE(RunUntilState(vek::StateWipeRemove));
  EXPECT_EQ(Form8->Label1->Caption(), "Deleting file... (Pass 1 of 6)");
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Count(Op::Open), opens);
  EXPECT_FALSE(HostExists("empty.txt"));
}

TEST_F(EngineDeleteTest, AMissingFileIsPassedOver) {
  MakeFile(HostPath("a.bin"), PatternBytes(10));
  MakeFile(HostPath("gone.bin"), PatternBytes(10));
  ListFiles({"gone.bin", "a.bin"});
  std::filesystem::remove(HostPath("gone.bin"));
  vek::DeleteMethod = vek::DeleteTriplePass;
  Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("a.bin"));
  // Its line, and then the next file's.
  const auto texts = LogTexts();
  const auto gone = std::find(texts.begin(), texts.end(), DeletingLine("gone.bin"));
  ASSERT_NE(gone, texts.end());
  ASSERT_LT(gone + 2, texts.end());
  EXPECT_EQ(*(gone + 1), " ");
  EXPECT_EQ(*(gone + 2), DeletingLine("a.bin"));
}

TEST_F(EngineDeleteTest, AReadOnlyFileIsDeleted) {
  for (const uint8_t method : {vek::DeleteNormal, vek::DeleteTriplePass}) {
    MakeFile(HostPath("ro.txt"), PatternBytes(100));
    ASSERT_TRUE(platform::SetAttributes(WinPath("ro.txt"), platform::attr::ReadOnly));
    RunFileDelete("ro.txt", method);
    EXPECT_FALSE(HostExists("ro.txt")) << "method " << int{method};
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
    Form8->Button1->Click();
  }
}

TEST_F(EngineDeleteTest, ALinkIsDeletedAndWhatItPointsToIsLeftAlone) {
  const auto content = PatternBytes(3000);
  MakeFile(HostPath("target.bin"), content);
  for (const uint8_t method : {vek::DeleteNormal, vek::DeleteSinglePass}) {
    std::filesystem::create_symlink(HostPath("target.bin"), HostPath("link.bin"));
    RunFileDelete("link.bin", method);
    EXPECT_FALSE(
        std::filesystem::is_symlink(std::filesystem::symlink_status(HostPath("link.bin"))));
    EXPECT_EQ(ReadHost("target.bin"), content) << "method " << int{method};
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
    Form8->Button1->Click();
  }
}

TEST_F(EngineDeleteTest, TheJobListRunCountsEveryPassAndEmptiesTheList) {
  MakeFile(HostPath("a.bin"), PatternBytes(1000));
  MakeFile(HostPath("b.bin"), PatternBytes(3000));
  ListFiles({"a.bin", "b.bin"});
  vek::DeleteMethod = vek::DeleteSinglePass;
  Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilState(vek::StateDeleteListNextFile));
  EXPECT_EQ(vek::OverallTotal, 8000);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("a.bin"));
  EXPECT_FALSE(HostExists("b.bin"));
  EXPECT_EQ(vek::OverallDone, 8000);
  EXPECT_EQ(vek::JobList.JobCount, 0);
  EXPECT_EQ(Form2->Label13->Caption(),
            " File encrypt/decrypt/delete job list : (0 file - 0 Bytes total) ");
  for (ui::TBitBtn* b : {Form2->BitBtn3, Form2->BitBtn4, Form2->BitBtn5, Form2->BitBtn6}) {
    EXPECT_FALSE(b->Enabled());
  }
  Form8->Button1->Click();

  // The plain delete counts the list's bytes and moves on only at the end.
  MakeFile(HostPath("a.bin"), PatternBytes(1000));
  MakeFile(HostPath("b.bin"), PatternBytes(3000));
  ListFiles({"a.bin", "b.bin"});
  vek::DeleteMethod = vek::DeleteNormal;
  Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilState(vek::StateFinish));
  EXPECT_EQ(vek::OverallTotal, 4000);
  EXPECT_EQ(vek::OverallDone, 0);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.bin"));
  EXPECT_FALSE(HostExists("b.bin"));
}

TEST_F(EngineDeleteTest, AStoppedJobListRunStillEmptiesTheList) {
  // Cancel in the processing window, Stop all processing in an error
  // report, Cancel in the warning of a failing plain delete.
  enum class TStop { Cancel, StopAllProcessing, WarningCancel };
  for (const TStop stop : {TStop::Cancel, TStop::StopAllProcessing, TStop::WarningCancel}) {
    MakeFile(HostPath("a.bin"), PatternBytes(30000));
    MakeFile(HostPath("b.bin"), PatternBytes(30000));
    ListFiles({"a.bin", "b.bin"});
    vek::DeleteMethod = stop == TStop::WarningCancel ? vek::DeleteNormal : vek::DeleteTriplePass;
    if (stop == TStop::StopAllProcessing) {
      platform::faults::Fail(Op::Open, 1, platform::err::SharingViolation);
    } else if (stop == TStop::WarningCancel) {
      platform::faults::Fail(Op::Delete, 1, platform::err::SharingViolation);
    }
    Form9->StartDeleteRun();
    if (stop == TStop::Cancel) {
      ASSERT_TRUE(RunUntilState(vek::StateWipeWriteBlock));
      Form8->Button1->Click();
    } else if (stop == TStop::StopAllProcessing) {
      ASSERT_TRUE(RunUntilIdle());
      ASSERT_TRUE(Form15->IsShown());
      Form15->Button3->Click();
    } else {
      ASSERT_TRUE(RunUntilIdle());
      ASSERT_TRUE(Form20->IsShown());
      EXPECT_EQ(Form20->Label3->Caption(), DeleteFailedMessage);
      Form20->Button3->Click();
      EXPECT_TRUE(HostExists("a.bin"));
    }
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
    EXPECT_EQ(vek::JobList.JobCount, 0);
    EXPECT_FALSE(Form2->BitBtn6->Enabled());
    EXPECT_FALSE(Form2->BitBtn3->Enabled());
    EXPECT_FALSE(vek::WipeStreamOpen);
    EXPECT_TRUE(HostExists("b.bin"));
    Form8->Button1->Click();
  }
}

// The list's file lies on a diskette in A: while the browser shows C:.
TEST_F(EngineDeleteTest, ErrorsDescribeTheDriveOfTheFileBeingDeleted) {
  std::filesystem::create_directory(HostPath("floppy"));
  platform::SetDriveMap({{'C', dir.path().string()}, {'A', HostPath("floppy").string()}});
  SetDriveKind('A', vek::DriveKindFloppy);
  SetDriveKind('C', platform::drive::Fixed);
  MakeFile(HostPath("floppy/a.bin"), PatternBytes(100));
  Form2->Show();
  vek::ReadFileInfo("A:\\", "a.bin");
  Form2->AddCurrentFileToJobList();
  vek::DeleteMethod = vek::DeleteSinglePass;
  platform::faults::Fail(Op::Open, 1, platform::err::SharingViolation);
  Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "21");
  EXPECT_EQ(Form15->Label12->Caption(), "a.bin");
  EXPECT_EQ(Form15->Label8->Caption(), "Please re-insert the diskette into drive A:");
  EXPECT_TRUE(Form15->Button1->Enabled());
  Form15->Button1->Click();  // Retry opens again
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_FALSE(HostExists("floppy/a.bin"));
}

TEST_F(EngineDeleteTest, AFailingPlainDeleteAsksAndIsTriedAgain) {
  MakeFile(HostPath("busy.txt"), "x");
  platform::faults::Fail(Op::Delete, 1, platform::err::SharingViolation);
  StartFileDelete("busy.txt", vek::DeleteNormal);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "busy.txt");
  EXPECT_EQ(Form20->Label3->Caption(), DeleteFailedMessage);
  EXPECT_TRUE(Form20->Button1->Enabled());
  EXPECT_TRUE(LogHas("File delete failed (file in use?)"));
  Form20->Button1->Click();  // Continue: try again
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("busy.txt"));
  EXPECT_EQ(LogCount(DeletingLine("busy.txt")), 2);
  Form8->Button1->Click();

  // With warnings off the tries go on, tick after tick, logged once.
  MakeFile(HostPath("busy.txt"), "x");
  for (int n = 1; n <= 5; ++n)
    platform::faults::Fail(Op::Delete, n, platform::err::SharingViolation);
  const int64_t deletes = Count(Op::Delete);
  StartFileDelete("busy.txt", vek::DeleteNormal);
  ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
  vek::WarningsOn = false;
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("busy.txt"));
  EXPECT_EQ(Count(Op::Delete) - deletes, 6);
  EXPECT_EQ(LogCount(DeletingLine("busy.txt")), 1);
  EXPECT_EQ(LogCount("File delete failed (file in use?)"), 1);
  EXPECT_EQ(LogCount("Warnings are OFF (Auto Continue)"), 1);
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
}

// Without Continue the warning ends the run on Cancel; with warnings off the
// run goes on with the next file and the stuck one stays.
TEST_F(EngineDeleteTest, AFileThatStaysAfterItsOverwriteIsReported) {
  for (const bool warningsOn : {true, false}) {
    MakeFile(HostPath("stuck.bin"), PatternBytes(10));
    MakeFile(HostPath("b.bin"), PatternBytes(10));
    ListFiles({"stuck.bin", "b.bin"});
    vek::DeleteMethod = vek::DeleteSinglePass;
    platform::faults::Reset();
    platform::faults::Fail(Op::Delete, 1, platform::err::AccessDenied);
    Form9->StartDeleteRun();
    ASSERT_TRUE(RunUntilState(vek::StateWipeRemove));
    vek::WarningsOn = warningsOn;
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(LogHas("WARNING: stuck.bin"));
    EXPECT_TRUE(LogHas("WARNING: Could not delete file (maybe in use/locked or system protected)"));
    if (warningsOn) {
      ASSERT_TRUE(Form20->IsShown());
      EXPECT_EQ(Form20->Label2->Caption(), "stuck.bin");
      EXPECT_EQ(Form20->Label3->Caption(),
                "Could not delete file (maybe in use/locked or system protected)");
      EXPECT_FALSE(Form20->Button1->Enabled());
      EXPECT_FALSE(Form20->Button2->Enabled());
      Form20->Button3->Click();  // "C&ancel"
      ASSERT_TRUE(RunUntilIdle());
    }
    EXPECT_FALSE(Form20->IsShown());
    EXPECT_EQ(Form8->Label1->Caption(), warningsOn ? "Stopped by request." : "Completed.");
    EXPECT_TRUE(HostExists("stuck.bin"));
    EXPECT_EQ(HostExists("b.bin"), warningsOn) << "warnings on: " << warningsOn;
    Form8->Button1->Click();
  }
}

// Two passes over 10 MB, three steps each (4 MB, 4 MB, 2 MB): each pass
// starts the file line afresh, each step moves both lines on.
TEST_F(EngineDeleteTest, OverwriteProgressMovesOnStepByStep) {
  constexpr int64_t Size = 2 * WipeStep + WipeStep / 2;
  const std::vector<TProgressShown> passStarts(2, {Amount(0, Size), "0%", 0});
  const std::vector<TProgressShown> fileAfterSteps = {
      {Amount(WipeStep, Size), "40%", 160},     {Amount(2 * WipeStep, Size), "80%", 320},
      {Amount(Size, Size), "100%", 400},        {Amount(WipeStep, Size), "40%", 160},
      {Amount(2 * WipeStep, Size), "80%", 320}, {Amount(Size, Size), "100%", 400},
  };
  const std::vector<TProgressShown> overallAfterSteps = {
      {Amount(WipeStep, 2 * Size), "20%", 80},
      {Amount(2 * WipeStep, 2 * Size), "40%", 160},
      {Amount(Size, 2 * Size), "50%", 200},
      {Amount(Size + WipeStep, 2 * Size), "70%", 280},
      {Amount(Size + 2 * WipeStep, 2 * Size), "90%", 360},
      {Amount(2 * Size, 2 * Size), "100", 400},
  };
  for (const bool jobList : {false, true}) {
    MakeFile(HostPath("secret.bin"), PatternBytes(Size));
    if (jobList) {
      ListFiles({"secret.bin"});
      vek::DeleteMethod = vek::DeleteSinglePass;
      Form9->StartDeleteRun();
    } else {
      StartFileDelete("secret.bin", vek::DeleteSinglePass);
    }
    std::vector<TProgressShown> starts, file, overall;
    for (int tick = 0; tick < 1000 && vek::EngineState.Current != vek::EngineIdle; ++tick) {
      const uint16_t state = vek::EngineState.Current;
      RunSteps(1);
      if (state == vek::StateWipeOpenPass) starts.push_back(FileProgressShown());
      if (state == vek::StateWipeAdvance) {
        file.push_back(FileProgressShown());
        overall.push_back(OverallProgressShown());
      }
    }
    EXPECT_EQ(starts, passStarts) << "job list: " << jobList;
    EXPECT_EQ(file, fileAfterSteps) << "job list: " << jobList;
    EXPECT_EQ(overall, overallAfterSteps) << "job list: " << jobList;
    EXPECT_FALSE(HostExists("secret.bin"));
    Form8->Button1->Click();
  }

  // A plain delete of the job list counts each file as one byte to do.
  MakeFile(HostPath("a.bin"), PatternBytes(10));
  ListFiles({"a.bin"});
  vek::DeleteMethod = vek::DeleteNormal;
  Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
  EXPECT_EQ(FileProgressShown(), (TProgressShown{Amount(0, 1), "0%", 0}));
}

// The overall total of a job-list delete counts every pass of every file.
TEST_F(EngineDeleteTest, TheJobListsOverallTotalCountsEveryPass) {
  const std::pair<uint8_t, int64_t> cases[] = {
      {vek::DeleteNormal, 4000}, {vek::DeleteSinglePass, 8000}, {vek::DeleteTriplePass, 24000}};
  for (const auto& [method, total] : cases) {
    MakeFile(HostPath("a.bin"), PatternBytes(1000));
    MakeFile(HostPath("b.bin"), PatternBytes(3000));
    ListFiles({"a.bin", "b.bin"});
    vek::DeleteMethod = method;
    Form9->StartDeleteRun();
    ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
    EXPECT_EQ(vek::OverallTotal, total) << "method " << int{method};
    EXPECT_EQ(Form8->Label11->Caption(), "1 of 2.");
    Form8->Button1->Click();  // "&Cancel"
    ASSERT_TRUE(RunUntilIdle());
    Form8->Button1->Click();
  }
}

struct TStartCase {
  std::string_view Caption;
  uint8_t RunMode;
  uint16_t FirstPathState;
};

TEST_F(EngineDeleteTest, StartDeleteRunChoosesByTheDeleteButtonsCaption) {
  MakeFile(HostPath("one.bin"), PatternBytes(700));
  const TStartCase cases[] = {
      {"&Delete job list files", vek::RunDeleteJobList, vek::StateDeleteListTotals},
      {FileDeleteCaption, vek::RunDeleteFile, vek::StateDeleteFile},
  };
  for (const TStartCase& c : cases) {
    vek::ReadFileInfo(WinPath(), "one.bin");
    vek::DeleteMethod = vek::DeleteTriplePass;
    Form2->BitBtn6->SetCaption(c.Caption);
    Form9->StartDeleteRun();
    EXPECT_EQ(vek::RunMode, c.RunMode);
    ASSERT_TRUE(RunUntilState(c.FirstPathState));
    if (c.RunMode == vek::RunDeleteFile) {
      EXPECT_EQ(vek::DeleteFolder, WinPath());
      EXPECT_EQ(vek::DeleteName, "one.bin");
      EXPECT_EQ(vek::DeleteSize, 700);
      EXPECT_EQ(vek::DeleteReturnState, vek::StateFinish);
      EXPECT_EQ(vek::OverallTotal, 6 * 700);
      EXPECT_EQ(Form8->Label11->Caption(), "N/A (Single file delete)");
      EXPECT_EQ(Form8->Label12->Caption(), "one.bin");
      EXPECT_EQ(Form8->Label13->Caption(), WinPath());
    }
    // No second run while this one is active.
    Form2->BitBtn6->SetCaption("&Delete job list files");
    Form9->StartDeleteRun();
    EXPECT_EQ(vek::RunMode, c.RunMode);
    Form8->Button1->Click();
    ASSERT_TRUE(RunUntilIdle());
    Form8->Button1->Click();
  }
  EXPECT_TRUE(HostExists("one.bin"));

  // Never the settings file, whatever the browser shows.
  vek::CurrentFile.Name = "VEK 2003.set";
  Form2->BitBtn6->SetCaption(FileDeleteCaption);
  Form9->StartDeleteRun();
  EXPECT_FALSE(Form8->IsShown());
}

TEST_F(EngineDeleteTest, TheConfirmationNamesWhatAndHowAndStartsTheRun) {
  MakeFile(HostPath("a.bin"), PatternBytes(1000));
  MakeFile(HostPath("b.bin"), PatternBytes(2000));
  vek::ConfirmDeletes = true;
  vek::DeleteMethod = vek::DeleteTriplePass;
  ListFiles({"a.bin", "b.bin"});
  Form2->BitBtn6->Click();
  ASSERT_TRUE(Form9->IsShown());
  EXPECT_EQ(Form9->Label2->Caption(), "Delete all 2 file(s) currently in the joblist");
  EXPECT_EQ(Form9->Label3->Caption(), vek::SizeToText(3000));
  EXPECT_EQ(Form9->Label1->Caption(), "Use triple pass overwriting method");
  EXPECT_EQ(Form9->Label4->Caption(), "(fast speed and the best protection)");
  EXPECT_TRUE(Form9->CheckBox1->Checked());
  EXPECT_EQ(Form9->BorderStyle(), ui::TBorderStyle::Dialog);
  EXPECT_EQ(Form9->BorderIcons(), 0u);  // no close box: "&Yes" or "&No" answers
  Screenshot(Form9, "engine_delete_confirmation");

  // "Change delete method" opens the options on their delete page.
  Form9->Button3->Click();
  EXPECT_TRUE(vek::Form4->IsShown());
  EXPECT_EQ(vek::Form4->TabbedNotebook1->PageIndex(), 3);
  EXPECT_TRUE(Form9->IsShown());
  vek::Form4->Hide();

  Form9->Button2->Click();  // No
  EXPECT_FALSE(Form9->IsShown());
  EXPECT_FALSE(Form8->IsShown());
  EXPECT_TRUE(HostExists("a.bin"));

  // One file.
  vek::ReadFileInfo(WinPath(), "a.bin");
  Form2->BitBtn6->SetCaption(FileDeleteCaption);
  vek::DeleteMethod = vek::DeleteNormal;
  Form2->BitBtn6->Click();
  ASSERT_TRUE(Form9->IsShown());
  EXPECT_EQ(Form9->Label2->Caption(), "a.bin");
  EXPECT_EQ(Form9->Label3->Caption(), vek::SizeToText(1000));
  EXPECT_EQ(Form9->Label1->Caption(), "Use normal file system delete method");
  EXPECT_EQ(Form9->Label4->Caption(), "(fastest speed but least protection)");
  Form9->Button1->Click();  // Yes
  EXPECT_FALSE(Form9->IsShown());
  ASSERT_TRUE(Form8->IsShown());
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.bin"));
  EXPECT_TRUE(HostExists("b.bin"));
}

// The question waits without holding the main window: "Yes" deletes what it
// named, not what the browser shows by then, and never a job list other
// than the one it named.
TEST_F(EngineDeleteTest, YesDeletesWhatTheConfirmationNamed) {
  MakeFile(HostPath("a.bin"), PatternBytes(1000));
  MakeFile(HostPath("b.bin"), PatternBytes(2000));
  AskToDeleteFile("a.bin");
  vek::ReadFileInfo(WinPath(), "b.bin");  // another file chosen meanwhile
  Form9->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.bin"));
  EXPECT_TRUE(HostExists("b.bin"));
  EXPECT_EQ(vek::OverallTotal, 0);  // the plain delete of a.bin
  Form8->Button1->Click();

  // Nor a file of the same name in the folder the browser shows by then.
  std::filesystem::create_directory(HostPath("sub"));
  MakeFile(HostPath("a.bin"), PatternBytes(1000));
  MakeFile(HostPath("sub/a.bin"), PatternBytes(1000));
  AskToDeleteFile("a.bin");
  vek::ReadFileInfo(WinPath("sub") + "\\", "a.bin");
  Form9->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.bin"));
  EXPECT_TRUE(HostExists("sub/a.bin"));
  Form8->Button1->Click();

  // Asked again while the question is on screen, it follows the new file.
  MakeFile(HostPath("a.bin"), PatternBytes(1000));
  AskToDeleteFile("a.bin");
  vek::ReadFileInfo(WinPath(), "b.bin");
  Form2->BitBtn6->Click();
  EXPECT_EQ(Form9->Label2->Caption(), "b.bin");
  vek::ReadFileInfo(WinPath(), "a.bin");
  Form9->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(HostExists("a.bin"));
  EXPECT_FALSE(HostExists("b.bin"));
  Form8->Button1->Click();

  // A job list that changed while the question waited is not deleted.
  MakeFile(HostPath("b.bin"), PatternBytes(2000));
  MakeFile(HostPath("c.bin"), PatternBytes(3000));
  ListFiles({"a.bin", "b.bin"});
  Form2->BitBtn6->Click();
  ASSERT_TRUE(Form9->IsShown());
  EXPECT_EQ(Form9->Label2->Caption(), "Delete all 2 file(s) currently in the joblist");
  ListFile("c.bin");
  ui::dialogs_for_test::Expect(ui::mrOk, "The job list has changed");
  Form9->Button1->Click();
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_FALSE(Form9->IsShown());
  EXPECT_FALSE(Form8->IsShown());
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) EXPECT_TRUE(HostExists(name)) << name;
  EXPECT_EQ(vek::JobList.JobCount, 3);

  // Unchanged, it is.
  Form2->BitBtn6->Click();
  Form9->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) EXPECT_FALSE(HostExists(name)) << name;
}

TEST_F(EngineDeleteTest, WithThePromptOffALaterDeleteStartsAtOnce) {
  MakeFile(HostPath("a.bin"), PatternBytes(10));
  AskToDeleteFile("a.bin");
  Form9->CheckBox1->Click();
  EXPECT_FALSE(vek::ConfirmDeletes);
  Form9->Button2->Click();

  Form2->BitBtn6->Click();
  EXPECT_FALSE(Form9->IsShown());
  ASSERT_TRUE(Form8->IsShown());
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("a.bin"));

  // The box shows the setting when the window shows again.
  Form8->Button1->Click();
  Form9->Show();
  EXPECT_FALSE(Form9->CheckBox1->Checked());
}

TEST_F(EngineDeleteTest, EncryptDeletesTheOriginalOnlyAfterAVerifiedFile) {
  const auto content = PatternBytes(12000);
  AddPlainJob("a.bin", content);
  vek::VerifyAfterEncrypt = true;
  vek::DeletePlaintextAfterEncrypt = true;
  vek::DeleteMethod = vek::DeleteSinglePass;
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateVerifyKeyCheck));
  EXPECT_EQ(ReadHost("a.bin"), content);
  ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
  EXPECT_EQ(ReadHost("a.bin"), content);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("a.bin"));
  EXPECT_EQ(ReadHost("a.bin.vek"), ExpectedVekFile(PlainFields(12000), content, TestKey));
  // Twice the size for encrypt and verify, and two passes over 12 KB.
  EXPECT_EQ(vek::OverallTotal, 2 * 12000 + 2 * 12 * 1024);
}

// The original handed to the delete after an encrypt or a decrypt is
// overwritten over its whole length before it goes.
TEST_F(EngineDeleteTest, TheOriginalAfterARunIsOverwrittenBeforeItGoes) {
  vek::VerifyAfterEncrypt = false;
  vek::DeletePlaintextAfterEncrypt = true;
  vek::DeleteEncryptedAfterDecrypt = true;
  vek::DeleteMethod = vek::DeleteSinglePass;
  for (const uint8_t mode : {vek::RunEncrypt, vek::RunDecrypt}) {
    Form2->ClearJobList();
    const std::string original = mode == vek::RunEncrypt ? "a.bin" : "b.bin.vek";
    if (mode == vek::RunEncrypt) {
      AddPlainJob(original, PatternBytes(12000));
    } else {
      AddVekJob(original, PatternBytes(12000));
    }
    const size_t size = ReadHost(original).size();
    StartRun(mode);
    ASSERT_TRUE(RunUntilState(vek::StateWipeEndPass));
    RunSteps(1);
    EXPECT_EQ(ReadHost(original), std::vector<uint8_t>(size, 0xAA)) << original;
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
    EXPECT_FALSE(HostExists(original));
    Form8->Button1->Click();
  }
}

}  // namespace
}  // namespace vektest
