#include "installer/finish_page.h"

#include <string>

#include "installer/backdrop.h"
#include "installer/image.h"
#include "installer/state.h"
#include "platform/shell.h"

namespace vek::installer {

void TForm6::DeclareBindings(ui::TFormBinder& binder) {
  binder.Control("Label1", Label1);
  binder.Control("CheckBox1", CheckBox1);
  binder.Control("CheckBox2", CheckBox2);
  binder.Control("Button1", Button1);
  binder.Handler("FormShow", this, &TForm6::FormShow);
  binder.Handler("Button1Click", this, &TForm6::Button1Click);
  binder.Handler("FormCloseRequest", this, &TForm6::FormCloseRequest);
}

void TForm6::FormShow() {
  CenterOnScreen();
}

// What the shell makes of the requests is its own business: the
// installation is done either way.
void TForm6::Button1Click() {
  if (CheckBox1->Checked()) platform::ShellExecute("open", ProductWebSite);
  // The program starts in its own folder, as its shortcuts start it.
  if (CheckBox2->Checked()) {
    platform::ShellExecute("open", InstallDir + std::string(ProgramFileName),
                           InstallWorkingFolder());
  }
  Form1->CloseAllForms();
}

void TForm6::FormCloseRequest() {
  Form1->CloseAllForms();
}

}  // namespace vek::installer
