#include "app/about_window.h"

#include <string>

namespace vek {
namespace {

constexpr uint8_t FrameCount = 8;  // about_key_01 .. about_key_08, 45 degrees apart
constexpr uint8_t RestTicks = 10;  // one second at rest after each full turn

std::string FramePicture(uint8_t frame) {
  return "about_key_0" + std::to_string(frame) + ".jpg";
}

}  // namespace

void TForm6::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Image2", Image2);
  binder.Control("Label7", Label7);
  binder.Control("Button1", Button1);
  binder.Control("Timer1", Timer1);
  binder.Handler("FormShow", this, &TForm6::FormShow);
  binder.Handler("FormHide", this, &TForm6::FormHide);
  binder.Handler("Button1Click", this, &TForm6::Button1Click);
  binder.Handler("Timer1Timer", this, &TForm6::Timer1Timer);
}

// The key starts upright at every show.
void TForm6::FormShow() {
  frame_ = 1;
  pause_ = 0;
  Image2->LoadPicture(FramePicture(frame_));
  Timer1->SetEnabled(true);
}

void TForm6::FormHide() {
  Timer1->SetEnabled(false);
}

void TForm6::Button1Click() {
  Hide();
}

// One frame of the turning key per tick; after a full turn the key rests
// for a moment before it turns again.
void TForm6::Timer1Timer() {
  if (pause_ > 0) {
    --pause_;
    return;
  }
  frame_ = static_cast<uint8_t>(frame_ % FrameCount + 1);
  Image2->LoadPicture(FramePicture(frame_));
  if (frame_ == 1) pause_ = RestTicks;
}

}  // namespace vek
