#pragma once
// Error page: what stopped the installation, and the way out.

#include "ui/form.h"

namespace vek::installer {

class TForm7 : public ui::TForm {
 public:
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label4 = nullptr;    // description
  ui::TLabel* Label5 = nullptr;    // help
  ui::TLabel* Label6 = nullptr;    // detail line
  ui::TButton* Button1 = nullptr;  // "&Exit"

  void FormShow();
  void Button1Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek::installer
