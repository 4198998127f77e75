#include "installer/shortcuts_page.h"

#include "installer/backdrop.h"
#include "installer/folder_page.h"
#include "installer/progress_page.h"
#include "installer/state.h"

namespace vek::installer {

void TForm4::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("CheckBox2", CheckBox2);
  binder.Control("Button1", Button1);
  binder.Control("Button2", Button2);
  binder.Control("Button3", Button3);
  binder.Handler("FormShow", this, &TForm4::FormShow);
  binder.Handler("Button1Click", this, &TForm4::Button1Click);
  binder.Handler("Button2Click", this, &TForm4::Button2Click);
  binder.Handler("Button3Click", this, &TForm4::Button3Click);
}

void TForm4::FormShow() {
  CenterOnScreen();
}

void TForm4::Button1Click() {
  Hide();
  Form3->Show();
}

// The installation starts when the progress page shows.
void TForm4::Button2Click() {
  Hide();
  Form5->Show();
}

void TForm4::Button3Click() {
  Form1->CloseAllForms();
}

}  // namespace vek::installer
