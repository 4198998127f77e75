// The main window's handlers, each control they enable, disable or fill, and
// its texts as the user reads them.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/delete_confirmation.h"
#include "engine/processing_window.h"
#include "main_window_fixture.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "tools/editor_window.h"
#include "tools/viewer_window.h"

namespace {

using vek::CurrentFile;
using vek::Form2;
using vek::JobList;

class AppMainWindowBehaviourTest : public apptest::MainWindowTest {
 protected:
  // A read-only archive file created at 3:07:05pm on Tuesday 9 December
  // 2003, modified and accessed at other moments.
  static void MakeCurrentFile(const std::string& name, int64_t size) {
    CurrentFile = {};
    CurrentFile.Name = name;
    CurrentFile.Folder = "C:\\docs\\";
    CurrentFile.Size = size;
    CurrentFile.Created = {2, 9, 12, 2003, 15, 7, 5};
    CurrentFile.Modified = {0, 1, 3, 2004, 0, 0, 9};
    CurrentFile.Accessed = {6, 22, 11, 2003, 12, 30, 0};
    CurrentFile.Attributes = 0x21;
  }
  // All four list buttons enabled, whatever led there.
  static std::vector<ui::TBitBtn*> EnableListButtons() {
    std::vector<ui::TBitBtn*> buttons = {Form2->BitBtn3, Form2->BitBtn4, Form2->BitBtn6};
    for (ui::TBitBtn* button : buttons) button->SetEnabled(true);
    return buttons;
  }
};

// The cells of an entry's row and the count above the grid.
TEST_F(AppMainWindowBehaviourTest, AnEntrysRowAndTheListCaption) {
  const char* const titles[] = {"Name", "Location", "Size", "Created", "Attributes"};
  for (int col = 0; col < 5; ++col) EXPECT_EQ(Form2->StringGrid1->Cell(col, 0), titles[col]);
  EXPECT_EQ(Form2->Label13->Caption(),
            " File encrypt/decrypt/delete job list : (0 file - 0 Bytes total) ");

  MakeCurrentFile("report.txt", 1500);
  Form2->AddCurrentFileToJobList();
  const char* const cells[] = {"report.txt", "C:\\docs\\", "1.46 KB", "3:07pm Tue 09Dec2003",
                               "-R----A-"};
  for (int col = 0; col < 5; ++col) EXPECT_EQ(Form2->StringGrid1->Cell(col, 1), cells[col]);
  EXPECT_EQ(Form2->Label13->Caption(),
            " File encrypt/decrypt/delete job list : (1 files - 1.46 KB total) ");

  MakeCurrentFile("b.txt", 600);
  Form2->AddCurrentFileToJobList();
  EXPECT_EQ(Form2->Label13->Caption(),
            " File encrypt/decrypt/delete job list : (2 files - 2.05 KB total) ");
}

// The panel's value labels and their hints, and what empties them again.
TEST_F(AppMainWindowBehaviourTest, ThePanelShowsTheCurrentFileAndClears) {
  MakeCurrentFile("x.vek", 2048);
  CurrentFile.IsVekFile = true;
  Form2->ShowFileInfo();
  const std::pair<ui::TLabel*, std::pair<const char*, const char*>> shown[] = {
      {Form2->Label2, {"2.00 KB", "2048 bytes"}},
      {Form2->Label4, {"3:07pm Tue 09Dec2003", "3:07:05pm, Tuesday 9th of December 2003"}},
      {Form2->Label10, {"12:00am Sun 01Mar2004", "12:00:09am, Sunday 1st of March 2004"}},
      {Form2->Label12, {"12:30pm Sat 22Nov2003", "12:30:00pm, Saturday 22nd of November 2003"}},
      {Form2->Label6, {"-R----A-", " Read-only Archive "}},
  };
  for (const auto& [label, texts] : shown) {
    EXPECT_EQ(label->Caption(), texts.first) << label->Name();
    EXPECT_EQ(label->Hint(), texts.second) << label->Name();
  }
  EXPECT_EQ(Form2->Label8->Caption(), "Yes");
  EXPECT_TRUE(Form2->Button4->Enabled());

  CurrentFile.IsVekFile = false;
  Form2->ShowFileInfo();
  EXPECT_EQ(Form2->Label8->Caption(), "No");
  EXPECT_FALSE(Form2->Button4->Enabled());

  CurrentFile.IsVekFile = true;
  Form2->ShowFileInfo();
  Form2->DirectoryListBox1->ClickItem(0);
  for (ui::TLabel* value : {Form2->Label15, Form2->Label2, Form2->Label4, Form2->Label6,
                            Form2->Label10, Form2->Label12, Form2->Label8}) {
    EXPECT_EQ(value->Caption(), "N/A") << value->Name();
  }
  EXPECT_EQ(Form2->Label2->Hint(), "2048 bytes");
  EXPECT_FALSE(Form2->Button4->Enabled());
}

// Every showing disables "&More information.." and sets "Screen &lock" from
// the option, whatever the buttons were before.
TEST_F(AppMainWindowBehaviourTest, ShowingSetsThePanelAndLockButtons) {
  for (bool lock : {true, false}) {
    vek::ScreenLockEnabled = lock;
    Form2->Button5->SetEnabled(!lock);
    Form2->Button4->SetEnabled(true);
    Form2->Hide();
    Form2->Show();
    EXPECT_EQ(Form2->Button5->Enabled(), lock);
    EXPECT_FALSE(Form2->Button4->Enabled());
  }
}

// A drive or folder change leaves no file to add, remove or delete.
TEST_F(AppMainWindowBehaviourTest, ADriveOrFolderClickDisablesTheFileButtons) {
  MakeFileOfSize("docs/x.txt", 10);
  Browse("C:\\");
  for (int way = 0; way < 2; ++way) {
    const auto buttons = EnableListButtons();
    if (way == 0) {
      Form2->DriveComboBox1->SelectDrive('C');
    } else {
      Form2->DirectoryListBox1->ClickItem(0);
    }
    for (ui::TBitBtn* button : buttons) EXPECT_FALSE(button->Enabled()) << way << button->Name();
  }
}

// A change of drive empties the panel, as a change of folder does.
TEST_F(AppMainWindowBehaviourTest, ADriveChangeEmptiesThePanel) {
  std::filesystem::create_directories(HostPath("d"));
  platform::SetDriveMap({{'C', dir.path().string()}, {'D', HostPath("d").string()}});
  Form2->DriveComboBox1->Refresh();
  MakeCurrentFile("x.vek", 2048);
  CurrentFile.IsVekFile = true;
  Form2->ShowFileInfo();
  ASSERT_TRUE(Form2->Button4->Enabled());
  Form2->DriveComboBox1->SelectDrive('D');
  ASSERT_EQ(Form2->DriveComboBox1->Drive(), 'D');
  for (ui::TLabel* value : {Form2->Label15, Form2->Label2, Form2->Label4, Form2->Label6,
                            Form2->Label10, Form2->Label12, Form2->Label8}) {
    EXPECT_EQ(value->Caption(), "N/A") << value->Name();
  }
  EXPECT_FALSE(Form2->Button4->Enabled());
}

// With the delete prompt off, the delete button starts the run at once: the
// browser's file, or the whole list after an add. Each case in a program of
// its own, as a run started keeps the engine.
TEST_F(AppMainWindowBehaviourTest, WithoutThePromptTheDeleteStartsAtOnce) {
  MakeFileOfSize("a.txt", 10);
  const std::pair<bool, uint8_t> cases[] = {{false, vek::RunDeleteFile},
                                            {true, vek::RunDeleteJobList}};
  for (const auto& [list, mode] : cases) {
    RestartProgram();
    StartProgram();
    vek::Form1->Hide();
    Form2->Show();
    Browse("C:\\");
    vek::ConfirmDeletes = false;
    if (list) {
      AddFile("a.txt");
    } else {
      ChooseFile("a.txt");
    }
    vek::RunMode = vek::RunEncrypt;
    Form2->BitBtn6->Click();
    EXPECT_FALSE(vek::Form9->IsShown());
    EXPECT_TRUE(vek::Form8->IsShown());
    EXPECT_EQ(vek::RunMode, mode);
    if (!list) {
      EXPECT_EQ(vek::DeleteName, "a.txt");
    }
  }
}

// Choosing a file in the browser: add and delete become possible, remove not;
// a grid click then takes "&Add file" away and offers "&Remove file".
TEST_F(AppMainWindowBehaviourTest, BrowserAndGridClicksHandTheButtonsOver) {
  MakeFileOfSize("a.txt", 1500);
  MakeFileOfSize("b.txt", 10);
  Browse("C:\\");
  AddFile("b.txt");
  Form2->BitBtn4->SetEnabled(true);
  Form2->BitBtn6->SetEnabled(false);
  ChooseFile("a.txt");
  EXPECT_TRUE(Form2->BitBtn3->Enabled());
  EXPECT_FALSE(Form2->BitBtn4->Enabled());
  EXPECT_TRUE(Form2->BitBtn6->Enabled());
  EXPECT_EQ(Form2->BitBtn6->Caption(), "&Delete file");

  ClickRow(1);
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  EXPECT_TRUE(Form2->BitBtn4->Enabled());
  ChooseFile("a.txt");
  ClickRow(0);
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  EXPECT_EQ(Form2->StringGrid1->Hint(), "End of joblist");
}

// "&Add file" takes itself away; "&Clear list" takes away every list button.
TEST_F(AppMainWindowBehaviourTest, AddAndClearDisableTheirButtons) {
  MakeFileOfSize("a.txt", 10);
  MakeFileOfSize("b.txt", 20);
  Browse("C:\\");
  ChooseFile("a.txt");
  ASSERT_TRUE(Form2->BitBtn3->Enabled());
  Form2->BitBtn3->Click();
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  EXPECT_TRUE(Form2->BitBtn5->Enabled());

  ClickRow(1);
  ChooseFile("b.txt");
  Form2->BitBtn4->SetEnabled(true);
  ASSERT_TRUE(Form2->BitBtn3->Enabled());
  Form2->BitBtn5->Click();
  for (ui::TBitBtn* button : {Form2->BitBtn3, Form2->BitBtn4, Form2->BitBtn5, Form2->BitBtn6}) {
    EXPECT_FALSE(button->Enabled()) << button->Name();
  }
  EXPECT_EQ(JobList.JobCount, 0);
}

// A plain entry carries what its encryption will write: this machine's
// Windows texts, the product line and versions 1.0, no timestamp yet.
TEST_F(AppMainWindowBehaviourTest, APlainEntryCarriesThisMachinesTexts) {
  vek::WindowsVersionText = "Windows XP Version 5.1 (Build 2600)";
  vek::WindowsRegisteredOwner = "Ann Lee";
  vek::WindowsRegisteredOrganization = "Acme";
  vek::WindowsComputerName = "DESK";
  vek::WindowsProductId = "55274-OEM";
  MakeCurrentFile("plain.txt", 777);
  CurrentFile.ContentSize = 5;
  CurrentFile.Timestamp = {1, 2, 3, 4, 5, 6, 2003};
  Form2->AddCurrentFileToJobList();
  EXPECT_EQ(JobList.WindowsVersionText[1], "Windows XP Version 5.1 (Build 2600)");
  EXPECT_EQ(JobList.RegisteredOwner[1], "Ann Lee");
  EXPECT_EQ(JobList.RegisteredOrganization[1], "Acme");
  EXPECT_EQ(JobList.ComputerName[1], "DESK");
  EXPECT_EQ(JobList.ProductId[1], "55274-OEM");
  EXPECT_EQ(JobList.ProductLine[1],
            "VEK 2003 for Microsoft Windows 95/98/ME/NT/2000/XP (c)2003 Quarne T. Velso");
  EXPECT_EQ(JobList.SoftwareVersion[1], (vek::TVersionBytes{1, 0}));
  EXPECT_EQ(JobList.FileFormatVersion[1], (vek::TVersionBytes{1, 0}));
  EXPECT_EQ(JobList.Timestamp[1], vek::TTimestampFields{});
  EXPECT_EQ(JobList.ContentSize[1], 777);
}

// The grid's hint for an entry, word for word.
TEST_F(AppMainWindowBehaviourTest, AGridClickDescribesTheEntry) {
  MakeCurrentFile("report.vek", 1500);
  CurrentFile.IsVekFile = true;
  Form2->AddCurrentFileToJobList();
  ClickRow(1);
  EXPECT_EQ(Form2->StringGrid1->Hint(),
            "File: report.vek\r\nLocation: C:\\docs\\\r\nType: " +
                vek::FileTypeDescription("report.vek") +
                "\r\nSize: 1.46 KB"
                "\r\nCreated: 3:07:05pm, Tuesday 9th of December 2003"
                "\r\nModified: 12:00:09am, Sunday 1st of March 2004"
                "\r\nAccessed: 12:30:00pm, Saturday 22nd of November 2003"
                "\r\nAttributes: -R----A- [ Read-only Archive ]"
                "\r\n\r\n(Double click to view embedded VEK information)");
}

// The editor gets the plain entry's name, size, owner texts and three flags,
// each from a state where the last copy differed.
TEST_F(AppMainWindowBehaviourTest, ThePlainEntryCopiedForTheEditor) {
  struct Case {
    bool Timestamp, Preserve, Windows;
    const char* Text;
  } cases[] = {{true, false, true, "first"}, {false, true, false, "second"}};
  for (const Case& c : cases) {
    Form2->Hide();
    Form2->Show();
    vek::TimestampEncryption = c.Timestamp;
    vek::PreserveAttributes = c.Preserve;
    vek::WindowsInformation = c.Windows;
    const std::string t = c.Text;
    vek::OwnerFirstName.Assign(t + "1");
    vek::OwnerLastName.Assign(t + "2");
    vek::OwnerCompany.Assign(t + "3");
    vek::OwnerLocation.Assign(t + "4");
    vek::OwnerEmail.Assign(t + "5");
    vek::InfoLine1.Assign(t + "6");
    vek::InfoLine2.Assign(t + "7");
    vek::InfoLine3.Assign(t + "8");
    MakeCurrentFile(t + ".txt", static_cast<int64_t>(t.size()));
    Form2->AddCurrentFileToJobList();
    ClickRow(1);
    Form2->StringGrid1->DblClickCell(0, 1);
    const vek::TEditedEntry& e = vek::EditedEntry;
    EXPECT_EQ(e.Name, t + ".txt");
    EXPECT_EQ(e.Size, static_cast<int64_t>(t.size()));
    EXPECT_EQ(e.HasTimestamp, c.Timestamp) << t;
    EXPECT_EQ(e.PreserveAttributes, c.Preserve) << t;
    EXPECT_EQ(e.HasWindowsInfo, c.Windows) << t;
    const std::string_view owner[] = {e.Owner.OwnerFirstName.Text(), e.Owner.OwnerLastName.Text(),
                                      e.Owner.OwnerCompany.Text(),   e.Owner.OwnerLocation.Text(),
                                      e.Owner.OwnerEmail.Text(),     e.Owner.InfoLines[0].Text(),
                                      e.Owner.InfoLines[1].Text(),   e.Owner.InfoLines[2].Text()};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(owner[k], t + std::to_string(k + 1));
    EXPECT_TRUE(vek::Form18->IsShown());
    vek::Form18->Hide();
  }
}

}  // namespace

namespace {

class AppStartBehaviourTest : public apptest::AppTest {};

// A start clears a request to exit left from before: the main window's close
// box is refused again until the exit button.
TEST_F(AppStartBehaviourTest, AStartClearsTheExitRequest) {
  vek::ExitRequested = true;
  StartProgram();
  EXPECT_FALSE(vek::ExitRequested);
  vek::Form1->Hide();
  Form2->Show();
  EXPECT_FALSE(Form2->Close());
  EXPECT_TRUE(Form2->IsShown());
}

}  // namespace
