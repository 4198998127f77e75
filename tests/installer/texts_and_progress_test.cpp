// The installer's pages word for word, the error page's texts for every
// install error, the progress bar over the self-check and over all the
// files together, a copied file whose close fails, and the shortcut's icon.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "installer/backdrop.h"
#include "installer/error_page.h"
#include "installer/finish_page.h"
#include "installer/folder_page.h"
#include "installer/progress_page.h"
#include "installer/shortcuts_page.h"
#include "installer/state.h"
#include "installer/welcome_page.h"
#include "installer_fixture.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui_test_support.h"

using namespace vek::installer;
namespace fs = std::filesystem;

namespace {

struct TPageText {
  const ui::TForm* const* Page;
  std::string Control;  // empty: the page's caption
  std::string Text;
};

}  // namespace

using InstallerTextsTest = vektest::InstallerTest;

TEST_F(InstallerTextsTest, PagesCarryTheirCaptionsAndTexts) {
  const ui::TForm* pages[] = {Form2, Form3, Form4, Form5, Form6, Form7};
  const std::string wizard = "VEK 2003 - Quox Installer Wizard";
  const TPageText texts[] = {
      {&pages[0], "", wizard},
      {&pages[0], "Label1", "VEK 2003 - Version 1.00"},
      {&pages[0], "Label2", "Windows Encryption Software."},
      {&pages[0], "Label3", "Minimum requirements : (for small files)"},
      {&pages[0], "Label4", "AMD or Intel x86 processor (500MHz)"},
      {&pages[0], "Label5", "32MB of RAM"},
      {&pages[0], "Label6", "3MB free hard drive space"},
      {&pages[0], "Label7", "Recommended requirements : (for larger files)"},
      {&pages[0], "Label8", "AMD or Intel x86 processor (2GHz+)"},
      {&pages[0], "Label9", "64MB+ of RAM"},
      {&pages[0], "Label10", "3MB+ free hard drive space"},
      {&pages[0], "Button1", "&Continue >"},
      {&pages[0], "Button2", "C&ancel"},
      {&pages[1], "", wizard},
      {&pages[1], "Edit1", "C:\\Program Files\\VEK 2003"},
      {&pages[1], "Label2", "Space required :"},
      {&pages[1], "Label4", "Space on drive :"},
      {&pages[1], "Button1", "< &Previous "},
      {&pages[1], "Button2", "&Next >"},
      {&pages[1], "Button3", "&Exit installation"},
      {&pages[2], "", wizard},
      {&pages[2], "CheckBox1", "I would like to create a shortcut on the desktop."},
      {&pages[2], "CheckBox2", "I would like to create a shortcut in the Start menu."},
      {&pages[2], "Button1", "< &Previous"},
      {&pages[2], "Button2", "&Next >"},
      {&pages[2], "Button3", "&Exit installation"},
      {&pages[3], "", wizard + " - One moment please..."},
      {&pages[3], "GroupBox1", " Installation tasks : "},
      {&pages[3], "Label4", "Checking for viruses..."},
      {&pages[3], "Label5", "Creating software folders..."},
      {&pages[3], "Label6", "Installing VEK software files..."},
      {&pages[3], "Label7", "Creating VEK file association..."},
      {&pages[3], "Label8", "Creating Start menu / desktop shortcuts..."},
      {&pages[3], "Label2", "Task progress :"},
      {&pages[3], "Label3", "0%"},
      {&pages[4], "", wizard},
      {&pages[4], "Label1", "VEK 2003 has now been installed succesfully.."},
      {&pages[4], "CheckBox1", "Visit the VEK 2003 web site.."},
      {&pages[4], "CheckBox2", "Run VEK 2003 for the first time.."},
      {&pages[4], "Button1", "&Finish"},
      {&pages[5], "", wizard},
      {&pages[5], "Label1", "An installation error has occured."},
      {&pages[5], "Label2", "Description :"},
      {&pages[5], "Label3", "Help :"},
      {&pages[5], "Button1", "&Exit"},
  };
  for (const TPageText& t : texts) {
    const ui::TForm* page = *t.Page;
    const std::string shown =
        t.Control.empty() ? page->Caption() : vektest::TextOf(page, t.Control);
    EXPECT_EQ(shown, t.Text) << page->ClassName() << " " << t.Control;
  }
  EXPECT_EQ(Form1->Label1->Caption(), "VEK 2003 - Version 1.00");
  EXPECT_EQ(Form1->Label2->Caption(), "VEK 2003 - Version 1.00");
  EXPECT_EQ(Form3->DirectoryListBox1->Hint(),
            "Not enough space on this drive, please select another..");
  EXPECT_TRUE(Form2->Find<ui::TCheckBox>("Label1") == nullptr);
  EXPECT_TRUE(Form4->CheckBox1->Checked());
  EXPECT_TRUE(Form4->CheckBox2->Checked());
  EXPECT_TRUE(Form6->CheckBox1->Checked());
  EXPECT_TRUE(Form6->CheckBox2->Checked());
}

struct TErrorText {
  int Code;
  std::string Description;
  std::string Help;
};

TEST_F(InstallerTextsTest, TheErrorPageShowsEachErrorsTexts) {
  const std::string download = "You have not completed downloading the VEK 2003 installer";
  const std::string virus = "Possibly infected with a virus, run a virus checker immediately!";
  const TErrorText errors[] = {
      {1, "Size of the installer software is incorrect",
       "Software may not have been fully downloaded or content was corrupted"},
      {2, "Not enough space on drive to perform installation",
       "Delete unused files on this drive or select another"},
      {3, "Application program size too small", download},
      {4, "Application installation data too small", download},
      {5, "Application program size too large", virus},
      {6, "Application installation data too large", virus},
      {7, "Application content checksum was incorrect", virus},
      {8, "Could not read information data from file",
       "You may have ejected a CDROM or other media by mistake"},
  };
  for (const TErrorText& e : errors) {
    Form7->Hide();
    Form5->Show();
    ASSERT_TRUE(Form5->Timer1->Enabled());
    const int beeps = platform::BeepCount();
    Form5->ShowInstallError(e.Code);
    EXPECT_EQ(Form7->Label4->Caption(), e.Description) << e.Code;
    EXPECT_EQ(Form7->Label5->Caption(), e.Help) << e.Code;
    EXPECT_TRUE(Form7->IsShown());
    EXPECT_FALSE(Form5->IsShown());
    EXPECT_FALSE(Form5->Timer1->Enabled());
    EXPECT_EQ(platform::BeepCount(), beeps + 1);
  }
}

// The bar runs 0..100 over the self-check, then once more over all three
// files together, never per file.
TEST_F(InstallerTextsTest, ProgressRunsOverTheWholeFileThenOverAllFilesTogether) {
  InstallDir = "C:\\VEK 2003";
  Form5->Show();
  const int64_t setupSize = static_cast<int64_t>(setup.File().size());
  int64_t payload = 0;
  for (const auto& file : setup.Files) payload += static_cast<int64_t>(file.size());
  std::vector<int64_t> copyPositions;
  std::vector<std::string> names;  // the file names shown, in turn
  ui::clock::Advance(10);
  EXPECT_EQ(Form5->Label1->Caption(), "Checking for viruses..");
  while (Form5->IsShown()) {
    if (names.empty() || names.back() != Form5->Label9->Caption()) {
      names.push_back(Form5->Label9->Caption());
    }
    ui::clock::Advance(10);
    const int64_t position = Form5->ProgressBar1->Position();
    EXPECT_EQ(Form5->Label3->Caption(), std::to_string(position) + "%");
    if (CurrentStep == 0x2100 || CurrentStep == 0x2200) {
      EXPECT_EQ(position, int64_t{SumCount} * 100 / setupSize);
    } else if ((CurrentStep == 0x2610 || CurrentStep == 0x2620) && CopiedTotal > 0) {
      // (until the first chunk the bar still shows the finished self-check)
      EXPECT_EQ(position, int64_t{CopiedTotal} * 100 / payload) << "file " << int{FileIndex};
      copyPositions.push_back(position);
    }
    ASSERT_LT(ui::clock::NowMs(), 1000000);
  }
  ASSERT_TRUE(Form6->IsShown());
  ASSERT_FALSE(copyPositions.empty());
  EXPECT_TRUE(std::is_sorted(copyPositions.begin(), copyPositions.end()));
  EXPECT_EQ(copyPositions.back(), 100);
  // When the first file is done, the bar shows its share of all three.
  const auto first = static_cast<int64_t>(setup.Files[0].size());
  EXPECT_NE(std::find(copyPositions.begin(), copyPositions.end(), first * 100 / payload),
            copyPositions.end());
  EXPECT_EQ(CopiedTotal, payload);
  EXPECT_EQ(names, (std::vector<std::string>{"", "VEK 2003.exe", "README.txt", "VEK 2003.ico"}));
}

// Every page stands in the middle of the screen when it shows.
TEST_F(InstallerTextsTest, EveryPageShowsInTheMiddleOfTheScreen) {
  ui::TForm* pages[] = {Form2, Form3, Form4, Form5, Form6, Form7};
  for (ui::TForm* page : pages) {
    page->SetLeft(1);
    page->SetTop(1);
    page->Show();
    Form5->Timer1->SetEnabled(false);  // no installation here
    EXPECT_EQ(page->Left(), (ui::Screen->Width() - page->Width()) / 2) << page->ClassName();
    EXPECT_EQ(page->Top(), (ui::Screen->Height() - page->Height()) / 2) << page->ClassName();
    page->Hide();
  }
}

// A copied file whose close fails is not installed: the machine stops on the
// error page and the file does not stay behind as if it were complete.
TEST_F(InstallerTextsTest, ACopiedFileWhoseCloseFailsIsNotInstalled) {
  for (size_t file = 0; file < 3; ++file) {
    SCOPED_TRACE("file " + std::to_string(file + 1));
    fs::remove_all(HostPath("VEK 2003"));
    Form7->Hide();
    // The closes before the copy (the self-check's stream) and those of the
    // files before this one go through.
    platform::faults::Reset();
    InstallDir = "C:\\VEK 2003";
    Form5->Show();
    ASSERT_TRUE(ui::clock::RunUntil([] { return CurrentStep == 0x2610; }, 1000000));
    platform::faults::Fail(platform::faults::Op::Close, static_cast<int>(file) + 1,
                           platform::err::WriteFault);
    ASSERT_TRUE(ui::clock::RunUntil([] { return !Form5->IsShown(); }, 1000000));
    EXPECT_TRUE(Form7->IsShown());
    EXPECT_FALSE(Form6->IsShown());
    EXPECT_FALSE(Form7->Label4->Caption().empty());
    const std::string name(setup.Table()[file].Name);
    EXPECT_FALSE(fs::exists(HostPath("VEK 2003\\" + name))) << name;
  }
}

// Both desktop entries name the program's icon in the icon theme.
TEST_F(InstallerTextsTest, TheShortcutCarriesTheProgramsIcon) {
  RunInstallation("C:\\Program Files\\VEK 2003");
  ASSERT_TRUE(Form6->IsShown());
  for (const char* shortcut : {"Desktop\\vek2003.desktop", "Start Menu\\vek2003.desktop"}) {
    const auto bytes = vektest::ReadFileBytes(HostPath(shortcut));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("\nIcon=vek2003\n"), std::string::npos) << shortcut << "\n" << text;
  }
}

// Either diskette drive gives way to C.
TEST_F(InstallerTextsTest, BothDisketteDrivesGiveWayToC) {
  for (const char letter : {'A', 'B'}) {
    vektest::TempDir floppy;
    platform::SetDriveMap({{letter, floppy.path().string()}, {'C', dir.path().string()}});
    CreateWindows();
    Form3->Show();
    Form3->Edit1->SetText("D:\\elsewhere");
    Form3->DriveComboBox1->SelectDrive(letter);
    EXPECT_EQ(Form3->DriveComboBox1->Drive(), 'C') << letter;
    EXPECT_EQ(Form3->Edit1->Text(), "C:\\VEK 2003") << letter;
  }
}
