#include "engine/error_report_window.h"

#include <string>

#include "core/texts.h"
#include "engine/processing_window.h"

namespace vek {

void TForm15::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Image1", Image1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("Label7", Label7);
  binder.Control("Label8", Label8);
  binder.Control("Label9", Label9);
  binder.Control("Label10", Label10);
  binder.Control("Label11", Label11);
  binder.Control("Label12", Label12);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Control("Button4", Button4);
  binder.Handler("FormShow", this, &TForm15::FormShow);
  binder.Handler("FormClose", this, &TForm15::FormClose);
  binder.Handler("Button1Click", this, &TForm15::Button1Click);
  binder.Handler("Button2Click", this, &TForm15::Button2Click);
  binder.Handler("Button3Click", this, &TForm15::Button3Click);
  binder.Handler("Button4Click", this, &TForm15::Button4Click);
}

void TForm15::FormShow() {
  Label12->SetCaption(EscapedText(ErrorFileText));
  Label2->SetCaption(std::to_string(ErrorCode));
  Label4->SetCaption(ErrorType);
  Label10->SetCaption(Form8->Label1->Caption());
  Label7->SetCaption(ErrorDetail);
  Label8->SetCaption(ErrorAdvice);
  Button1->SetEnabled(RetryPossible);
  Button2->SetEnabled(RetryPossible);
}

// The close box answers "Stop all processing": the engine waits for an
// answer and must not be left without one.
void TForm15::FormClose(ui::TCloseAction& action) {
  action = ui::TCloseAction::Hide;
  if (IsShown()) Answer(ErrorAnswerStopAll);
}

void TForm15::Button1Click() {
  Answer(ErrorAnswerRetry);
}
void TForm15::Button2Click() {
  Answer(ErrorAnswerSkipFile);
}
void TForm15::Button3Click() {
  Answer(ErrorAnswerStopAll);
}
void TForm15::Button4Click() {
  Answer(ErrorAnswerSkipAllErrors);
}

void TForm15::Answer(uint8_t answer) {
  EngineState.Current = StateErrorAnswer;
  ErrorAnswer = answer;
  CloseErrorReport();
}

void TForm15::CloseErrorReport() {
  Form8->Button1->SetEnabled(true);
  Hide();
}

}  // namespace vek
