#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/activity_log_window.h"
#include "engine/key_entry_window.h"
#include "program_fixture.h"
#include "tools/drive_info_window.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/viewer_window.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui_test_support.h"
#include "wipe_checks.h"

namespace {

using vek::Form19;
using vek::JobList;

constexpr int kTickMs = 5;
constexpr int kRows = vek::JobListCapacityMax;

using wipetest::IsNul;
using wipetest::IsWiped;
using wipetest::IsZero;

vek::TEmbeddedData SomeOwner() {
  vek::TEmbeddedData owner;
  owner.OwnerFirstName.Assign("Ann");
  owner.OwnerEmail.Assign("ann@example.com");
  owner.InfoLines[2].Assign("secret plans");
  return owner;
}

// The wipe ends the application: each test has one of its own, so that no
// wipe runs on into the next test.
class ToolsExitWipeTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    vektest::RestartUiApplication();
    ProgramTest::SetUp();
    vek::ProgramFolder = WinPath();
    vek::ExitRequested = true;
  }
  void TearDown() override {
    ProgramTest::TearDown();
    vektest::RestartUiApplication();
  }
  // User data everywhere the wipe has to reach.
  static void FillMemory() {
    vek::SharedBuffer.fill(0xA5);
    vek::SharedBuffer2.fill(0x5A);
    vek::HeaderText = "VEK 2003 header of a secret file";
    for (uint16_t i = 1; i <= 3; ++i) {
      JobList.Name[i] = "secret" + std::to_string(i) + ".doc";
      JobList.Folder[i] = "C:\\private\\";
      JobList.Size[i] = 1000 * i;
      JobList.Owner[i] = SomeOwner();
      JobList.HasTimestamp[i] = true;
      JobList.Timestamp[i].Year = 2003;
      JobList.ComputerName[i] = "DESK";
      JobList.SoftwareVersion[i] = {1, 0};
      vek::Form2->StringGrid1->SetCell(0, i, JobList.Name[i]);
    }
    JobList.JobCount = 3;
    JobList.JobTotalSize = 6000;
    vek::WindowsComputerName = "DESK";
    vek::ErrorFileText = "C:\\private\\secret1.doc";
    vek::UpdateReply = "<LatestVersionString>1.10";
    vek::OwnerFirstName.Assign("Ann");
    vek::ScreenLockPassword.Assign("Secret1");
    vek::StartCount = 7;
    vek::LockWindowSpeed = 3;
    vek::WindowLeft[3] = 120;
    vek::DriveKinds[3] = 3;
    vek::DriveTotalBytes = 1 << 30;
    vek::KeyState.State[5] = 99;
    {
      // A run's keystream, as an exit during a run would find it.
      vek::TKeyState key;
      key.SetKey("the run's key text");
      uint8_t block[64] = {};
      vek::RunKeystream.Begin(key);
      vek::RunKeystream.Encipher(key, block, sizeof block);
    }
    vek::KeyGenBuffer.Assign("generated key text");
    vek::EditedEntry.Name = "secret2.doc";
    vek::EditedEntry.Owner = SomeOwner();
    vek::CurrentFile.Name = "secret1.doc";
    vek::CurrentFile.Size = 1000;
    vek::CurrentFile.Owner = SomeOwner();
    vek::ViewerRecord.ProductId = "12345-OEM";
    vek::Form7->Edit1->SetText("my secret key text");
    vek::Form4->Edit1->SetText("Ann");
    vek::Form16->Label21->SetCaption("Ann Lee");
    vek::Form17->Edit1->SetText("Secr");
    vek::Form18->Edit4->SetText("ann@example.com");
    vek::Form18->ComboBox1->SetText("http://example.com/");
    vek::Form21->ListBox1->AddItem("15:07:05 Encrypting secret1.doc");
  }
  // Runs the wipe tick by tick; the number of times Image3 changed.
  static int RunWipe() {
    Form19->Show();
    int toggles = 0;
    bool wasVisible = Form19->Image3->Visible();
    for (int tick = 1; tick <= kRows; ++tick) {
      ui::clock::Advance(kTickMs);
      if (Form19->Image3->Visible() != wasVisible) ++toggles;
      wasVisible = Form19->Image3->Visible();
      if (tick == kRows / 2) {
        EXPECT_EQ(Form19->ProgressBar1->Position(), 50);
        EXPECT_EQ(Form19->Label1->Caption(), "50%");
        EXPECT_FALSE(ui::Application->Terminated());
        Screenshot(Form19, "tools_exit_wipe");
      }
    }
    return toggles;
  }
};

TEST_F(ToolsExitWipeTest, RunsOverEveryRowAndEndsTheProgram) {
  Form19->Show();
  ui::clock::Advance(kTickMs * (kRows - 1));
  EXPECT_FALSE(ui::Application->Terminated());
  EXPECT_EQ(Form19->ProgressBar1->Position(), 99);
  ui::clock::Advance(kTickMs);
  EXPECT_EQ(Form19->ProgressBar1->Position(), 100);
  EXPECT_EQ(Form19->Label1->Caption(), "100%");
  EXPECT_TRUE(ui::Application->Terminated());
  EXPECT_FALSE(Form19->Timer1->Enabled());
  EXPECT_FALSE(Form19->IsShown());
}

TEST_F(ToolsExitWipeTest, ThePicturePairToggles32Times) {
  EXPECT_EQ(RunWipe(), 32);
  EXPECT_TRUE(ui::Application->Terminated());
}

TEST_F(ToolsExitWipeTest, OtherWindowsAreHiddenWhenTheWipeStarts) {
  vek::Form2->Show();
  vek::Form4->Show();
  vek::Form14->Show();
  Form19->Show();
  for (ui::TForm* form : ui::Application->Forms()) {
    EXPECT_EQ(form->IsShown(), form == Form19) << form->ClassName();
  }
}

// The main window refuses to close once ExitRequested is clear again, which
// the wipe does before its closes: the program ends all the same.
TEST_F(ToolsExitWipeTest, TheProgramEndsWhateverTheWindowsAnswer) {
  RunWipe();
  EXPECT_FALSE(vek::ExitRequested);
  EXPECT_TRUE(ui::Application->Terminated());
  for (ui::TForm* form : ui::Application->Forms()) {
    if (form != ui::Application->MainForm()) {
      EXPECT_FALSE(form->IsShown()) << form->ClassName();
    }
  }
}

// The same whether the layout is saved first or not: the save reads the
// options and the window places, and must leave nothing behind for the wipe.
class ToolsExitWipeFieldsTest : public ToolsExitWipeTest,
                                public ::testing::WithParamInterface<bool> {};

INSTANTIATE_TEST_SUITE_P(Layout, ToolsExitWipeFieldsTest, ::testing::Bool(),
                         [](const auto& test) { return test.param ? "SavedFirst" : "NotSaved"; });

TEST_P(ToolsExitWipeFieldsTest, EverythingIsNulOrZeroAfterwards) {
  FillMemory();
  vek::SaveWindowLayout = GetParam();
  const std::filesystem::path settings = HostPath(std::string(vek::SettingsFileName));
  std::filesystem::remove(settings);
  RunWipe();
  EXPECT_EQ(std::filesystem::exists(settings), GetParam());
  struct Check {
    const char* what;
    std::function<bool()> wiped;
  };
  const std::vector<Check> checks = {
      {"SharedBuffer", [] { return IsZero(vek::SharedBuffer); }},
      {"SharedBuffer2", [] { return IsZero(vek::SharedBuffer2); }},
      {"HeaderText", [] { return IsNul(vek::HeaderText, kRows); }},
      {"every field of every job entry",
       [] {
         bool all = true;
         JobList.ForEachField([&all](auto& field) {
           for (size_t i = 1; i <= kRows; ++i) all = all && IsWiped(field[i]);
         });
         return all;
       }},
      {"grid rows",
       [] {
         ui::TStringGrid* grid = vek::Form2->StringGrid1;
         for (int row = 1; row <= kRows; ++row) {
           if (!IsNul(grid->Cell(0, row), 255) || !IsNul(grid->Cell(1, row), 255) ||
               !IsNul(grid->Cell(2, row), 16) || !IsNul(grid->Cell(3, row), 16) ||
               !IsNul(grid->Cell(4, row), 8)) {
             return false;
           }
         }
         return true;
       }},
      {"job list totals", [] { return JobList.JobCount == 0 && JobList.JobTotalSize == 0; }},
      {"program texts",
       [] {
         return IsNul(vek::ProgramFolder, 255) && IsNul(vek::WindowsComputerName, 255) &&
                IsNul(vek::WindowsProductId, 255) && IsNul(vek::ErrorFileText, 255) &&
                IsNul(vek::SourceName, 255) && IsNul(vek::UpdateReply, 255) &&
                IsNul(vek::DownloadAddress, 255) && IsNul(vek::LatestVersion, 255);
       }},
      {"option texts",
       [] {
         return IsNul(vek::OwnerFirstName) && IsNul(vek::OwnerLastName) &&
                IsNul(vek::OwnerCompany) && IsNul(vek::OwnerLocation) && IsNul(vek::OwnerEmail) &&
                IsNul(vek::InfoLine1) && IsNul(vek::InfoLine2) && IsNul(vek::InfoLine3) &&
                IsNul(vek::ScreenLockPassword);
       }},
      {"option numbers and window places",
       [] {
         return vek::StartCount == 0 && vek::LockWindowSpeed == 0 && !vek::ShowHints &&
                !vek::SaveWindowLayout && vek::DeleteMethod == 0 && IsZero(vek::WindowLeft) &&
                IsZero(vek::WindowTop) && vek::LockStepX == 0 && vek::LockStepY == 0;
       }},
      {"drive tables and figures",
       [] {
         return IsZero(vek::DriveKinds) && vek::DriveTotalBytes == 0 && IsZero(vek::VolumeFlags) &&
                vek::WindowsVersionCode == 0;
       }},
      {"key state and generator", [] { return IsZero(vek::KeyState) && IsNul(vek::KeyGenBuffer); }},
      {"the run's keystream", [] { return vek::RunKeystream.Kept() == 0; }},
      {"edited entry",
       [] {
         return IsNul(vek::EditedEntry.Name, 255) && IsNul(vek::EditedEntry.Owner) &&
                vek::EditedEntry.Size == 0;
       }},
      {"current file",
       [] {
         const vek::TCurrentFile& f = vek::CurrentFile;
         return IsNul(f.Name, 255) && IsNul(f.Folder, 255) && IsNul(f.Owner) && f.Size == 0 &&
                IsNul(f.ProductId, 255);
       }},
      {"viewer record",
       [] { return IsNul(vek::ViewerRecord.ProductId, 255) && IsNul(vek::ViewerRecord.Owner); }},
      {"key text box", [] { return IsNul(vek::Form7->Edit1->Text(), 128); }},
      {"options dialog texts",
       [] {
         return IsNul(vek::Form4->Edit1->Text(), 16) && IsNul(vek::Form4->Edit3->Text(), 32) &&
                IsNul(vek::Form4->Edit7->Text(), 64) && IsNul(vek::Form4->Edit8->Text(), 16) &&
                IsNul(vek::Form4->ComboBox1->Text(), 64);
       }},
      {"viewer labels",
       [] {
         for (ui::TLabel* l : {vek::Form16->Label17, vek::Form16->Label21, vek::Form16->Label34}) {
           if (!IsNul(l->Caption(), 255)) return false;
         }
         return true;
       }},
      {"lock password box", [] { return IsNul(vek::Form17->Edit1->Text(), 16); }},
      {"editor texts",
       [] {
         return IsNul(vek::Form18->Edit1->Text(), 16) && IsNul(vek::Form18->Edit3->Text(), 32) &&
                IsNul(vek::Form18->Edit4->Text(), 64) && IsNul(vek::Form18->ComboBox1->Text(), 64);
       }},
      {"activity log list", [] { return vek::Form21->ListBox1->Count() == 0; }},
      {"exit request", [] { return !vek::ExitRequested; }},
  };
  for (const Check& check : checks) EXPECT_TRUE(check.wiped()) << check.what;
}

TEST_F(ToolsExitWipeTest, WithTheLayoutOptionOnThePositionsAndSettingsAreSaved) {
  const std::filesystem::path settings = HostPath(std::string(vek::SettingsFileName));
  for (const bool layout : {false, true}) {
    SCOPED_TRACE(layout);
    std::filesystem::remove(settings);
    vek::SaveWindowLayout = layout;
    vek::WindowLeft[13] = 0;
    vek::Form14->SetLeft(123);
    vek::Form14->SetTop(45);
    Form19->Hide();
    Form19->Show();
    EXPECT_EQ(std::filesystem::exists(settings), layout);
    EXPECT_EQ(vek::WindowLeft[13], layout ? 123 : 0);  // the drive information window
  }
}

}  // namespace
