#include "app/program.h"

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/start_window.h"
#include "core/state.h"
#include "engine/activity_log_window.h"
#include "engine/delete_confirmation.h"
#include "engine/error_report_window.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "platform/system.h"
#include "tools/drive_info_window.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/update_window.h"
#include "tools/viewer_window.h"
#include "ui/application.h"

namespace vek {

void CreateProgramWindows() {
  ui::Application->CreateForm(Form1, "Form1");
  ui::Application->CreateForm(Form2, "Form2");
  ui::Application->CreateForm(Form4, "Form4");
  ui::Application->CreateForm(Form6, "Form6");
  ui::Application->CreateForm(Form7, "Form7");
  ui::Application->CreateForm(Form8, "Form8");
  ui::Application->CreateForm(Form9, "Form9");
  ui::Application->CreateForm(Form14, "Form14");
  ui::Application->CreateForm(Form15, "Form15");
  ui::Application->CreateForm(Form16, "Form16");
  ui::Application->CreateForm(Form17, "Form17");
  ui::Application->CreateForm(Form18, "Form18");
  ui::Application->CreateForm(Form19, "Form19");
  ui::Application->CreateForm(Form20, "Form20");
  ui::Application->CreateForm(Form21, "Form21");
  ui::Application->CreateForm(Form22, "Form22");
}

void DestroyProgramWindows() {
  ui::Application->DestroyForms();
  Form1 = nullptr;
  Form2 = nullptr;
  Form4 = nullptr;
  Form6 = nullptr;
  Form7 = nullptr;
  Form8 = nullptr;
  Form9 = nullptr;
  Form14 = nullptr;
  Form15 = nullptr;
  Form16 = nullptr;
  Form17 = nullptr;
  Form18 = nullptr;
  Form19 = nullptr;
  Form20 = nullptr;
  Form21 = nullptr;
  Form22 = nullptr;
}

ui::TForm* ProgramWindow(int number) {
  switch (number) {
    case 1:
      return Form1;
    case 2:
      return Form2;
    case 4:
      return Form4;
    case 6:
      return Form6;
    case 7:
      return Form7;
    case 8:
      return Form8;
    case 9:
      return Form9;
    case 14:
      return Form14;
    case 15:
      return Form15;
    case 16:
      return Form16;
    case 17:
      return Form17;
    case 18:
      return Form18;
    case 19:
      return Form19;
    case 20:
      return Form20;
    case 21:
      return Form21;
    case 22:
      return Form22;
    default:
      return nullptr;
  }
}

void NameProgram() {
  ui::Application->SetTitle("VEK 2003");
  ui::Application->SetDesktopFileName("vek2003");
}

int ProgramMain(int argc, char** argv) {
  // Before any key is typed: a crash must not write the key to a core file.
  platform::KeepMemoryOutOfDumps();
  ui::TApplication::Initialize(argc, argv);
  platform::SetCommandLine(argc, argv);
  NameProgram();
  CreateProgramWindows();
  ui::Application->Run();
  ui::TApplication::Shutdown();
  return 0;
}

}  // namespace vek
