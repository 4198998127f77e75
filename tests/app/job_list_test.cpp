#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "core/state.h"
#include "core/texts.h"
#include "engine/delete_confirmation.h"
#include "main_window_fixture.h"

namespace {

using vek::Form2;
using vek::JobList;

class AppJobListTest : public apptest::MainWindowTest {
 protected:
  // Adds a made-up file as the current file.
  static void AddMadeUp(const std::string& name, const std::string& folder, int64_t size = 10) {
    vek::CurrentFile = {};
    vek::CurrentFile.Name = name;
    vek::CurrentFile.Folder = folder;
    vek::CurrentFile.Size = size;
    Form2->AddCurrentFileToJobList();
  }
  static std::string Caption() { return Form2->Label13->Caption(); }
};

// Names and folders compare exactly, letter case included.
TEST_F(AppJobListTest, AnEntryIsOneNameInOneFolder) {
  MakeFileOfSize("docs/a.txt", 3);
  MakeFileOfSize("docs/A.txt", 4);
  MakeFileOfSize("other/a.txt", 5);
  Browse("C:\\docs");
  AddFile("a.txt");
  ChooseFile("a.txt");
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  EXPECT_NE(Form2->FileListBox1->Hint().find("File is already in job list."), std::string::npos);
  Form2->AddCurrentFileToJobList();
  EXPECT_EQ(JobList.JobCount, 1);
  AddFile("A.txt");
  Browse("C:\\other");
  AddFile("a.txt");
  ASSERT_EQ(JobList.JobCount, 3);
  EXPECT_EQ(JobList.Folder[3], "C:\\other\\");
  EXPECT_EQ(JobList.JobTotalSize, 12);
  EXPECT_EQ(Form2->StringGrid1->RowCount(), 5);
  EXPECT_EQ(Form2->StringGrid1->Cell(1, 2), "C:\\docs\\");
  EXPECT_EQ(Form2->StringGrid1->Cell(2, 2), "4 Bytes");
  EXPECT_EQ(Form2->FileListBox1->Hint(), "\"a.txt\" added to job list.");
  EXPECT_EQ(Caption(), " File encrypt/decrypt/delete job list : (3 files - 12 Bytes total) ");
  EXPECT_EQ(Form2->BitBtn6->Caption(), "&Delete job list files");
}

TEST_F(AppJobListTest, TheListHoldsAtMost1024Entries) {
  for (int i = 1; i <= 1025; ++i) AddMadeUp("f" + std::to_string(i), "C:\\");
  EXPECT_EQ(JobList.JobCount, 1024);
  EXPECT_EQ(JobList.Name[1024], "f1024");
  EXPECT_EQ(Form2->StringGrid1->RowCount(), 1026);

  MakeFileOfSize("late.txt", 1);
  Browse("C:\\");
  ChooseFile("late.txt");
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  EXPECT_NE(Form2->FileListBox1->Hint().find("Maximum 1024 files in job list reached."),
            std::string::npos);
}

// Not by "&Add file", "Add &all files in folder", "Add all files of &type.."
// nor the command line; the browser does not even examine it.
TEST_F(AppJobListTest, TheSettingsFileIsNeverAdded) {
  MakeFileOfSize("docs/VEK 2003.set", 1100);
  MakeFileOfSize("docs/b.txt", 7);
  Browse("C:\\docs");
  ChooseFile("b.txt");
  ChooseFile("VEK 2003.set");
  EXPECT_EQ(vek::CurrentFile.Size, 7);
  EXPECT_EQ(Form2->Label2->Caption(), "7 Bytes");
  EXPECT_FALSE(Form2->BitBtn3->Enabled());
  Form2->BitBtn3->Click();
  EXPECT_EQ(JobList.JobCount, 0);

  Form2->Button1->Click();
  Form2->ComboBox1->SelectItem(0);
  Form2->Button2->Click();
  ASSERT_EQ(JobList.JobCount, 1);
  EXPECT_EQ(JobList.Name[1], "b.txt");
  EXPECT_EQ(vek::CurrentFile.Name, "VEK 2003.set");  // still the browser's file

  SetArgument("C:\\docs\\VEK 2003.set");
  Form2->Hide();
  Form2->Show();
  EXPECT_EQ(JobList.JobCount, 0);
}

TEST_F(AppJobListTest, RemovingAnEntryMovesEveryFieldOfTheOnesBelowUp) {
  MakeFileOfSize("a.txt", 1);
  MakeFileOfSize("b.txt", 20);
  MakeFileOfSize("c.txt", 300);
  Browse("C:\\");
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) AddFile(name);
  JobList.IsVekFile[3] = true;
  JobList.ContentSize[3] = 280;
  JobList.Owner[3].OwnerCompany.Assign("Velso Ltd");
  JobList.Owner[3].InfoLines[2].Assign("third line");
  JobList.HasTimestamp[3] = true;
  JobList.Timestamp[3] = {15, 7, 5, 3, 9, 12, 2003};
  JobList.WindowsVersionText[3] = "Windows XP";
  JobList.ComputerName[3] = "BOX";
  JobList.ProductLine[3] = "another product";
  JobList.SoftwareVersion[3] = {2, 1};
  JobList.FileFormatVersion[3] = {1, 3};
  const auto before = std::make_unique<vek::TJobList>(JobList);
  const std::string row3 = Form2->StringGrid1->Cell(4, 3);

  ClickRow(2);
  EXPECT_TRUE(Form2->BitBtn4->Enabled());
  Form2->BitBtn4->Click();
  EXPECT_EQ(JobList.JobCount, 2);
  EXPECT_EQ(Form2->StringGrid1->RowCount(), 4);
  EXPECT_EQ(JobList.JobTotalSize, 301);
  EXPECT_TRUE(apptest::EntriesEqual(JobList, 1, *before, 1));
  EXPECT_TRUE(apptest::EntriesEqual(JobList, 2, *before, 3));
  const auto empty = std::make_unique<vek::TJobList>();
  EXPECT_TRUE(apptest::EntriesEqual(JobList, 3, *empty, 3));
  EXPECT_EQ(Form2->StringGrid1->Cell(0, 2), "c.txt");
  EXPECT_EQ(Form2->StringGrid1->Cell(4, 2), row3);
  EXPECT_EQ(Form2->StringGrid1->Cell(0, 3), "");
  EXPECT_FALSE(Form2->BitBtn4->Enabled());
  EXPECT_TRUE(Form2->BitBtn5->Enabled());
  EXPECT_EQ(JobList.SelectedRow, 2);
}

// Whatever moves the highlight chooses the row that the buttons act on:
// a click, the arrow keys, Home and End.
TEST_F(AppJobListTest, TheHighlightedRowIsTheOneActedOn) {
  for (const char* name : {"a", "b", "c", "d"}) AddMadeUp(name, "C:\\");
  ClickRow(2);
  Form2->PressKey(ui::VK_DOWN);
  EXPECT_EQ(JobList.SelectedRow, 3);
  EXPECT_EQ(Form2->StringGrid1->Hint().rfind("File: c\r\n", 0), 0u) << Form2->StringGrid1->Hint();
  Form2->BitBtn4->Click();
  ASSERT_EQ(JobList.JobCount, 3);
  EXPECT_EQ(JobList.Name[3], "d");

  // The button took the focus; a click gives it back to the list.
  ClickRow(1);
  const struct {
    uint16_t key;
    uint16_t row;
    bool removable;  // an entry, not the spare row below them
  } moves[] = {{ui::VK_END, 4, false}, {ui::VK_HOME, 1, true}, {ui::VK_DOWN, 2, true}};
  for (const auto& m : moves) {
    Form2->PressKey(m.key);
    EXPECT_EQ(JobList.SelectedRow, m.row) << m.key;
    EXPECT_EQ(Form2->BitBtn4->Enabled(), m.removable) << m.key;
  }
  Form2->BitBtn4->Click();
  EXPECT_EQ(JobList.Name[2], "d");
}

TEST_F(AppJobListTest, RemovingTheOnlyEntryLeavesNothingToClearOrDelete) {
  AddMadeUp("only.txt", "C:\\", 2048);
  ClickRow(1);
  Form2->BitBtn4->Click();
  EXPECT_EQ(JobList.JobCount, 0);
  EXPECT_FALSE(Form2->BitBtn5->Enabled());
  EXPECT_FALSE(Form2->BitBtn6->Enabled());
  EXPECT_EQ(Caption(),
            " File encrypt/decrypt/delete job list : (0 file - " + vek::SizeToText(0) + " total) ");
}

TEST_F(AppJobListTest, ARemoveWithoutAValidRowChangesNothing) {
  AddMadeUp("a", "C:\\");
  for (uint16_t row : {uint16_t{0}, uint16_t{2}}) {
    JobList.SelectedRow = row;
    Form2->BitBtn4Click();
    EXPECT_EQ(JobList.JobCount, 1);
  }
}

TEST_F(AppJobListTest, ClearListEmptiesAllEntries) {
  for (int i = 1; i <= 5; ++i) AddMadeUp("f" + std::to_string(i), "C:\\");
  ClickRow(2);
  Form2->BitBtn5->Click();
  EXPECT_EQ(JobList.JobCount, 0);
  EXPECT_EQ(JobList.JobTotalSize, 0);
  EXPECT_EQ(Form2->StringGrid1->RowCount(), 2);
  EXPECT_EQ(JobList.SelectedRow, 2);
  const auto empty = std::make_unique<vek::TJobList>();
  for (size_t i = 1; i <= vek::JobListCapacityMax; ++i) {
    ASSERT_TRUE(apptest::EntriesEqual(JobList, i, *empty, i)) << i;
  }
  for (int col = 0; col < 5; ++col) EXPECT_EQ(Form2->StringGrid1->Cell(col, 1), "");
  for (ui::TControl* button : {Form2->BitBtn3, Form2->BitBtn4, Form2->BitBtn5, Form2->BitBtn6}) {
    EXPECT_FALSE(button->Enabled()) << button->Name();
  }
  EXPECT_EQ(Form2->StringGrid1->Hint(),
            "List of file(s) to encryption, decrypt or delete... [max 1024 entries]");
}

// A plain file carries the options as they were when it was added.
TEST_F(AppJobListTest, APlainEntryTakesTheOptionsOfTheMomentItIsAdded) {
  vek::OwnerCompany.Assign("First Ltd");
  vek::TimestampEncryption = true;
  vek::WindowsInformation = false;
  vek::WindowsVersionText = "Windows XP Version 5.1 (Build 2600)";
  AddMadeUp("a.txt", "C:\\", 50);
  vek::OwnerCompany.Assign("Second Ltd");
  vek::TimestampEncryption = false;
  AddMadeUp("b.txt", "C:\\");

  EXPECT_EQ(JobList.Owner[1].OwnerCompany.Text(), "First Ltd");
  EXPECT_TRUE(JobList.HasTimestamp[1]);
  EXPECT_FALSE(JobList.HasWindowsInfo[1]);
  EXPECT_EQ(JobList.ContentSize[1], 50);
  EXPECT_EQ(JobList.WindowsVersionText[1], "Windows XP Version 5.1 (Build 2600)");
  EXPECT_EQ(JobList.ProductLine[1],
            "VEK 2003 for Microsoft Windows 95/98/ME/NT/2000/XP (c)2003 Quarne T. Velso");
  EXPECT_EQ(JobList.ProductLine[1].size(), 74u);
  EXPECT_EQ(JobList.SoftwareVersion[1], (vek::TVersionBytes{1, 0}));
  EXPECT_EQ(JobList.FileFormatVersion[1], (vek::TVersionBytes{1, 0}));
  EXPECT_EQ(JobList.Owner[2].OwnerCompany.Text(), "Second Ltd");
  EXPECT_FALSE(JobList.HasTimestamp[2]);
}

// An encrypted file brings what its header says.
TEST_F(AppJobListTest, AnEncryptedEntryTakesItsHeaderFields) {
  vek::OwnerCompany.Assign("Options Ltd");
  vek::CurrentFile = {};
  vek::CurrentFile.Name = "x.vek";
  vek::CurrentFile.Folder = "C:\\";
  vek::CurrentFile.Size = 900;
  vek::CurrentFile.IsVekFile = true;
  vek::CurrentFile.ContentSize = 600;
  vek::CurrentFile.Owner.OwnerCompany.Assign("Header Ltd");
  vek::CurrentFile.ProductLine = "header product";
  vek::CurrentFile.SoftwareVersion = {1, 2};
  Form2->AddCurrentFileToJobList();
  EXPECT_TRUE(JobList.IsVekFile[1]);
  EXPECT_EQ(JobList.ContentSize[1], 600);
  EXPECT_EQ(JobList.Owner[1].OwnerCompany.Text(), "Header Ltd");
  EXPECT_EQ(JobList.ProductLine[1], "header product");
  EXPECT_EQ(JobList.SoftwareVersion[1], (vek::TVersionBytes{1, 2}));
}

TEST_F(AppJobListTest, AddAllFilesOfATypeSearchesWithTheItemsMask) {
  MakeFileOfSize("src/main.c", 1);
  MakeFileOfSize("src/util.c", 1);
  MakeFileOfSize("src/main.cpp", 1);
  Browse("C:\\src");
  int item = -1;
  for (int i = 0; i < Form2->ComboBox1->ItemCount(); ++i) {
    if (Form2->ComboBox1->Item(i) == "*.c   - C Source") item = i;
  }
  ASSERT_EQ(Form2->ComboBox1->ItemCount(), 94);
  ASSERT_GE(item, 0);
  Form2->ComboBox1->SelectItem(item);
  EXPECT_EQ(Form2->FileListBox1->Mask(), "*.c");
  Form2->Button2->Click();
  ASSERT_EQ(JobList.JobCount, 2);
  EXPECT_EQ(JobList.Name[1], "main.c");
  EXPECT_EQ(JobList.Name[2], "util.c");
}

// Hidden, read-only and system files are found too.
TEST_F(AppJobListTest, AddAllFilesInFolderTakesEveryFileOfTheFolder) {
  MakeFileOfSize("docs/a.txt", 1);
  MakeFileOfSize("docs/.hidden", 2);
  std::filesystem::create_directories(HostPath("docs/sub"));
  Browse("C:\\docs");
  Form2->Button1->Click();
  EXPECT_EQ(JobList.JobCount, 2);
  EXPECT_EQ(JobList.Folder[1], "C:\\docs\\");
}

// The search examines every file it finds, but afterwards the current file
// is again the one the browser and the panel show: a one-file delete must
// not fall on the last file of the search.
TEST_F(AppJobListTest, AddingAFolderKeepsTheBrowsersFileCurrent) {
  MakeFileOfSize("docs/a.txt", 1);
  MakeFileOfSize("docs/b.txt", 2);
  MakeFileOfSize("docs/c.txt", 3);
  Browse("C:\\docs");
  Form2->Button1->Click();
  ASSERT_EQ(JobList.JobCount, 3);
  ChooseFile("a.txt");
  Form2->Button1->Click();  // every file is listed already: nothing added
  EXPECT_EQ(JobList.JobCount, 3);
  EXPECT_EQ(vek::CurrentFile.Name, "a.txt");
  EXPECT_EQ(vek::CurrentFile.Size, 1);
  Form2->BitBtn6->Click();
  EXPECT_EQ(vek::Form9->Label2->Caption(), "a.txt");
}

// The file-type filter is not reset: the list shows item 0 again, but the
// file list keeps the mask last chosen.
TEST_F(AppJobListTest, ShowingTheWindowEmptiesTheList) {
  for (int i = 1; i <= 5; ++i) AddMadeUp("f" + std::to_string(i), "C:\\");
  ASSERT_EQ(Form2->ComboBox1->Item(10), "*.c   - C Source");
  Form2->ComboBox1->SelectItem(10);
  Form2->Hide();
  Form2->Show();
  EXPECT_EQ(Form2->ComboBox1->ItemIndex(), 0);
  EXPECT_EQ(Form2->FileListBox1->Mask(), "*.c");
  EXPECT_EQ(JobList.JobCount, 0);
  EXPECT_EQ(JobList.JobListCapacity, 1024);
  EXPECT_EQ(Caption().substr(0, 46), " File encrypt/decrypt/delete job list : (0 fil");
  EXPECT_EQ(Form2->StringGrid1->Cell(0, 0), "Name");
  EXPECT_EQ(Form2->StringGrid1->Cell(4, 0), "Attributes");
}

}  // namespace
