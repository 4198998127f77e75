#pragma once
// The warning: a subject and a message with the answers Continue, Continue
// ignoring all future warnings, and Cancel (which ends the run). Modeless;
// the engine waits without a handler until an answer writes its state.

#include <cstdint>

#include "core/state.h"
#include "ui/form.h"

namespace vek {

// The answers, as WarningAnswer holds them.
inline constexpr uint8_t WarningAnswerContinue = 1;
inline constexpr uint8_t WarningAnswerCancel = 2;

class TForm20 : public ui::TForm {
 public:
  ui::TImage* Image1 = nullptr;
  ui::TLabel* Label1 = nullptr;
  ui::TLabel* Label2 = nullptr;    // subject
  ui::TLabel* Label3 = nullptr;    // message
  ui::TButton* Button1 = nullptr;  // "&Continue"
  ui::TButton* Button2 = nullptr;  // "Continue (&Ignore all future warnings)"
  ui::TButton* Button3 = nullptr;  // "C&ancel"

  void FormClose(ui::TCloseAction& action);
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void CloseWarning();

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override;
};

}  // namespace vek
