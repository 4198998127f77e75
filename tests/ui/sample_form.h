#pragma once
// The form class of forms/sample.form, counting what its handlers saw.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/form.h"

namespace vektest {

class TSampleForm : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;
  ui::TEdit* Edit1 = nullptr;
  ui::TButton* Button1 = nullptr;
  ui::TBitBtn* BitBtn1 = nullptr;
  ui::TCheckBox* CheckBox1 = nullptr;
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TRadioButton* RadioButton1 = nullptr;
  ui::TRadioButton* RadioButton2 = nullptr;
  ui::TRadioButton* RadioButton3 = nullptr;
  ui::TComboBox* ComboBox1 = nullptr;
  ui::TStringGrid* StringGrid1 = nullptr;
  ui::TTrackBar* TrackBar1 = nullptr;
  ui::TProgressBar* ProgressBar1 = nullptr;
  ui::TTabbedNotebook* TabbedNotebook1 = nullptr;
  ui::TMemo* Memo1 = nullptr;
  ui::TEdit* Edit2 = nullptr;
  ui::TTimer* Timer1 = nullptr;
  ui::TTimer* Timer2 = nullptr;

  // What the handlers saw.
  std::vector<std::string> calls;  // handler names in order
  std::vector<uint16_t> keysUp;
  std::vector<std::string> editTexts;  // Edit1's text at each change
  int mouseUpX = -1, mouseUpY = -1;
  ui::TCloseAction closeAnswer = ui::TCloseAction::Hide;

  int Count(const std::string& handler) const;

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void FormCreate() { calls.push_back("FormCreate"); }
  void FormShow() { calls.push_back("FormShow"); }
  void FormHide() { calls.push_back("FormHide"); }
  void FormClose(ui::TCloseAction& action) {
    calls.push_back("FormClose");
    action = closeAnswer;
  }
  void Label2Click() { calls.push_back("Label2Click"); }
  void Edit1Change() {
    calls.push_back("Edit1Change");
    editTexts.push_back(Edit1->Text());
  }
  void Edit1KeyUp(uint16_t& key) { keysUp.push_back(key); }
  void Button1Click() { calls.push_back("Button1Click"); }
  void CheckBox1Click() { calls.push_back("CheckBox1Click"); }
  void RadioClick() { calls.push_back("RadioClick"); }
  void ComboBox1Change() { calls.push_back("ComboBox1Change"); }
  void StringGrid1MouseUp(ui::TMouseButton, int x, int y) {
    calls.push_back("StringGrid1MouseUp");
    mouseUpX = x;
    mouseUpY = y;
  }
  void StringGrid1DblClick() { calls.push_back("StringGrid1DblClick"); }
  void Timer1Timer() { calls.push_back("Timer1Timer"); }
  void Timer2Timer() { calls.push_back("Timer2Timer"); }
};

}  // namespace vektest
