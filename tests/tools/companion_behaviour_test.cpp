// The viewer's fallbacks and the editor's hand-overs: what each label and
// control shows, compared with the texts the user reads.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/state.h"
#include "program_fixture.h"
#include "tools/editor_window.h"
#include "tools/viewer_window.h"

namespace {

using vek::Form16;
using vek::Form18;
using vek::JobList;
using vek::ViewerRecord;

class ToolsCompanionTest : public vektest::ProgramTest {};

// Each text the viewer shows: "N/A" when the record's text is empty, the
// text itself otherwise.
TEST_F(ToolsCompanionTest, EveryViewerTextFallsBackToNA) {
  struct Case {
    ui::TLabel* Label;
    std::function<void(const std::string&)> Set;
  };
  const std::vector<Case> cases = {
      {Form16->Label22, [](const std::string& t) { ViewerRecord.Owner.OwnerCompany.Assign(t); }},
      {Form16->Label23, [](const std::string& t) { ViewerRecord.Owner.OwnerLocation.Assign(t); }},
      {Form16->Label24, [](const std::string& t) { ViewerRecord.Owner.OwnerEmail.Assign(t); }},
      {Form16->Label25, [](const std::string& t) { ViewerRecord.Owner.InfoLines[0].Assign(t); }},
      {Form16->Label26, [](const std::string& t) { ViewerRecord.Owner.InfoLines[1].Assign(t); }},
      {Form16->Label27, [](const std::string& t) { ViewerRecord.Owner.InfoLines[2].Assign(t); }},
      {Form16->Label28, [](const std::string& t) { ViewerRecord.ProductLine = t; }},
      {Form16->Label32, [](const std::string& t) { ViewerRecord.RegisteredOwner = t; }},
      {Form16->Label33, [](const std::string& t) { ViewerRecord.RegisteredOrganization = t; }},
      {Form16->Label34, [](const std::string& t) { ViewerRecord.ComputerName = t; }},
  };
  ViewerRecord = {};
  ViewerRecord.HasWindowsInfo = true;
  ViewerRecord.ProductId = "55274-OEM";
  for (const std::string& text : {std::string("value"), std::string()}) {
    ViewerRecord.WindowsVersionText = text;
    for (const Case& c : cases) c.Set(text.empty() ? "" : text + " of " + c.Label->Name());
    Form16->Hide();
    Form16->Show();
    for (const Case& c : cases) {
      EXPECT_EQ(c.Label->Caption(), text.empty() ? "N/A" : text + " of " + c.Label->Name());
    }
    EXPECT_EQ(Form16->Label31->Caption(), (text.empty() ? "N/A" : text) + " [55274-OEM]");
  }
}

// Review describes the entry as its encryption would: the entry's header
// fields, the boxes' flags.
TEST_F(ToolsCompanionTest, ReviewTakesTheEntrysHeaderFields) {
  JobList.JobCount = 1;
  JobList.Name[1] = "plan.txt";
  JobList.Folder[1] = "C:\\docs\\";
  JobList.ContentSize[1] = 4096;
  JobList.Attributes[1] = 0x21;
  JobList.Timestamp[1] = {15, 7, 5, 3, 9, 12, 2003};
  JobList.ProductLine[1] = "product line of the entry";
  JobList.SoftwareVersion[1] = {3, 7};
  JobList.FileFormatVersion[1] = {2, 9};
  JobList.WindowsVersionText[1] = "Windows XP";
  JobList.RegisteredOwner[1] = "Ann Lee";
  JobList.RegisteredOrganization[1] = "Acme";
  JobList.ComputerName[1] = "DESK";
  JobList.ProductId[1] = "55274-OEM";
  JobList.SelectedRow = 1;
  vek::EditedEntry = {};
  vek::EditedEntry.Name = "plan.txt";
  vek::EditedEntry.HasTimestamp = vek::EditedEntry.PreserveAttributes =
      vek::EditedEntry.HasWindowsInfo = true;
  Form18->Show();
  Form18->Button5->Click();
  ASSERT_TRUE(Form16->IsShown());
  const std::pair<ui::TLabel*, const char*> shown[] = {
      {Form16->Label17, "Tuesday 9th of December 2003, 3:07:05pm"},
      {Form16->Label18, "4.00 KB"},
      {Form16->Label19, "Yes"},
      {Form16->Label20, " Read-only Archive "},
      {Form16->Label28, "product line of the entry"},
      {Form16->Label29, "3.7"},
      {Form16->Label30, "2.9"},
      {Form16->Label31, "Windows XP [55274-OEM]"},
      {Form16->Label32, "Ann Lee"},
      {Form16->Label33, "Acme"},
      {Form16->Label34, "DESK"},
  };
  for (const auto& [label, text] : shown) EXPECT_EQ(label->Caption(), text) << label->Name();

  // The boxes, not the entry, say what is preserved and carried.
  for (ui::TCheckBox* box : {Form18->CheckBox1, Form18->CheckBox2, Form18->CheckBox3}) {
    box->Click();
  }
  Form18->Button5->Click();
  for (ui::TLabel* label : {Form16->Label17, Form16->Label20, Form16->Label31, Form16->Label34}) {
    EXPECT_EQ(label->Caption(), "N/A") << label->Name();
  }
  EXPECT_EQ(Form16->Label19->Caption(), "No");
}

// Every show puts the edited entry into the controls, whatever they held.
TEST_F(ToolsCompanionTest, TheEditorShowsTheEditedEntryEachTime) {
  for (int pass = 0; pass < 2; ++pass) {
    const std::string t = pass == 0 ? "one" : "two";
    const bool flag = pass == 0;
    vek::EditedEntry = {};
    vek::EditedEntry.Name = t + ".txt";
    vek::EditedEntry.Size = pass == 0 ? 12800 : 5;
    vek::TEmbeddedData& o = vek::EditedEntry.Owner;
    o.OwnerFirstName.Assign(t + "1");
    o.OwnerLastName.Assign(t + "2");
    o.OwnerCompany.Assign(t + "3");
    o.OwnerLocation.Assign(t + "4");
    o.OwnerEmail.Assign(t + "5");
    for (size_t k = 0; k < 3; ++k) o.InfoLines[k].Assign(t + std::to_string(6 + k));
    vek::EditedEntry.HasTimestamp = flag;
    vek::EditedEntry.PreserveAttributes = !flag;
    vek::EditedEntry.HasWindowsInfo = flag;
    Form18->Hide();
    Form18->Show();
    EXPECT_EQ(Form18->Caption(), pass == 0
                                     ? "VEK 2003 - Embedded information for one.txt [12.5 KB]"
                                     : "VEK 2003 - Embedded information for two.txt [5 Bytes]");
    const std::string texts[] = {Form18->Edit1->Text(), Form18->Edit2->Text(),
                                 Form18->Edit3->Text(), Form18->ComboBox1->Text(),
                                 Form18->Edit4->Text(), Form18->Edit5->Text(),
                                 Form18->Edit6->Text(), Form18->Edit7->Text()};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(texts[k], t + std::to_string(k + 1));
    EXPECT_EQ(Form18->CheckBox1->Checked(), flag);
    EXPECT_EQ(Form18->CheckBox2->Checked(), !flag);
    EXPECT_EQ(Form18->CheckBox3->Checked(), flag);
  }
}

}  // namespace
