#include "installer/welcome_page.h"

#include "installer/backdrop.h"
#include "installer/folder_page.h"
#include "installer/state.h"

namespace vek::installer {

void TForm2::DeclareBindings(ui::TFormBinder& binder) {
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
  binder.Control("Image1", Image1);
  binder.Control("Panel1", Panel1);
  binder.Control("Image6", Image6);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Handler("FormShow", this, &TForm2::FormShow);
  binder.Handler("Button1Click", this, &TForm2::Button1Click);
  binder.Handler("Button2Click", this, &TForm2::Button2Click);
}

void TForm2::FormShow() {
  CenterOnScreen();
}

void TForm2::Button1Click() {
  Hide();
  Form3->Show();
}

void TForm2::Button2Click() {
  Form1->CloseAllForms();
}

}  // namespace vek::installer
