// The wizard's pages and the backdrop.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "installer/state.h"
#include "installer/wizard.h"
#include "installer_fixture.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui/text_fit.h"

using namespace vek::installer;
namespace fs = std::filesystem;

namespace {

platform::FakeDrive DriveWithFree(uint64_t freeBytes) {
  platform::FakeDrive drive;
  drive.Space = platform::DiskFreeSpace{8, 512, 1000, 100000};
  drive.SpaceEx = platform::DiskFreeSpaceEx{freeBytes, 1ull << 32, freeBytes};
  return drive;
}

}  // namespace

using InstallerFolderTest = vektest::InstallerTest;

TEST_F(InstallerFolderTest, StartedFromDriveCTheFolderIsKept) {
  Form3->Show();
  EXPECT_EQ(Form3->DriveComboBox1->Drive(), 'C');
  EXPECT_EQ(Form3->Edit1->Text(), "C:\\Program Files\\VEK 2003");
  EXPECT_EQ(Form3->Label3->Caption(), std::to_string(PayloadTotal / 1024) + " KB");
  EXPECT_EQ(Form3->Label5->Caption(), "1048576 KB");
  EXPECT_TRUE(Form3->Button2->Enabled());
  EXPECT_FALSE(Form3->DirectoryListBox1->ShowHint());
}

TEST_F(InstallerFolderTest, StartedFromAnotherDriveShowingSelectsC) {
  vektest::TempDir other;
  platform::SetDriveMap({{'C', dir.path().string()}, {'D', other.path().string()}});
  platform::SetFakeDrive('D', DriveWithFree(1ull << 30));
  ASSERT_EQ(::chdir(other.path().c_str()), 0);
  CreateWindows();
  ASSERT_EQ(Form3->DriveComboBox1->Drive(), 'D');
  Form3->Show();
  EXPECT_EQ(Form3->DriveComboBox1->Drive(), 'C');
  EXPECT_EQ(Form3->Edit1->Text(), "C:\\VEK 2003");
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
}

TEST_F(InstallerFolderTest, FloppyDrivesGiveWayToC) {
  vektest::TempDir floppy;
  platform::SetDriveMap({{'A', floppy.path().string()}, {'C', dir.path().string()}});
  CreateWindows();
  Form3->Show();
  Form3->DriveComboBox1->SelectDrive('A');
  EXPECT_EQ(Form3->DriveComboBox1->Drive(), 'C');
  EXPECT_EQ(Form3->Edit1->Text(), "C:\\VEK 2003");
  EXPECT_TRUE(Form3->Button2->Enabled());
}

TEST_F(InstallerFolderTest, NextNeedsMoreRoomThanThePayload) {
  struct Case {
    const char* What;
    platform::FakeDrive Drive;
    bool Next;
  };
  const auto total = static_cast<uint64_t>(PayloadTotal);
  platform::FakeDrive clustersOnly = DriveWithFree(0);
  clustersOnly.SpaceExOffered = false;
  clustersOnly.SpaceEx.reset();
  clustersOnly.Space = platform::DiskFreeSpace{1, 1, static_cast<uint32_t>(total + 1), 99999999};
  platform::FakeDrive silent;
  const Case cases[] = {
      {"exactly the payload", DriveWithFree(total), false},
      {"one byte more", DriveWithFree(total + 1), true},
      {"from the cluster figures", clustersOnly, true},
      {"a drive that answers nothing", silent, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    platform::SetFakeDrive('C', c.Drive);
    Form3->Hide();
    Form3->Show();
    EXPECT_EQ(Form3->Button2->Enabled(), c.Next);
    EXPECT_EQ(Form3->DirectoryListBox1->ShowHint(), !c.Next);
  }
  EXPECT_EQ(Form3->Label5->Caption(), "0 KB");
}

TEST_F(InstallerFolderTest, ATypedFolderMustStartAtADriveRoot) {
  platform::SetFakeDrive('C', DriveWithFree(10));  // the space gate fails
  Form3->Show();
  ASSERT_FALSE(Form3->Button2->Enabled());
  Form3->Edit1->SetText("");
  Form3->Edit1->TypeText("D:");
  EXPECT_FALSE(Form3->Button2->Enabled());
  Form3->Edit1->TypeText("\\");
  EXPECT_TRUE(Form3->Button2->Enabled());  // typing is not the space gate
  Form3->Edit1->TypeText("Apps");
  EXPECT_TRUE(Form3->Button2->Enabled());
  Form3->Edit1->SetText("DX\\");
  Form3->Edit1->TypeText("a");
  EXPECT_FALSE(Form3->Button2->Enabled());
}

TEST_F(InstallerFolderTest, NextTakesTheTrimmedFolderWhichGetsItsBackslashLater) {
  Form3->Show();
  Form3->Edit1->SetText("  C:\\Apps\\VEK  ");
  Form3->Button2->Click();
  EXPECT_EQ(InstallDir, "C:\\Apps\\VEK");
  EXPECT_TRUE(Form4->IsShown());
  EXPECT_FALSE(Form3->IsShown());
  Form5->StepCreateFolder();
  EXPECT_EQ(InstallDir, "C:\\Apps\\VEK\\");
  EXPECT_TRUE(fs::is_directory(dir / "Apps" / "VEK"));
}

TEST_F(InstallerFolderTest, TheDirectoryListSuggestsAFolderBelowTheSelection) {
  fs::create_directories(dir / "Program Files" / "Common");
  Form3->DirectoryListBox1->Refresh();
  Form3->Show();
  auto* list = Form3->DirectoryListBox1;
  auto indexOf = [list](std::string_view name) {
    for (int i = 0; i < list->ItemCount(); ++i) {
      if (list->ItemText(i) == name) return i;
    }
    return -1;
  };
  list->ClickItem(0);
  EXPECT_EQ(Form3->Edit1->Text(), "C:\\VEK 2003");
  list->DblClickItem(indexOf("Program Files"));
  EXPECT_EQ(Form3->Edit1->Text(), "C:\\Program Files\\VEK 2003");
  // Below the first level the whole path is kept.
  list->ClickItem(indexOf("Common"));
  EXPECT_EQ(Form3->Edit1->Text(), "C:\\Program Files\\Common\\VEK 2003");
}

using InstallerWizardTest = vektest::InstallerTest;

TEST_F(InstallerWizardTest, TheBackdropOpensTheWelcomePageAfterASecond) {
  Form1->Show();
  EXPECT_EQ(Form1->Width(), ui::Screen->Width());
  EXPECT_EQ(Form1->Height(), ui::Screen->Height());
  EXPECT_GT(Form1->Label3->Left(), ui::Screen->Width());
  ui::clock::Advance(999);
  EXPECT_FALSE(Form2->IsShown());
  ui::clock::Advance(1);
  EXPECT_TRUE(Form2->IsShown());
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_TRUE(Form1->Timer2->Enabled());
  EXPECT_EQ(Form2->Left(), (ui::Screen->Width() - Form2->Width()) / 2);
  EXPECT_EQ(Form2->Top(), (ui::Screen->Height() - Form2->Height()) / 2);
}

TEST_F(InstallerWizardTest, ThePagesLeadFromOneToTheNext) {
  Form2->Show();
  Form2->Button1->Click();
  EXPECT_TRUE(Form3->IsShown());
  Form3->Button1->Click();
  EXPECT_TRUE(Form2->IsShown());
  Form2->Button1->Click();
  Form3->Button2->Click();
  EXPECT_TRUE(Form4->IsShown());
  Form4->Button1->Click();
  EXPECT_TRUE(Form3->IsShown());
  Form3->Button2->Click();
  Form4->Button2->Click();
  EXPECT_TRUE(Form5->IsShown());
  EXPECT_TRUE(Form5->Timer1->Enabled());
  EXPECT_EQ(CurrentStep, 0x1000);
  for (ui::TForm* page : std::initializer_list<ui::TForm*>{Form2, Form3, Form4, Form6, Form7})
    EXPECT_FALSE(page->IsShown());
}

TEST_F(InstallerWizardTest, EveryWayOutClosesAllWindows) {
  struct Case {
    const char* What;
    ui::TForm* (*Page)();
    ui::TButton* (*Button)();
  };
  const Case cases[] = {
      {"welcome", []() -> ui::TForm* { return Form2; }, [] { return Form2->Button2; }},
      {"folder", []() -> ui::TForm* { return Form3; }, [] { return Form3->Button3; }},
      {"shortcuts", []() -> ui::TForm* { return Form4; }, [] { return Form4->Button3; }},
      {"error", []() -> ui::TForm* { return Form7; }, [] { return Form7->Button1; }},
  };
  // The window manager's close of a page (its close button or Alt+F4) is
  // the page's own way out: it installs, registers and starts nothing.
  for (const bool byWindowClose : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.What) + (byWindowClose ? ", closed by the window manager" : ""));
      CreateWindows();
      Form1->Show();
      c.Page()->Show();
      const std::string before = FilesAndRegistry();
      if (byWindowClose) {
        c.Page()->RequestClose();
      } else {
        c.Button()->Click();
      }
      EXPECT_TRUE(ui::Application->Terminated());
      EXPECT_FALSE(c.Page()->IsShown());
      EXPECT_EQ(FilesAndRegistry(), before);
      EXPECT_TRUE(shellCalls.empty());
    }
  }
}

// The backdrop and the progress page have no way out of their own: a close
// sent to them changes nothing. The finish page's close ends the installer
// and, unlike "&Finish", starts nothing, whatever its boxes say.
TEST_F(InstallerWizardTest, AWindowManagersCloseNeverLeavesTheBackdropAlone) {
  Form1->Show();
  Form1->RequestClose();
  EXPECT_TRUE(Form1->IsShown());
  EXPECT_FALSE(ui::Application->Terminated());
  Form5->Show();
  Form5->RequestClose();
  EXPECT_TRUE(Form5->IsShown());
  EXPECT_FALSE(ui::Application->Terminated());

  CreateWindows();
  Form1->Show();
  Form6->Show();
  ASSERT_TRUE(Form6->CheckBox1->Checked() && Form6->CheckBox2->Checked());
  Form6->RequestClose();
  EXPECT_TRUE(ui::Application->Terminated());
  EXPECT_FALSE(Form6->IsShown());
  EXPECT_EQ(shellCalls, std::vector<std::string>{});
}

TEST_F(InstallerWizardTest, FinishOpensWhatIsCheckedThenCloses) {
  struct Case {
    bool Site, Run;
    std::vector<std::string> Calls;
  };
  const Case cases[] = {
      {false, false, {}},
      {true, false, {"open|http://www.vek2003.example/"}},
      {true, true, {"open|http://www.vek2003.example/", "open|C:\\Apps\\VEK 2003.exe|C:\\Apps"}},
  };
  for (const Case& c : cases) {
    CreateWindows();
    shellCalls.clear();
    InstallDir = "C:\\Apps\\";
    Form1->Show();
    Form6->Show();
    Form6->CheckBox1->SetChecked(c.Site);
    Form6->CheckBox2->SetChecked(c.Run);
    Form6->Button1->Click();
    EXPECT_EQ(shellCalls, c.Calls);
    EXPECT_TRUE(ui::Application->Terminated());
  }
}

// Every caption of every window fits its control in the face the windows use.
TEST_F(InstallerWizardTest, EveryTextFitsItsControl) {
  EXPECT_EQ(ui::FaceInUse(), "Liberation Sans");
  for (const ui::TForm* form : ui::Application->Forms()) {
    for (const std::string& unfit : ui::UnfitTexts(*form)) {
      ADD_FAILURE() << form->ClassName() << " (" << form->Caption() << "): " << unfit;
    }
  }
}

TEST_F(InstallerWizardTest, TheMarqueeSlidesEachLineInAndOutAndWrapsAround) {
  Form1->Show();
  ui::clock::Advance(1000);  // Timer2 starts
  MarqueeLine = 23;
  ui::clock::Advance(100);
  EXPECT_EQ(Form1->Label4->Caption(), FeatureLines[22]);
  EXPECT_EQ(MarqueeLine, 1);
  EXPECT_EQ(MarqueeState, 2);
  EXPECT_GE(Form1->Label3->Left(), Form1->Width());  // starts beyond the right edge
  EXPECT_EQ(Form1->Label4->Left(), Form1->Label3->Left() + 4);
  EXPECT_EQ(Form1->Label4->Top(), Form1->Label3->Top() - 4);
  EXPECT_EQ(Form1->Label3->Top(), ui::Screen->Height() - 40);

  ASSERT_TRUE(ui::clock::RunUntil([] { return MarqueeState == 3; }, 60000));
  EXPECT_EQ(Form1->Label3->Left(), MarqueeX + 1);  // at rest
  EXPECT_EQ(Form1->Label3->Left() + Form1->Label3->Width(), ui::Screen->Width() - 23);
  ui::clock::Advance(2900);
  EXPECT_EQ(MarqueeState, 3);  // a three-second hold
  ui::clock::Advance(100);
  EXPECT_EQ(MarqueeState, 4);
  ASSERT_TRUE(ui::clock::RunUntil([] { return MarqueeState == 1; }, 60000));
  EXPECT_GE(Form1->Label3->Left(), Form1->Width() - 1);
  ui::clock::Advance(100);
  EXPECT_EQ(Form1->Label4->Caption(), FeatureLines[0]);
  EXPECT_EQ(MarqueeLine, 2);
}

TEST_F(InstallerWizardTest, ScreenshotsOfEveryPage) {
  Form1->Show();
  ui::clock::Advance(1000);
  ASSERT_TRUE(ui::clock::RunUntil([] { return MarqueeState == 3; }, 60000));
  Screenshot(Form1, "installer_form1_backdrop");
  Screenshot(Form2, "installer_form2_welcome");
  Form2->Button1->Click();
  Screenshot(Form3, "installer_form3_folder");
  Form3->Button2->Click();
  Screenshot(Form4, "installer_form4_shortcuts");
  Form4->Button2->Click();
  ASSERT_TRUE(ui::clock::RunUntil([] { return CurrentStep == 0x2620; }, 100000));
  ui::clock::Advance(20);
  Screenshot(Form5, "installer_form5_progress");
  ASSERT_TRUE(ui::clock::RunUntil([] { return Form6->IsShown(); }, 100000));
  Screenshot(Form6, "installer_form6_finish");
  Form6->Hide();
  WriteSetupFile(vektest::PatternBytes(100, 1));
  RunInstallation("C:\\VEK 2003");
  Screenshot(Form7, "installer_form7_error");
}
