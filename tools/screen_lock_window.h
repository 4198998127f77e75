#pragma once
// The screen lock: a small password window that wanders over the screen
// while every other window of the program is hidden, until the screen-lock
// password of the options is typed.

#include <vector>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// Puts the lock window at the top-left corner with fresh random steps
// (called once by the start-up, and again when a shown lock lies off-screen).
void StartLockWindow();

class TForm17 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;  // background
  ui::TGroupBox* GroupBox1 = nullptr;
  ui::TLabel* Label1 = nullptr;    // prompt, or "Incorrect password!"
  ui::TEdit* Edit1 = nullptr;      // password
  ui::TButton* Button1 = nullptr;  // "&Unlock"
  ui::TTimer* Timer1 = nullptr;    // 100 ms movement

  void FormShow();
  void Timer1Timer();
  void Button1Click();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  void HideOtherWindows();

  // The windows the lock hid, shown again when it unlocks.
  std::vector<ui::TForm*> hidden_;
};

}  // namespace vek
