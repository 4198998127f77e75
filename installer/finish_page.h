#pragma once
// Finish page: the web site and the first start of the program, on request.

#include <string_view>

#include "ui/form.h"

namespace vek::installer {

inline constexpr std::string_view ProductWebSite = "http://www.vek2003.example/";

class TForm6 : public ui::TForm {
 public:
  ui::TLabel* Label1 = nullptr;
  ui::TCheckBox* CheckBox1 = nullptr;  // visit the web site
  ui::TCheckBox* CheckBox2 = nullptr;  // run the program
  ui::TButton* Button1 = nullptr;      // "&Finish"

  void FormShow();
  void Button1Click();
  // The window's own close (its close button, Alt+F4): the installer ends
  // and nothing is started, whatever the boxes say.
  void FormCloseRequest();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek::installer
