#include "engine/delete_confirmation.h"

#include "engine/processing_window.h"

namespace vek {

void TForm9::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("GroupBox1", GroupBox1);
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Handler("FormShow", this, &TForm9::FormShow);
  binder.Handler("Button1Click", this, &TForm9::Button1Click);
  binder.Handler("Button2Click", this, &TForm9::Button2Click);
  binder.Handler("Button3Click", this, &TForm9::Button3Click);
  binder.Handler("CheckBox1Click", this, &TForm9::CheckBox1Click);
}

// The confirmation's logic comes with the delete states.
void TForm9::FormShow() {}
void TForm9::Button1Click() {}
void TForm9::Button2Click() {}
void TForm9::Button3Click() {}
void TForm9::CheckBox1Click() {}
// A run in progress owns the job list and the engine: no second one starts.
void TForm9::StartDeleteRun() {
  if (Form8->RunActive()) return;
}

}  // namespace vek
