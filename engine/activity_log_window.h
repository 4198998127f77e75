#pragma once
// The activity log window: the run's log lines and counts, and the save of
// the log to the root of drive C:.

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm21 : public ui::TForm {
 public:
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label3 = nullptr;
  ui::TLabel* Label4 = nullptr;  // actions taken
  ui::TLabel* Label5 = nullptr;
  ui::TLabel* Label6 = nullptr;  // errors
  ui::TListBox* ListBox1 = nullptr;
  ui::TButton* Button1 = nullptr;  // "&Close activity log window"
  ui::TButton* Button2 = nullptr;  // "&Save log contents to C: drive"

  void FormShow();
  void Button1Click();
  void Button2Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  int SaveLog() const;
};

}  // namespace vek
