#include "tools/screen_lock_window.h"

#include <algorithm>

#include "app/main_window.h"
#include "platform/system.h"
#include "ui/application.h"
#include "ui/text.h"

namespace vek {
namespace {

constexpr uint8_t WrongPasswordTicks = 50;  // 5 seconds of 100 ms ticks
constexpr const char* PasswordPrompt = "Enter screen lock password :";

// The password as the options dialog shows it and as it is typed back: its
// UTF-8 form. A password kept as 8-bit text from elsewhere (Windows-1252) is
// typed as the characters it shows, which may take more bytes than the
// password field holds.
std::string TypedPassword() {
  return ui::DisplayText(ScreenLockPassword.Text());
}

int32_t RandomStep() {
  return static_cast<int32_t>(platform::Random(8));
}

}  // namespace

void StartLockWindow() {
  Form17->SetLeft(0);
  Form17->SetTop(0);
  LockStepX = RandomStep();
  LockStepY = RandomStep();
}

void TForm17::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Label1", Label1);
  binder.Control("Edit1", Edit1);
  binder.Control("Button1", Button1);
  binder.Control("Timer1", Timer1);
  binder.Handler("FormShow", this, &TForm17::FormShow);
  binder.Handler("Timer1Timer", this, &TForm17::Timer1Timer);
  binder.Handler("Button1Click", this, &TForm17::Button1Click);
}

void TForm17::FormShow() {
  Edit1->SetText("");
  Edit1->SetMaxLength(
      static_cast<int>(std::max(decltype(ScreenLockPassword)::Capacity, TypedPassword().size())));
  LockMaxLeft = ui::Screen->Width() - Width();
  LockMaxTop = ui::Screen->Height() - Height();
  LockPenaltyTicks = 0;
  Label1->SetCaption(PasswordPrompt);
  Edit1->SetEnabled(true);
  Button1->SetEnabled(true);
  // A screen made smaller since the last lock can leave the window beyond its
  // right or bottom edge; an overshoot of the top left is walked back by the
  // movement step.
  if (Left() > LockMaxLeft || Top() > LockMaxTop) StartLockWindow();
  HideOtherWindows();
  Timer1->SetEnabled(true);
}

// Nothing of the program stays usable behind the lock: every other window
// is hidden, also one that something shows while the lock is on.
void TForm17::HideOtherWindows() {
  for (ui::TForm* form : ui::Application->Forms()) {
    if (form == this || !form->IsShown()) continue;
    if (std::find(hidden_.begin(), hidden_.end(), form) == hidden_.end()) {
      hidden_.push_back(form);
    }
    form->Hide();
  }
}

void TForm17::Timer1Timer() {
  // Only a lock on screen keeps the other windows away.
  if (!IsShown()) {
    Timer1->SetEnabled(false);
    return;
  }
  HideOtherWindows();
  BringToFront();
  if (Left() > LockMaxLeft) {
    LockStepX = -RandomStep();
  } else if (Left() <= 0) {
    LockStepX = RandomStep();
  }
  if (Top() > LockMaxTop) {
    LockStepY = -RandomStep();
  } else if (Top() <= 0) {
    LockStepY = RandomStep();
  }
  SetLeft(Left() + LockStepX * LockWindowSpeed);
  SetTop(Top() + LockStepY * LockWindowSpeed);
  if (LockPenaltyTicks > 0 && --LockPenaltyTicks == 0) {
    Label1->SetCaption(PasswordPrompt);
    Edit1->SetEnabled(true);
    Button1->SetEnabled(true);
    // The user types the next try straight away.
    Edit1->SetFocus();
  }
}

void TForm17::Button1Click() {
  const std::string typed = Edit1->Text();
  // An empty password never unlocks, whatever the options hold.
  if (typed.empty() || typed != TypedPassword()) {
    LockPenaltyTicks = WrongPasswordTicks;
    Label1->SetCaption("Incorrect password!");
    Edit1->SetText("");
    Edit1->SetEnabled(false);
    Button1->SetEnabled(false);
    return;
  }
  Timer1->SetEnabled(false);
  Hide();
  // The windows the lock hid come back before the main window, whose show
  // empties the job list: a question they were asking (a delete of the job
  // list, an entry being edited) is taken up again about what it asked, and
  // then finds that gone instead of applying to whatever is there now.
  std::vector<ui::TForm*> windows;
  windows.swap(hidden_);
  std::erase(windows, static_cast<ui::TForm*>(Form2));
  for (ui::TForm* form : windows) form->Show();
  Form2->Show();
  Form2->Repaint();
  Form2->BringToFront();
  for (ui::TForm* form : windows) form->BringToFront();
}

}  // namespace vek
