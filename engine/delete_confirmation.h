#pragma once
// The delete confirmation: asks before a delete run (one file or the whole
// job list) and starts it.

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm9 : public ui::TForm {
 public:
  ui::TGroupBox* GroupBox1 = nullptr;  // " Confirmation : "
  ui::TLabel* Label1 = nullptr;        // delete method name
  ui::TLabel* Label2 = nullptr;        // the file, or the number of job-list files
  ui::TLabel* Label3 = nullptr;        // the size
  ui::TLabel* Label4 = nullptr;        // delete method description
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;
  ui::TCheckBox* CheckBox1 = nullptr;  // "Prompt for this assurance before deleting any file."
  ui::TButton* Button1 = nullptr;      // "&Yes"
  ui::TButton* Button2 = nullptr;      // "&No"
  ui::TButton* Button3 = nullptr;      // "&Change delete method"

  void FormShow();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void CheckBox1Click();
  // Prepares and starts a delete run of one file or of the job list.
  void StartDeleteRun();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek
