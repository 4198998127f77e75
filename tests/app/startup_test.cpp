#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/program.h"
#include "app_fixture.h"
#include "core/settings.h"
#include "platform/drives.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "tools/exit_wipe_window.h"
#include "tools/update_window.h"
#include "ui/application.h"
#include "ui/clock.h"

namespace {

using vek::Form1;
using vek::Form2;

platform::OsVersionInfo NtVersion(uint32_t major, uint32_t minor, uint32_t build) {
  platform::OsVersionInfo info;
  info.PlatformId = platform::PlatformWin32NT;
  info.MajorVersion = major;
  info.MinorVersion = minor;
  info.BuildNumber = build;
  return info;
}

platform::OsVersionInfo Win9xVersion(uint32_t minor, uint32_t build, const char* servicePack = "") {
  platform::OsVersionInfo info = NtVersion(4, minor, build);
  info.PlatformId = platform::PlatformWin32Windows;
  std::strncpy(info.CSDVersion, servicePack, sizeof info.CSDVersion - 1);
  return info;
}

class AppStartupTest : public apptest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    platform::SetRegistryFileForTest((registryDir.path() / "registry").string());
  }
  void TearDown() override {
    platform::SetVersionForTest(std::nullopt);
    platform::SetRegistryFileForTest(std::nullopt);
    AppTest::TearDown();
  }
  // The screen lock starts in the top-left corner instead.
  static void ExpectAllWindowsCentred() {
    EXPECT_EQ(vek::ProgramWindow(17)->Left(), 0);
    EXPECT_EQ(vek::ProgramWindow(17)->Top(), 0);
    for (int n = 1; n <= 22; ++n) {
      const ui::TForm* form = vek::ProgramWindow(n);
      if (form == nullptr || n == 17) continue;
      EXPECT_EQ(form->Left(), (ui::Screen->Width() - form->Width()) / 2) << "window " << n;
      EXPECT_EQ(form->Top(), (ui::Screen->Height() - form->Height()) / 2) << "window " << n;
    }
  }

  vektest::TempDir registryDir;
};

// Every window once, in number order; the start window, created first, is
// the application's main window.
TEST_F(AppStartupTest, TheWindowsAreCreatedOnceInNumberOrder) {
  RestartProgram();  // the windows of earlier tests stay with the application otherwise
  std::vector<ui::TForm*> numbered;
  for (int n = 1; n <= 22; ++n) {
    if (ui::TForm* form = vek::ProgramWindow(n)) numbered.push_back(form);
  }
  EXPECT_EQ(numbered.size(), 16u);
  EXPECT_EQ(ui::Application->Forms(), numbered);
  EXPECT_EQ(ui::Application->MainForm(), Form1);
}

// The desktop tells the program's windows as those of the entry its
// installer writes (vek2003.desktop, whose StartupWMClass is the title).
TEST_F(AppStartupTest, TheProgramNamesItselfAsItsDesktopEntryDoes) {
  vek::NameProgram();
  EXPECT_EQ(ui::Application->Title(), "VEK 2003");
  EXPECT_EQ(ui::Application->DesktopFileName(), "vek2003");
}

TEST_F(AppStartupTest, FirstStartInAnEmptyFolderTakesTheDefaultsAndWritesTheSettings) {
  vek::ExitRequested = true;
  StartProgram();
  EXPECT_FALSE(vek::ExitRequested);
  EXPECT_EQ(vek::ProgramFolder, "C:\\");
  EXPECT_EQ(vek::StartCount, 1);
  // The drive kinds are known from the start on (the error reports read them).
  EXPECT_EQ(vek::DriveKinds[3], platform::drive::Fixed);
  EXPECT_TRUE(std::filesystem::exists(HostPath("VEK 2003.set")));
  EXPECT_TRUE(vek::OwnerFirstName.Empty());
  EXPECT_TRUE(vek::TimestampEncryption && vek::PreserveAttributes && vek::WindowsInformation &&
              vek::DeletePlaintextAfterEncrypt && vek::VerifyAfterEncrypt &&
              vek::DeleteEncryptedAfterDecrypt && vek::ShowHints);
  EXPECT_EQ(vek::DeleteMethod, vek::DeleteSinglePass);
  EXPECT_EQ(vek::HintPause, 800);
  EXPECT_EQ(vek::HintHidePause, 8000);
  EXPECT_FALSE(vek::SaveWindowLayout);
  EXPECT_FALSE(vek::ScreenLockEnabled);
  EXPECT_EQ(vek::LockWindowSpeed, 1);
  EXPECT_EQ(vek::InsaneModeThreshold, 0);
  EXPECT_TRUE(vek::ConfirmDeletes);
  ExpectAllWindowsCentred();

  EXPECT_EQ(ui::Application->HintPause(), 800);
  EXPECT_EQ(ui::Application->HintHidePause(), 8000);
  EXPECT_NE(vek::Form4->ComboBox4->Hint().find("may seriously impact your computers response "
                                               "time.\rADVICE : should be used"),
            std::string::npos);
  EXPECT_FALSE(Form2->Button5->Enabled());
  EXPECT_EQ(Form2->Caption(), "VEK 2003 - 1024 Bit Key Strength File Protection");
  EXPECT_EQ(Form2->BitBtn12->Left(), 272);
}

TEST_F(AppStartupTest, TheNextStartReadsTheStoredSettingsAndCountsOn) {
  StartProgram();
  vek::OwnerCompany.Assign("Velso Ltd");
  vek::ScreenLockEnabled = true;
  // Hint options away from their defaults take effect at the start.
  vek::ShowHints = false;
  vek::HintPause = 100;
  vek::HintHidePause = 2000;
  vek::SaveSettings();
  RestartProgram();
  StartProgram();
  EXPECT_EQ(vek::StartCount, 2);
  EXPECT_EQ(vek::OwnerCompany.Text(), "Velso Ltd");
  EXPECT_TRUE(Form2->Button5->Enabled());
  EXPECT_EQ(ui::Application->HintPause(), 100);
  EXPECT_EQ(ui::Application->HintHidePause(), 2000);
  EXPECT_FALSE(Form2->BitBtn1->ShowHint());
  EXPECT_FALSE(vek::Form6->Label7->ShowHint());
  // Every start is counted in the file, not only the first.
  RestartProgram();
  StartProgram();
  EXPECT_EQ(vek::StartCount, 3);
}

TEST_F(AppStartupTest, AnUnreadableSettingsFileGivesTheDefaults) {
  StartProgram();
  vek::StartCount = 41;
  vek::DeleteMethod = vek::DeleteTriplePass;
  vek::SaveSettings();
  const auto file = HostPath("VEK 2003.set");
  std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  std::filesystem::resize_file(file, 1023);
  RestartProgram();
  StartProgram();
  EXPECT_EQ(vek::StartCount, 1);
  EXPECT_EQ(vek::DeleteMethod, vek::DeleteSinglePass);
  EXPECT_GE(std::filesystem::file_size(file), 1024u);
}

// The settings file lives in the folder the program starts in; a drive root
// keeps its one backslash.
TEST_F(AppStartupTest, ProgramFolderIsTheStartFolderWithOneTrailingBackslash) {
  struct Case {
    const char* Relative;
    const char* Folder;
  } cases[] = {{"", "C:\\"}, {"programs/vek", "C:\\programs\\vek\\"}};
  for (const Case& c : cases) {
    std::filesystem::create_directories(HostPath(c.Relative));
    ASSERT_EQ(::chdir(HostPath(c.Relative).c_str()), 0);
    RestartProgram();
    StartProgram();
    EXPECT_EQ(vek::ProgramFolder, c.Folder);
    EXPECT_TRUE(std::filesystem::exists(HostPath(c.Relative) / "VEK 2003.set")) << c.Relative;
  }
}

TEST_F(AppStartupTest, TheStartWindowNamesTheSystemOnLines133And134) {
  struct Case {
    platform::OsVersionInfo Version;
    const char* Line133;
  } cases[] = {
      {NtVersion(6, 1, 7601), "Running VEK 2003 on Unknown version of Windows"},
      {Win9xVersion(0, 950), "Running VEK 2003 on Windows 95 Version 4.0 (Build 950)"},
      {Win9xVersion(0, 1111, "B"),
       "Running VEK 2003 on Windows 95 (Service Pack 2) Version 4.0 (Build 1111)"},
      {Win9xVersion(10, 1998), "Running VEK 2003 on Windows 98 Version 4.10 (Build 1998)"},
      {Win9xVersion(10, 2222, "A"),
       "Running VEK 2003 on Windows 98 (Second editon) Version 4.10 (Build 2222)"},
      {Win9xVersion(90, 3000),
       "Running VEK 2003 on Windows ME (Millenium Edition) Version 4.90 (Build 3000)"},
      {NtVersion(3, 51, 1057), "Running VEK 2003 on Windows NT 3.x Version 3.51 (Build 1057)"},
      {NtVersion(4, 0, 1381), "Running VEK 2003 on Windows NT 4.x Version 4.0 (Build 1381)"},
      {NtVersion(5, 0, 2195), "Running VEK 2003 on Windows 2000 Version 5.0 (Build 2195)"},
      {NtVersion(5, 1, 2600), "Running VEK 2003 on Windows XP Version 5.1 (Build 2600)"},
  };
  platform::RegCreateKey(platform::RootKey::LocalMachine,
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  platform::RegWriteString(platform::RootKey::LocalMachine,
                           "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProductId",
                           "55274-640-1234567-23456");
  for (const Case& c : cases) {
    platform::SetVersionForTest(c.Version);
    RestartProgram();
    StartProgram();
    EXPECT_EQ(Form1->Memo1->Line(133), c.Line133);
    EXPECT_EQ(Form1->Memo1->Line(134), "Windows serial code: 55274-640-1234567-23456");
    EXPECT_EQ(Form1->Memo1->LineCount(), 136);
  }
}

// The 95 family keeps the computer name under the network setup, the NT
// family under the second control set; empty texts read "Unknown".
TEST_F(AppStartupTest, MachineTextsComeFromTheKeysOfTheVersionFamily) {
  const auto write = [](const char* key, const char* value, const char* text) {
    platform::RegCreateKey(platform::RootKey::LocalMachine, key);
    platform::RegWriteString(platform::RootKey::LocalMachine, key, value, text);
  };
  write("System\\CurrentControlSet\\Services\\VxD\\VNETSUP", "ComputerName", "OLDBOX");
  write("SYSTEM\\ControlSet002\\Control\\ComputerName\\ComputerName", "ComputerName", "NTBOX");
  write("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner", "Quarne");
  write("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization", "");
  write("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "RegisteredOwner", "Old Owner");
  write("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "RegisteredOrganization", "Old Org");

  const struct {
    const char* What;
    platform::OsVersionInfo Version;
    const char* ComputerName;
    const char* Owner;
    const char* Organization;
  } cases[] = {
      {"2000", NtVersion(5, 0, 2195), "NTBOX", "Quarne", "Unknown"},
      {"NT 3.51, the first of its family", NtVersion(3, 51, 1057), "NTBOX", "Quarne", "Unknown"},
      {"98", Win9xVersion(10, 1998), "OLDBOX", "Old Owner", "Old Org"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    platform::SetVersionForTest(c.Version);
    RestartProgram();
    StartProgram();
    EXPECT_EQ(vek::WindowsComputerName, c.ComputerName);
    EXPECT_EQ(vek::WindowsRegisteredOwner, c.Owner);
    EXPECT_EQ(vek::WindowsRegisteredOrganization, c.Organization);
    EXPECT_EQ(vek::WindowsProductId, "");
  }
}

// With the layout option on, windows moved before the exit come back to
// their places at the next start; with it off every window is centred.
TEST_F(AppStartupTest, WindowLayoutRestoresMovedWindowsOnlyWhenTheOptionIsOn) {
  for (bool layout : {true, false}) {
    RestartProgram();
    StartProgram();
    vek::SaveWindowLayout = layout;
    Form2->SetLeft(17);
    Form2->SetTop(23);
    vek::ProgramWindow(20)->SetLeft(5);
    vek::ProgramWindow(21)->SetTop(9);
    vek::SaveSettings();
    RestartProgram();
    StartProgram();
    if (layout) {
      EXPECT_EQ(Form2->Left(), 17);
      EXPECT_EQ(Form2->Top(), 23);
      EXPECT_EQ(vek::ProgramWindow(20)->Left(), 5);
      EXPECT_EQ(vek::ProgramWindow(21)->Top(), 9);
    } else {
      ExpectAllWindowsCentred();
    }
  }
}

TEST_F(AppStartupTest, StartWindowHoldsTheProductTextAndLeadsOn) {
  StartProgram();
  EXPECT_EQ(Form1->BorderStyle(), ui::TBorderStyle::None);
  EXPECT_EQ(Form1->FormStyle(), ui::TFormStyle::StayOnTop);
  EXPECT_EQ(Form1->ClientWidth(), 398);
  EXPECT_EQ(Form1->ClientHeight(), 384);
  EXPECT_TRUE(Form1->Image1->HasPicture());
  EXPECT_EQ(Form1->Memo1->Line(0), "VEK 2003 - 1024 Bit Key Strength File Protection");
  EXPECT_EQ(Form1->Memo1->Line(8), std::string(59, '_'));
  // The terms are there to be read, not changed.
  EXPECT_TRUE(Form1->Memo1->ReadOnly());
  EXPECT_EQ(Form1->Button1->Caption(), "I &ACCEPT");
  EXPECT_EQ(Form1->Button2->Caption(), "I &QUIT");
  EXPECT_TRUE(Form1->Button1->Enabled());
  EXPECT_TRUE(Form1->Button2->Enabled());
  Screenshot(Form1, "start_window");

  Form1->Button1->Click();
  EXPECT_FALSE(Form1->IsShown());
  EXPECT_TRUE(vek::Form22->IsShown());
  vek::Form22->CloseUpdateWindow();  // the first start goes on to the options
  EXPECT_TRUE(vek::Form4->IsShown());
}

TEST_F(AppStartupTest, QuitGoesToTheExitWipe) {
  StartProgram();
  Form1->Button2->Click();
  EXPECT_FALSE(Form1->IsShown());
  EXPECT_TRUE(vek::Form19->IsShown());
  EXPECT_TRUE(ui::clock::RunUntil([] { return ui::Application->Terminated(); }, 10000));
}

}  // namespace
