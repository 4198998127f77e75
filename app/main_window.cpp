#include "app/main_window.h"

#include <string>

#include "app/about_window.h"
#include "app/options_dialog.h"
#include "core/file_info.h"
#include "core/settings.h"
#include "core/system_info.h"
#include "core/texts.h"
#include "engine/delete_confirmation.h"
#include "engine/key_entry_window.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "tools/drive_info_window.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/viewer_window.h"
#include "ui/dialogs.h"

namespace vek {
namespace {

constexpr std::string_view JobListDeleteCaption = "&Delete job list files";
constexpr std::string_view FileDeleteCaption = "&Delete file";

// Grid columns.
constexpr int ColName = 0;
constexpr int ColFolder = 1;
constexpr int ColSize = 2;
constexpr int ColCreated = 3;
constexpr int ColAttributes = 4;
constexpr int ColumnCount = 5;

// The text before the first blank of a file-type item ("*.c   - C Source" -> "*.c").
std::string MaskOfItem(const std::string& item) {
  return item.substr(0, item.find(' '));
}

// File moments count the day of the week from 0 = Sunday, the date texts
// from 1 = Sunday.
uint16_t DateTextDayOfWeek(const TDateTimeFields& moment) {
  return static_cast<uint16_t>(moment.DayOfWeek + 1);
}

// "3:07pm Tue 09Dec2003": the grid and the panel.
std::string ShortMomentText(const TDateTimeFields& moment) {
  return FormatTimeText(moment.Hour, moment.Minute, false, 0) + " " +
         FormatDateText(DateTextDayOfWeek(moment), moment.Day, false, moment.Year, moment.Month);
}

// "3:07:05pm, Tuesday 9th of December 2003": the hints.
std::string LongMomentText(const TDateTimeFields& moment) {
  return FormatTimeText(moment.Hour, moment.Minute, true, moment.Second) + ", " +
         FormatDateText(DateTextDayOfWeek(moment), moment.Day, true, moment.Year, moment.Month);
}

void ShowAndRaise(ui::TForm* form) {
  form->Show();
  form->BringToFront();
}

// What the embedded-data viewer shows of an encrypted job entry.
TCurrentFile ViewerRecordOfEntry(size_t i) {
  TCurrentFile record;
  record.Name = JobList.Name[i];
  record.Folder = JobList.Folder[i];
  record.Size = JobList.Size[i];
  record.Created = JobList.Created[i];
  record.Modified = JobList.Modified[i];
  record.Accessed = JobList.Accessed[i];
  record.Attributes = JobList.Attributes[i];
  record.Status = TCurrentFile::StatusVekFile;
  record.IsVekFile = true;
  record.ProductLine = JobList.ProductLine[i];
  record.SoftwareVersion = JobList.SoftwareVersion[i];
  record.FileFormatVersion = JobList.FileFormatVersion[i];
  record.Owner = JobList.Owner[i];
  record.HasTimestamp = JobList.HasTimestamp[i];
  record.Timestamp = JobList.Timestamp[i];
  record.PreserveAttributes = JobList.PreserveAttributes[i];
  record.HeaderAttributes = JobList.Attributes[i];
  record.HasWindowsInfo = JobList.HasWindowsInfo[i];
  record.WindowsVersionText = JobList.WindowsVersionText[i];
  record.RegisteredOwner = JobList.RegisteredOwner[i];
  record.RegisteredOrganization = JobList.RegisteredOrganization[i];
  record.ComputerName = JobList.ComputerName[i];
  record.ProductId = JobList.ProductId[i];
  record.ContentSize = JobList.ContentSize[i];
  return record;
}

}  // namespace

void TForm2::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("BitBtn1", BitBtn1);
  binder.Control("BitBtn2", BitBtn2);
  binder.Control("BitBtn3", BitBtn3);
  binder.Control("BitBtn4", BitBtn4);
  binder.Control("BitBtn5", BitBtn5);
  binder.Control("BitBtn6", BitBtn6);
  binder.Control("BitBtn7", BitBtn7);
  binder.Control("BitBtn8", BitBtn8);
  binder.Control("BitBtn9", BitBtn9);
  binder.Control("BitBtn12", BitBtn12);
  binder.Control("DriveComboBox1", DriveComboBox1);
  binder.Control("DirectoryListBox1", DirectoryListBox1);
  binder.Control("FileListBox1", FileListBox1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("GroupBox2", GroupBox2);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("Label7", Label7);
  binder.Control("Label8", Label8);
  binder.Control("Label9", Label9);
  binder.Control("Label10", Label10);
  binder.Control("Label11", Label11);
  binder.Control("Label12", Label12);
  binder.Control("Label13", Label13);
  binder.Control("Label14", Label14);
  binder.Control("Label15", Label15);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Control("Button4", Button4);
  binder.Control("Button5", Button5);
  binder.Control("ComboBox1", ComboBox1);
  binder.Control("StringGrid1", StringGrid1);
  binder.Handler("FormShow", this, &TForm2::FormShow);
  binder.Handler("FormClose", this, &TForm2::FormClose);
  binder.Handler("FileListBox1Click", this, &TForm2::FileListBox1Click);
  binder.Handler("FileListBox1DblClick", this, &TForm2::FileListBox1DblClick);
  binder.Handler("DirectoryListBox1Click", this, &TForm2::DirectoryListBox1Click);
  binder.Handler("DriveComboBox1Click", this, &TForm2::DriveComboBox1Click);
  binder.Handler("DriveComboBox1Change", this, &TForm2::DriveComboBox1Change);
  binder.Handler("ComboBox1Change", this, &TForm2::ComboBox1Change);
  binder.Handler("StringGrid1MouseUp", this, &TForm2::StringGrid1MouseUp);
  binder.Handler("StringGrid1DblClick", this, &TForm2::StringGrid1DblClick);
  binder.Handler("StringGrid1SelectCell", this, &TForm2::StringGrid1SelectCell);
  binder.Handler("BitBtn1Click", this, &TForm2::BitBtn1Click);
  binder.Handler("BitBtn2Click", this, &TForm2::BitBtn2Click);
  binder.Handler("BitBtn3Click", this, &TForm2::BitBtn3Click);
  binder.Handler("BitBtn4Click", this, &TForm2::BitBtn4Click);
  binder.Handler("BitBtn5Click", this, &TForm2::BitBtn5Click);
  binder.Handler("BitBtn6Click", this, &TForm2::BitBtn6Click);
  binder.Handler("BitBtn7Click", this, &TForm2::BitBtn7Click);
  binder.Handler("BitBtn8Click", this, &TForm2::BitBtn8Click);
  binder.Handler("BitBtn9Click", this, &TForm2::BitBtn9Click);
  binder.Handler("BitBtn12Click", this, &TForm2::BitBtn12Click);
  binder.Handler("Button1Click", this, &TForm2::Button1Click);
  binder.Handler("Button2Click", this, &TForm2::Button2Click);
  binder.Handler("Button3Click", this, &TForm2::Button3Click);
  binder.Handler("Button4Click", this, &TForm2::Button4Click);
  binder.Handler("Button5Click", this, &TForm2::Button5Click);
}

// =============================================================================
// Showing and closing
// =============================================================================

// Every showing starts a new job list; the file the desktop opened the
// program with joins it each time.
void TForm2::FormShow() {
  JobList.JobListCapacity = JobListCapacityMax;
  static constexpr std::string_view titles[ColumnCount] = {"Name", "Location", "Size", "Created",
                                                           "Attributes"};
  for (int col = 0; col < ColumnCount; ++col) StringGrid1->SetCell(col, 0, titles[col]);
  ComboBox1->SetItemIndex(0);
  ClearJobList();
  Button5->SetEnabled(ScreenLockEnabled);
  Button4->SetEnabled(false);
  AddCommandLineFile();
}

// Argument 1, when it names an existing file (the settings file excepted),
// is examined, shown and added. A path the shell cannot resolve is ignored.
void TForm2::AddCommandLineFile() {
  const std::string argument = platform::ParamStr(1);
  if (argument.empty()) return;
  const std::string path = ResolveShellPath(argument);
  if (path.empty() || !platform::FileExists(path)) return;
  const std::string name = platform::ExtractFileName(path);
  if (name == SettingsFileName) return;
  CurrentFile.Name = name;
  CurrentFile.Folder = platform::ExtractFilePath(path);
  ReadFileInfo(CurrentFile.Folder, CurrentFile.Name);
  ShowFileInfo();
  AddCurrentFileToJobList();
  FileListBox1->SetHint("\"" + name + "\" added to job list by desktop selection.");
}

// Only the exit (through the exit wipe) closes the main window.
void TForm2::FormClose(ui::TCloseAction& action) {
  if (!ExitRequested) action = ui::TCloseAction::None;
}

// =============================================================================
// Job list
// =============================================================================

bool TForm2::IsInJobList(std::string_view name, std::string_view folder) const {
  for (size_t i = 1; i <= JobList.JobCount; ++i) {
    if (JobList.Name[i] == name && JobList.Folder[i] == folder) return true;
  }
  return false;
}

void TForm2::AddCurrentFileToJobList() {
  if (IsInJobList(CurrentFile.Name, CurrentFile.Folder)) return;
  if (JobList.JobCount >= JobList.JobListCapacity) return;
  if (CurrentFile.Name == SettingsFileName) return;

  BitBtn5->SetEnabled(true);
  BitBtn6->SetCaption(JobListDeleteCaption);
  BitBtn6->SetEnabled(true);
  ++JobList.JobCount;
  const size_t n = JobList.JobCount;
  JobList.JobTotalSize += CurrentFile.Size;

  const int row = static_cast<int>(n);
  StringGrid1->SetRowCount(StringGrid1->RowCount() + 1);
  StringGrid1->SetCell(ColName, row, EscapedText(CurrentFile.Name));
  StringGrid1->SetCell(ColFolder, row, EscapedText(CurrentFile.Folder));
  StringGrid1->SetCell(ColSize, row, SizeToText(CurrentFile.Size));
  StringGrid1->SetCell(ColCreated, row, ShortMomentText(CurrentFile.Created));
  StringGrid1->SetCell(ColAttributes, row,
                       AttributesToText(static_cast<uint16_t>(CurrentFile.Attributes), false));

  JobList.IsVekFile[n] = CurrentFile.IsVekFile;
  JobList.Name[n] = CurrentFile.Name;
  JobList.Folder[n] = CurrentFile.Folder;
  JobList.Size[n] = CurrentFile.Size;
  JobList.Created[n] = CurrentFile.Created;
  JobList.Modified[n] = CurrentFile.Modified;
  JobList.Accessed[n] = CurrentFile.Accessed;
  JobList.Attributes[n] = static_cast<uint16_t>(CurrentFile.Attributes);
  if (const auto id = platform::IdentityOf(CurrentFile.Folder + CurrentFile.Name)) {
    JobList.Device[n] = id->Device;
    JobList.Inode[n] = id->Inode;
    JobList.Links[n] = id->Links;
  }
  if (CurrentFile.IsVekFile) {
    // What the file's header says.
    JobList.PreserveAttributes[n] = CurrentFile.PreserveAttributes;
    JobList.ContentSize[n] = CurrentFile.ContentSize;
    JobList.Owner[n] = CurrentFile.Owner;
    JobList.HasTimestamp[n] = CurrentFile.HasTimestamp;
    JobList.Timestamp[n] = CurrentFile.Timestamp;
    JobList.HasWindowsInfo[n] = CurrentFile.HasWindowsInfo;
    JobList.WindowsVersionText[n] = CurrentFile.WindowsVersionText;
    JobList.RegisteredOwner[n] = CurrentFile.RegisteredOwner;
    JobList.RegisteredOrganization[n] = CurrentFile.RegisteredOrganization;
    JobList.ComputerName[n] = CurrentFile.ComputerName;
    JobList.ProductId[n] = CurrentFile.ProductId;
    JobList.ProductLine[n] = CurrentFile.ProductLine;
    JobList.SoftwareVersion[n] = CurrentFile.SoftwareVersion;
    JobList.FileFormatVersion[n] = CurrentFile.FileFormatVersion;
  } else {
    // What encryption will write: the options as they are now.
    JobList.PreserveAttributes[n] = PreserveAttributes;
    JobList.ContentSize[n] = CurrentFile.Size;
    JobList.Owner[n] = OptionsOwner();
    JobList.HasTimestamp[n] = TimestampEncryption;
    JobList.Timestamp[n] = {};
    JobList.HasWindowsInfo[n] = WindowsInformation;
    JobList.WindowsVersionText[n] = WindowsVersionText;
    JobList.RegisteredOwner[n] = WindowsRegisteredOwner;
    JobList.RegisteredOrganization[n] = WindowsRegisteredOrganization;
    JobList.ComputerName[n] = WindowsComputerName;
    JobList.ProductId[n] = WindowsProductId;
    JobList.ProductLine[n] = std::string(VekProductLine);
    JobList.SoftwareVersion[n] = {1, 0};
    JobList.FileFormatVersion[n] = {1, 0};
  }
  UpdateJobListCaption();
}

// Every file of the browser's folder that matches the mask; the settings
// file is passed over unexamined, and the search stops once the list is full.
// Each file is examined into CurrentFile on its way into the list; then the
// browser's file, which the panel still shows, is the current file again:
// the one-file delete and "&More information.." act on it, never on the
// last file of the search.
void TForm2::AddFolderFiles(std::string_view mask) {
  const TCurrentFile browsed = CurrentFile;
  const std::string folder = BrowserFolder();
  constexpr uint32_t found = platform::attr::ReadOnly | platform::attr::Hidden |
                             platform::attr::System | platform::attr::Archive;
  for (const platform::SearchRec& file : platform::FindFiles(folder + std::string(mask), found)) {
    if (JobList.JobCount >= JobList.JobListCapacity) break;
    if (file.Name == SettingsFileName) continue;
    ReadFileInfo(folder, file.Name);
    AddCurrentFileToJobList();
  }
  CurrentFile = browsed;
}

void TForm2::ClearJobList() {
  JobList.JobCount = 0;
  JobList.JobTotalSize = 0;
  StringGrid1->SetRowCount(2);
  for (size_t i = 1; i <= JobListCapacityMax; ++i) {
    for (int col = 0; col < ColumnCount; ++col) StringGrid1->SetCell(col, static_cast<int>(i), "");
    JobList.ClearEntry(i);
  }
  StringGrid1->SetHint("List of file(s) to encryption, decrypt or delete... [max 1024 entries]");
  BitBtn5->SetEnabled(false);
  BitBtn6->SetEnabled(false);
  UpdateJobListCaption();
}

void TForm2::UpdateJobListCaption() {
  const uint16_t count = JobList.JobCount;
  Label13->SetCaption(" File encrypt/decrypt/delete job list : (" + std::to_string(count) +
                      " file" + (count != 0 ? "s" : "") + " - " + SizeToText(JobList.JobTotalSize) +
                      " total) ");
}

void TForm2::BitBtn3Click() {
  BitBtn3->SetEnabled(false);
  BitBtn5->SetEnabled(true);
  AddCurrentFileToJobList();
  FileListBox1->SetHint("\"" + CurrentFile.Name + "\" added to job list.");
}

// Removes the entry last chosen in the grid; the entries below move up one.
void TForm2::BitBtn4Click() {
  const size_t s = JobList.SelectedRow;
  const size_t count = JobList.JobCount;
  if (s < 1 || s > count) return;
  JobList.JobTotalSize -= JobList.Size[s];
  for (size_t r = s; r < count; ++r) {
    const int row = static_cast<int>(r);
    for (int col = 0; col < ColumnCount; ++col) {
      StringGrid1->SetCell(col, row, StringGrid1->Cell(col, row + 1));
    }
    JobList.MoveEntry(r + 1, r);
  }
  for (int col = 0; col < ColumnCount; ++col)
    StringGrid1->SetCell(col, static_cast<int>(count), "");
  JobList.ClearEntry(count);
  --JobList.JobCount;
  StringGrid1->SetRowCount(StringGrid1->RowCount() - 1);
  StringGrid1->SetFixedRows(1);
  StringGrid1->Repaint();
  BitBtn4->SetEnabled(false);
  if (JobList.JobCount == 0) {
    BitBtn5->SetEnabled(false);
    BitBtn6->SetEnabled(false);
  }
  UpdateJobListCaption();
}

void TForm2::BitBtn5Click() {
  BitBtn3->SetEnabled(false);
  BitBtn4->SetEnabled(false);
  BitBtn5->SetEnabled(false);
  BitBtn6->SetEnabled(false);
  ClearJobList();
}

void TForm2::Button1Click() {
  AddFolderFiles("*.*");
}

void TForm2::Button2Click() {
  if (ComboBox1->ItemIndex() < 0) return;
  AddFolderFiles(MaskOfItem(ComboBox1->Text()));
}

// =============================================================================
// Browser and current-file panel
// =============================================================================

std::string TForm2::ResolveShellPath(std::string_view path) const {
  return platform::ResolveCommandLinePath(path);
}

// A drive root ("C:\") already ends in "\"; deeper folders get one.
std::string TForm2::BrowserFolder() const {
  std::string folder = FileListBox1->Directory();
  if (folder.size() > 3) folder += '\\';
  return folder;
}

bool TForm2::SelectBrowserFile() {
  const std::string path = FileListBox1->FileName();
  if (path.empty()) return false;
  BitBtn4->SetEnabled(false);
  BitBtn6->SetEnabled(true);
  CurrentFile.Name = platform::ExtractFileName(path);
  if (CurrentFile.Name == SettingsFileName) {
    BitBtn3->SetEnabled(false);  // it never joins the list
    return false;
  }
  CurrentFile.Folder = BrowserFolder();
  std::string hint = CurrentFile.Name + "\r\n\r\n";
  ReadFileInfo(CurrentFile.Folder, CurrentFile.Name);
  ShowFileInfo();
  const bool listed = IsInJobList(CurrentFile.Name, CurrentFile.Folder);
  BitBtn3->SetEnabled(!listed);
  hint += listed ? "File is already in job list." : "Select files to add to job list...";
  hint += "\r\n(Double click to launch/open this file)";
  if (JobList.JobCount == JobList.JobListCapacity) {
    BitBtn3->SetEnabled(false);
    hint += "\r\nMaximum 1024 files in job list reached.";
  }
  FileListBox1->SetHint(hint);
  return true;
}

void TForm2::ClearFileInfo() {
  for (ui::TLabel* value : {Label15, Label2, Label4, Label6, Label10, Label12, Label8}) {
    value->SetCaption("N/A");
  }
  Button4->SetEnabled(false);
}

void TForm2::ShowFileInfo() {
  Label15->SetCaption(FileTypeDescription(CurrentFile.Name));
  Label2->SetCaption(SizeToText(CurrentFile.Size));
  Label2->SetHint(std::to_string(CurrentFile.Size) + " bytes");
  const std::pair<ui::TLabel*, const TDateTimeFields*> moments[] = {
      {Label4, &CurrentFile.Created},
      {Label10, &CurrentFile.Modified},
      {Label12, &CurrentFile.Accessed}};
  for (const auto& [label, moment] : moments) {
    label->SetCaption(ShortMomentText(*moment));
    label->SetHint(LongMomentText(*moment));
  }
  const auto attributes = static_cast<uint16_t>(CurrentFile.Attributes);
  Label6->SetCaption(AttributesToText(attributes, false));
  Label6->SetHint(AttributesToText(attributes, true));
  Label8->SetCaption(CurrentFile.IsVekFile ? "Yes" : "No");
  Button4->SetEnabled(CurrentFile.IsVekFile);
}

// A click that leaves no file chosen changes nothing, not even the delete
// button's kind: after an add it stays the job-list delete.
void TForm2::FileListBox1Click() {
  if (FileListBox1->FileName().empty()) return;
  SelectBrowserFile();
  BitBtn6->SetCaption(FileDeleteCaption);
}

void TForm2::FileListBox1DblClick() {
  if (SelectBrowserFile()) {
    platform::ShellExecute("open", CurrentFile.Folder + CurrentFile.Name);
  }
}

// A single click on a folder shows its files.
void TForm2::DirectoryListBox1Click() {
  const int index = DirectoryListBox1->ItemIndex();
  if (index >= 0) {
    FileListBox1->SetDirectory(DirectoryListBox1->ItemPath(index));
    FileListBox1->Update();
  }
  BitBtn3->SetEnabled(false);
  BitBtn4->SetEnabled(false);
  BitBtn6->SetEnabled(false);
  ClearFileInfo();
}

void TForm2::DriveComboBox1Click() {
  BitBtn3->SetEnabled(false);
  BitBtn4->SetEnabled(false);
  BitBtn6->SetEnabled(false);
}

// A drive without a readable disk sends the browser back to drive C.
void TForm2::DriveComboBox1Change() {
  const char letter = DriveComboBox1->Drive() != 0 ? DriveComboBox1->Drive() : 'C';
  GetDriveSpace(letter);
  if (DriveTotalBytes < 0) {
    ui::MessageDlg(std::string("There is no disk in drive ") + letter + ":", ui::TMsgDlgType::Error,
                   ui::mbOK);
    // Drive C itself failing must not send us round in circles.
    if (letter != 'C') DriveComboBox1->SetDrive('C');
  }
  ClearFileInfo();
}

void TForm2::ComboBox1Change() {
  if (ComboBox1->ItemIndex() < 0) return;
  FileListBox1->SetMask(MaskOfItem(ComboBox1->Text()));
}

// =============================================================================
// Grid
// =============================================================================

void TForm2::StringGrid1MouseUp(ui::TMouseButton, int x, int y) {
  BitBtn3->SetEnabled(false);
  int col = -1;
  int row = -1;
  if (!StringGrid1->MouseToCell(x, y, &col, &row) || row <= 0) {
    StringGrid1->SetHint("End of joblist");
    return;
  }
  ChooseGridRow(row);
}

// The highlight moved by a key (or a press not yet released): the row it
// stands on is the chosen one, as a click on it would make it.
void TForm2::StringGrid1SelectCell() {
  const int row = StringGrid1->Row();
  if (row <= 0) return;
  BitBtn3->SetEnabled(false);
  ChooseGridRow(row);
}

void TForm2::ChooseGridRow(int row) {
  JobList.SelectedRow = static_cast<uint16_t>(row);
  const bool entryRow = row < StringGrid1->RowCount() - 1;
  BitBtn4->SetEnabled(entryRow && JobList.JobCount > 0);
  if (!entryRow) return;
  const auto i = static_cast<size_t>(row);
  const auto attributes = JobList.Attributes[i];
  StringGrid1->SetHint("File: " + JobList.Name[i] + "\r\nLocation: " + JobList.Folder[i] +
                       "\r\nType: " + FileTypeDescription(JobList.Name[i]) +
                       "\r\nSize: " + SizeToText(JobList.Size[i]) +
                       "\r\nCreated: " + LongMomentText(JobList.Created[i]) +
                       "\r\nModified: " + LongMomentText(JobList.Modified[i]) +
                       "\r\nAccessed: " + LongMomentText(JobList.Accessed[i]) +
                       "\r\nAttributes: " + AttributesToText(attributes, false) + " [" +
                       AttributesToText(attributes, true) + "]\r\n\r\n" +
                       (JobList.IsVekFile[i] ? "(Double click to view embedded VEK information)"
                                             : "(Double click to edit embedded VEK information)"));
}

// An encrypted entry opens the viewer on a record of its own (the browser's
// current file stays as it is); a plain entry opens the editor.
void TForm2::StringGrid1DblClick() {
  const size_t s = JobList.SelectedRow;
  if (s < 1 || static_cast<int>(s) >= StringGrid1->RowCount() - 1 || s > JobList.JobCount) return;
  if (JobList.IsVekFile[s]) {
    ViewerRecord = ViewerRecordOfEntry(s);
    ShowAndRaise(Form16);
    return;
  }
  EditedEntry.Name = JobList.Name[s];
  EditedEntry.Size = JobList.Size[s];
  EditedEntry.Owner = JobList.Owner[s];
  EditedEntry.HasTimestamp = JobList.HasTimestamp[s];
  EditedEntry.PreserveAttributes = JobList.PreserveAttributes[s];
  EditedEntry.HasWindowsInfo = JobList.HasWindowsInfo[s];
  ShowAndRaise(Form18);
}

// =============================================================================
// Runs, toolbar and panel buttons
// =============================================================================

void TForm2::StartRun(ui::TBitBtn* button, uint8_t mode) {
  if (JobList.JobCount == 0) {
    button->SetHint("No files to process");
    return;
  }
  Hide();
  RunMode = mode;
  ShowAndRaise(Form7);
}

void TForm2::BitBtn1Click() {
  StartRun(BitBtn1, RunEncrypt);
}
void TForm2::BitBtn2Click() {
  StartRun(BitBtn2, RunDecrypt);
}

// The whole job list after an add, else the browser's file; never the
// settings file.
void TForm2::BitBtn6Click() {
  const bool jobList = BitBtn6->Caption() == JobListDeleteCaption && JobList.JobCount > 0;
  if (!jobList && CurrentFile.Name == SettingsFileName) return;
  if (!ConfirmDeletes) {
    Form9->StartDeleteRun();
    return;
  }
  if (jobList) {
    Form9->Label2->SetCaption("Delete all " + std::to_string(JobList.JobCount) +
                              " file(s) currently in the joblist");
    Form9->Label3->SetCaption(SizeToText(JobList.JobTotalSize));
  } else {
    Form9->Label2->SetCaption(CurrentFile.Name);
    Form9->Label3->SetCaption(SizeToText(CurrentFile.Size));
  }
  Form9->ShowConfirmation();
}

void TForm2::BitBtn7Click() {
  ShowAndRaise(Form4);
}

void TForm2::BitBtn8Click() {
  platform::ShellExecute("open", SupportWebAddress);
}

void TForm2::BitBtn9Click() {
  ShowAndRaise(Form6);
}

void TForm2::BitBtn12Click() {
  ExitRequested = true;
  Hide();
  Form19->Show();
}

void TForm2::Button3Click() {
  Form14->Show();
}

// The viewer shows the attributes the header preserves, not those of the
// encrypted file itself.
void TForm2::Button4Click() {
  ViewerRecord = CurrentFile;
  ViewerRecord.Attributes = CurrentFile.HeaderAttributes;
  ShowAndRaise(Form16);
}

void TForm2::Button5Click() {
  Hide();
  Form17->Show();
}

}  // namespace vek
