#include "engine/warning_window.h"

#include "engine/processing_window.h"

namespace vek {

void TForm20::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Handler("FormClose", this, &TForm20::FormClose);
  binder.Handler("Button1Click", this, &TForm20::Button1Click);
  binder.Handler("Button2Click", this, &TForm20::Button2Click);
  binder.Handler("Button3Click", this, &TForm20::Button3Click);
}

// The close box answers Cancel: the engine waits for an answer and must
// not be left without one.
void TForm20::FormClose(ui::TCloseAction& action) {
  action = ui::TCloseAction::Hide;
  if (!IsShown()) return;
  WarningAnswer = WarningAnswerCancel;
  CloseWarning();
}

void TForm20::Button1Click() {
  WarningAnswer = WarningAnswerContinue;
  CloseWarning();
}

void TForm20::Button2Click() {
  WarningsOn = false;
  WarningAnswer = WarningAnswerContinue;
  CloseWarning();
}

void TForm20::Button3Click() {
  WarningAnswer = WarningAnswerCancel;
  CloseWarning();
}

void TForm20::CloseWarning() {
  Form8->Button1->SetEnabled(true);
  if (WarningAnswer == WarningAnswerContinue) {
    EngineState.Current = WarningContinuation;
  } else {
    StopRequested = true;
    EngineState.Current = StateFinish;
  }
  Button1->SetEnabled(true);
  Button2->SetEnabled(true);
  Form8->RestoreBoost();
  Hide();
}

}  // namespace vek
