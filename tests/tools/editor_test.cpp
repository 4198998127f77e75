#include <gtest/gtest.h>

#include <string>

#include "app/options_dialog.h"
#include "core/state.h"
#include "program_fixture.h"
#include "tools/editor_window.h"
#include "tools/viewer_window.h"

namespace {

using vek::Form18;
using vek::JobList;

class ToolsEditorTest : public vektest::ProgramTest {
 protected:
  // Entries 1..3: a.txt, b.txt, c.txt in C:\docs\ (b.txt 12,800 bytes).
  void SetUp() override {
    ProgramTest::SetUp();
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) AddEntry(name);
    JobList.Size[2] = 12800;
  }
  static void AddEntry(const std::string& name) {
    const uint16_t i = ++JobList.JobCount;
    JobList.Name[i] = name;
    JobList.Folder[i] = "C:\\docs\\";
    JobList.Owner[i].OwnerFirstName.Assign("Old");
    JobList.HasTimestamp[i] = true;
  }
  // What the main window's double click does for a plain entry.
  static void OpenEditor(uint16_t row) {
    vek::EditedEntry = {};
    vek::EditedEntry.Name = JobList.Name[row];
    vek::EditedEntry.Size = JobList.Size[row];
    vek::EditedEntry.Owner = JobList.Owner[row];
    vek::EditedEntry.HasTimestamp = JobList.HasTimestamp[row];
    JobList.SelectedRow = row;
    Form18->Show();
  }
  // The remove of the main window: entry `row` out, the rest shifted up.
  static void RemoveEntry(uint16_t row) {
    for (uint16_t i = row; i < JobList.JobCount; ++i) JobList.MoveEntry(i + 1u, i);
    JobList.ClearEntry(JobList.JobCount--);
  }
  static void TypeOwnerData() {
    Form18->Edit1->SetText("  Ann  ");
    Form18->Edit2->SetText("Lee");
    Form18->Edit3->SetText(std::string(40, 'c'));  // over the width of 32
    Form18->ComboBox1->SetText("  http://example.com/  ");
    Form18->Edit4->SetText(" ann@example.com");
    Form18->Edit5->SetText("   indented line");
    Form18->Edit6->SetText("");
    Form18->Edit7->SetText("third ");
    Form18->CheckBox1->SetChecked(false);
    Form18->CheckBox2->SetChecked(true);
    Form18->CheckBox3->SetChecked(true);
  }
  static void ExpectTypedOwnerDataIn(uint16_t i) {
    const vek::TEmbeddedData& o = JobList.Owner[i];
    EXPECT_EQ(o.OwnerFirstName.Text(), "Ann");
    EXPECT_EQ(o.OwnerLastName.Text(), "Lee");
    EXPECT_EQ(o.OwnerCompany.Text(), std::string(32, 'c'));
    EXPECT_EQ(o.OwnerLocation.Text(), "http://example.com/");
    EXPECT_EQ(o.OwnerEmail.Text(), "ann@example.com");
    EXPECT_EQ(o.InfoLines[0].Text(), "indented line");
    EXPECT_EQ(o.InfoLines[1].Text(), "");
    EXPECT_EQ(o.InfoLines[2].Text(), "third");
    EXPECT_FALSE(JobList.HasTimestamp[i]);
    EXPECT_TRUE(JobList.PreserveAttributes[i]);
    EXPECT_TRUE(JobList.HasWindowsInfo[i]);
  }
  static void ExpectUntouched(uint16_t i) {
    EXPECT_EQ(JobList.Owner[i].OwnerFirstName.Text(), "Old") << "entry " << i;
    EXPECT_TRUE(JobList.HasTimestamp[i]) << "entry " << i;
  }
};

TEST_F(ToolsEditorTest, ShowsTheEditedEntry) {
  JobList.Owner[2].OwnerLocation.Assign("None");
  JobList.Owner[2].InfoLines[2].Assign("line 3");
  OpenEditor(2);
  EXPECT_EQ(Form18->Caption(), "VEK 2003 - Embedded information for b.txt [12.5 KB]");
  EXPECT_EQ(Form18->Edit1->Text(), "Old");
  EXPECT_EQ(Form18->ComboBox1->Text(), "None");
  EXPECT_EQ(Form18->Edit7->Text(), "line 3");
  EXPECT_TRUE(Form18->CheckBox1->Checked());
  EXPECT_FALSE(Form18->CheckBox2->Checked());
  EXPECT_EQ(Form18->ComboBox1->ItemCount(), 27);
  Screenshot(Form18, "tools_editor");
}

TEST_F(ToolsEditorTest, ApplyTrimsCutsAndWritesTheEditedEntryOnly) {
  OpenEditor(2);
  TypeOwnerData();
  Form18->Button6->Click();
  ExpectTypedOwnerDataIn(2);
  ExpectUntouched(1);
  ExpectUntouched(3);
  EXPECT_FALSE(Form18->IsShown());
  EXPECT_EQ(vek::EditedEntry.Owner.OwnerFirstName.Text(), "Old");
}

TEST_F(ToolsEditorTest, ApplyFindsTheEntryAgainAfterARemove) {
  OpenEditor(2);   // b.txt
  RemoveEntry(1);  // b.txt is now entry 1, and SelectedRow 2 names c.txt
  TypeOwnerData();
  Form18->Button6->Click();
  ASSERT_EQ(JobList.Name[1], "b.txt");
  ExpectTypedOwnerDataIn(1);
  ExpectUntouched(2);
}

TEST_F(ToolsEditorTest, ApplyAndReviewWriteNothingWhenTheEntryIsGone) {
  OpenEditor(2);
  RemoveEntry(2);
  TypeOwnerData();
  Form18->Button6->Click();
  EXPECT_FALSE(Form18->IsShown());
  ExpectUntouched(1);
  ExpectUntouched(2);

  OpenEditor(2);
  RemoveEntry(2);
  Form18->Button5->Click();
  EXPECT_FALSE(Form18->IsShown());
  EXPECT_FALSE(vek::Form16->IsShown());
}

TEST_F(ToolsEditorTest, UseInAllWritesEveryEntryEncryptedOnesIncluded) {
  JobList.IsVekFile[3] = true;
  OpenEditor(2);
  TypeOwnerData();
  Form18->Button3->Click();
  for (uint16_t i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    ExpectTypedOwnerDataIn(i);
  }
  EXPECT_TRUE(Form18->IsShown());
}

TEST_F(ToolsEditorTest, UseInAllOnAnEmptyListDoesNothing) {
  OpenEditor(2);
  for (uint16_t i = 3; i >= 1; --i) RemoveEntry(i);
  TypeOwnerData();
  Form18->Button3->Click();
  EXPECT_EQ(JobList.JobCount, 0);
  EXPECT_TRUE(JobList.Owner[1].OwnerFirstName.Empty());
  EXPECT_TRUE(Form18->IsShown());
}

TEST_F(ToolsEditorTest, ClearAllThenApplyStoresEmptyTextsAndNoFlags) {
  JobList.PreserveAttributes[2] = true;
  JobList.Owner[2].OwnerLocation.Assign("None");
  OpenEditor(2);
  Form18->Button1->Click();
  EXPECT_EQ(Form18->ComboBox1->Text(), "");
  Form18->Button6->Click();
  EXPECT_EQ(JobList.Owner[2], vek::TEmbeddedData{});
  EXPECT_FALSE(JobList.HasTimestamp[2]);
  EXPECT_FALSE(JobList.PreserveAttributes[2]);
  EXPECT_FALSE(JobList.HasWindowsInfo[2]);
}

TEST_F(ToolsEditorTest, ReviewShowsTheEntryAsItsEncryptionWouldDescribeIt) {
  JobList.ContentSize[2] = 12800;
  JobList.Attributes[2] = 0x20;
  JobList.ProductLine[2] = "VEK 2003";
  JobList.ComputerName[2] = "DESK";
  OpenEditor(2);
  TypeOwnerData();
  Form18->CheckBox1->SetChecked(true);
  Form18->Button5->Click();

  ASSERT_TRUE(vek::Form16->IsShown());
  EXPECT_TRUE(Form18->IsShown());
  const vek::TCurrentFile& r = vek::ViewerRecord;
  EXPECT_EQ(r.Name, "b.txt");
  EXPECT_EQ(r.Owner.OwnerFirstName.Text(), "Ann");
  EXPECT_EQ(r.Owner.OwnerCompany.Text(), std::string(32, 'c'));
  EXPECT_EQ(r.Owner.InfoLines[0].Text(), "   indented line");  // as typed
  EXPECT_EQ(r.ContentSize, 12800);
  EXPECT_EQ(r.Attributes, 0x20u);
  EXPECT_TRUE(r.PreserveAttributes);
  EXPECT_TRUE(r.HasWindowsInfo);
  EXPECT_EQ(r.ComputerName, "DESK");
  EXPECT_EQ(vek::Form16->Label17->Caption(), "N/A (To be determined at encryption time)");
  EXPECT_EQ(vek::Form16->Label25->Caption(), "   indented line");
  EXPECT_EQ(vek::Form16->Label34->Caption(), "DESK");
  ExpectUntouched(2);  // nothing written into the list

  // A second review refreshes the open viewer.
  Form18->CheckBox1->SetChecked(false);
  Form18->Button5->Click();
  EXPECT_EQ(vek::Form16->Label17->Caption(), "N/A");
}

TEST_F(ToolsEditorTest, DefaultInformationComesFromTheOptions) {
  vek::OwnerFirstName.Assign("Def");
  vek::OwnerLastName.Assign("Ault");
  vek::OwnerCompany.Assign("Options Ltd");
  vek::OwnerLocation.Assign(" ftp://x ");
  vek::OwnerEmail.Assign("def@example.com");
  vek::InfoLine1.Assign("l1");
  vek::InfoLine2.Assign("l2");
  vek::InfoLine3.Assign("l3");
  vek::TimestampEncryption = false;
  vek::PreserveAttributes = true;
  vek::WindowsInformation = true;
  OpenEditor(2);
  Form18->Button2->Click();
  EXPECT_EQ(Form18->Edit1->Text(), "Def");
  EXPECT_EQ(Form18->Edit2->Text(), "Ault");
  EXPECT_EQ(Form18->Edit3->Text(), "Options Ltd");
  EXPECT_EQ(Form18->ComboBox1->Text(), " ftp://x ");
  EXPECT_EQ(Form18->Edit4->Text(), "def@example.com");
  EXPECT_EQ(Form18->Edit5->Text(), "l1");
  EXPECT_EQ(Form18->Edit6->Text(), "l2");
  EXPECT_EQ(Form18->Edit7->Text(), "l3");
  EXPECT_FALSE(Form18->CheckBox1->Checked());
  EXPECT_TRUE(Form18->CheckBox2->Checked());
  EXPECT_TRUE(Form18->CheckBox3->Checked());
  ExpectUntouched(2);
}

TEST_F(ToolsEditorTest, EditDefaultsOpensTheOptionsOnTheirFirstPage) {
  OpenEditor(2);
  vek::Form4->TabbedNotebook1->SetPageIndex(3);
  Form18->Button4->Click();
  EXPECT_TRUE(vek::Form4->IsShown());
  EXPECT_EQ(vek::Form4->TabbedNotebook1->PageIndex(), 0);
  EXPECT_TRUE(Form18->IsShown());
}

TEST_F(ToolsEditorTest, CancelWritesNothing) {
  OpenEditor(2);
  TypeOwnerData();
  Form18->Button7->Click();
  EXPECT_FALSE(Form18->IsShown());
  ExpectUntouched(2);
}

}  // namespace
