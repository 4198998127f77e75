#include "installer/folder_page.h"

#include <string>

#include "installer/backdrop.h"
#include "installer/shortcuts_page.h"
#include "installer/state.h"
#include "installer/welcome_page.h"
#include "platform/paths.h"

namespace vek::installer {
namespace {

constexpr std::string_view kFolderName = "VEK 2003";

std::string KilobytesText(int64_t bytes) {
  return std::to_string(bytes / 1024) + " KB";
}

// Without the blanks and control characters around it.
std::string Trimmed(const std::string& text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t first = 0;
  size_t last = text.size();
  while (first < last && blank(text[first])) ++first;
  while (last > first && blank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

}  // namespace

void TForm3::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Edit1", Edit1);
  binder.Control("DriveComboBox1", DriveComboBox1);
  binder.Control("DirectoryListBox1", DirectoryListBox1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Handler("FormShow", this, &TForm3::FormShow);
  binder.Handler("DriveComboBox1Change", this, &TForm3::DriveComboBox1Change);
  binder.Handler("DirectoryListBox1Click", this, &TForm3::DirectoryListBox1Click);
  binder.Handler("DirectoryListBox1DblClick", this, &TForm3::DirectoryListBox1DblClick);
  binder.Handler("Edit1KeyUp", this, &TForm3::Edit1KeyUp);
  binder.Handler("Button1Click", this, &TForm3::Button1Click);
  binder.Handler("Button2Click", this, &TForm3::Button2Click);
  binder.Handler("Button3Click", this, &TForm3::Button3Click);
}

// Another drive selected until now counts as a change to C (and suggests a folder there).
void TForm3::FormShow() {
  CenterOnScreen();
  DriveComboBox1->SetDrive('C');
  Label3->SetCaption(KilobytesText(PayloadTotal));
  ShowDriveSpace();
  ApplySpaceGate();
}

void TForm3::DriveComboBox1Change() {
  const char letter = DriveComboBox1->Drive();
  if (letter == 'A' || letter == 'B') {
    // Floppy disks are too small; this handler runs again for C.
    DriveComboBox1->SetDrive('C');
    return;
  }
  Edit1->SetText(std::string(1, letter) + ":\\" + std::string(kFolderName));
  ShowDriveSpace();
  ApplySpaceGate();
}

void TForm3::ApplySpaceGate() {
  const bool roomy = int64_t{PayloadTotal} < FreeSpace;
  Button2->SetEnabled(roomy);
  DirectoryListBox1->SetShowHint(!roomy);
}

void TForm3::ShowDriveSpace() {
  Form1->MeasureDriveSpace(DriveComboBox1->Drive());
  Label5->SetCaption(KilobytesText(FreeSpace));
}

// The selected folder, with all its parents, gets the product's folder below it.
void TForm3::SuggestFolderFromList() {
  const int selected = DirectoryListBox1->ItemIndex();
  const std::string base = selected < 0 ? std::string(1, DriveComboBox1->Drive()) + ":\\"
                                        : DirectoryListBox1->ItemPath(selected);
  Edit1->SetText(platform::IncludeTrailingBackslash(base) + std::string(kFolderName));
}

void TForm3::DirectoryListBox1Click() {
  SuggestFolderFromList();
}

void TForm3::DirectoryListBox1DblClick() {
  SuggestFolderFromList();
}

// A typed folder must at least start at a drive root ("D:\").
void TForm3::Edit1KeyUp(uint16_t& /*key*/) {
  const std::string text = Edit1->Text();
  Button2->SetEnabled(text.size() > 2 && text[1] == ':' && text[2] == '\\');
}

void TForm3::Button1Click() {
  Hide();
  Form2->Show();
}

void TForm3::Button2Click() {
  InstallDir = Trimmed(Edit1->Text());
  Hide();
  Form4->Show();
}

void TForm3::Button3Click() {
  Form1->CloseAllForms();
}

}  // namespace vek::installer
