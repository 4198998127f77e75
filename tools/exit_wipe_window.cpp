#include "tools/exit_wipe_window.h"

#include <initializer_list>
#include <type_traits>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/start_window.h"
#include "core/settings.h"
#include "engine/activity_log_window.h"
#include "engine/key_entry_window.h"
#include "platform/system.h"
#include "tools/editor_window.h"
#include "tools/memory_wipe.h"
#include "tools/screen_lock_window.h"
#include "tools/viewer_window.h"
#include "ui/application.h"

namespace vek {
namespace {

constexpr size_t NulTextLength = 255;
constexpr int WipeTickMs = 5;
constexpr size_t BufferBytesPerRow = SharedBufferSize / JobListCapacityMax;  // 8

void WipeOwner(TEmbeddedData& owner) {
  FillWithNul(owner.OwnerFirstName);
  FillWithNul(owner.OwnerLastName);
  FillWithNul(owner.OwnerCompany);
  FillWithNul(owner.OwnerLocation);
  FillWithNul(owner.OwnerEmail);
  for (auto& line : owner.InfoLines) FillWithNul(line);
}

// One field of a job entry, by its kind.
template <class T>
void WipeField(T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    ReplaceWithNul(value, NulTextLength);
  } else if constexpr (std::is_same_v<T, TEmbeddedData>) {
    WipeOwner(value);
  } else {
    ZeroInPlace(value);
  }
}

void WipeJobEntry(size_t entry) {
  JobList.ForEachField([entry](auto& field) { WipeField(field[entry]); });
}

void WipeGridRow(int row) {
  ui::TStringGrid* grid = Form2->StringGrid1;
  grid->SetCell(0, row, TForm19::NulText(NulTextLength));
  grid->SetCell(1, row, TForm19::NulText(NulTextLength));
  grid->SetCell(2, row, TForm19::NulText(16));
  grid->SetCell(3, row, TForm19::NulText(16));
  grid->SetCell(4, row, TForm19::NulText(8));
}

void WipeTexts(std::initializer_list<std::string*> texts) {
  for (std::string* text : texts) ReplaceWithNul(*text, NulTextLength);
}

// A file record: its texts overwritten where they lie, then everything else
// zero and the texts replaced by NULs.
void WipeFileRecord(TCurrentFile& file) {
  const std::initializer_list<std::string*> texts = {&file.Name,
                                                     &file.Folder,
                                                     &file.ProductLine,
                                                     &file.WindowsVersionText,
                                                     &file.RegisteredOwner,
                                                     &file.RegisteredOrganization,
                                                     &file.ComputerName,
                                                     &file.ProductId};
  for (std::string* text : texts) OverwriteInPlace(*text);
  WipeOwner(file.Owner);
  TEmbeddedData owner = file.Owner;
  file = TCurrentFile{};
  file.Owner = owner;
  WipeTexts(texts);
}

void WipeEditedEntry(TEditedEntry& entry) {
  OverwriteInPlace(entry.Name);
  entry = TEditedEntry{};
  ReplaceWithNul(entry.Name, NulTextLength);
  WipeOwner(entry.Owner);
  Form18->WipeEditedEntryPlace();
}

template <class T>
constexpr bool IsShortString = false;
template <size_t N>
constexpr bool IsShortString<TShortString<N>> = true;

// One program-wide variable, by its kind. The job entries, the shared
// buffers and the header text were done row by row already; the header
// text keeps the NULs the rows gave it.
template <class T>
void WipeVariable(T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    if (&value != &HeaderText) ReplaceWithNul(value, NulTextLength);
  } else if constexpr (IsShortString<T>) {
    FillWithNul(value);
  } else if constexpr (std::is_same_v<T, TJobList>) {
    ZeroInPlace(value.JobCount);
    ZeroInPlace(value.JobListCapacity);
    ZeroInPlace(value.JobTotalSize);
    ZeroInPlace(value.SelectedRow);
  } else if constexpr (std::is_same_v<T, TCurrentFile>) {
    WipeFileRecord(value);
  } else if constexpr (std::is_same_v<T, TEditedEntry>) {
    WipeEditedEntry(value);
  } else if constexpr (std::is_same_v<T, TKeystreamStore>) {
    value.Wipe();
  } else {
    ZeroInPlace(value);  // a number, flag, record of numbers or byte array
  }
}

void WipeControlTexts() {
  using Edits = std::initializer_list<std::pair<ui::TEdit*, size_t>>;
  for (const auto& [edit, width] : Edits{{Form4->Edit1, 16},
                                         {Form4->Edit2, 16},
                                         {Form4->Edit3, 32},
                                         {Form4->Edit4, 64},
                                         {Form4->Edit5, 64},
                                         {Form4->Edit6, 64},
                                         {Form4->Edit7, 64},
                                         {Form4->Edit8, 16},
                                         {Form7->Edit1, KeyTextMaxLength},
                                         {Form17->Edit1, 16},
                                         {Form18->Edit1, 16},
                                         {Form18->Edit2, 16},
                                         {Form18->Edit3, 32},
                                         {Form18->Edit4, 64},
                                         {Form18->Edit5, 64},
                                         {Form18->Edit6, 64},
                                         {Form18->Edit7, 64}}) {
    edit->SetText(TForm19::NulText(width));
  }
  Form4->ComboBox1->SetText(TForm19::NulText(64));
  Form18->ComboBox1->SetText(TForm19::NulText(64));
  for (ui::TLabel* label :
       {Form16->Label17, Form16->Label18, Form16->Label19, Form16->Label20, Form16->Label21,
        Form16->Label22, Form16->Label23, Form16->Label24, Form16->Label25, Form16->Label26,
        Form16->Label27, Form16->Label28, Form16->Label29, Form16->Label30, Form16->Label31,
        Form16->Label32, Form16->Label33, Form16->Label34}) {
    label->SetCaption(TForm19::NulText(NulTextLength));
  }
  Form21->ListBox1->Clear();
}

}  // namespace

void TForm19::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Panel1", Panel1);
  binder.Control("Label1", Label1);
  binder.Control("Image2", Image2);
  binder.Control("Image3", Image3);
  binder.Control("Image4", Image4);
  binder.Control("ProgressBar1", ProgressBar1);
  binder.Control("Timer1", Timer1);
  binder.Handler("FormShow", this, &TForm19::FormShow);
  binder.Handler("Timer1Timer", this, &TForm19::Timer1Timer);
}

std::string TForm19::NulText(size_t n) {
  return std::string(n, '\0');
}

void TForm19::FormShow() {
  ProgressBar1->SetPosition(0);
  if (SaveWindowLayout) {
    Form1->SaveWindowPositions();
    SaveSettings();
  }
  // Nothing else stays usable while the memory is being cleared.
  for (ui::TForm* form : ui::Application->Forms()) {
    if (form != this) form->Hide();
  }
  OverwriteInPlace(HeaderText);
  HeaderText.clear();
  WipeRow = 1;
  Timer1->SetInterval(WipeTickMs);
  Timer1->SetEnabled(true);
}

void TForm19::Timer1Timer() {
  const uint16_t row = WipeRow;
  const size_t first = (row - 1u) * BufferBytesPerRow;
  explicit_bzero(SharedBuffer.data() + first, BufferBytesPerRow);
  explicit_bzero(SharedBuffer2.data() + first, BufferBytesPerRow);
  HeaderText.push_back('\0');
  WipeJobEntry(row);
  WipeGridRow(row);

  const int percent = row * 100 / JobListCapacityMax;
  ProgressBar1->SetPosition(percent);
  Label1->SetCaption(std::to_string(percent) + "%");
  if (row % 32 == 0) {
    Image3->SetVisible(!Image3->Visible());
    Image4->SetVisible(!Image4->Visible());
  }
  Repaint();

  WipeRow = static_cast<uint16_t>(row + 1);
  if (WipeRow <= JobListCapacityMax) return;
  Timer1->SetEnabled(false);
  FinishWipe();
}

// The control texts go first: their change handlers still write state (the
// key box its length), which the variables' wipe then clears.
void TForm19::FinishWipe() {
  WipeControlTexts();
  ForEachProgramVariable([](const char*, auto& value) { WipeVariable(value); });
  platform::WipeStackBelow();
  CloseEveryWindow();
}

// The start window's close ends the program; windows that refuse their
// close (ExitRequested is clear by now) are hidden instead, and the program
// ends whatever any of them answered.
void TForm19::CloseEveryWindow() {
  for (ui::TForm* form : ui::Application->Forms()) {
    if (form != this && !form->Close()) form->Hide();
  }
  Close();
  ui::Application->Terminate();
}

}  // namespace vek
