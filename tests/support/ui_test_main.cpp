// gtest main for tests of windows: like test_main.cpp it gives the process a
// home and XDG folders of its own, and it starts the ui application on the
// virtual clock with scripted message boxes before any test runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_support.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui_test_support.h"

namespace {

int qtArgc = 1;
char* qtArgv[] = {nullptr, nullptr};

void StartUi() {
  ui::TApplication::Initialize(qtArgc, qtArgv, ui::ClockMode::Virtual);
  ui::dialogs_for_test::SetScripted(true);
  vektest::FailOnUnexpectedDialogs();
}

// Every test starts with an empty dialog script.
class DialogScriptReset : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { ui::dialogs_for_test::Reset(); }
};

}  // namespace

namespace vektest {

void FailOnUnexpectedDialogs() {
  ui::dialogs_for_test::SetUnexpectedHandler([](const std::string& text) {
    ADD_FAILURE() << "a message box nobody expected: \"" << text << "\"";
    return ui::mrCancel;
  });
}

void RestartUiApplication() {
  ui::TApplication::Shutdown();
  StartUi();
}

}  // namespace vektest

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  vektest::TempDir home;
  vektest::UsePrivateHome(home);
  // Run by hand, the windows still stay off the screen.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  qtArgv[0] = argv[0];
  StartUi();
  ::testing::UnitTest::GetInstance()->listeners().Append(new DialogScriptReset);
  const int result = RUN_ALL_TESTS();
  ui::TApplication::Shutdown();
  return result;
}
