#pragma once
// Shortcuts page: desktop and Start-menu shortcuts, then the installation.

#include "ui/form.h"

namespace vek::installer {

class TForm4 : public ui::TForm {
 public:
  ui::TCheckBox* CheckBox1 = nullptr;  // desktop shortcut
  ui::TCheckBox* CheckBox2 = nullptr;  // Start-menu shortcut
  ui::TButton* Button1 = nullptr;      // "< &Previous"
  ui::TButton* Button2 = nullptr;      // "&Next >"
  ui::TButton* Button3 = nullptr;      // "&Exit installation"

  void FormShow();
  void Button1Click();
  void Button2Click();
  void Button3Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek::installer
