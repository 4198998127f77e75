#pragma once
// The start window: the product text and terms of use, the start-up
// sequence that runs when it first shows, and the routines that move every
// window (layout) and switch every hint at once.

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm1 : public ui::TForm {
 public:
  ~TForm1() override;

  ui::TImage* Image1 = nullptr;
  ui::TGroupBox* GroupBox1 = nullptr;
  // Lines 0-8 are the product heading (also the head of a saved activity
  // log); lines 133 and 134 name the system, filled at start-up.
  ui::TMemo* Memo1 = nullptr;
  ui::TButton* Button1 = nullptr;  // "I &ACCEPT"
  ui::TButton* Button2 = nullptr;  // "I &QUIT"

  void FormCreate();
  // The start-up sequence.
  void FormShow();
  void Button1Click();
  void Button2Click();

  // Window layout: positions of TForm1..TForm21 into WindowLeft/WindowTop
  // and back; centring covers TForm22 too.
  void SaveWindowPositions();
  void RestoreWindowPositions();
  void CenterAllWindows();
  // ShowHint of every hinted control of every window.
  void ApplyShowHints(bool on);
  // Puts the screen lock window at its start place with fresh steps.
  void StartLockWindow();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek
