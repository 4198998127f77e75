#pragma once
// The options dialog: a working copy of the option values on five pages,
// filled at every show and written back (and saved) by Apply.

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm4 : public ui::TForm {
 public:
  ui::TTabbedNotebook* TabbedNotebook1 = nullptr;
  // Page 0: embedded file data.
  ui::TEdit* Edit1 = nullptr;          // first name
  ui::TEdit* Edit2 = nullptr;          // last name
  ui::TEdit* Edit3 = nullptr;          // company
  ui::TComboBox* ComboBox1 = nullptr;  // download location
  ui::TEdit* Edit4 = nullptr;          // e-mail
  ui::TEdit* Edit5 = nullptr;          // information lines 1..3
  ui::TEdit* Edit6 = nullptr;
  ui::TEdit* Edit7 = nullptr;
  ui::TCheckBox* CheckBox1 = nullptr;  // timestamp
  ui::TCheckBox* CheckBox2 = nullptr;  // preserve attributes
  ui::TCheckBox* CheckBox3 = nullptr;  // Windows information
  ui::TButton* Button3 = nullptr;      // "&Clear all fields"
  // Page 1: encryption.
  ui::TRadioButton* RadioButton1 = nullptr;
  ui::TRadioButton* RadioButton2 = nullptr;
  ui::TCheckBox* CheckBox4 = nullptr;  // verify
  // Page 2: decryption.
  ui::TRadioButton* RadioButton3 = nullptr;
  ui::TRadioButton* RadioButton4 = nullptr;
  ui::TComboBox* ComboBox4 = nullptr;  // CPU boost threshold
  // Page 3: delete method.
  ui::TRadioButton* RadioButton5 = nullptr;
  ui::TRadioButton* RadioButton6 = nullptr;
  ui::TRadioButton* RadioButton7 = nullptr;
  // Page 4: display.
  ui::TCheckBox* CheckBox5 = nullptr;  // hints
  ui::TComboBox* ComboBox2 = nullptr;  // hint pause
  ui::TComboBox* ComboBox3 = nullptr;  // hint hide pause
  ui::TCheckBox* CheckBox6 = nullptr;  // window layout
  ui::TButton* Button4 = nullptr;      // "&Center all"
  ui::TCheckBox* CheckBox7 = nullptr;  // screen lock
  ui::TEdit* Edit8 = nullptr;          // screen lock password
  ui::TTrackBar* TrackBar1 = nullptr;  // lock window speed
  // Under the pages.
  ui::TButton* Button1 = nullptr;  // "&Apply changes"
  ui::TButton* Button2 = nullptr;  // "&Cancel changes"

  void FormShow();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void CheckBox7Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek
