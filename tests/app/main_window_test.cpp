#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/delete_confirmation.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "main_window_fixture.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "tools/drive_info_window.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/viewer_window.h"
#include "ui/dialogs.h"

namespace {

using vek::CurrentFile;
using vek::Form2;
using vek::JobList;

class AppMainWindowTest : public apptest::MainWindowTest {
 protected:
  void TearDown() override {
    platform::SetShellHookForTest({});
    MainWindowTest::TearDown();
  }
  // Records the shell's "open" requests.
  std::vector<std::pair<std::string, std::string>>& RecordShell() {
    platform::SetShellHookForTest([this](const std::string& verb, const std::string& target) {
      shellCalls.emplace_back(verb, target);
    });
    return shellCalls;
  }
  // Three plain entries and an encrypted one (entry 4).
  void MakeFourEntries() {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) MakeFileOfSize(name, 100);
    Browse("C:\\");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) AddFile(name);
    CurrentFile = {};
    CurrentFile.Name = "secret.doc.vek";
    CurrentFile.Folder = "C:\\vault\\";
    CurrentFile.Size = 5000;
    CurrentFile.IsVekFile = true;
    CurrentFile.ContentSize = 4700;
    CurrentFile.Owner.OwnerFirstName.Assign("Quarne");
    CurrentFile.HasTimestamp = true;
    CurrentFile.Timestamp = {15, 7, 5, 3, 9, 12, 2003};
    Form2->AddCurrentFileToJobList();
  }

  std::vector<std::pair<std::string, std::string>> shellCalls;
};

// Argument 1 joins the list at every showing, whether given as a Windows or
// a host path; a missing file is ignored.
TEST_F(AppMainWindowTest, TheCommandLineFileIsAddedWhenTheWindowShows) {
  MakeFileOfSize("docs/letter.vek", 64);
  struct Case {
    std::string Argument;
    uint16_t Entries;
  } cases[] = {{"C:\\docs\\letter.vek", 1},
               {HostPath("docs/letter.vek").string(), 1},
               {"C:\\docs\\missing.vek", 0},
               {"C:\\docs", 0}};
  for (const Case& c : cases) {
    SetArgument(c.Argument);
    Form2->Hide();
    Form2->Show();
    ASSERT_EQ(JobList.JobCount, c.Entries) << c.Argument;
    if (c.Entries == 0) continue;
    EXPECT_EQ(JobList.Name[1], "letter.vek");
    EXPECT_EQ(JobList.Folder[1], "C:\\docs\\");
    EXPECT_EQ(Form2->FileListBox1->Hint(),
              "\"letter.vek\" added to job list by desktop selection.");
    EXPECT_EQ(Form2->Label2->Caption(), "64 Bytes");
  }
}

TEST_F(AppMainWindowTest, RunningWithAnEmptyListOnlyChangesTheButtonsHint) {
  vek::RunMode = vek::RunDecrypt;
  for (ui::TBitBtn* button : {Form2->BitBtn1, Form2->BitBtn2}) {
    button->Click();
    EXPECT_EQ(button->Hint(), "No files to process");
    EXPECT_TRUE(Form2->IsShown());
    EXPECT_FALSE(vek::Form7->IsShown());
  }
  EXPECT_EQ(vek::RunMode, vek::RunDecrypt);
}

TEST_F(AppMainWindowTest, TheRunButtonsHandOverToTheKeyEntry) {
  MakeFourEntries();
  for (auto [button, mode] :
       {std::pair{Form2->BitBtn2, vek::RunDecrypt}, std::pair{Form2->BitBtn1, vek::RunEncrypt}}) {
    Form2->Show();
    MakeFourEntries();
    vek::Form7->Hide();
    button->Click();
    EXPECT_FALSE(Form2->IsShown());
    EXPECT_TRUE(vek::Form7->IsShown());
    EXPECT_EQ(vek::RunMode, mode);
  }
}

// The title row and the spare row choose no entry.
TEST_F(AppMainWindowTest, GridClicksOutsideTheEntries) {
  MakeFourEntries();
  ClickRow(2);
  EXPECT_EQ(JobList.SelectedRow, 2);
  EXPECT_EQ(Form2->StringGrid1->Hint().substr(0, 25), "File: b.txt\r\nLocation: C:");
  EXPECT_NE(Form2->StringGrid1->Hint().find("(Double click to edit embedded VEK information)"),
            std::string::npos);

  ClickRow(0);
  EXPECT_EQ(Form2->StringGrid1->Hint(), "End of joblist");
  EXPECT_EQ(JobList.SelectedRow, 2);

  ClickRow(5);
  EXPECT_EQ(JobList.SelectedRow, 5);
  EXPECT_EQ(Form2->StringGrid1->Hint(), "End of joblist");
  EXPECT_FALSE(Form2->BitBtn4->Enabled());
  Form2->StringGrid1->DblClickCell(0, 5);
  EXPECT_FALSE(vek::Form16->IsShown());
  EXPECT_FALSE(vek::Form18->IsShown());
}

// The viewer gets a record of its own; the browser's current file stays.
TEST_F(AppMainWindowTest, DoubleClickOnAnEncryptedEntryFillsTheViewersRecord) {
  MakeFourEntries();
  MakeFileOfSize("browsed.txt", 33);
  ChooseFile("browsed.txt");
  const vek::TCurrentFile browsed = CurrentFile;
  Form2->StringGrid1->DblClickCell(0, 4);
  EXPECT_TRUE(vek::Form16->IsShown());
  EXPECT_EQ(vek::ViewerRecord.Name, "secret.doc.vek");
  EXPECT_EQ(vek::ViewerRecord.Folder, "C:\\vault\\");
  EXPECT_EQ(vek::ViewerRecord.Size, 5000);
  EXPECT_EQ(vek::ViewerRecord.ContentSize, 4700);
  EXPECT_EQ(vek::ViewerRecord.Owner.OwnerFirstName.Text(), "Quarne");
  EXPECT_EQ(vek::ViewerRecord.Timestamp, (vek::TTimestampFields{15, 7, 5, 3, 9, 12, 2003}));
  EXPECT_EQ(CurrentFile.Name, browsed.Name);
  EXPECT_EQ(CurrentFile.Size, 33);
  EXPECT_NE(Form2->StringGrid1->Hint().find("(Double click to view embedded VEK information)"),
            std::string::npos);
}

TEST_F(AppMainWindowTest, DoubleClickOnAPlainEntryOpensTheEditor) {
  vek::OwnerEmail.Assign("q@example.org");
  MakeFourEntries();
  Form2->StringGrid1->DblClickCell(0, 3);
  EXPECT_TRUE(vek::Form18->IsShown());
  EXPECT_EQ(vek::EditedEntry.Name, "c.txt");
  EXPECT_EQ(vek::EditedEntry.Size, 100);
  EXPECT_EQ(vek::EditedEntry.Owner.OwnerEmail.Text(), "q@example.org");
  EXPECT_TRUE(vek::EditedEntry.HasTimestamp);
}

TEST_F(AppMainWindowTest, MoreInformationShowsTheBrowsedFile) {
  MakeFileOfSize("browsed.txt", 33);
  Browse("C:\\");
  ChooseFile("browsed.txt");
  EXPECT_FALSE(Form2->Button4->Enabled());
  Form2->Button4Click();
  EXPECT_EQ(vek::ViewerRecord.Name, "browsed.txt");
  EXPECT_EQ(vek::ViewerRecord.Size, 33);
  EXPECT_TRUE(vek::Form16->IsShown());
}

// An encrypted file's own attributes are not what its header preserves.
TEST_F(AppMainWindowTest, MoreInformationShowsThePreservedAttributes) {
  CurrentFile = {};
  CurrentFile.Name = "x.vek";
  CurrentFile.IsVekFile = true;
  CurrentFile.Attributes = 0x20;  // archive
  CurrentFile.PreserveAttributes = true;
  CurrentFile.HeaderAttributes = 0x21;  // read-only, archive
  Form2->Button4Click();
  EXPECT_EQ(vek::ViewerRecord.Attributes, 0x21u);
  EXPECT_EQ(vek::Form16->Label20->Caption(), vek::AttributesToText(0x21, true));
  EXPECT_EQ(CurrentFile.Attributes, 0x20u);
}

// Chosen in the browser, the settings file is not examined, and the delete
// button leaves it alone with and without the prompt.
TEST_F(AppMainWindowTest, TheSettingsFileIsNeverDeletedFromTheBrowser) {
  Browse("C:\\");
  for (bool prompt : {true, false}) {
    vek::ConfirmDeletes = prompt;
    ChooseFile("VEK 2003.set");
    EXPECT_TRUE(Form2->BitBtn6->Enabled());
    Form2->BitBtn6->Click();
    EXPECT_FALSE(vek::Form9->IsShown());
    EXPECT_FALSE(vek::Form8->IsShown());
  }
  EXPECT_TRUE(std::filesystem::exists(HostPath("VEK 2003.set")));
}

TEST_F(AppMainWindowTest, DeletePromptNamesWhatWillBeDeleted) {
  MakeFileOfSize("one.txt", 2048);
  Browse("C:\\");
  ChooseFile("one.txt");
  Form2->BitBtn6->Click();
  EXPECT_TRUE(vek::Form9->IsShown());
  EXPECT_EQ(vek::Form9->Label2->Caption(), "one.txt");
  EXPECT_EQ(vek::Form9->Label3->Caption(), vek::SizeToText(2048));
  vek::Form9->Hide();

  Form2->BitBtn3->Click();
  MakeFourEntries();
  Form2->BitBtn6->Click();
  EXPECT_EQ(vek::Form9->Label2->Caption(), "Delete all 5 file(s) currently in the joblist");
  EXPECT_EQ(vek::Form9->Label3->Caption(), vek::SizeToText(2048 + 300 + 5000));
}

// After "&Add file" the delete button is the job list's; a second click on
// the file still chosen in the list makes it the file's again, so a delete
// takes that file alone.
TEST_F(AppMainWindowTest, ClickingTheChosenFileAgainDeletesItAlone) {
  for (const char* name : {"one.txt", "two.txt"}) MakeFileOfSize(name, 2048);
  Browse("C:\\");
  AddFile("two.txt");
  AddFile("one.txt");
  EXPECT_EQ(Form2->BitBtn6->Caption(), "&Delete job list files");
  Form2->FileListBox1->ClickFile("one.txt");
  EXPECT_EQ(Form2->BitBtn6->Caption(), "&Delete file");
  Form2->BitBtn6->Click();
  EXPECT_EQ(vek::Form9->Label2->Caption(), "one.txt");
  EXPECT_EQ(vek::Form9->Label3->Caption(), vek::SizeToText(2048));
}

TEST_F(AppMainWindowTest, TheCloseBoxIsRefusedUntilTheExitButton) {
  EXPECT_FALSE(Form2->Close());
  EXPECT_TRUE(Form2->IsShown());
  Form2->BitBtn12->Click();
  EXPECT_TRUE(vek::ExitRequested);
  EXPECT_FALSE(Form2->IsShown());
  EXPECT_TRUE(vek::Form19->IsShown());
  Form2->Show();
  EXPECT_TRUE(Form2->Close());
}

TEST_F(AppMainWindowTest, ToolbarAndPanelButtonsOpenTheirWindows) {
  auto& shell = RecordShell();
  Form2->BitBtn7->Click();
  EXPECT_TRUE(vek::Form4->IsShown());
  Form2->BitBtn9->Click();
  EXPECT_TRUE(vek::Form6->IsShown());
  Form2->Button3->Click();
  EXPECT_TRUE(vek::Form14->IsShown());
  EXPECT_TRUE(Form2->IsShown());
  Form2->BitBtn8->Click();
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].first, "open");
  EXPECT_EQ(shell[0].second, vek::SupportWebAddress);

  vek::ScreenLockEnabled = true;
  Form2->Hide();
  Form2->Show();
  Form2->Button5->Click();
  EXPECT_FALSE(Form2->IsShown());
  EXPECT_TRUE(vek::Form17->IsShown());
}

// A click or double click below the files, with no file chosen, changes
// nothing: the delete button stays the job list's and the current file stays.
TEST_F(AppMainWindowTest, AFileListClickWithoutAChosenFileChangesNothing) {
  auto& shell = RecordShell();
  MakeFourEntries();
  Form2->FileListBox1->Update();
  ASSERT_LT(Form2->FileListBox1->ItemCount(), 8);  // the list's foot is empty
  const std::string hint = Form2->FileListBox1->Hint();
  const int x = Form2->FileListBox1->Width() / 2;
  const int y = Form2->FileListBox1->Height() - 12;
  Form2->FileListBox1->ClickAt(x, y);
  Form2->FileListBox1->DblClickAt(x, y);
  EXPECT_EQ(Form2->BitBtn6->Caption(), "&Delete job list files");
  EXPECT_TRUE(Form2->BitBtn6->Enabled());
  EXPECT_EQ(Form2->FileListBox1->Hint(), hint);
  EXPECT_EQ(CurrentFile.Name, "secret.doc.vek");
  EXPECT_TRUE(shell.empty());
  Form2->BitBtn6->Click();
  EXPECT_EQ(vek::Form9->Label2->Caption(), "Delete all 4 file(s) currently in the joblist");
}

// A double click opens the file with the desktop.
TEST_F(AppMainWindowTest, DoubleClickInTheFileListOpensTheFile) {
  auto& shell = RecordShell();
  MakeFileOfSize("docs/x.txt", 1);
  Browse("C:\\docs");
  Form2->FileListBox1->Update();
  Form2->FileListBox1->DblClickItem(0);
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].second, "C:\\docs\\x.txt");
}

// The panel shows the chosen file; its dates name the right day.
TEST_F(AppMainWindowTest, ThePanelDescribesTheChosenFile) {
  MakeFileOfSize("report.txt", 1500);
  Browse("C:\\");
  ChooseFile("report.txt");
  EXPECT_EQ(Form2->Label15->Caption(), vek::FileTypeDescription("report.txt"));
  EXPECT_EQ(Form2->Label2->Caption(), vek::SizeToText(1500));
  EXPECT_EQ(Form2->Label2->Hint(), "1500 bytes");
  EXPECT_EQ(Form2->Label8->Caption(), "No");
  static const char* const days[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
  const auto& modified = CurrentFile.Modified;
  ASSERT_LT(modified.DayOfWeek, 7);
  EXPECT_NE(Form2->Label10->Hint().find(days[modified.DayOfWeek]), std::string::npos)
      << Form2->Label10->Hint();
  EXPECT_TRUE(Form2->BitBtn3->Enabled());
  EXPECT_EQ(Form2->BitBtn6->Caption(), "&Delete file");
  EXPECT_EQ(Form2->FileListBox1->Hint(),
            "report.txt\r\n\r\nSelect files to add to job list...\r\n(Double click to "
            "launch/open this file)");

  Form2->DirectoryListBox1->ClickItem(0);
  EXPECT_EQ(Form2->Label2->Caption(), "N/A");
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  EXPECT_FALSE(Form2->BitBtn6->Enabled());
}

TEST_F(AppMainWindowTest, ADriveWithoutADiskSendsTheBrowserBackToC) {
  std::filesystem::create_directories(HostPath("d"));
  platform::SetDriveMap({{'C', dir.path().string()}, {'D', HostPath("d").string()}});
  platform::FakeDrive noDisk;
  noDisk.Type = platform::drive::Removable;
  platform::SetFakeDrive('D', noDisk);
  Form2->DriveComboBox1->Refresh();
  ui::dialogs_for_test::Expect(ui::mrOk, "There is no disk in drive D:");
  Form2->DriveComboBox1->SelectDrive('D');
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_EQ(Form2->DriveComboBox1->Drive(), 'C');
}

TEST_F(AppMainWindowTest, ScreenshotWithAFewEntries) {
  MakeFourEntries();
  ClickRow(1);
  ChooseFile("a.txt");
  Screenshot(Form2, "main_window");
}

}  // namespace
