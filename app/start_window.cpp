#include "app/start_window.h"

#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/program.h"
#include "core/settings.h"
#include "core/system_info.h"
#include "core/texts.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/update_window.h"
#include "ui/application.h"

namespace vek {
namespace {

// The highest window number that keeps a position (TForm22 has no slot).
constexpr int LastPositionedWindow = static_cast<int>(WindowSlotCount);
constexpr int LastWindow = 22;

// Where the machine texts live: the 95 family keeps them apart from the NT
// family, whose first version code this is.
constexpr uint8_t FirstNtVersionCode = 6;
constexpr std::string_view WindowsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view WindowsNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view ComputerNameKey95 = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr std::string_view ComputerNameKeyNt =
    "SYSTEM\\ControlSet002\\Control\\ComputerName\\ComputerName";

constexpr std::string_view InsaneModeHint =
    "USE : Insane! mode boosts encrypt/decrypt speeds for large files.\r"
    "WARNING : may seriously impact on other applications running.\r"
    "WARNING : may seriously impact your computers response time.\r"
    "ADVICE : should be used for dedicated machine file processing only.";

constexpr int SystemLine = 133;      // "Running VEK 2003 on ..."
constexpr int SerialCodeLine = 134;  // "Windows serial code: ..."
constexpr int ExitButtonLeft = 272;

std::string UnknownWhenEmpty(std::string text) {
  return text.empty() ? "Unknown" : text;
}

void ReadWindowsVersion() {
  WindowsVersionCode = DetectWindowsVersion();
  WindowsVersionText = MakeWindowsVersionText(WindowsVersionCode, WindowsMajorVersion,
                                              WindowsMinorVersion, WindowsBuildNumber);
}

void ReadMachineTexts() {
  const bool nt = WindowsVersionCode >= FirstNtVersionCode;
  const std::string_view ownerKey = nt ? WindowsNtKey : WindowsKey;
  WindowsComputerName = UnknownWhenEmpty(
      ReadMachineRegString(nt ? ComputerNameKeyNt : ComputerNameKey95, "ComputerName"));
  WindowsRegisteredOwner = UnknownWhenEmpty(ReadMachineRegString(ownerKey, "RegisteredOwner"));
  WindowsRegisteredOrganization =
      UnknownWhenEmpty(ReadMachineRegString(ownerKey, "RegisteredOrganization"));
  WindowsProductId = ReadMachineRegString(WindowsKey, "ProductId");
}

// The controls whose hints the hint option switches, by window number. On
// the main window and the editor every control with a hint text takes part
// as well.
struct THintedControls {
  int Window;
  std::vector<std::string_view> Names;
  bool EveryHintedControl;
};

const std::vector<THintedControls>& HintedControls() {
  static const std::vector<THintedControls> table = {
      {2,
       {"BitBtn1",        "BitBtn2",      "BitBtn3",   "BitBtn4",     "BitBtn5",  "BitBtn6",
        "DriveComboBox1", "FileListBox1", "ComboBox1", "StringGrid1", "Button2",  "Button3",
        "Button4",        "Button5",      "GroupBox1", "Label2",      "Label4",   "Label6",
        "Label8",         "Label10",      "Label12",   "Label15",     "GroupBox2"},
       true},
      {4,
       {"Edit1",        "Edit2",        "Edit3",        "Edit4",        "Edit5",
        "Edit6",        "Edit7",        "Edit8",        "ComboBox1",    "ComboBox2",
        "ComboBox3",    "ComboBox4",    "CheckBox1",    "CheckBox2",    "CheckBox3",
        "CheckBox4",    "CheckBox5",    "CheckBox6",    "CheckBox7",    "RadioButton1",
        "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5", "RadioButton6",
        "RadioButton7", "Button1",      "Button2",      "Button3",      "Button4",
        "TrackBar1"},
       false},
      {6, {"Label7", "Button1"}, false},
      {7,
       {"Edit1", "ComboBox1", "Button1", "Button2", "Button3", "Button18", "Button32", "Button49",
        "Button63"},
       false},
      {9, {"Button1", "Button2", "Button3", "CheckBox1"}, false},
      {15, {"Button1", "Button2", "Button3", "Button4"}, false},
      {16, {"Button1"}, false},
      {18,
       {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "ComboBox1", "CheckBox1",
        "CheckBox2"},
       true},
      {20, {"Button1", "Button2", "Button3"}, false},
      {21, {"Button1"}, false},
  };
  return table;
}

}  // namespace

void TForm1::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Memo1", Memo1);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Handler("FormCreate", this, &TForm1::FormCreate);
  binder.Handler("FormShow", this, &TForm1::FormShow);
  binder.Handler("Button1Click", this, &TForm1::Button1Click);
  binder.Handler("Button2Click", this, &TForm1::Button2Click);
}

// The settings writer captures the window positions through this window.
void TForm1::FormCreate() {
  BringToFront();
  SetSaveWindowPositionsHook([this] { SaveWindowPositions(); });
}

TForm1::~TForm1() {
  SetSaveWindowPositionsHook({});
}

// The start-up sequence: system information, the settings (or the
// defaults) with this start counted and stored, the window layout and the
// hints.
void TForm1::FormShow() {
  ExitRequested = false;
  CaptureNow();
  ScanDriveKinds();
  ReadWindowsVersion();
  ReadMachineTexts();
  ProgramFolder = Form2->BrowserFolder();
  if (!SettingsFileExists() || !LoadSettings()) ApplyDefaultSettings();
  ++StartCount;
  // The windows take their places before the save: with the layout option
  // on, the save captures the positions of the windows, which must by then
  // be the ones just loaded.
  if (SaveWindowLayout) {
    RestoreWindowPositions();
  } else {
    CenterAllWindows();
  }
  SaveSettings();
  ConfirmDeletes = true;
  Memo1->SetLine(SystemLine, "Running VEK 2003 on " + WindowsVersionText);
  Memo1->SetLine(SerialCodeLine, "Windows serial code: " + WindowsProductId);
  ui::Application->SetHintPause(HintPause);
  ui::Application->SetHintHidePause(HintHidePause);
  ApplyShowHints(ShowHints);
  Form4->ComboBox4->SetHint(InsaneModeHint);
  StartLockWindow();
  Form2->Button5->SetEnabled(ScreenLockEnabled);
  Form2->SetCaption("VEK 2003 - 1024 Bit Key Strength File Protection");
  Form2->BitBtn12->SetLeft(ExitButtonLeft);
}
// On to the update check, which leads to the options (first start) or the
// main window.
void TForm1::Button1Click() {
  Hide();
  Form22->Show();
}

// Out through the exit wipe, which ends the program.
void TForm1::Button2Click() {
  Hide();
  Form19->Show();
}

void TForm1::SaveWindowPositions() {
  for (int number = 1; number <= LastPositionedWindow; ++number) {
    const ui::TForm* form = ProgramWindow(number);
    if (form == nullptr) continue;
    const auto slot = static_cast<size_t>(number - 1);
    WindowLeft[slot] = form->Left();
    WindowTop[slot] = form->Top();
  }
}

void TForm1::RestoreWindowPositions() {
  for (int number = 1; number <= LastPositionedWindow; ++number) {
    ui::TForm* form = ProgramWindow(number);
    if (form == nullptr) continue;
    const auto slot = static_cast<size_t>(number - 1);
    form->SetLeft(WindowLeft[slot]);
    form->SetTop(WindowTop[slot]);
  }
}

void TForm1::CenterAllWindows() {
  for (int number = 1; number <= LastWindow; ++number) {
    ui::TForm* form = ProgramWindow(number);
    if (form != nullptr) form->CenterOnScreen();
  }
}

void TForm1::ApplyShowHints(bool on) {
  for (const THintedControls& row : HintedControls()) {
    const ui::TForm* form = ProgramWindow(row.Window);
    if (form == nullptr) continue;
    for (std::string_view name : row.Names) {
      if (auto* control = form->Find<ui::TControl>(name)) control->SetShowHint(on);
    }
    if (!row.EveryHintedControl) continue;
    for (ui::TControl* control : form->AllControls()) {
      if (!control->Hint().empty()) control->SetShowHint(on);
    }
  }
}

void TForm1::StartLockWindow() {
  vek::StartLockWindow();
}

}  // namespace vek
