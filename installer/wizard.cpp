#include "installer/wizard.h"

#include <cstdio>
#include <exception>

#include "installer/state.h"
#include "platform/system.h"
#include "ui/application.h"

namespace vek::installer {

void CreateInstallerWindows() {
  ui::Application->CreateForm(Form1, "installer/Form1");
  ui::Application->CreateForm(Form2, "installer/Form2");
  ui::Application->CreateForm(Form3, "installer/Form3");
  ui::Application->CreateForm(Form4, "installer/Form4");
  ui::Application->CreateForm(Form5, "installer/Form5");
  ui::Application->CreateForm(Form6, "installer/Form6");
  ui::Application->CreateForm(Form7, "installer/Form7");
}

int RunInstaller(int argc, char** argv) {
  ui::TApplication::Initialize(argc, argv);
  platform::SetCommandLine(argc, argv);
  ui::Application->SetTitle("VEK 2003 - Quox Installer Wizard");
  int result = 0;
  try {
    CreateInstallerWindows();
    ui::Application->Run();
  } catch (const std::exception& failure) {
    // Only a broken build gets here: a window description that does not fit.
    std::fprintf(stderr, "vek2003-installer: %s\n", failure.what());
    result = 1;
  }
  ui::TApplication::Shutdown();
  return result;
}

}  // namespace vek::installer
