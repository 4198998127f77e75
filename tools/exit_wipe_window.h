#pragma once
// The exit wipe ("Cleaning memory"): every way out of the program ends here.
// It saves the layout when asked to, overwrites one job entry and its grid
// row per 5 ms tick, then the rest of the user's data in memory, and closes
// every window, which ends the program.

#include <cstddef>
#include <string>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm19 : public ui::TForm {
 public:
  ui::TPanel* Panel1 = nullptr;
  ui::TLabel* Label1 = nullptr;  // percent
  ui::TImage* Image2 = nullptr;  // memory chip
  ui::TImage* Image3 = nullptr;  // the blinking pair
  ui::TImage* Image4 = nullptr;
  ui::TProgressBar* ProgressBar1 = nullptr;
  ui::TTimer* Timer1 = nullptr;  // 5 ms, one job entry a tick

  // A text of n NUL characters.
  static std::string NulText(size_t n);

  void FormShow();
  void Timer1Timer();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  // After the last job entry: everything else, then every window closed.
  void FinishWipe();
  void CloseEveryWindow();
};

}  // namespace vek
