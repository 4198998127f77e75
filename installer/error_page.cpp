#include "installer/error_page.h"

#include "installer/backdrop.h"
#include "installer/state.h"

namespace vek::installer {

void TForm7::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Label1", Label1);
  binder.Control("Label2", Label2);
  binder.Control("Label3", Label3);
  binder.Control("Label4", Label4);
  binder.Control("Label5", Label5);
  binder.Control("Label6", Label6);
  binder.Control("Button1", Button1);
  binder.Handler("FormShow", this, &TForm7::FormShow);
  binder.Handler("Button1Click", this, &TForm7::Button1Click);
}

void TForm7::FormShow() {
  CenterOnScreen();
}

void TForm7::Button1Click() {
  Form1->CloseAllForms();
}

}  // namespace vek::installer
