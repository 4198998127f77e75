#pragma once
// The whole program's windows for the main application's tests, with a way
// to start the program again in the same folder.

#include <string>

#include "app/program.h"
#include "app/start_window.h"
#include "core/state.h"
#include "program_fixture.h"
#include "ui_test_support.h"

namespace apptest {

class AppTest : public vektest::ProgramTest {
 protected:
  // The start window's show: the start-up sequence.
  static void StartProgram() { vek::Form1->Show(); }
  // Ends the program's windows and state and creates them afresh in the
  // same current folder, as the next start of the program would.
  static void RestartProgram() {
    vek::DestroyProgramWindows();
    vektest::RestartUiApplication();
    vek::ResetProgramState();
    vek::CreateProgramWindows();
  }
};

}  // namespace apptest
