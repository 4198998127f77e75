#pragma once
// Welcome page: the product, its requirements, and the way into the wizard.

#include "ui/form.h"

namespace vek::installer {

class TForm2 : public ui::TForm {
 public:
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label4 = nullptr;
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;
  ui::TLabel* Label7 = nullptr;
  ui::TLabel* Label8 = nullptr;
  ui::TLabel* Label9 = nullptr;
  ui::TLabel* Label10 = nullptr;
  ui::TImage* Image1 = nullptr;
  ui::TPanel* Panel1 = nullptr;
  ui::TImage* Image6 = nullptr;
  ui::TButton* Button1 = nullptr;  // "&Continue >"
  ui::TButton* Button2 = nullptr;  // "C&ancel"

  void FormShow();
  void Button1Click();
  void Button2Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek::installer
