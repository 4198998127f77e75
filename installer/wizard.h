#pragma once
// The installer program: its seven windows and its entry.

#include "installer/backdrop.h"
#include "installer/error_page.h"
#include "installer/finish_page.h"
#include "installer/folder_page.h"
#include "installer/progress_page.h"
#include "installer/shortcuts_page.h"
#include "installer/welcome_page.h"

namespace vek::installer {

// Creates the windows once, in number order, into their form variables;
// the backdrop (TForm1) comes first and is the main form. The ui
// application must exist. Creating the backdrop measures the installer file.
void CreateInstallerWindows();

// The whole installer: application, windows, message loop.
int RunInstaller(int argc, char** argv);

}  // namespace vek::installer
