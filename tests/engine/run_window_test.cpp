// The processing window around a run: its buttons, captions and timers
// from the show to the finish of each outcome, and the minimize buttons.

#include <filesystem>
#include <string>
#include <type_traits>
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
#include "platform/drives.h"
#include "platform/files.h"
#include "state_values.h"
#include "ui/clock.h"
#include "ui_test_support.h"

namespace vektest {
namespace {

using vek::Form8;

using EngineRunWindowTest = EngineTest;

struct TWindowText {
  const ui::TForm* Window;
  std::string Control;  // empty: the window's caption
  std::string Text;
  std::string Hint;  // empty: not checked
};

// The engine's windows as they are made, word for word.
TEST_F(EngineRunWindowTest, WindowsCarryTheirTextsAndHints) {
  const TWindowText texts[] = {
      {vek::Form8, "GroupBox1", " Current task : ", ""},
      {vek::Form8, "GroupBox2", " Task details : ", ""},
      {vek::Form8, "Label2", "Job list file :", ""},
      {vek::Form8, "Label3", "File name :", ""},
      {vek::Form8, "Label4", "File location :", ""},
      {vek::Form8, "Label5", "File progress :", ""},
      {vek::Form8, "Label8", "Overall progress :", ""},
      {vek::Form8, "Button2", "Minimize (&normal speed)", ""},
      {vek::Form8, "Button3", "Minimize (&slow speed)", ""},
      {vek::Form8, "Button4", "&View activity log", ""},
      {vek::Form9, "", "VEK 2003 - File delete", ""},
      {vek::Form9, "GroupBox1", " Confirmation : ", ""},
      {vek::Form9, "CheckBox1", "Prompt for this assurance before deleting any file.",
       "Click to enable or disable this option.."},
      {vek::Form9, "Button1", "&Yes", "Proceed with deleting file or files using this method.."},
      {vek::Form9, "Button2", "&No", "Do not proceed deleting file or files.."},
      {vek::Form9, "Button3", "&Change delete method",
       "Click to change the delete method now before proceeding to delete file(s).."},
      {vek::Form21, "", "VEK 2003 - Processing activity log", ""},
      {vek::Form21, "Label1",
       "The following errors / warnings were recorded in the log during processing of files..", ""},
      {vek::Form21, "Label3", "Actions taken during processing :", ""},
      {vek::Form21, "Label5", "Errors which occured during processing :", ""},
      {vek::Form21, "Button1", "&Close activity log window", "Close this window.."},
      {vek::Form21, "Button2", "&Save log contents to C: drive", ""},
      {vek::Form20, "Button1", "&Continue", ""},
      {vek::Form20, "Button2", "Continue (&Ignore all future warnings)", ""},
      {vek::Form20, "Button3", "C&ancel", ""},
      {vek::Form15, "Button1", "&Retry..", ""},
      {vek::Form15, "Button2", "&Skip file..", ""},
      {vek::Form15, "Button3", "Stop &all processing", ""},
      {vek::Form15, "Button4", "Skip all &errors", ""},
      {vek::Form7, "Button1", "Proceed with this KEY >>", ""},
      {vek::Form7, "Button2", "Cancel", ""},
      {vek::Form7, "Button3", "Start generator", ""},
      {vek::Form7, "Button4", "Ready !", ""},
      {vek::Form7, "Button18", "Clear all", ""},
      {vek::Form7, "Button49", "caps lock", ""},
      {vek::Form7, "Button63", "Space", ""},
      {vek::Form7, "Label5", "Chars: 0", ""},
  };
  for (const TWindowText& t : texts) {
    const std::string shown = t.Control.empty() ? t.Window->Caption() : TextOf(t.Window, t.Control);
    EXPECT_EQ(shown, t.Text) << t.Window->ClassName() << " " << t.Control;
    if (!t.Hint.empty()) {
      EXPECT_EQ(t.Window->FindControl(t.Control)->Hint(), t.Hint)
          << t.Window->ClassName() << " " << t.Control;
    }
  }
}

enum class TOutcome { Completed, WithErrors, Stopped };

struct TOutcomeCase {
  TOutcome Outcome;
  std::string Task;
  std::string SubTask;
  std::string Caption;
};

TEST_F(EngineRunWindowTest, ButtonsAndTextsFromTheShowToEachFinish) {
  const TOutcomeCase cases[] = {
      {TOutcome::Completed, "Completed.", "Finished all tasks", "VEK: Finished"},
      {TOutcome::WithErrors, "Completed (including errors)", "Finished all tasks", "VEK: Finished"},
      {TOutcome::Stopped, "Stopped by request.", "Did not complete all tasks", "VEK: Interrupted"},
  };
  SetDriveKind('C', platform::drive::Removable);
  vek::InsaneModeThreshold = 21;  // the boost caption shows during the run
  for (const TOutcomeCase& c : cases) {
    SCOPED_TRACE(c.Task);
    vek::Form2->ClearJobList();
    if (c.Outcome == TOutcome::WithErrors) AddJobEntry("missing.txt", 10);
    // Big enough to be cancelled in the middle.
    AddPlainJob("a.txt", PatternBytes(c.Outcome == TOutcome::Stopped ? 1 << 20 : 20000));
    std::filesystem::remove(HostPath("a.txt.vek"));
    StartRun(vek::RunEncrypt);
    EXPECT_EQ(Form8->Caption(), "VEK 2003 - Ready");
    EXPECT_TRUE(Form8->Button1->Enabled());
    EXPECT_TRUE(Form8->Button2->Enabled());
    EXPECT_TRUE(Form8->Button3->Enabled());
    EXPECT_FALSE(Form8->Button4->Enabled());
    EXPECT_TRUE(Form8->Timer2->Enabled());
    EXPECT_EQ(Form8->Timer2->Interval(), 1000);
    EXPECT_FALSE(vek::Form2->IsShown());
    ui::clock::Advance(1);  // the display is cleared
    EXPECT_EQ(Form8->Button1->Caption(), "&Cancel");
    if (c.Outcome == TOutcome::Stopped) {
      ui::clock::Advance(2);  // past the reset of the run's figures
      ASSERT_TRUE(ui::clock::RunUntil([] { return vek::FileDone > 0; }, 100000));
      EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : (Insane! CPU boost mode activated) ");
      Form8->Button1->Click();  // "&Cancel"
    }
    ASSERT_TRUE(RunUntilIdle());
    if (c.Outcome == TOutcome::WithErrors) {
      ASSERT_TRUE(vek::Form15->IsShown());
      vek::Form15->Button2->Click();  // "&Skip file.."
      ASSERT_TRUE(RunUntilIdle());
    }
    ASSERT_FALSE(Form8->RunActive());
    EXPECT_EQ(Form8->Label1->Caption(), c.Task);
    EXPECT_EQ(Form8->Label14->Caption(), c.SubTask);
    EXPECT_EQ(Form8->Caption(), c.Caption);
    EXPECT_EQ(Form8->Button1->Caption(), "&OK");
    EXPECT_TRUE(Form8->Button1->Enabled());
    EXPECT_FALSE(Form8->Button2->Enabled());
    EXPECT_FALSE(Form8->Button3->Enabled());
    EXPECT_TRUE(Form8->Button4->Enabled());
    EXPECT_FALSE(Form8->Timer2->Enabled());
    EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : ");
    EXPECT_EQ(Form8->Label11->Caption(), "All");
    EXPECT_EQ(Form8->Label6->Caption(), "100%");
    EXPECT_EQ(Form8->Label9->Caption(), "100%");
    EXPECT_EQ(Form8->ProgressBar1->Position(), 400);
    EXPECT_EQ(Form8->ProgressBar2->Position(), 400);
    EXPECT_EQ(vek::AnimationKind, 4);
    EXPECT_EQ(LogHas("*** User requested to cancel operations"), c.Outcome == TOutcome::Stopped);
    EXPECT_EQ(LogHas("*** Processing interupted by user"), c.Outcome == TOutcome::Stopped);
    Form8->Button1->Click();  // "&OK"
    EXPECT_FALSE(Form8->IsShown());
    EXPECT_TRUE(vek::Form2->IsShown());
    EXPECT_FALSE(Form8->Timer1->Enabled());
  }
}

// The finish shows the amounts in full; a job-list delete's file figure of
// one byte (a file counted as done) shows as nothing.
TEST_F(EngineRunWindowTest, TheFinishShowsTheAmountsInFull) {
  MakeFile(HostPath("x.txt"), "12345");
  vek::Form2->Show();
  ListFile("x.txt");
  vek::DeleteMethod = vek::DeleteNormal;
  vek::Form2->BitBtn6->SetCaption("&Delete job list files");
  vek::Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("x.txt"));
  EXPECT_EQ(Form8->Label7->Caption(), "0 Bytes of 0 Bytes");
  EXPECT_EQ(Form8->Label10->Caption(), "5 Bytes of 5 Bytes");
  Form8->Button1->Click();

  vek::Form2->ClearJobList();
  AddPlainJob("a.txt", PatternBytes(20000));
  vek::VerifyAfterEncrypt = false;
  EncryptAll();
  EXPECT_EQ(Form8->Label7->Caption(), "19.5 KB of 19.5 KB");
  EXPECT_EQ(Form8->Label10->Caption(), "19.5 KB of 19.5 KB");
  Form8->Button1->Click();
}

// A store full past what a tick may overwrite goes over more than one tick
// of the finish; the finish shows its outcome and offers OK only once none
// of the run's keystream is left.
TEST_F(EngineRunWindowTest, TheFinishWipesALargeStoreOverTicksBeforeItOffersOk) {
  AddPlainJob("big.bin", PatternBytes((4 << 20) + 5000));
  vek::VerifyAfterEncrypt = false;
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateFinish));
  const size_t full = vek::RunKeystream.Kept();
  ASSERT_GT(full, size_t{4} << 20);
  RunSteps(1);
  EXPECT_EQ(vek::EngineState.Current, vek::StateFinish);
  EXPECT_GT(vek::RunKeystream.Kept(), 0u);
  EXPECT_LT(vek::RunKeystream.Kept(), full);
  EXPECT_EQ(Form8->Button1->Caption(), "&Cancel");
  EXPECT_NE(Form8->Label1->Caption(), "Completed.");
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(vek::RunKeystream.Kept(), 0u);
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(Form8->Button1->Caption(), "&OK");
  Form8->Button1->Click();
}

// A job-list delete names the file being overwritten while its error waits.
TEST_F(EngineRunWindowTest, AnOverwriteOfTheJobListShowsItsFile) {
  MakeFile(HostPath("x.bin"), PatternBytes(100));
  vek::Form2->Show();
  ListFile("x.bin");
  vek::DeleteMethod = vek::DeleteTriplePass;
  vek::Form2->BitBtn6->SetCaption("&Delete job list files");
  platform::faults::Fail(platform::faults::Op::Write, 3, platform::err::WriteFault);
  vek::Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(vek::Form15->IsShown());
  EXPECT_EQ(Form8->Label1->Caption(), "Deleting file... (Pass 3 of 6)");
  EXPECT_EQ(Form8->Label14->Caption(),
            "Use triple pass overwriting method (fast speed and the best protection)");
  EXPECT_EQ(Form8->Label11->Caption(), "1 of 1.");
  EXPECT_EQ(Form8->Label12->Caption(), "x.bin");
  EXPECT_EQ(Form8->Label13->Caption(), "C:\\");
  vek::Form15->Button3->Click();  // "Stop &all processing"
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_TRUE(HostExists("x.bin"));
  Form8->Button1->Click();
}

// A warning that allowed no Continue leaves both Continue buttons ready for
// the next one.
TEST_F(EngineRunWindowTest, AfterAWarningWithoutContinueBothContinueButtonsAreBack) {
  AddPlainJob("empty.txt", {});
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(vek::Form20->IsShown());
  EXPECT_FALSE(vek::Form20->Button1->Enabled());
  EXPECT_FALSE(vek::Form20->Button2->Enabled());
  vek::Form20->Button3->Click();  // "C&ancel"
  EXPECT_TRUE(vek::Form20->Button1->Enabled());
  EXPECT_TRUE(vek::Form20->Button2->Enabled());
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();
}

// The original handed to the delete after its run is named while a failing
// delete asks.
TEST_F(EngineRunWindowTest, TheDeleteAfterARunNamesTheOriginal) {
  struct TCase {
    uint8_t Mode;
    std::string Original;
    std::string SubTask;
  };
  const TCase cases[] = {
      {vek::RunEncrypt, "a.bin", "Deleting original non-encrypted file by request"},
      {vek::RunDecrypt, "b.bin.vek", "Deleting original encrypted file by request"},
  };
  vek::DeletePlaintextAfterEncrypt = true;
  vek::DeleteEncryptedAfterDecrypt = true;
  vek::DeleteMethod = vek::DeleteNormal;
  for (const TCase& c : cases) {
    vek::Form2->ClearJobList();
    if (c.Mode == vek::RunEncrypt) {
      AddPlainJob(c.Original, PatternBytes(100));
    } else {
      AddVekJob(c.Original, PatternBytes(100));
    }
    platform::faults::Reset();
    platform::faults::Fail(platform::faults::Op::Delete, 1, platform::err::SharingViolation);
    StartRun(c.Mode);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(vek::Form20->IsShown()) << c.Original;
    EXPECT_EQ(vek::Form20->Label3->Caption(),
              "File delete failed, try again? (maybe in use by another program)");
    EXPECT_EQ(Form8->Label12->Caption(), c.Original);
    EXPECT_EQ(Form8->Label14->Caption(), c.SubTask);
    vek::Form20->Button3->Click();  // "C&ancel"
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(HostExists(c.Original));
    Form8->Button1->Click();
  }
}

// The confirmation's prompt box shows the prompt option as it stands.
TEST_F(EngineRunWindowTest, TheConfirmationsPromptBoxFollowsTheOption) {
  for (const bool confirm : {true, false, true}) {
    vek::Form9->CheckBox1->SetChecked(!confirm);  // (its click handler sets the option)
    vek::ConfirmDeletes = confirm;
    vek::Form9->ShowConfirmation();
    EXPECT_EQ(vek::Form9->CheckBox1->Checked(), confirm);
    vek::Form9->Button2->Click();  // "&No"
  }
}

// Either minimize button leaves the run going at full speed; the finish
// brings the window back.
// Whatever an earlier run left in the run's variables, the warnings and
// errors and the log's, is gone when the new run chooses its path; only the
// run's own starting values and the new log's name are there.
TEST_F(EngineRunWindowTest, EveryRunVariableStartsOverAtTheRunReset) {
  AddPlainJob("a.txt", std::vector<uint8_t>(10, 'a'));
  const auto fill = [](const char*, auto& value) { statetest::FillWithUserData(value); };
  vek::ForEachRunVariable(fill);
  vek::ForEachWarningAndErrorVariable(fill);
  vek::ForEachActivityLogVariable(fill);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilState(vek::StateChoosePath));

  const auto check = [](const char* name, const auto& value) {
    const void* at = &value;
    if (at == &vek::AnimationIcon || at == &vek::WarningsOn || at == &vek::ErrorReportsOn ||
        at == &vek::LogFileName) {
      return;  // checked below
    }
    EXPECT_TRUE(value == std::remove_cvref_t<decltype(value)>{}) << name;
  };
  vek::ForEachRunVariable(check);
  vek::ForEachWarningAndErrorVariable(check);
  vek::ForEachActivityLogVariable(check);
  EXPECT_EQ(vek::AnimationIcon, 6);  // the rotation's first icon
  EXPECT_TRUE(vek::WarningsOn);
  EXPECT_TRUE(vek::ErrorReportsOn);
  EXPECT_EQ(vek::LogFileName.substr(0, 11), "C:\\VEK2003 ");
}

TEST_F(EngineRunWindowTest, MinimizeButtonsKeepTheRunGoing) {
  for (const int button : {2, 3}) {
    vek::Form2->ClearJobList();
    const auto content = PatternBytes(1 << 20);
    AddPlainJob("a.txt", content);
    std::filesystem::remove(HostPath("a.txt.vek"));
    StartRun(vek::RunEncrypt);
    (button == 2 ? Form8->Button2 : Form8->Button3)->Click();
    EXPECT_TRUE(Form8->Minimized()) << button;
    EXPECT_FALSE(Form8->Timer2->Enabled()) << button;
    EXPECT_TRUE(Form8->Timer1->Enabled()) << button;
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.") << button;
    EXPECT_FALSE(Form8->Minimized()) << button;
    EXPECT_EQ(ReadHost("a.txt.vek").size() > content.size(), true);
    Form8->Button1->Click();
  }
}

}  // namespace
}  // namespace vektest
