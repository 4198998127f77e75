#include "tools/editor_window.h"

#include <string_view>

#include "app/options_dialog.h"
#include "core/settings.h"
#include "core/texts.h"
#include "tools/memory_wipe.h"
#include "tools/viewer_window.h"

namespace vek {

void TForm18::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Panel1", Panel1);
  binder.Control("Edit1", Edit1);
  binder.Control("Edit2", Edit2);
  binder.Control("Edit3", Edit3);
  binder.Control("ComboBox1", ComboBox1);
  binder.Control("Edit4", Edit4);
  binder.Control("Edit5", Edit5);
  binder.Control("Edit6", Edit6);
  binder.Control("Edit7", Edit7);
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("CheckBox2", CheckBox2);
  binder.Control("CheckBox3", CheckBox3);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Control("Button4", Button4);
  binder.Control("Button5", Button5);
  binder.Control("Button6", Button6);
  binder.Control("Button7", Button7);
  binder.Handler("FormShow", this, &TForm18::FormShow);
  binder.Handler("Button1Click", this, &TForm18::Button1Click);
  binder.Handler("Button2Click", this, &TForm18::Button2Click);
  binder.Handler("Button3Click", this, &TForm18::Button3Click);
  binder.Handler("Button4Click", this, &TForm18::Button4Click);
  binder.Handler("Button5Click", this, &TForm18::Button5Click);
  binder.Handler("Button6Click", this, &TForm18::Button6Click);
  binder.Handler("Button7Click", this, &TForm18::Button7Click);
}

void TForm18::FormShow() {
  SetCaption("VEK 2003 - Embedded information for " + EditedEntry.Name + " [" +
             SizeToText(EditedEntry.Size) + "]");
  ShowInControls(EditedEntry.Owner, EditedEntry.HasTimestamp, EditedEntry.PreserveAttributes,
                 EditedEntry.HasWindowsInfo);

  const uint16_t row = JobList.SelectedRow;
  const bool rowHoldsEntry =
      row >= 1 && row <= JobList.JobCount && JobList.Name[row] == EditedEntry.Name;
  entryName_ = rowHoldsEntry ? JobList.Name[row] : std::string();
  entryFolder_ = rowHoldsEntry ? JobList.Folder[row] : std::string();
}

void TForm18::ShowInControls(const TEmbeddedData& owner, bool hasTimestamp, bool preserveAttributes,
                             bool hasWindowsInfo) {
  Edit1->SetText(owner.OwnerFirstName.Text());
  Edit2->SetText(owner.OwnerLastName.Text());
  Edit3->SetText(owner.OwnerCompany.Text());
  ComboBox1->SetText(owner.OwnerLocation.Text());
  Edit4->SetText(owner.OwnerEmail.Text());
  Edit5->SetText(owner.InfoLines[0].Text());
  Edit6->SetText(owner.InfoLines[1].Text());
  Edit7->SetText(owner.InfoLines[2].Text());
  CheckBox1->SetChecked(hasTimestamp);
  CheckBox2->SetChecked(preserveAttributes);
  CheckBox3->SetChecked(hasWindowsInfo);
}

uint16_t TForm18::FindEditedEntry() const {
  if (entryName_.empty()) return 0;
  for (uint16_t i = 1; i <= JobList.JobCount; ++i) {
    if (JobList.Name[i] == entryName_ && JobList.Folder[i] == entryFolder_) return i;
  }
  return 0;
}

// The eight texts, cut to their widths; the first five always trimmed,
// the information lines only when `trimInfoLines`.
TEmbeddedData TForm18::OwnerFromControls(bool trimInfoLines) const {
  const auto infoLine = [trimInfoLines](const std::string& text) {
    return trimInfoLines ? TrimBlanks(text) : std::string_view(text);
  };
  TEmbeddedData owner;
  owner.OwnerFirstName.Assign(TrimBlanks(Edit1->Text()));
  owner.OwnerLastName.Assign(TrimBlanks(Edit2->Text()));
  owner.OwnerCompany.Assign(TrimBlanks(Edit3->Text()));
  owner.OwnerLocation.Assign(TrimBlanks(ComboBox1->Text()));
  owner.OwnerEmail.Assign(TrimBlanks(Edit4->Text()));
  owner.InfoLines[0].Assign(infoLine(Edit5->Text()));
  owner.InfoLines[1].Assign(infoLine(Edit6->Text()));
  owner.InfoLines[2].Assign(infoLine(Edit7->Text()));
  return owner;
}

void TForm18::WriteControlsInto(size_t entry) const {
  JobList.Owner[entry] = OwnerFromControls(true);
  JobList.HasTimestamp[entry] = CheckBox1->Checked();
  JobList.PreserveAttributes[entry] = CheckBox2->Checked();
  JobList.HasWindowsInfo[entry] = CheckBox3->Checked();
}

void TForm18::Button1Click() {
  for (ui::TEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7}) edit->SetText("");
  ComboBox1->SetText("");
  for (ui::TCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->SetChecked(false);
}

// What a plain entry added now would carry.
void TForm18::Button2Click() {
  ShowInControls(OptionsOwner(), TimestampEncryption, PreserveAttributes, WindowsInformation);
}

void TForm18::Button3Click() {
  for (uint16_t i = 1; i <= JobList.JobCount; ++i) WriteControlsInto(i);
}

void TForm18::Button4Click() {
  Form4->TabbedNotebook1->SetPageIndex(0);
  Form4->Show();
  Form4->BringToFront();
}

// The viewer shows the entry as its encryption would describe it.
void TForm18::Button5Click() {
  const uint16_t entry = FindEditedEntry();
  if (entry == 0) {
    Hide();
    return;
  }
  TCurrentFile review;
  review.Name = JobList.Name[entry];
  review.Folder = JobList.Folder[entry];
  review.HasTimestamp = CheckBox1->Checked();
  review.Timestamp = JobList.Timestamp[entry];
  review.ContentSize = JobList.ContentSize[entry];
  review.PreserveAttributes = CheckBox2->Checked();
  review.HasWindowsInfo = CheckBox3->Checked();
  review.Attributes = JobList.Attributes[entry];
  // Apply trims the information lines; the preview shows them as typed.
  review.Owner = OwnerFromControls(false);
  review.ProductLine = JobList.ProductLine[entry];
  review.SoftwareVersion = JobList.SoftwareVersion[entry];
  review.FileFormatVersion = JobList.FileFormatVersion[entry];
  review.WindowsVersionText = JobList.WindowsVersionText[entry];
  review.RegisteredOwner = JobList.RegisteredOwner[entry];
  review.RegisteredOrganization = JobList.RegisteredOrganization[entry];
  review.ComputerName = JobList.ComputerName[entry];
  review.ProductId = JobList.ProductId[entry];
  ViewerRecord = std::move(review);

  // Hidden first, so that an open viewer reads the record again.
  Form16->Hide();
  Form16->Show();
  Form16->BringToFront();
}

void TForm18::Button6Click() {
  if (const uint16_t entry = FindEditedEntry(); entry != 0) WriteControlsInto(entry);
  Hide();
}

void TForm18::Button7Click() {
  Hide();
}

void TForm18::WipeEditedEntryPlace() {
  ReplaceWithNul(entryName_, 255);
  ReplaceWithNul(entryFolder_, 255);
}

}  // namespace vek
