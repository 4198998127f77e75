// Warnings and error reports: the error texts by code and drive kind, the
// answers, the dialogs with questions switched on and off, and their logs.

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/system.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::EngineState;
using vek::Form15;
using vek::Form20;
using vek::Form8;

using EngineReportsTest = EngineTest;

struct TDescribeCase {
  uint16_t Code;
  uint8_t Kind;
  uint16_t ReportedCode;
  std::string Type;
  std::string Detail;
  std::string Advice;
  bool Retry;
};

TEST_F(EngineReportsTest, DescribeErrorByCodeAndDriveKind) {
  const std::string missing = "A file in the job list was no longer avaliable on the drive";
  const TDescribeCase cases[] = {
      {2, 0, 2, "Expected file was not found", missing, "Drive may have become unavailable", false},
      {2, 1, 2, "Expected file was not found", missing, "Drive does not exist at this time", false},
      {2, 2, 2, "Expected file was not found", missing, "Please re-connect the removable media",
       true},
      {2, 3, 2, "Expected file was not found", missing,
       "User or application may have deleted this file", false},
      {2, 4, 2, "Expected file was not found", missing,
       "User or application may have deleted this file on the remote computer", false},
      {2, 5, 2, "Expected file was not found", missing,
       "Please re-insert the CD/DVD-ROM into drive D:", true},
      {2, 6, 2, "Expected file was not found", missing, "The RAM disk may have become uninstalled",
       false},
      {2, 7, 2, "Expected file was not found", missing,
       "Please re-insert the diskette into drive D:", true},
      {2, 9, 2, "Expected file was not found", missing, "Drive may have become unavailable", false},
      {21, 0, 21, "Drive not ready", "None", "Drive may have become unavailable", false},
      {21, 2, 21, "Drive not ready", "None", "Please re-connect the removable media", true},
      {21, 3, 21, "Drive not ready", "None", "Hard drive could have a hardware failure", false},
      {21, 4, 21, "Drive not ready", "None",
       "This network drive may not be available at this current time", false},
      {21, 7, 21, "Drive not ready", "None", "Please re-insert the diskette into drive D:", true},
      {152, 3, 21, "Drive not ready", "None", "Hard drive could have a hardware failure", false},
      {29, 2, 29, "Write fault", "There was a write fault when trying to copy data to the device",
       "The device being used maybe unreliable or becoming unreliable to write data to", false},
      {160, 2, 29, "Write fault", "There was a write fault when trying to copy data to the device",
       "The device being used maybe unreliable or becoming unreliable to write data to", false},
      {30, 5, 30, "Read fault", "There was a read fault when trying to copy data from the device",
       "The device being used maybe unreliable or becoming unreliable to read data from", false},
      {161, 5, 30, "Read fault", "There was a read fault when trying to copy data from the device",
       "The device being used maybe unreliable or becoming unreliable to read data from", false},
      {5, 2, 5, "Unknown", "Unknown", "Unknown", false},
      {149, 2, 149, "Unknown", "Unknown", "Unknown", false},
      {150, 2, 19, "Unknown", "Unknown", "Unknown", false},
      {199, 2, 68, "Unknown", "Unknown", "Unknown", false},
      {200, 2, 200, "Unknown", "Unknown", "Unknown", false},
  };
  vek::JobFolder = "D:\\work\\";
  for (const TDescribeCase& c : cases) {
    vek::DriveKinds[4] = c.Kind;  // D:
    vek::ErrorCode = c.Code;
    vek::RetryPossible = !c.Retry;
    Form8->DescribeError();
    EXPECT_EQ(vek::ErrorCode, c.ReportedCode) << c.Code;
    EXPECT_EQ(vek::ErrorType, c.Type) << c.Code;
    EXPECT_EQ(vek::ErrorDetail, c.Detail) << c.Code;
    EXPECT_EQ(vek::ErrorAdvice, c.Advice) << c.Code << " kind " << int{c.Kind};
    EXPECT_EQ(vek::RetryPossible, c.Retry) << c.Code << " kind " << int{c.Kind};
  }
}

TEST_F(EngineReportsTest, DescribeErrorDriveOfFolderOrMainWindow) {
  SetDriveKind('C', platform::drive::CdRom);
  vek::ErrorCode = 2;
  vek::JobFolder.clear();  // a one-file delete: the main window's drive
  vek::Form2->DriveComboBox1->SetDrive('C');
  Form8->DescribeError();
  EXPECT_EQ(vek::ErrorAdvice, "Please re-insert the CD/DVD-ROM into drive C:");
  vek::JobFolder = "\\\\server\\share\\";  // no drive letter: kind 0
  Form8->DescribeError();
  EXPECT_EQ(vek::ErrorAdvice, "Drive may have become unavailable");
  vek::JobFolder = "c:\\";
  Form8->DescribeError();
  EXPECT_TRUE(vek::RetryPossible);
}

// A run of one missing file on a removable drive, waiting at its error report.
class EngineErrorAnswerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SetDriveKind('C', platform::drive::Removable);
    AddJobEntry("missing.txt", 10);
    StartRun(vek::RunEncrypt);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form15->IsShown());
  }
};

TEST_F(EngineErrorAnswerTest, TheReportShowsTheError) {
  EXPECT_EQ(Form15->Label12->Caption(), "missing.txt");
  EXPECT_EQ(Form15->Label2->Caption(), "2");
  EXPECT_EQ(Form15->Label4->Caption(), "Expected file was not found");
  EXPECT_EQ(Form15->Label10->Caption(), "Source file not found");
  EXPECT_EQ(Form15->Label8->Caption(), "Please re-connect the removable media");
  EXPECT_TRUE(Form15->Button1->Enabled());
  EXPECT_TRUE(Form15->Button2->Enabled());
  EXPECT_FALSE(Form8->Button1->Enabled());
  EXPECT_EQ(vek::AnimationKind, 5);
  const std::vector<std::string> expected = {
      "",
      "--- A processing error has occured ---",
      "Basic error 2 occurred",
      "Basic error type: Expected file was not found",
      "VEK activity: Source file not found",
      "Advanced detail: A file in the job list was no longer avaliable on the drive",
      "Advanced advice: Please re-connect the removable media",
      "----- Error report to user given -----",
  };
  const auto texts = LogTexts();
  ASSERT_GE(texts.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(texts.end() - static_cast<long>(expected.size()), texts.end()),
            expected);
  // Ticks change nothing while the report waits.
  ui::clock::Advance(100);
  EXPECT_EQ(EngineState.Current, vek::EngineIdle);
  Screenshot(Form15, "engine_error_report");
}

struct TAnswerCase {
  ui::TButton* vek::TForm15::*Button;
  std::string Log;
  uint16_t Next;
  bool Stop;
  bool ReportsOn;
};

TEST_F(EngineErrorAnswerTest, AnswersTable) {
  const TAnswerCase cases[] = {
      {&vek::TForm15::Button1, "User response: Retry", vek::StateEncryptFindSource, false, true},
      {&vek::TForm15::Button2, "User response: Skip file", vek::StateEncryptNextFile, false, true},
      {&vek::TForm15::Button3, "User response: Stop all processing", vek::StateFinish, true, true},
      {&vek::TForm15::Button4, "User response: Skip all errors", vek::StateEncryptNextFile, false,
       false},
  };
  for (const TAnswerCase& c : cases) {
    vek::StopRequested = false;
    vek::ErrorReportsOn = true;
    Form8->Button1->SetEnabled(false);
    if (!Form15->IsShown()) Form15->Show();
    (Form15->*c.Button)->Click();
    EXPECT_FALSE(Form15->IsShown());
    EXPECT_EQ(EngineState.Current, vek::StateErrorAnswer);
    RunSteps(1);
    EXPECT_EQ(EngineState.Current, c.Next) << c.Log;
    EXPECT_EQ(vek::StopRequested, c.Stop) << c.Log;
    EXPECT_EQ(vek::ErrorReportsOn, c.ReportsOn) << c.Log;
    EXPECT_TRUE(Form8->Button1->Enabled());
    const auto texts = LogTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], c.Log);
    EXPECT_EQ(texts.back(), "");
    EngineState.Current = vek::EngineIdle;
  }
}

TEST_F(EngineErrorAnswerTest, RetryFindsTheFileOnceItIsBack) {
  MakeFile(HostPath("missing.txt"), PatternBytes(10));
  Form15->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_TRUE(HostExists("missing.txt.vek"));
}

TEST_F(EngineErrorAnswerTest, TheCloseBoxStopsAllProcessing) {
  EXPECT_TRUE(Form15->Close());
  EXPECT_EQ(EngineState.Current, vek::StateErrorAnswer);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_TRUE(LogHas("User response: Stop all processing"));
  EXPECT_TRUE(Form8->Button1->Enabled());
}

TEST_F(EngineReportsTest, AFixedDiskOffersOnlyStopAndSkipAll) {
  SetDriveKind('C', platform::drive::Fixed);
  AddJobEntry("missing.txt", 10);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_FALSE(Form15->Button1->Enabled());
  EXPECT_FALSE(Form15->Button2->Enabled());
  EXPECT_TRUE(Form15->Button3->Enabled());
  EXPECT_TRUE(Form15->Button4->Enabled());
}

TEST_F(EngineReportsTest, ErrorReportsSwitchedOff) {
  // The first two writes (the two headers) fail.
  const auto content = PatternBytes(100);
  AddPlainJob("a.txt", content);
  AddPlainJob("b.txt", content);
  AddPlainJob("c.txt", content);
  platform::faults::Fail(platform::faults::Op::Write, 1, platform::err::WriteFault);
  platform::faults::Fail(platform::faults::Op::Write, 2, platform::err::WriteFault);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "29");
  Form15->Button4->Click();  // Skip all errors
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form15->IsShown());
  EXPECT_EQ(vek::ErrorCount, 2);
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  const auto texts = LogTexts();
  const auto skipped =
      std::find(texts.begin(), texts.end(), "- Error report skipped (Errors: OFF) -");
  ASSERT_NE(skipped, texts.end());
  EXPECT_EQ(*(skipped - 1),
            "Advanced advice: The device being used maybe unreliable or becoming "
            "unreliable to write data to");
  EXPECT_EQ(*(skipped + 1), "User response: Skip file");
  EXPECT_FALSE(HostExists("a.txt.vek"));
  EXPECT_FALSE(HostExists("b.txt.vek"));
  EXPECT_TRUE(HostExists("c.txt.vek"));
}

TEST_F(EngineReportsTest, WarningsOnThenOff) {
  AddPlainJob("a.txt", PatternBytes(10));
  MakeFile(HostPath("a.txt.vek"), "an older encrypted file");
  AddPlainJob("empty.txt", {});
  AddPlainJob("b.txt", PatternBytes(10));
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "a.txt.vek");
  EXPECT_EQ(Form20->Label3->Caption(), "This file already exists, overwrite it?");
  EXPECT_TRUE(Form20->Button1->Enabled());
  EXPECT_TRUE(Form20->Button2->Enabled());
  EXPECT_FALSE(Form8->Button1->Enabled());
  EXPECT_EQ(vek::AnimationKind, 5);
  auto texts = LogTexts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
            (std::vector<std::string>{"WARNING: a.txt.vek",
                                      "WARNING: This file already exists, overwrite it?",
                                      "Warnings are ON"}));
  Screenshot(Form20, "engine_warning");

  Form20->Button2->Click();  // Continue, ignoring all future warnings
  EXPECT_FALSE(Form20->IsShown());
  EXPECT_TRUE(Form8->Button1->Enabled());
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form20->IsShown());
  texts = LogTexts();
  const auto zero = std::find(texts.begin(), texts.end(),
                              "WARNING: Cannot encrypt a file that is zero bytes long.");
  ASSERT_NE(zero, texts.end());
  EXPECT_EQ(*(zero - 1), "WARNING: empty.txt");
  EXPECT_EQ(*(zero + 1), "Warnings are OFF (Auto Continue)");
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("empty.txt.vek"));
  EXPECT_TRUE(HostExists("b.txt.vek"));
  EXPECT_NE(ReadHost("a.txt.vek").size(), std::string("an older encrypted file").size());
}

// A question brings the minimised window back and waits at normal
// priority; its answer gives Cancel back at once and raises the boost again.
TEST_F(EngineReportsTest, AQuestionComesBackToTheUserAtNormalPriority) {
  vek::InsaneModeThreshold = 21;
  AddPlainJob("a.txt", PatternBytes(10));
  MakeFile(HostPath("a.txt.vek"), "an older encrypted file");
  AddJobEntry("missing.txt", 10);
  SetDriveKind('C', platform::drive::Fixed);
  StartRun(vek::RunEncrypt);
  Form8->Button2->Click();
  ASSERT_TRUE(Form8->Minimized());
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_FALSE(Form8->Minimized());
  EXPECT_EQ(platform::PriorityClass(), platform::NormalPriorityClass);
  Form20->Button1->Click();  // Continue
  EXPECT_TRUE(Form8->Button1->Enabled());
  EXPECT_EQ(platform::PriorityClass(), platform::RealtimePriorityClass);

  Form8->Button2->Click();
  ASSERT_TRUE(Form8->Minimized());
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_FALSE(Form8->Minimized());
  EXPECT_EQ(platform::PriorityClass(), platform::NormalPriorityClass);
  EXPECT_FALSE(Form8->Button1->Enabled());
  Form15->Button4->Click();  // Skip all errors
  EXPECT_TRUE(Form8->Button1->Enabled());
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
}

TEST_F(EngineReportsTest, AWarningWithoutContinueEndsTheRun) {
  AddPlainJob("empty.txt", {});
  AddPlainJob("b.txt", PatternBytes(10));
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "empty.txt");
  EXPECT_EQ(Form20->Label3->Caption(), "Cannot encrypt a file that is zero bytes long.");
  EXPECT_FALSE(Form20->Button1->Enabled());
  EXPECT_FALSE(Form20->Button2->Enabled());
  Form20->Button3->Click();  // Cancel
  EXPECT_TRUE(vek::StopRequested);
  EXPECT_TRUE(Form20->Button1->Enabled());  // ready for the next warning
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_FALSE(HostExists("empty.txt.vek"));
  EXPECT_FALSE(HostExists("b.txt.vek"));
}

// A question shown from a tick of the run is the active window with the
// keys on its first answer: Enter, Space and the accelerators answer it
// without a click, and the answer gives the keys back to the run's window.
TEST_F(EngineReportsTest, AQuestionTakesTheKeysAndGivesThemBack) {
  AddPlainJob("a.txt", PatternBytes(10));
  MakeFile(HostPath("a.txt.vek"), "an older encrypted file");
  AddPlainJob("empty.txt", {});
  AddJobEntry("missing.txt", 10);
  SetDriveKind('C', platform::drive::Removable);
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_TRUE(Form20->Active());
  EXPECT_TRUE(Form20->Button1->Focused());
  Form20->PressKey(ui::VK_RETURN);  // Continue: the older file is replaced
  EXPECT_FALSE(Form20->IsShown());
  EXPECT_TRUE(Form8->Active());

  // Without Continue the first answer that takes the focus is Cancel; the
  // accelerator of a disabled answer does nothing.
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "empty.txt");
  EXPECT_TRUE(Form20->Button3->Focused());
  Form20->PressKey('C', ui::ssAlt);
  EXPECT_TRUE(Form20->IsShown());
  Form20->PressKey(ui::VK_TAB);
  Form20->PressKey(ui::VK_SPACE);  // the focus stays on the only answer: Cancel
  EXPECT_FALSE(Form20->IsShown());
  EXPECT_TRUE(vek::StopRequested);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_TRUE(Form8->Active());
}

TEST_F(EngineErrorAnswerTest, TheReportTakesTheKeysOnItsFirstAnswer) {
  EXPECT_TRUE(Form15->Active());
  EXPECT_TRUE(Form15->Button1->Focused());
  Form15->PressKey('E', ui::ssAlt);  // Skip all errors
  EXPECT_FALSE(Form15->IsShown());
  RunSteps(1);
  EXPECT_FALSE(vek::ErrorReportsOn);
  EXPECT_TRUE(Form8->Active());
}

TEST_F(EngineReportsTest, TheWarningsCloseBoxCancels) {
  AddPlainJob("empty.txt", {});
  StartRun(vek::RunEncrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_TRUE(Form20->Close());
  EXPECT_EQ(EngineState.Current, vek::StateFinish);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  // Closing the hidden window (the exit closes them all) answers nothing.
  vek::StopRequested = false;
  EXPECT_TRUE(Form20->Close());
  EXPECT_FALSE(vek::StopRequested);
  EXPECT_EQ(EngineState.Current, vek::EngineIdle);
}

}  // namespace
}  // namespace vektest
