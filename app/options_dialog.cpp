#include "app/options_dialog.h"

#include "app/main_window.h"
#include "app/start_window.h"
#include "core/settings.h"
#include "core/texts.h"
#include "engine/delete_confirmation.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "ui/application.h"
#include "ui/dialogs.h"

namespace vek {
namespace {

constexpr int HintPauseItems = 7;  // 0.1 .. 6.4 seconds

// Item i of the hint pause list is 100 x 2^i milliseconds.
uint16_t HintPauseOfItem(int index) {
  return static_cast<uint16_t>(100 << index);
}

// A settings save sets the one key state and fills the shared buffer, which
// a run in progress holds.
bool RunInProgress() {
  return Form8 != nullptr && Form8->RunActive();
}

// The key entry and a run hide the main window and work on its job list,
// which the main window's show would empty: it comes back when they end.
void ShowMainWindowUnlessBusy() {
  if (RunInProgress() || (Form7 != nullptr && Form7->IsShown())) return;
  Form2->Show();
}

}  // namespace

void TForm4::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("TabbedNotebook1", TabbedNotebook1);
  binder.Control("Edit1", Edit1);
  binder.Control("Edit2", Edit2);
  binder.Control("Edit3", Edit3);
  binder.Control("Edit4", Edit4);
  binder.Control("Edit5", Edit5);
  binder.Control("Edit6", Edit6);
  binder.Control("Edit7", Edit7);
  binder.Control("Edit8", Edit8);
  binder.Control("ComboBox1", ComboBox1);
  binder.Control("ComboBox2", ComboBox2);
  binder.Control("ComboBox3", ComboBox3);
  binder.Control("ComboBox4", ComboBox4);
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("CheckBox2", CheckBox2);
  binder.Control("CheckBox3", CheckBox3);
  binder.Control("CheckBox4", CheckBox4);
  binder.Control("CheckBox5", CheckBox5);
  binder.Control("CheckBox6", CheckBox6);
  binder.Control("CheckBox7", CheckBox7);
  binder.Control("RadioButton1", RadioButton1);
  binder.Control("RadioButton2", RadioButton2);
  binder.Control("RadioButton3", RadioButton3);
  binder.Control("RadioButton4", RadioButton4);
  binder.Control("RadioButton5", RadioButton5);
  binder.Control("RadioButton6", RadioButton6);
  binder.Control("RadioButton7", RadioButton7);
  binder.Control("TrackBar1", TrackBar1);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Control("Button4", Button4);
  binder.Handler("FormShow", this, &TForm4::FormShow);
  binder.Handler("Button1Click", this, &TForm4::Button1Click);
  binder.Handler("Button2Click", this, &TForm4::Button2Click);
  binder.Handler("Button3Click", this, &TForm4::Button3Click);
  binder.Handler("Button4Click", this, &TForm4::Button4Click);
  binder.Handler("CheckBox7Click", this, &TForm4::CheckBox7Click);
}

// The controls become a fresh copy of the options. The page stays as it was
// (or as the caller set it).
void TForm4::FormShow() {
  Edit1->SetText(OwnerFirstName.Text());
  Edit2->SetText(OwnerLastName.Text());
  Edit3->SetText(OwnerCompany.Text());
  ComboBox1->SetText(OwnerLocation.Text());
  Edit4->SetText(OwnerEmail.Text());
  Edit5->SetText(InfoLine1.Text());
  Edit6->SetText(InfoLine2.Text());
  Edit7->SetText(InfoLine3.Text());
  CheckBox1->SetChecked(TimestampEncryption);
  CheckBox2->SetChecked(PreserveAttributes);
  CheckBox3->SetChecked(WindowsInformation);
  RadioButton1->SetChecked(!DeletePlaintextAfterEncrypt);
  RadioButton2->SetChecked(DeletePlaintextAfterEncrypt);
  CheckBox4->SetChecked(VerifyAfterEncrypt);
  RadioButton3->SetChecked(!DeleteEncryptedAfterDecrypt);
  RadioButton4->SetChecked(DeleteEncryptedAfterDecrypt);
  if (DeleteMethod == DeleteNormal) RadioButton5->SetChecked(true);
  if (DeleteMethod == DeleteSinglePass) RadioButton6->SetChecked(true);
  if (DeleteMethod == DeleteTriplePass) RadioButton7->SetChecked(true);
  CheckBox5->SetChecked(ShowHints);
  for (int i = 0; i < HintPauseItems; ++i) {
    if (HintPauseOfItem(i) == HintPause) ComboBox2->SetItemIndex(i);
  }
  ComboBox3->SetItemIndex(HintHidePause / 1000 - 1);
  CheckBox6->SetChecked(SaveWindowLayout);
  CheckBox7->SetChecked(ScreenLockEnabled);
  Edit8->SetText(ScreenLockPassword.Text());
  ComboBox4->SetItemIndex(InsaneModeThreshold);
  Edit8->SetEnabled(CheckBox7->Checked());
  TrackBar1->SetPosition(LockWindowSpeed);
}

// Apply: the controls into the options, saved at once. An empty list
// selection leaves its option as it was. While a run is in progress the
// save would disturb it, so the changes wait for the user to apply again.
void TForm4::Button1Click() {
  if (RunInProgress()) {
    ui::MessageDlg("Please wait until the current processing has finished before applying changes.",
                   ui::TMsgDlgType::Information, ui::mbOK);
    return;
  }
  Hide();
  Form2->Repaint();

  OwnerFirstName.Assign(TrimBlanks(Edit1->Text()));
  OwnerLastName.Assign(TrimBlanks(Edit2->Text()));
  OwnerCompany.Assign(TrimBlanks(Edit3->Text()));
  OwnerLocation.Assign(ComboBox1->Text());
  OwnerEmail.Assign(TrimBlanks(Edit4->Text()));
  InfoLine1.Assign(TrimBlanks(Edit5->Text()));
  InfoLine2.Assign(TrimBlanks(Edit6->Text()));
  InfoLine3.Assign(TrimBlanks(Edit7->Text()));
  TimestampEncryption = CheckBox1->Checked();
  PreserveAttributes = CheckBox2->Checked();
  WindowsInformation = CheckBox3->Checked();
  DeletePlaintextAfterEncrypt = RadioButton2->Checked();
  VerifyAfterEncrypt = CheckBox4->Checked();
  DeleteEncryptedAfterDecrypt = RadioButton4->Checked();
  if (RadioButton5->Checked()) {
    DeleteMethod = DeleteNormal;
  } else if (RadioButton6->Checked()) {
    DeleteMethod = DeleteSinglePass;
  } else if (RadioButton7->Checked()) {
    DeleteMethod = DeleteTriplePass;
  }
  ShowHints = CheckBox5->Checked();
  if (ComboBox2->ItemIndex() >= 0) HintPause = HintPauseOfItem(ComboBox2->ItemIndex());
  if (ComboBox3->ItemIndex() >= 0) {
    HintHidePause = static_cast<uint16_t>((ComboBox3->ItemIndex() + 1) * 1000);
  }
  ui::Application->SetHintPause(HintPause);
  ui::Application->SetHintHidePause(HintHidePause);
  SaveWindowLayout = CheckBox6->Checked();
  ScreenLockEnabled = CheckBox7->Checked() && !Edit8->Text().empty();
  Form2->Button5->SetEnabled(ScreenLockEnabled);
  ScreenLockPassword.Assign(Edit8->Text());
  LockWindowSpeed = static_cast<uint8_t>(TrackBar1->Position());
  if (ComboBox4->ItemIndex() >= 0)
    InsaneModeThreshold = static_cast<uint8_t>(ComboBox4->ItemIndex());

  SaveSettings();
  if (DeleteMethod >= DeleteNormal && DeleteMethod <= DeleteTriplePass) {
    Form9->Label1->SetCaption(DeleteMethodNames[DeleteMethod]);
    Form9->Label4->SetCaption(DeleteMethodDescriptions[DeleteMethod]);
  }
  Form1->ApplyShowHints(ShowHints);
  ShowMainWindowUnlessBusy();
}

void TForm4::Button2Click() {
  Hide();
  ShowMainWindowUnlessBusy();
}

// Clears the embedded-data page only; nothing is stored until Apply.
void TForm4::Button3Click() {
  for (ui::TEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7}) edit->SetText("");
  ComboBox1->SetItemIndex(0);
  for (ui::TCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->SetChecked(false);
}

void TForm4::Button4Click() {
  Form1->CenterAllWindows();
}

// The password stays in its box while the box is disabled.
void TForm4::CheckBox7Click() {
  Edit8->SetEnabled(CheckBox7->Checked());
}

}  // namespace vek
