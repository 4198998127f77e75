#pragma once
// The about window: the product banner, a turning key and the close button.

#include <cstdint>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

class TForm6 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;  // banner
  ui::TImage* Image2 = nullptr;  // the key animation
  ui::TLabel* Label7 = nullptr;
  ui::TButton* Button1 = nullptr;  // "&OK"
  ui::TTimer* Timer1 = nullptr;    // 100 ms animation

  void FormShow();
  void FormHide();
  void Button1Click();
  void Timer1Timer();

  // The key picture shown now (1..8).
  uint8_t Frame() const { return frame_; }

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;

 private:
  uint8_t frame_ = 1;
  uint8_t pause_ = 0;  // ticks the key rests between turns
};

}  // namespace vek
